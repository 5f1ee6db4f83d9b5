#include "pgstore/PgTableSource.h"

#include "pgstore/PgSave.h"
#include "pgstore/PgValues.h"
#include "storage/DorodRecord.h"

#include <algorithm>

namespace pgstore {

void PgRowIdentities::clear() {
    m_loaded.clear();
    m_added.clear();
}

void PgRowIdentities::addLoaded(const dorod::TDorodRecordEntry* entry, PgRowIdentity identity) {
    m_loaded.push_back({entry, identity});
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
}

const PgRowIdentity* PgRowIdentities::find(const dorod::TDorodRecordEntry* entry) const {
    const auto it =
        std::lower_bound(m_loaded.begin(), m_loaded.end(), entry,
                         [](const Loaded& l, auto* e) { return std::less<>()(l.entry, e); });
    if (it != m_loaded.end() && it->entry == entry) return &it->identity;
    const auto added = m_added.find(entry);
    return added == m_added.end() ? nullptr : &added->second;
}

bool loadRows(PgConnection& connection, const PgTableMap& map, dorod::TDorodCursor& store,
              PgRowIdentities* identities, std::string& message) {
    if (!store.DefineFields(map.definition->storeFields(), message)) return false;
    if (identities) identities->clear();
    const auto layout = store.Layout();
    dorod::TDorodRecordBuffer buffer(layout);
    const size_t columns = map.columns.size();
    PgCopyReader reader([&](const std::vector<std::optional<std::string_view>>& values,
                            std::string& error) {
        if (values.size() != columns + 2) {
            error = "the database sent " + std::to_string(values.size()) + " columns where " +
                    std::to_string(columns + 2) + " were expected";
            return false;
        }
        if (!values[0] || values[0]->size() != 8 || !values[1] || values[1]->size() != 4) {
            error = "the database sent a row without its key or version";
            return false;
        }
        const PgRowIdentity identity{readBigEndian(*values[0]), int32_t(readBigEndian(*values[1]))};
        buffer.clear();
        for (size_t i = 0; i < columns; ++i) {
            const PgColumn& column = map.columns[i];
            if (!decodeValue(column, layout->fields[size_t(column.storeField)], values[i + 2],
                             buffer.data(), error)) {
                error = "row " + std::to_string(identity.rowId) + ": " + error;
                return false;
            }
        }
        const dorod::TDorodRecordEntry* entry = store.AppendStoredRecord(buffer.data());
        if (identities) identities->addLoaded(entry, identity);
        return true;
    });
    const std::string sql = "COPY (SELECT row_id, row_version, " + map.columnList() + " FROM " +
                            quoteIdent(map.tableName) +
                            " ORDER BY row_id) TO STDOUT (FORMAT binary)";
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

bool PgTableSource::SaveChanges(dorod::TDorodCursor& store, std::string& message) {
    const PgSaveResult result = saveChanges(*m_connection, {{this, &store}});
    message = result.message;
    return result.status == PgSaveStatus::Saved;
}

} // namespace pgstore
