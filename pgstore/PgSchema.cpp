#include "pgstore/PgSchema.h"

#include "storage/DorodConst.h"

#include <stdexcept>

namespace pgstore {

namespace {

using dorod::TFieldType;

PgColumn columnOf(const dorod::TFieldDef& def, int storeField) {
    PgColumn c;
    c.name = def.Name;
    c.storeField = storeField;
    switch (def.DataType) {
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
        c.kind = PgColumnKind::SmallInt;
        c.sqlType = "smallint NOT NULL DEFAULT 0";
        break;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
        c.kind = PgColumnKind::Integer;
        c.sqlType = "integer NOT NULL DEFAULT 0";
        break;
    case TFieldType::ftLargeint:
        c.kind = PgColumnKind::BigInt;
        c.sqlType = "bigint NOT NULL DEFAULT 0";
        break;
    case TFieldType::ftBoolean:
        c.kind = PgColumnKind::Boolean;
        c.sqlType = "boolean NOT NULL DEFAULT false";
        break;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
        c.kind = PgColumnKind::Double;
        c.sqlType = "double precision NOT NULL DEFAULT 0";
        break;
    // A date or time without a value is null.
    case TFieldType::ftDate:
        c.kind = PgColumnKind::Date;
        c.sqlType = "date";
        break;
    case TFieldType::ftDateTime:
        c.kind = PgColumnKind::Timestamp;
        c.sqlType = "timestamp(3)";
        break;
    // Windows-1251 has one byte per character, so the width in characters is the
    // width the table file has in bytes. A wider text field is kept in the file with
    // its length, and a file written elsewhere may hold more than the width there: such
    // a column takes any length, so that every folder the desk opens can be moved in.
    case TFieldType::ftString:
        c.kind = PgColumnKind::Text;
        c.sqlType =
            (def.Size <= dorod::kMaxSmallStrLength ? "varchar(" + std::to_string(def.Size) + ")"
                                                   : std::string("text")) +
            " NOT NULL DEFAULT ''";
        break;
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
        c.kind = PgColumnKind::Text;
        c.sqlType = "text NOT NULL DEFAULT ''";
        break;
    default:
        throw std::logic_error("a desk table has a field of a type the database does not keep: " +
                               def.Name);
    }
    return c;
}

PgTableMap mapOf(const vornelta::TTableDefinition& definition, std::string tableName,
                 const char* numberField, bool settlesNumbers) {
    PgTableMap map;
    map.definition = &definition;
    map.tableName = std::move(tableName);
    for (size_t i = 0; i < definition.fields.size(); ++i) {
        map.columns.push_back(columnOf(definition.fields[i], int(i)));
        if (numberField && definition.fields[i].Name == numberField) map.numberColumn = int(i);
    }
    map.settlesNumbers = settlesNumbers;
    return map;
}

bool inTransaction(PgConnection& connection, const std::string& body, std::string& message) {
    if (!connection.exec("BEGIN", message)) return false;
    if (connection.exec(body, message) && connection.exec("COMMIT", message)) return true;
    std::string ignored;
    connection.exec("ROLLBACK", ignored);
    return false;
}

} // namespace

std::string quoteIdent(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string PgTableMap::columnList() const {
    std::string list;
    for (const PgColumn& c : columns) {
        if (!list.empty()) list += ", ";
        list += quoteIdent(c.name);
    }
    return list;
}

const PgTableMap& announcementMap() {
    static const PgTableMap map =
        mapOf(vornelta::announcementTable(), "data", vornelta::field::kId, true);
    return map;
}

const PgTableMap& runDateMap() {
    static const PgTableMap map =
        mapOf(vornelta::runDateTable(), "dates", vornelta::field::kId, false);
    return map;
}

const PgTableMap& realtyMap() {
    static const PgTableMap map = mapOf(vornelta::realtyTable(), "rielt", nullptr, false);
    return map;
}

std::vector<const PgTableMap*> deskMaps() {
    return {&announcementMap(), &runDateMap(), &realtyMap()};
}

bool ensureSchema(PgConnection& connection, std::string& message) {
    // Two counters starting on a new database at once: the lock lets one make the
    // schema and the other find it made.
    const std::string lock =
        "SELECT pg_advisory_xact_lock(" + std::to_string(kDeskLockKey) + ");\n";
    std::string sql = lock;
    sql += "CREATE TABLE IF NOT EXISTS vornelta_state (\n"
           "  single boolean PRIMARY KEY DEFAULT true CHECK (single),\n"
           "  change_counter bigint NOT NULL DEFAULT 0);\n"
           "INSERT INTO vornelta_state (single) VALUES (true) ON CONFLICT DO NOTHING;\n"
           // The change at which the desk's tables were last replaced whole (an import):
           // a counter that read them before reads them whole again.
           "ALTER TABLE vornelta_state ADD COLUMN IF NOT EXISTS replaced_at bigint NOT NULL "
           "DEFAULT 0;\n"
           "CREATE TABLE IF NOT EXISTS vornelta_saves (\n"
           "  change bigint PRIMARY KEY, saved_at timestamptz NOT NULL DEFAULT now());\n"
           "CREATE TABLE IF NOT EXISTS vornelta_deleted (\n"
           "  table_name text NOT NULL, row_id bigint NOT NULL, change bigint NOT NULL);\n"
           "CREATE INDEX IF NOT EXISTS vornelta_deleted_change ON vornelta_deleted (change);\n";
    // The indexes, once the tables are known to be the desk's.
    std::string indexes = lock;
    for (const PgTableMap* map : deskMaps()) {
        const std::string table = quoteIdent(map->tableName);
        sql += "CREATE TABLE IF NOT EXISTS " + table + " (\n" +
               "  row_id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,\n"
               "  row_version integer NOT NULL DEFAULT 1,\n"
               "  row_change bigint NOT NULL DEFAULT 0";
        for (const PgColumn& c : map->columns)
            sql += ",\n  " + quoteIdent(c.name) + " " + c.sqlType;
        sql += ");\n";
        indexes += "CREATE INDEX IF NOT EXISTS " + quoteIdent(map->tableName + "_row_change") +
                   " ON " + table + " (row_change);\n";
        if (map->numberColumn >= 0)
            indexes += "CREATE INDEX IF NOT EXISTS " + quoteIdent(map->tableName + "_number") +
                       " ON " + table + " (" +
                       quoteIdent(map->columns[size_t(map->numberColumn)].name) + ");\n";
    }
    if (!inTransaction(connection, sql, message)) {
        message = "cannot create the tables in the database: " + message;
        return false;
    }
    // A table of that name made by something else is not written into.
    for (const PgTableMap* map : deskMaps()) {
        const PgResult columns = connection.query(
            "SELECT column_name, data_type FROM information_schema.columns WHERE table_schema = "
            "current_schema() AND table_name = $1",
            {map->tableName}, message);
        if (!columns.ok()) return false;
        std::vector<std::string> wanted = {"row_id", "row_version", "row_change"};
        for (const PgColumn& c : map->columns)
            wanted.push_back(c.name);
        for (const std::string& name : wanted) {
            bool found = false;
            for (int r = 0; r < columns.rows() && !found; ++r)
                found = columns.value(r, 0) == name;
            if (!found) {
                message = "the database's table " + map->tableName +
                          " is not the desk's: it has no column " + name;
                return false;
            }
        }
        // Databases made when the wide text columns had a width: they take any length now
        // (no rewrite of the rows, the two types share their storage).
        for (const PgColumn& c : map->columns)
            for (int r = 0; r < columns.rows(); ++r)
                if (columns.value(r, 0) == c.name && columns.value(r, 1) == "character varying" &&
                    c.sqlType.starts_with("text"))
                    indexes += "ALTER TABLE " + quoteIdent(map->tableName) + " ALTER COLUMN " +
                               quoteIdent(c.name) + " TYPE text;\n";
    }
    if (inTransaction(connection, indexes, message)) return true;
    message = "cannot create the tables in the database: " + message;
    return false;
}

bool deskHoldsRows(PgConnection& connection, bool& holds, std::string& message) {
    std::string sql = "SELECT ";
    const auto maps = deskMaps();
    for (size_t i = 0; i < maps.size(); ++i) {
        if (i) sql += " OR ";
        sql += "EXISTS (SELECT 1 FROM " + quoteIdent(maps[i]->tableName) + ")";
    }
    const PgResult result = connection.query(sql, {}, message);
    if (!result.ok()) return false;
    holds = result.value(0, 0) == "t";
    return true;
}

} // namespace pgstore
