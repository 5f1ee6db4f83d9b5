#include "pgstore/PgTransfer.h"

#include "pgstore/PgSchema.h"
#include "pgstore/PgTableSource.h"
#include "pgstore/PgValues.h"
#include "storage/DorodCursor.h"
#include "storage/FileIo.h"

namespace pgstore {

namespace {

std::string pathIn(const std::string& folder, const std::string& file) {
    if (folder.empty() || folder.back() == '/') return folder + file;
    return folder + "/" + file;
}

long long& countOf(PgTransferCounts& counts, const PgTableMap& map) {
    if (&map == &announcementMap()) return counts.announcements;
    if (&map == &runDateMap()) return counts.runDates;
    return counts.realty;
}

// Reads a table file; a missing one gives an empty store of the table's fields.
bool readTableFile(const std::string& path, const PgTableMap& map, bool mayBeMissing,
                   dorod::TDorodCursor& store, std::string& message) {
    if (!dorod::fileio::fileExists(path)) {
        if (mayBeMissing) return store.DefineFields(map.definition->storeFields(), message);
        message = path + ": no such table file";
        return false;
    }
    dorod::fileio::TMappedFile file;
    if (!file.open(path, message) || !store.LoadFromImage(file.bytes(), message)) {
        message = path + ": " + message;
        return false;
    }
    return true;
}

// The store field of each column, found by name; a file without one of the table's fields,
// or with it of another kind, is not the desk's table.
bool matchFields(const std::string& path, const PgTableMap& map, dorod::TDorodCursor& store,
                 std::vector<int>& fieldOfColumn, std::string& message) {
    const std::vector<dorod::TDorodField> wanted = map.definition->storeFields();
    fieldOfColumn.clear();
    for (const PgColumn& column : map.columns) {
        const int index = store.FieldIndex(column.name);
        const dorod::TDorodField& want = wanted[size_t(column.storeField)];
        if (index < 0 || store.Field(index)->type != want.type) {
            message = path + ": the field " + column.name +
                      (index < 0 ? " is missing" : " is of another type than the desk's");
            return false;
        }
        fieldOfColumn.push_back(index);
    }
    return true;
}

bool copyTableIn(PgConnection& connection, const PgTableMap& map, dorod::TDorodCursor& store,
                 const std::vector<int>& fieldOfColumn, long long& count, std::string& message) {
    const std::string sql = "COPY " + quoteIdent(map.tableName) + " (" + map.columnList() +
                            ") FROM STDIN (FORMAT binary)";
    return connection.copyIn(
        sql,
        [&](const std::function<bool(std::string_view)>& send) {
            std::string chunk = copyHeader();
            for (const dorod::TDorodRecordEntry* entry : store.Entries()) {
                if (!entry->isLive()) continue;
                putInt16(chunk, int16_t(map.columns.size()));
                for (size_t i = 0; i < map.columns.size(); ++i) {
                    const PgParam value =
                        encodeValue(map.columns[i], *store.Field(fieldOfColumn[i]), entry->data());
                    if (!value) {
                        putInt32(chunk, -1);
                        continue;
                    }
                    putInt32(chunk, int32_t(value->size()));
                    chunk += *value;
                }
                ++count;
                if (chunk.size() >= (1u << 20)) {
                    if (!send(chunk)) return false;
                    chunk.clear();
                }
            }
            chunk += copyTrailer();
            return send(chunk);
        },
        message);
}

bool rollback(PgConnection& connection, std::string& message, const std::string& what) {
    std::string ignored;
    if (connection.connected()) connection.exec("ROLLBACK", ignored);
    message = what + message;
    return false;
}

} // namespace

bool importFolder(PgConnection& connection, const std::string& folder, bool replace,
                  PgTransferCounts& counts, std::string& message) {
    counts = {};
    // Every file is read and checked before the database is touched.
    const auto maps = deskMaps();
    std::vector<std::unique_ptr<dorod::TDorodCursor>> stores;
    std::vector<std::vector<int>> fields(maps.size());
    for (size_t i = 0; i < maps.size(); ++i) {
        const std::string path = pathIn(folder, maps[i]->fileName());
        stores.push_back(std::make_unique<dorod::TDorodCursor>());
        if (!readTableFile(path, *maps[i], maps[i] != &announcementMap(), *stores[i], message) ||
            !matchFields(path, *maps[i], *stores[i], fields[i], message))
            return false;
    }
    if (!ensureSchema(connection, message)) return false;
    if (!connection.exec("BEGIN", message)) return rollback(connection, message, "");
    std::string sql = "SELECT pg_advisory_xact_lock(" + std::to_string(kDeskLockKey) + ")";
    if (!connection.exec(sql, message)) return rollback(connection, message, "");
    bool holds = false;
    if (!deskHoldsRows(connection, holds, message)) return rollback(connection, message, "");
    if (holds && !replace) {
        message = "the database holds announcements already; nothing was imported (--replace "
                  "replaces them with the folder's)";
        std::string ignored;
        connection.exec("ROLLBACK", ignored);
        return false;
    }
    sql = "TRUNCATE ";
    for (size_t i = 0; i < maps.size(); ++i)
        sql += (i ? ", " : "") + quoteIdent(maps[i]->tableName);
    // Row keys are never given again: a counter still holding the old rows then finds its
    // rows gone at its next save instead of overwriting the new ones that took their keys.
    sql += "; TRUNCATE vornelta_deleted";
    if (holds && !connection.exec(sql, message)) return rollback(connection, message, "");
    for (size_t i = 0; i < maps.size(); ++i) {
        if (!copyTableIn(connection, *maps[i], *stores[i], fields[i], countOf(counts, *maps[i]),
                         message))
            return rollback(connection, message, maps[i]->fileName() + ": ");
    }
    // Counters that hold the old rows read the tables again, whole.
    const PgResult change =
        connection.query("UPDATE vornelta_state SET change_counter = change_counter + 1, "
                         "replaced_at = change_counter + 1 RETURNING change_counter",
                         {}, message);
    if (!change.ok()) return rollback(connection, message, "");
    if (!connection
             .query("SELECT pg_notify($1, $2)",
                    {std::string(kChangeChannel), std::to_string(change.integer(0, 0))}, message)
             .ok() ||
        !connection.exec("COMMIT", message))
        return rollback(connection, message, "");
    // The server learns what the new rows look like now rather than whenever it gets to
    // it: until then it may read a whole table where the counters ask for a few rows
    // (the rows changed since a change number).
    std::string analyze = "ANALYZE ";
    for (size_t i = 0; i < maps.size(); ++i)
        analyze += (i ? ", " : "") + quoteIdent(maps[i]->tableName);
    std::string ignored;
    connection.exec(analyze, ignored); // the rows are in either way
    return true;
}

bool exportFolder(PgConnection& connection, const std::string& folder, PgTransferCounts& counts,
                  std::string& message) {
    counts = {};
    const auto maps = deskMaps();
    std::vector<std::unique_ptr<dorod::TDorodCursor>> stores;
    {
        const PgReadMoment moment(connection);
        if (!moment.began()) {
            message = moment.error();
            return false;
        }
        for (const PgTableMap* map : maps) {
            stores.push_back(std::make_unique<dorod::TDorodCursor>());
            if (!loadRows(connection, *map, *stores.back(), nullptr, message)) return false;
            countOf(counts, *map) = stores.back()->EntryCount();
        }
    }
    for (size_t i = 0; i < maps.size(); ++i) {
        const std::string path = pathIn(folder, maps[i]->fileName());
        if (!stores[i]->SaveToFile(path, 0, false, "", message)) {
            message = path + ": " + message;
            return false;
        }
    }
    return true;
}

} // namespace pgstore
