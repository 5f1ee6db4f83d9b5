#include "tools/dorod/DorodTool.h"

#include "storage/DorodCursor.h"
#include "storage/DorodDatabase.h"
#include "storage/DorodTable.h"
#include "storage/FileIo.h"
#include "storage/Win1251.h"
#include "tools/dorod/DatabaseCommands.h"
#include "tools/dorod/Json.h"
#include "tools/dorod/TableValues.h"
#include "tools/dorod/TerminalPrompt.h"

#include <cstdlib>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

namespace dorod::tool {

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  dorod info FILE\n"
    "  dorod dump [--json|--csv|--tsv] [view options] FILE\n"
    "  dorod create FILE            (table as JSON on standard input)\n"
    "  dorod copy SRC DST [--backup] [--sort-on FIELDS] [--new-password P]\n"
    "  dorod check FILE\n"
    "  dorod pg-import URL FOLDER [--replace]\n"
    "                               put a desk folder's data.d, dates.d and rielt.d into\n"
    "                               a PostgreSQL database (URL: postgresql://user@host/db);\n"
    "                               --replace replaces the announcements it holds\n"
    "  dorod pg-export URL FOLDER   write the database's tables into FOLDER as .d files\n"
    "  dorod --help | --version\n"
    "view options of dump:\n"
    "  --order FIELDS               order by these fields (\"date;id\")\n"
    "  --descending                 in descending order\n"
    "  --case-insensitive           texts ordered without regard to letter case\n"
    "  --range-fields FIELDS --range START END\n"
    "                               only records between START and END (tab-separated\n"
    "                               values, one per range field)\n"
    "  --locate FIELDS=VALUES       only the record found (values tab-separated)\n"
    "  --filter 'EXPR'              only records that pass the filter expression\n"
    "  --filter-case-insensitive    texts in the filter compared without regard to case\n"
    "options for every command that opens a table:\n"
    "  --partial                    open a partly readable table (PartialOpen)\n"
    "  --password P                 the password of an enciphered table (without it\n"
    "                               the tool asks on the terminal)\n"
    "  --new-password P             copy: the password of the copy; empty writes a\n"
    "                               plain table\n"
    "exit status: 0 success, 1 failure (the message on stderr), 2 usage error\n";

constexpr const char* kUsageRussian =
    "использование:\n"
    "  dorod info ФАЙЛ\n"
    "  dorod dump [--json|--csv|--tsv] [параметры вида] ФАЙЛ\n"
    "  dorod create ФАЙЛ            (таблица в JSON на стандартном вводе)\n"
    "  dorod copy ИСТОЧНИК КОПИЯ [--backup] [--sort-on ПОЛЯ] [--new-password П]\n"
    "  dorod check ФАЙЛ\n"
    "  dorod pg-import URL ПАПКА [--replace]\n"
    "                               перенести data.d, dates.d и rielt.d из папки в базу\n"
    "                               PostgreSQL (URL: postgresql://пользователь@сервер/база);\n"
    "                               --replace заменяет объявления, которые в ней уже есть\n"
    "  dorod pg-export URL ПАПКА    записать таблицы базы в ПАПКУ файлами .d\n"
    "  dorod --help | --version\n"
    "параметры вида для dump:\n"
    "  --order ПОЛЯ                 порядок по этим полям (\"date;id\")\n"
    "  --descending                 по убыванию\n"
    "  --case-insensitive           тексты упорядочены без учёта регистра\n"
    "  --range-fields ПОЛЯ --range НАЧАЛО КОНЕЦ\n"
    "                               только записи от НАЧАЛО до КОНЕЦ (значения через\n"
    "                               табуляцию, по одному на поле диапазона)\n"
    "  --locate ПОЛЯ=ЗНАЧЕНИЯ       только найденная запись (значения через табуляцию)\n"
    "  --filter 'ВЫРАЖЕНИЕ'         только записи, прошедшие фильтр\n"
    "  --filter-case-insensitive    тексты в фильтре сравниваются без учёта регистра\n"
    "для всех команд, открывающих таблицу:\n"
    "  --partial                    открыть частично читаемую таблицу (PartialOpen)\n"
    "  --password П                 пароль зашифрованной таблицы (без него программа\n"
    "                               спросит его в терминале)\n"
    "  --new-password П             copy: пароль копии; пустой пишет таблицу без шифра\n"
    "код выхода: 0 — успех, 1 — ошибка (сообщение в stderr), 2 — ошибка в командной строке\n";

// The usage text in the locale's language (LC_ALL, else LC_MESSAGES, else LANG).
const char* usage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string_view(value).starts_with("ru") ? kUsageRussian : kUsage;
    }
    return kUsage;
}

struct UsageError {
    std::string text;
};

// The command line: the command, its positional arguments and its options.
struct CommandLine {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options; // flags map to no values

    bool has(const std::string& name) const { return options.count(name) != 0; }
};

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    // Option and the number of values it takes.
    static const std::map<std::string, int> kOptions = {
        {"--json", 0},
        {"--csv", 0},
        {"--tsv", 0},
        {"--backup", 0},
        {"--sort-on", 1},
        {"--partial", 0},
        {"--order", 1},
        {"--descending", 0},
        {"--case-insensitive", 0},
        {"--range-fields", 1},
        {"--range", 2},
        {"--locate", 1},
        {"--password", 1},
        {"--new-password", 1},
        {"--filter", 1},
        {"--filter-case-insensitive", 0},
        {"--replace", 0},
    };
    CommandLine line;
    if (args.empty()) throw UsageError{"no command given"};
    line.command = args[0];
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            const auto known = kOptions.find(a);
            if (known == kOptions.end()) throw UsageError{"unknown option " + a};
            std::vector<std::string> values;
            for (int k = 0; k < known->second; ++k) {
                if (i + 1 >= args.size())
                    throw UsageError{a + (known->second == 1 ? " needs a value" : " needs values")};
                values.push_back(args[++i]);
            }
            line.options[a] = values;
        } else {
            line.positional.push_back(a);
        }
    }
    return line;
}

void expectPositional(const CommandLine& line, size_t count) {
    if (line.positional.size() != count)
        throw UsageError{line.command + " takes " + std::to_string(count) +
                         (count == 1 ? " file" : " files")};
}

// The engine's failure, as the dataset layer words it.
struct EngineError {
    std::string text;
};

std::string utf8(std::string_view bytes) {
    return win1251::toUtf8(bytes);
}

std::string win1251Argument(const std::string& text, const std::string& option) {
    std::string bytes;
    if (!win1251::fromUtf8(text, bytes))
        throw UsageError{option + " holds a character with no Windows-1251 code"};
    return bytes;
}

// Opens a table file through a table in file mode, as the program does.
void openTable(const std::string& path, TDorodTable& table, const CommandLine& line,
               std::ostream& err) {
    table.SetTableName(path);
    table.PartialOpen = line.has("--partial");
    if (line.has("--password"))
        table.SetPassword(win1251Argument(line.options.at("--password")[0], "--password"));
    TDorodSession& session = TDorodSession::Instance();
    session.BuiltInPasswordPrompt = promptPasswordOnTerminal;
    session.OnShowMessage = [&err](const std::string& text) {
        err << "dorod: " << utf8(text) << "\n";
    };
    try {
        table.Open();
    } catch (const EDatabaseError& e) {
        session.OnShowMessage = nullptr;
        throw EngineError{utf8(e.what())};
    }
    session.OnShowMessage = nullptr;
}

// --------------------------------------------------------------------- info

char kindOfFile(const std::string& path) {
    std::string bytes, error;
    if (!fileio::readFile(path, bytes, error) || bytes.size() < 5) return '?';
    return bytes[4];
}

int commandInfo(const CommandLine& line, std::ostream& out, std::ostream& err) {
    expectPositional(line, 1);
    const std::string& path = line.positional[0];
    TDorodTable table;
    openTable(path, table, line, err);
    const TDorodCursor& store = *table.Store();
    const char kind = kindOfFile(path);
    out << "File: " << path << "\n";
    out << "Kind: " << kind << (kind == kKindEnciphered ? " (enciphered)" : " (plain)") << "\n";
    out << "Records: " << store.LiveRecordCount() << "\n";
    out << "Fields: " << store.FieldCount() << "\n";
    for (int i = 0; i < store.FieldCount(); ++i) {
        const TDorodField& f = *store.Field(i);
        out << "  " << (i + 1) << ". " << utf8(f.name) << " " << fieldTypeName(f.type) << " "
            << f.declaredSize;
        if (f.qualifier != kDefaultQualifier) out << " qualifier=" << utf8(f.qualifier);
        if (!f.defaultValue.empty()) out << " default=" << utf8(f.defaultValue);
        if (!f.extraText.empty()) out << " extra=" << utf8(f.extraText);
        out << "\n";
    }
    out << "Notes: " << utf8(store.Notes()) << "\n";
    return 0;
}

// --------------------------------------------------------------------- dump

// The records a dump shows: the table's view, in view order.
std::vector<const TDorodRecordEntry*> viewRecords(TDorodTable& table) {
    std::vector<const TDorodRecordEntry*> records;
    for (table.First(); !table.Eof(); table.Next())
        records.push_back(table.CurrentEntry());
    return records;
}

void dumpJson(const TDorodCursor& store, const std::vector<const TDorodRecordEntry*>& records,
              std::ostream& out) {
    json::Writer w(out);
    w.beginObject();
    w.key("fields");
    w.beginArray();
    for (int i = 0; i < store.FieldCount(); ++i) {
        const TDorodField& f = *store.Field(i);
        w.beginObject();
        w.key("name");
        w.string(utf8(f.name));
        w.key("type");
        w.string(fieldTypeName(f.type));
        w.key("size");
        w.integer(f.declaredSize);
        w.key("qualifier");
        w.string(utf8(f.qualifier));
        w.key("default");
        w.string(utf8(f.defaultValue));
        w.key("extra");
        w.string(utf8(f.extraText));
        w.endObject();
    }
    w.endArray();
    w.key("notes");
    w.string(utf8(store.Notes()));
    w.key("records");
    w.beginArray();
    for (const TDorodRecordEntry* e : records) {
        w.beginArray();
        for (int i = 0; i < store.FieldCount(); ++i)
            w.value(valueToJson(*store.Field(i), e->data()));
        w.endArray();
    }
    w.endArray();
    w.endObject();
    w.flush();
    out << "\n";
}

std::string csvCell(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::string tsvCell(const std::string& s) {
    std::string q;
    for (char c : s) {
        switch (c) {
        case '\\':
            q += "\\\\";
            break;
        case '\t':
            q += "\\t";
            break;
        case '\n':
            q += "\\n";
            break;
        case '\r':
            q += "\\r";
            break;
        default:
            q += c;
        }
    }
    return q;
}

void dumpDelimited(const TDorodCursor& store, const std::vector<const TDorodRecordEntry*>& records,
                   std::ostream& out, bool tsv) {
    const char separator = tsv ? '\t' : ',';
    const auto cell = tsv ? tsvCell : csvCell;
    for (int i = 0; i < store.FieldCount(); ++i)
        out << (i ? std::string(1, separator) : "") << cell(utf8(store.Field(i)->name));
    out << "\n";
    for (const TDorodRecordEntry* e : records) {
        for (int i = 0; i < store.FieldCount(); ++i)
            out << (i ? std::string(1, separator) : "")
                << cell(valueToCell(*store.Field(i), e->data()));
        out << "\n";
    }
}

std::vector<std::string> splitTabs(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(text.substr(start, tab - start));
    parts.push_back(text.substr(start));
    return parts;
}

int commandDump(const CommandLine& line, std::ostream& out, std::ostream& err) {
    expectPositional(line, 1);
    const int formats = int(line.has("--json")) + int(line.has("--csv")) + int(line.has("--tsv"));
    if (formats > 1) throw UsageError{"choose one of --json, --csv, --tsv"};
    if (line.has("--range") != line.has("--range-fields"))
        throw UsageError{"--range and --range-fields go together"};

    TDorodTable table;
    if (line.has("--order"))
        table.SetIndexFieldNames(win1251Argument(line.options.at("--order")[0], "--order"));
    TDorodSortOptions sort = 0;
    if (line.has("--descending")) sort |= vsoDescendSort;
    if (line.has("--case-insensitive")) sort |= vsoCaseInsensitive;
    table.SetSortOptions(sort);
    openTable(line.positional[0], table, line, err);

    std::vector<const TDorodRecordEntry*> records;
    try {
        if (line.has("--filter")) {
            if (line.has("--filter-case-insensitive")) table.FilterOptions |= foCaseInsensitive;
            table.SetFilter(win1251Argument(line.options.at("--filter")[0], "--filter"));
            table.SetFiltered(true);
        }
        if (line.has("--range")) {
            const std::vector<std::string>& range = line.options.at("--range");
            table.SetRangeFieldNames(
                win1251Argument(line.options.at("--range-fields")[0], "--range-fields"));
            table.SetRange(win1251Argument(range[0], "--range"),
                           win1251Argument(range[1], "--range"));
        }
        if (line.has("--locate")) {
            const std::string locate = win1251Argument(line.options.at("--locate")[0], "--locate");
            const size_t equals = locate.find('=');
            if (equals == std::string::npos) throw UsageError{"--locate takes FIELDS=VALUES"};
            if (!table.Locate(locate.substr(0, equals), splitTabs(locate.substr(equals + 1))))
                throw EngineError{"not found"};
            records.push_back(table.CurrentEntry());
        } else {
            records = viewRecords(table);
        }
    } catch (const EDatabaseError& e) {
        throw EngineError{utf8(e.what())};
    }
    if (line.has("--csv") || line.has("--tsv"))
        dumpDelimited(*table.Store(), records, out, line.has("--tsv"));
    else
        dumpJson(*table.Store(), records, out);
    return 0;
}

// --------------------------------------------------------------------- create

// The member of an object, or nullptr (also for a non-object).
const json::Value* member(const json::Value& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::string textField(const json::Value& object, const char* key, std::string_view fallback,
                      const std::string& where) {
    const json::Value* v = member(object, key);
    if (!v || v->is_null()) return std::string(fallback);
    if (!v->is_string()) throw EngineError{where + ": \"" + key + "\" must be a string"};
    std::string bytes;
    if (!win1251::fromUtf8(v->get_ref<const std::string&>(), bytes))
        throw EngineError{where + ": \"" + key + "\" has a character with no Windows-1251 code"};
    return bytes;
}

TDorodField fieldFromJson(const json::Value& v, size_t index) {
    const std::string where = "field " + std::to_string(index + 1);
    if (!v.is_object()) throw EngineError{where + ": must be an object"};
    TDorodField f;
    f.name = textField(v, "name", "", where);
    if (f.name.empty()) throw EngineError{where + ": \"name\" is missing"};
    const json::Value* type = member(v, "type");
    if (!type || !type->is_string() ||
        !fieldTypeFromName(type->get_ref<const std::string&>(), f.type))
        throw EngineError{where + ": \"type\" must be one of the type names"};
    int64_t size = 0;
    if (const json::Value* s = member(v, "size"); s && !s->is_null() && !json::toInt64(*s, size))
        throw EngineError{where + ": \"size\" must be a whole number"};
    if (f.type == FieldType::String && (size < 0 || size > kMaxDeclaredStringLength))
        throw EngineError{where + ": a String size must be 0 to 65535"};
    if (f.type == FieldType::SmallStr || f.type == FieldType::String)
        f.declaredSize = int32_t(size);
    f.qualifier = textField(v, "qualifier", kDefaultQualifier, where);
    f.defaultValue = textField(v, "default", "", where);
    f.extraText = textField(v, "extra", "", where);
    for (const std::string* text : {&f.qualifier, &f.name, &f.defaultValue, &f.extraText})
        if (text->find_first_of(std::string{kItemSeparator, kSectionEnd}) != std::string::npos)
            throw EngineError{where + ": texts may not hold the bytes 0x12 or 0x14"};
    if (f.qualifier.find_first_of(". ") != std::string::npos ||
        f.name.find('~') != std::string::npos || f.qualifier.find('~') != std::string::npos ||
        f.defaultValue.find('~') != std::string::npos)
        throw EngineError{where + ": the name, qualifier or default would not read back"};
    return f;
}

int commandCreate(const CommandLine& line, std::istream& in) {
    expectPositional(line, 1);
    const std::string input{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    json::Value doc;
    std::string error;
    if (!json::parse(input, doc, error)) throw EngineError{"invalid JSON: " + error};
    if (!doc.is_object()) throw EngineError{"the table must be a JSON object"};
    const json::Value* fields = member(doc, "fields");
    if (!fields || !fields->is_array() || fields->empty())
        throw EngineError{msg::NoFieldDescriptions};

    std::vector<TDorodField> defs;
    for (size_t i = 0; i < fields->size(); ++i)
        defs.push_back(fieldFromJson((*fields)[i], i));
    TDorodCursor store;
    if (!store.DefineFields(defs, error)) throw EngineError{error};
    const std::string notes = textField(doc, "notes", "", "table");
    if (notes.size() > kMaxNotesLength)
        throw EngineError{"notes longer than 32767 bytes cannot be stored"};
    store.SetNotes(notes);

    TDorodRecordBuffer buffer(store.Layout());
    if (const json::Value* records = member(doc, "records"); records && !records->is_null()) {
        if (!records->is_array()) throw EngineError{"\"records\" must be an array"};
        for (size_t r = 0; r < records->size(); ++r) {
            const json::Value& row = (*records)[r];
            const std::string where = "record " + std::to_string(r + 1);
            if (!row.is_array() || row.size() != defs.size())
                throw EngineError{where + ": must be an array of " + std::to_string(defs.size()) +
                                  " values"};
            buffer.clear();
            for (int i = 0; i < store.FieldCount(); ++i) {
                const TDorodField& f = *store.Field(i);
                if (!jsonToValue(f, row[size_t(i)], buffer.data(), error))
                    throw EngineError{where + ", field '" + utf8(f.name) + "': " + error};
            }
            store.AppendStoredRecord(buffer.data());
        }
    }
    if (!store.SaveToFile(line.positional[0], 0, false, "", error)) throw EngineError{error};
    return 0;
}

// --------------------------------------------------------------------- copy, check

int commandCopy(const CommandLine& line, std::ostream& err) {
    expectPositional(line, 2);
    TDorodTable table;
    openTable(line.positional[0], table, line, err);
    TDorodCursor& store = *table.Store();
    TDorodSaveOptions options = 0;
    if (line.has("--backup")) options |= savAutoBackup;
    std::string sortOn;
    if (line.has("--sort-on")) {
        options |= savSortOnIndex;
        if (!win1251::fromUtf8(line.options.at("--sort-on")[0], sortOn))
            throw UsageError{"--sort-on names a field with no Windows-1251 code"};
    }
    if (line.has("--new-password"))
        store.SetPassword(win1251Argument(line.options.at("--new-password")[0], "--new-password"));
    std::string message;
    if (!store.SaveToFile(line.positional[1], options, false, sortOn, message))
        throw EngineError{message};
    return 0;
}

int commandCheck(const CommandLine& line, std::ostream& out, std::ostream& err) {
    expectPositional(line, 1);
    TDorodTable table;
    openTable(line.positional[0], table, line, err);
    const TDorodCursor& store = *table.Store();
    out << "OK: " << store.LiveRecordCount() << " records, " << store.FieldCount() << " fields\n";
    return 0;
}

} // namespace

int runDorod(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err) {
    try {
        const CommandLine line = parseCommandLine(args);
        if (line.command == "info") return commandInfo(line, out, err);
        if (line.command == "dump") return commandDump(line, out, err);
        if (line.command == "create") return commandCreate(line, in);
        if (line.command == "copy") return commandCopy(line, err);
        if (line.command == "check") return commandCheck(line, out, err);
        if (line.command == "pg-import" || line.command == "pg-export") {
            if (line.positional.size() != 2)
                throw UsageError{line.command + " takes a database URL and a folder"};
            if (line.command == "pg-import")
                return importDesk(line.positional[0], line.positional[1], line.has("--replace"),
                                  out, err);
            return exportDesk(line.positional[0], line.positional[1], out, err);
        }
        if (line.command == "help" || line.command == "--help") {
            out << usage();
            return 0;
        }
        throw UsageError{"unknown command " + line.command};
    } catch (const UsageError& e) {
        err << "dorod: " << e.text << "\n" << usage();
        return 2;
    } catch (const EngineError& e) {
        err << e.text << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        err << "dorod: out of memory\n";
        return 1;
    }
}

} // namespace dorod::tool
