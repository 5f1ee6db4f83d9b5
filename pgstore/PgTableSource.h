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

private:
    struct Loaded {
        const dorod::TDorodRecordEntry* entry;
        PgRowIdentity identity;
    };
    std::vector<Loaded> m_loaded;
    std::unordered_map<const dorod::TDorodRecordEntry*, PgRowIdentity> m_added;
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

    const PgTableMap& map() const { return m_map; }
    PgConnection& connection() const { return *m_connection; }
    // A new connection after the old one was lost; the rows known stay known.
    void setConnection(PgConnection& connection) { m_connection = &connection; }
    PgRowIdentities& identities() { return m_identities; }
    const PgRowIdentities& identities() const { return m_identities; }
    // The change counter the rows were read at.
    int64_t loadedAtChange() const { return m_loadedAtChange; }

private:
    PgConnection* m_connection;
    const PgTableMap& m_map;
    PgRowIdentities m_identities;
    int64_t m_loadedAtChange = 0;
};

} // namespace pgstore
