// One desk table kept in PostgreSQL, as the record source of a TDorodTable: the open
// reads every row into the table's in-memory store with one binary COPY, and remembers
// which database row (and which version of it) each entry holds, so that a save writes
// only the changed records and notices rows changed at another counter meanwhile.
#pragma once

#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "storage/DorodCursor.h"
#include "storage/DorodRecordSource.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pgstore {

// The database row an entry of the store holds.
struct PgRowIdentity {
    int64_t rowId = 0;
    int32_t version = 0;
};

// Entry → row, for every entry loaded (kept in one sorted list: two million small rows
// cost 24 bytes each) and for those a save added since.
class PgRowIdentities {
public:
    void clear();
    void reserve(size_t n) { m_loaded.reserve(n); }
    // During a load, in any order; sealLoad sorts them for look-up.
    void addLoaded(const dorod::TDorodRecordEntry* entry, PgRowIdentity identity);
    void sealLoad();
    void set(const dorod::TDorodRecordEntry* entry, PgRowIdentity identity);
    const PgRowIdentity* find(const dorod::TDorodRecordEntry* entry) const;
    // The highest row known: a row above it is new here.
    int64_t highestRowId() const { return m_highestRowId; }
    // The entries of the rows asked for, where known (one pass over every row known).
    struct Held {
        dorod::TDorodRecordEntry* entry = nullptr;
        int32_t version = 0;
    };
    void findRows(std::unordered_map<int64_t, Held>& rows) const;

private:
    struct Loaded {
        const dorod::TDorodRecordEntry* entry;
        PgRowIdentity identity;
    };
    std::vector<Loaded> m_loaded;
    std::unordered_map<const dorod::TDorodRecordEntry*, PgRowIdentity> m_added;
    int64_t m_highestRowId = 0;
};

// Reads every row of a table into an empty store (fields defined here), in the order they
// were put in; identities, when given, learn the row of each entry.
bool loadRows(PgConnection& connection, const PgTableMap& map, dorod::TDorodCursor& store,
              PgRowIdentities* identities, std::string& message);

class PgTableSource : public dorod::TDorodRecordSource {
public:
    PgTableSource(PgConnection& connection, const PgTableMap& map)
        : m_connection(&connection), m_map(map) {}

    bool LoadRecords(dorod::TDorodCursor& store, std::string& message) override;
    // This table's changes alone, in a transaction of their own (saveChanges writes
    // several tables together).
    bool SaveChanges(dorod::TDorodCursor& store, std::string& message) override;
    // The rows added, changed and deleted since the rows were read or last followed (by
    // any counter; this one's own saves are already in the store and are passed over).
    // A database whose tables were replaced since (an import) needs a whole load.
    bool LoadChanges(dorod::TDorodCursor& store, bool& reloadNeeded, std::string& message) override;

    const PgTableMap& map() const { return m_map; }
    PgConnection& connection() const { return *m_connection; }
    // A new connection after the old one was lost; the rows known stay known.
    void setConnection(PgConnection& connection) { m_connection = &connection; }
    PgRowIdentities& identities() { return m_identities; }
    const PgRowIdentities& identities() const { return m_identities; }
    // The change counter the rows were read (or last followed) at.
    int64_t loadedAtChange() const { return m_loadedAtChange; }

private:
    // Back in the order a whole read gives (by row), after rows arrived out of it.
    void orderByRow(dorod::TDorodCursor& store) const;

    PgConnection* m_connection;
    const PgTableMap& m_map;
    PgRowIdentities m_identities;
    int64_t m_loadedAtChange = 0;
};

} // namespace pgstore
