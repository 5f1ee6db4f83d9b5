#include "DorodTool.h"

#include "DorodCursor.h"
#include "FileIo.h"
#include "Json.h"
#include "TableValues.h"
#include "Win1251.h"

#include <iostream>
#include <iterator>
#include <map>
#include <optional>

namespace dorod::tool {

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  dorod info FILE\n"
    "  dorod dump [--json|--csv|--tsv] FILE\n"
    "  dorod create FILE            (table as JSON on standard input)\n"
    "  dorod copy SRC DST [--backup] [--sort-on FIELDS]\n"
    "  dorod check FILE\n"
    "options for every command that opens a table:\n"
    "  --partial                    open a partly readable table (PartialOpen)\n";

struct UsageError {
    std::string text;
};

// The command line: the command, its positional arguments and its options.
struct CommandLine {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // flags map to ""

    bool has(const std::string& name) const { return options.count(name) != 0; }
};

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    static const std::map<std::string, bool> kOptions = {
        {"--json", false},   {"--csv", false},     {"--tsv", false},
        {"--backup", false}, {"--sort-on", true},  {"--partial", false},
    };
    CommandLine line;
    if (args.empty()) throw UsageError{"no command given"};
    line.command = args[0];
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            const auto known = kOptions.find(a);
            if (known == kOptions.end()) throw UsageError{"unknown option " + a};
            std::string value;
            if (known->second) {
                if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
                value = args[++i];
            }
            line.options[a] = value;
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

std::string utf8(std::string_view bytes) { return win1251::toUtf8(bytes); }

// Loads a table file the way a table in file mode does.
void loadTable(const std::string& path, TDorodCursor& store, const CommandLine& line,
               std::ostream& err) {
    if (!fileio::fileExists(path)) throw EngineError{formatMessage(msg::ErrorOpeningFile, path.c_str())};
    TDorodStream stream;
    std::string error;
    if (!fileio::readFile(path, stream.bytes, error))
        throw EngineError{formatMessage(msg::ErrorOpeningFile, path.c_str())};
    store.PartialOpen = line.has("--partial");
    std::string message;
    if (!store.LoadFromStream(stream, message))
        throw EngineError{msg::ErrorOpeningTable + utf8(message)};
    if (!message.empty()) err << "dorod: " << utf8(message) << "\n";
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
    TDorodCursor store;
    loadTable(path, store, line, err);
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

void dumpJson(const TDorodCursor& store, std::ostream& out) {
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
    for (const TDorodRecordEntry* e : store.Entries()) {
        if (!e->isLive()) continue;
        w.beginArray();
        for (int i = 0; i < store.FieldCount(); ++i) w.value(valueToJson(*store.Field(i), e->data));
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
        case '\\': q += "\\\\"; break;
        case '\t': q += "\\t"; break;
        case '\n': q += "\\n"; break;
        case '\r': q += "\\r"; break;
        default: q += c;
        }
    }
    return q;
}

void dumpDelimited(const TDorodCursor& store, std::ostream& out, bool tsv) {
    const char separator = tsv ? '\t' : ',';
    const auto cell = tsv ? tsvCell : csvCell;
    for (int i = 0; i < store.FieldCount(); ++i)
        out << (i ? std::string(1, separator) : "") << cell(utf8(store.Field(i)->name));
    out << "\n";
    for (const TDorodRecordEntry* e : store.Entries()) {
        if (!e->isLive()) continue;
        for (int i = 0; i < store.FieldCount(); ++i)
            out << (i ? std::string(1, separator) : "") << cell(valueToCell(*store.Field(i), e->data));
        out << "\n";
    }
}

int commandDump(const CommandLine& line, std::ostream& out, std::ostream& err) {
    expectPositional(line, 1);
    const int formats = int(line.has("--json")) + int(line.has("--csv")) + int(line.has("--tsv"));
    if (formats > 1) throw UsageError{"choose one of --json, --csv, --tsv"};
    TDorodCursor store;
    loadTable(line.positional[0], store, line, err);
    if (line.has("--csv") || line.has("--tsv"))
        dumpDelimited(store, out, line.has("--tsv"));
    else
        dumpJson(store, out);
    return 0;
}

// --------------------------------------------------------------------- create

std::string textField(const json::Value& object, const char* key, std::string_view fallback,
                      const std::string& where) {
    const json::Value* v = object.find(key);
    if (!v || v->isNull()) return std::string(fallback);
    if (!v->isString()) throw EngineError{where + ": \"" + key + "\" must be a string"};
    std::string bytes;
    if (!win1251::fromUtf8(v->stringValue(), bytes))
        throw EngineError{where + ": \"" + key + "\" has a character with no Windows-1251 code"};
    return bytes;
}

TDorodField fieldFromJson(const json::Value& v, size_t index) {
    const std::string where = "field " + std::to_string(index + 1);
    if (!v.isObject()) throw EngineError{where + ": must be an object"};
    TDorodField f;
    f.name = textField(v, "name", "", where);
    if (f.name.empty()) throw EngineError{where + ": \"name\" is missing"};
    const json::Value* type = v.find("type");
    if (!type || !type->isString() || !fieldTypeFromName(type->stringValue(), f.type))
        throw EngineError{where + ": \"type\" must be one of the type names"};
    int64_t size = 0;
    if (const json::Value* s = v.find("size"); s && !s->isNull() && !s->toInt64(size))
        throw EngineError{where + ": \"size\" must be a whole number"};
    if (f.type == FieldType::SmallStr && (size < 0 || size > 200))
        throw EngineError{where + ": a SmallStr size must be 0 to 200"};
    if (f.type == FieldType::String && (size < 0 || size > kMaxDeclaredStringLength))
        throw EngineError{where + ": a String size must be 0 to 65535"};
    if (f.type == FieldType::SmallStr || f.type == FieldType::String) f.declaredSize = int32_t(size);
    f.qualifier = textField(v, "qualifier", kDefaultQualifier, where);
    f.defaultValue = textField(v, "default", "", where);
    f.extraText = textField(v, "extra", "", where);
    for (const std::string* text : {&f.qualifier, &f.name, &f.defaultValue, &f.extraText})
        if (text->find_first_of(std::string{kItemSeparator, kSectionEnd}) != std::string::npos)
            throw EngineError{where + ": texts may not hold the bytes 0x12 or 0x14"};
    if (f.qualifier.find_first_of(". ") != std::string::npos || f.name.find('~') != std::string::npos ||
        f.qualifier.find('~') != std::string::npos || f.defaultValue.find('~') != std::string::npos)
        throw EngineError{where + ": the name, qualifier or default would not read back"};
    return f;
}

int commandCreate(const CommandLine& line, std::istream& in) {
    expectPositional(line, 1);
    const std::string input{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    json::Value doc;
    std::string error;
    if (!json::parse(input, doc, error)) throw EngineError{"invalid JSON: " + error};
    if (!doc.isObject()) throw EngineError{"the table must be a JSON object"};
    const json::Value* fields = doc.find("fields");
    if (!fields || !fields->isArray() || fields->items().empty())
        throw EngineError{msg::NoFieldDescriptions};

    std::vector<TDorodField> defs;
    for (size_t i = 0; i < fields->items().size(); ++i)
        defs.push_back(fieldFromJson(fields->items()[i], i));
    TDorodCursor store;
    store.DefineFields(defs);
    const std::string notes = textField(doc, "notes", "", "table");
    if (notes.size() > kMaxNotesLength)
        throw EngineError{"notes longer than 32767 bytes cannot be stored"};
    store.SetNotes(notes);

    TDorodRecordBuffer buffer(store.Layout());
    if (const json::Value* records = doc.find("records"); records && !records->isNull()) {
        if (!records->isArray()) throw EngineError{"\"records\" must be an array"};
        for (size_t r = 0; r < records->items().size(); ++r) {
            const json::Value& row = records->items()[r];
            const std::string where = "record " + std::to_string(r + 1);
            if (!row.isArray() || row.items().size() != defs.size())
                throw EngineError{where + ": must be an array of " + std::to_string(defs.size()) +
                                  " values"};
            buffer.clear();
            for (int i = 0; i < store.FieldCount(); ++i) {
                const TDorodField& f = *store.Field(i);
                if (!jsonToValue(f, row.items()[size_t(i)], buffer.data(), error))
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
    TDorodCursor store;
    loadTable(line.positional[0], store, line, err);
    TDorodSaveOptions options = 0;
    if (line.has("--backup")) options |= savAutoBackup;
    std::string sortOn;
    if (line.has("--sort-on")) {
        options |= savSortOnIndex;
        if (!win1251::fromUtf8(line.options.at("--sort-on"), sortOn))
            throw UsageError{"--sort-on names a field with no Windows-1251 code"};
    }
    std::string message;
    if (!store.SaveToFile(line.positional[1], options, false, sortOn, message))
        throw EngineError{message};
    return 0;
}

int commandCheck(const CommandLine& line, std::ostream& out, std::ostream& err) {
    expectPositional(line, 1);
    TDorodCursor store;
    loadTable(line.positional[0], store, line, err);
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
        if (line.command == "help" || line.command == "--help") {
            out << kUsage;
            return 0;
        }
        throw UsageError{"unknown command " + line.command};
    } catch (const UsageError& e) {
        err << "dorod: " << e.text << "\n" << kUsage;
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
