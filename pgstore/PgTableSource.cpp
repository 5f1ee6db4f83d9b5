#include "pgstore/PgTableSource.h"

#include "pgstore/PgSave.h"
#include "pgstore/PgValues.h"
#include "storage/DorodRecord.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace pgstore {

void PgRowIdentities::clear() {
    m_loaded.clear();
    m_added.clear();
    m_highestRowId = 0;
}

void PgRowIdentities::addLoaded(const dorod::TDorodRecordEntry* entry, PgRowIdentity identity) {
    m_loaded.push_back({entry, identity});
    m_highestRowId = std::max(m_highestRowId, identity.rowId);
}

void PgRowIdentities::sealLoad() {
    std::sort(m_loaded.begin(), m_loaded.end(),
              [](const Loaded& a, const Loaded& b) { return std::less<>()(a.entry, b.entry); });
}

void PgRowIdentities::set(const dorod::TDorodRecordEntry* entry, PgRowIdentity identity) {
    const auto it =
        std::lower_bound(m_loaded.begin(), m_loaded.end(), entry,
                         [](const Loaded& l, auto* e) { return std::less<>()(l.entry, e); });
    if (it != m_loaded.end() && it->entry == entry)
        it->identity = identity;
    else
        m_added[entry] = identity;
    m_highestRowId = std::max(m_highestRowId, identity.rowId);
}

void PgRowIdentities::findRows(std::unordered_map<int64_t, Held>& rows) const {
    const auto note = [&](const dorod::TDorodRecordEntry* entry, PgRowIdentity identity) {
        const auto wanted = rows.find(identity.rowId);
        if (wanted != rows.end())
            wanted->second = {const_cast<dorod::TDorodRecordEntry*>(entry), identity.version};
    };
    for (const Loaded& loaded : m_loaded)
        note(loaded.entry, loaded.identity);
    for (const auto& [entry, identity] : m_added)
        note(entry, identity);
}

const PgRowIdentity* PgRowIdentities::find(const dorod::TDorodRecordEntry* entry) const {
    const auto it =
        std::lower_bound(m_loaded.begin(), m_loaded.end(), entry,
                         [](const Loaded& l, auto* e) { return std::less<>()(l.entry, e); });
    if (it != m_loaded.end() && it->entry == entry) return &it->identity;
    const auto added = m_added.find(entry);
    return added == m_added.end() ? nullptr : &added->second;
}

namespace {

// One row as the database sends it (key, version, then the columns) into a record buffer.
bool decodeRow(const PgTableMap& map, const dorod::TDorodRecordLayout& layout,
               const std::vector<std::optional<std::string_view>>& values,
               dorod::TDorodRecordBuffer& buffer, PgRowIdentity& identity, std::string& error) {
    const size_t columns = map.columns.size();
    if (values.size() != columns + 2) {
        error = "the database sent " + std::to_string(values.size()) + " columns where " +
                std::to_string(columns + 2) + " were expected";
        return false;
    }
    if (!values[0] || values[0]->size() != 8 || !values[1] || values[1]->size() != 4) {
        error = "the database sent a row without its key or version";
        return false;
    }
    identity = {readBigEndian(*values[0]), int32_t(readBigEndian(*values[1]))};
    buffer.clear();
    for (size_t i = 0; i < columns; ++i) {
        const PgColumn& column = map.columns[i];
        if (!decodeValue(column, layout.fields[size_t(column.storeField)], values[i + 2],
                         buffer.data(), error)) {
            error = "row " + std::to_string(identity.rowId) + ": " + error;
            return false;
        }
    }
    return true;
}

std::string rowsQuery(const PgTableMap& map) {
    return "SELECT row_id, row_version, " + map.columnList() + " FROM " + quoteIdent(map.tableName);
}

} // namespace

bool loadRows(PgConnection& connection, const PgTableMap& map, dorod::TDorodCursor& store,
              PgRowIdentities* identities, std::string& message) {
    if (!store.DefineFields(map.definition->storeFields(), message)) return false;
    if (identities) identities->clear();
    const auto layout = store.Layout();
    dorod::TDorodRecordBuffer buffer(layout);
    PgCopyReader reader(
        [&](const std::vector<std::optional<std::string_view>>& values, std::string& error) {
            PgRowIdentity identity;
            if (!decodeRow(map, *layout, values, buffer, identity, error)) return false;
            const dorod::TDorodRecordEntry* entry = store.AppendStoredRecord(buffer.data());
            if (identities) identities->addLoaded(entry, identity);
            return true;
        });
    const std::string sql =
        "COPY (" + rowsQuery(map) + " ORDER BY row_id) TO STDOUT (FORMAT binary)";
    std::string error;
    const bool copied = connection.copyOut(
        sql, [&](std::string_view piece) { return reader.feed(piece, error); }, message);
    if (!copied || !reader.finished()) {
        if (!error.empty()) message = error;
        if (message.empty()) message = "the rows ended early";
        message = quoteIdent(map.tableName) + ": " + message;
        // No half-read rows stay.
        static_cast<void>(store.DefineFields(map.definition->storeFields(), error));
        if (identities) identities->clear();
        return false;
    }
    if (identities) identities->sealLoad();
    return true;
}

bool PgTableSource::LoadRecords(dorod::TDorodCursor& store, std::string& message) {
    // The counter first: a save committed while the rows are read is then read again later
    // rather than missed.
    const PgResult counter =
        m_connection->query("SELECT change_counter FROM vornelta_state", {}, message);
    if (!counter.ok()) return false;
    if (!loadRows(*m_connection, m_map, store, &m_identities, message)) return false;
    m_loadedAtChange = counter.integer(0, 0);
    return true;
}

bool PgTableSource::LoadChanges(dorod::TDorodCursor& store, bool& reloadNeeded,
                                std::string& message) {
    reloadNeeded = false;
    const PgResult state =
        m_connection->query("SELECT change_counter, replaced_at FROM vornelta_state", {}, message);
    if (!state.ok()) return false;
    const int64_t counter = state.integer(0, 0);
    // Tables replaced by an import (or a database put back from a copy) since the rows
    // were read hold rows this store cannot be matched with.
    if (state.integer(0, 1) > m_loadedAtChange || counter < m_loadedAtChange) {
        reloadNeeded = true;
        return true;
    }
    if (counter == m_loadedAtChange) return true;

    const std::string since = int64Param(m_loadedAtChange);
    const PgResult rows = m_connection->query(
        rowsQuery(m_map) + " WHERE row_change > $1 ORDER BY row_id", {since}, message, true);
    if (!rows.ok()) return false;
    const PgResult gone = m_connection->query(
        "SELECT row_id FROM vornelta_deleted WHERE table_name = $1 AND change > $2",
        {m_map.tableName, since}, message);
    if (!gone.ok()) return false;

    // Every row is read before the store is touched: one that cannot be read changes
    // nothing.
    struct Arrived {
        PgRowIdentity identity;
        std::unique_ptr<dorod::TDorodRecordBuffer> values;
    };
    std::vector<Arrived> arrived;
    std::unordered_map<int64_t, PgRowIdentities::Held> known;
    const auto layout = store.Layout();
    std::vector<std::optional<std::string_view>> values;
    for (int r = 0; r < rows.rows(); ++r) {
        values.clear();
        for (int c = 0; c < PQnfields(rows.get()); ++c)
            values.push_back(rows.isNull(r, c) ? std::nullopt
                                               : std::optional<std::string_view>(rows.value(r, c)));
        Arrived row{{}, std::make_unique<dorod::TDorodRecordBuffer>(layout)};
        std::string error;
        if (!decodeRow(m_map, *layout, values, *row.values, row.identity, error)) {
            message = quoteIdent(m_map.tableName) + ": " + error;
            return false;
        }
        if (row.identity.rowId <= m_identities.highestRowId()) known[row.identity.rowId] = {};
        arrived.push_back(std::move(row));
    }
    for (int r = 0; r < gone.rows(); ++r)
        known[gone.integer(r, 0)] = {};
    if (!known.empty()) m_identities.findRows(known);

    bool outOfOrder = false;
    for (const Arrived& row : arrived) {
        const auto held = known.find(row.identity.rowId);
        if (held == known.end() || !held->second.entry) {
            // A row saved elsewhere before one this desk saved meanwhile.
            outOfOrder = outOfOrder || row.identity.rowId < m_identities.highestRowId();
            m_identities.set(store.AppendStoredRecord(row.values->data()), row.identity);
        } else if (held->second.version != row.identity.version &&
                   store.ReplaceStoredRecord(held->second.entry, row.values->data())) {
            // (The same version is this desk's own save, already in the store.)
            m_identities.set(held->second.entry, row.identity);
        }
    }
    for (int r = 0; r < gone.rows(); ++r) {
        const auto held = known.find(gone.integer(r, 0));
        if (held != known.end() && held->second.entry) store.RemoveStoredRecord(held->second.entry);
    }
    if (outOfOrder) orderByRow(store);
    m_loadedAtChange = counter;
    return true;
}

void PgTableSource::orderByRow(dorod::TDorodCursor& store) const {
    std::vector<std::pair<int64_t, dorod::TDorodRecordEntry*>> keyed;
    keyed.reserve(store.Entries().size());
    for (dorod::TDorodRecordEntry* entry : store.Entries()) {
        const PgRowIdentity* identity = m_identities.find(entry);
        // Entries of no row (new ones given up) hold no place in the order.
        keyed.emplace_back(identity ? identity->rowId : INT64_MAX, entry);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<dorod::TDorodRecordEntry*> order;
    order.reserve(keyed.size());
    for (const auto& [rowId, entry] : keyed)
        order.push_back(entry);
    store.SetEntryOrder(std::move(order));
}

bool PgTableSource::SaveChanges(dorod::TDorodCursor& store, std::string& message) {
    const PgSaveResult result = saveChanges(*m_connection, {{this, &store}});
    message = result.message;
    return result.status == PgSaveStatus::Saved;
}

} // namespace pgstore
