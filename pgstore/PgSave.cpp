#include "pgstore/PgSave.h"

#include "pgstore/PgValues.h"
#include "storage/DorodRecord.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace pgstore {

namespace {

using dorod::TDorodRecordEntry;
using dorod::TDorodRecordStatus;
namespace record = dorod::record;

// One save: the statements in order, and what the stores learn once it is committed.
class SaveRun {
public:
    SaveRun(PgConnection& connection, PgSaveResult& result)
        : m_connection(connection), m_result(result) {}

    bool run(const std::vector<PgTableChanges>& tables, const PgSaveHooks* hooks);

private:
    struct NewIdentity {
        PgTableSource* source;
        const TDorodRecordEntry* entry;
        PgRowIdentity identity;
    };
    struct NewNumber {
        dorod::TDorodCursor* store;
        TDorodRecordEntry* entry;
        int field;
        int32_t number;
    };

    PgResult query(const std::string& sql, const std::vector<PgParam>& params);
    // Ends the save refused: the transaction is rolled back, nothing is kept.
    bool refuse(PgSaveStatus status, const std::string& message);
    bool settleNumbers(const PgTableChanges& table);
    bool writeTable(const PgTableChanges& table);
    // The values of a record in column order, with its settled number where it has one.
    std::vector<PgParam> valuesOf(const PgTableChanges& table, const TDorodRecordEntry* entry);
    // The number a new row is saved with when it is not the one it proposes.
    std::optional<int32_t> settledNumber(const PgTableChanges& table,
                                         const TDorodRecordEntry* entry) const;
    std::string rowDescription(const PgTableMap& map, const TDorodRecordEntry* entry,
                               dorod::TDorodCursor& store) const;
    void applyCommitted();
    dorod::TDorodCursor* storeOf(const PgTableSource* source) const;

    PgConnection& m_connection;
    PgSaveResult& m_result;
    bool m_failed = false;
    std::string m_error;
    // Announcement numbers: proposed → saved, for the new ones another counter took first.
    std::map<int32_t, int32_t> m_renumbered;
    std::vector<NewIdentity> m_identities;
    std::vector<NewNumber> m_numbers;
    std::vector<PgTableChanges> m_tables;
};

dorod::TDorodCursor* SaveRun::storeOf(const PgTableSource* source) const {
    for (const PgTableChanges& table : m_tables)
        if (table.source == source) return table.store;
    return nullptr;
}

PgResult SaveRun::query(const std::string& sql, const std::vector<PgParam>& params) {
    PgResult result = m_connection.query(sql, params, m_error);
    if (!result.ok()) m_failed = true;
    return result;
}

bool SaveRun::refuse(PgSaveStatus status, const std::string& message) {
    m_result.status = status;
    m_result.message = message;
    m_result.renumbered.clear();
    m_result.rowsWritten = 0;
    if (m_connection.connected()) {
        std::string ignored;
        m_connection.exec("ROLLBACK", ignored);
    }
    return false;
}

std::string SaveRun::rowDescription(const PgTableMap& map, const TDorodRecordEntry* entry,
                                    dorod::TDorodCursor& store) const {
    if (map.numberColumn < 0) return "a row";
    const dorod::TDorodField* field = store.Field(map.columns[size_t(map.numberColumn)].storeField);
    const std::string number = std::to_string(record::getInteger(entry->data(), *field));
    return map.settlesNumbers ? "announcement " + number : "a row of announcement " + number;
}

bool SaveRun::settleNumbers(const PgTableChanges& table) {
    const PgTableMap& map = table.source->map();
    if (!map.settlesNumbers || map.numberColumn < 0) return true;
    const std::string tableName = quoteIdent(map.tableName);
    const std::string column = quoteIdent(map.columns[size_t(map.numberColumn)].name);
    const dorod::TDorodField& field =
        *table.store->Field(map.columns[size_t(map.numberColumn)].storeField);
    int64_t highest = -1; // read when first needed
    std::set<int32_t> used;
    for (TDorodRecordEntry* entry : table.store->ChangedEntries()) {
        if (entry->status != TDorodRecordStatus::Inserted) continue;
        const auto proposed = int32_t(record::getInteger(entry->data(), field));
        bool taken = proposed <= 0 || used.count(proposed) > 0;
        if (!taken) {
            const PgResult found =
                query("SELECT EXISTS (SELECT 1 FROM " + tableName + " WHERE " + column + " = $1)",
                      {int32Param(proposed)});
            if (m_failed) return false;
            taken = found.value(0, 0) == "t";
        }
        int32_t number = proposed;
        if (taken) {
            if (highest < 0) {
                const PgResult max =
                    query("SELECT coalesce(max(" + column + "), 0) FROM " + tableName, {});
                if (m_failed) return false;
                highest = max.integer(0, 0);
            }
            const int32_t usedHighest = used.empty() ? 0 : *used.rbegin();
            number = int32_t(std::max<int64_t>(highest, usedHighest) + 1);
            m_renumbered[proposed] = number;
            m_numbers.push_back(
                {table.store, entry, map.columns[size_t(map.numberColumn)].storeField, number});
        }
        used.insert(number);
    }
    return true;
}

std::vector<PgParam> SaveRun::valuesOf(const PgTableChanges& table,
                                       const TDorodRecordEntry* entry) {
    const PgTableMap& map = table.source->map();
    std::vector<PgParam> values;
    values.reserve(map.columns.size());
    for (size_t i = 0; i < map.columns.size(); ++i) {
        const PgColumn& column = map.columns[i];
        const dorod::TDorodField& field = *table.store->Field(column.storeField);
        if (int(i) == map.numberColumn && entry->status == TDorodRecordStatus::Inserted) {
            if (const std::optional<int32_t> number = settledNumber(table, entry)) {
                values.emplace_back(int32Param(*number));
                continue;
            }
        }
        values.push_back(encodeValue(column, field, entry->data()));
    }
    return values;
}

std::optional<int32_t> SaveRun::settledNumber(const PgTableChanges& table,
                                              const TDorodRecordEntry* entry) const {
    const PgTableMap& map = table.source->map();
    // A new announcement given another number takes it…
    if (map.settlesNumbers) {
        for (const NewNumber& n : m_numbers)
            if (n.entry == entry) return n.number;
        return std::nullopt;
    }
    // …and the run days added with it follow.
    const dorod::TDorodField& field =
        *table.store->Field(map.columns[size_t(map.numberColumn)].storeField);
    const auto renumbered = m_renumbered.find(int32_t(record::getInteger(entry->data(), field)));
    if (renumbered == m_renumbered.end()) return std::nullopt;
    return renumbered->second;
}

bool SaveRun::writeTable(const PgTableChanges& table) {
    const PgTableMap& map = table.source->map();
    const std::string tableName = quoteIdent(map.tableName);
    const size_t n = map.columns.size();
    std::string insert =
        "INSERT INTO " + tableName + " (" + map.columnList() + ", row_change) VALUES (";
    std::string update = "UPDATE " + tableName + " SET ";
    for (size_t i = 0; i < n; ++i) {
        insert += "$" + std::to_string(i + 1) + ", ";
        update += quoteIdent(map.columns[i].name) + " = $" + std::to_string(i + 1) + ", ";
    }
    insert += "$" + std::to_string(n + 1) + ") RETURNING row_id, row_version";
    update += "row_version = row_version + 1, row_change = $" + std::to_string(n + 1) +
              " WHERE row_id = $" + std::to_string(n + 2) + " AND row_version = $" +
              std::to_string(n + 3) + " RETURNING row_version";
    const std::string remove =
        "DELETE FROM " + tableName + " WHERE row_id = $1 AND row_version = $2";
    const std::string change = int64Param(m_result.change);

    for (TDorodRecordEntry* entry : table.store->ChangedEntries()) {
        const TDorodRecordStatus status = entry->status;
        if (status == TDorodRecordStatus::Clean || status == TDorodRecordStatus::Discarded)
            continue;
        if (status == TDorodRecordStatus::Inserted) {
            std::vector<PgParam> params = valuesOf(table, entry);
            params.emplace_back(change);
            const PgResult added = query(insert, params);
            if (m_failed) return false;
            m_identities.push_back(
                {table.source, entry, {added.integer(0, 0), int32_t(added.integer(0, 1))}});
            ++m_result.rowsWritten;
            continue;
        }
        const PgRowIdentity* identity = table.source->identities().find(entry);
        if (!identity)
            return refuse(PgSaveStatus::Failed,
                          map.fileName() + ": a changed row was not read from the database; " +
                              "nothing was saved");
        if (status == TDorodRecordStatus::Modified) {
            std::vector<PgParam> params = valuesOf(table, entry);
            params.emplace_back(change);
            params.emplace_back(int64Param(identity->rowId));
            params.emplace_back(int32Param(identity->version));
            const PgResult updated = query(update, params);
            if (m_failed) return false;
            if (updated.rows() != 1)
                return refuse(PgSaveStatus::Conflict,
                              map.fileName() + ": " + rowDescription(map, entry, *table.store) +
                                  " was changed at another counter since it was read; nothing "
                                  "was saved");
            m_identities.push_back(
                {table.source, entry, {identity->rowId, int32_t(updated.integer(0, 0))}});
        } else { // Deleted
            const PgResult removed =
                query(remove, {int64Param(identity->rowId), int32Param(identity->version)});
            if (m_failed) return false;
            if (removed.affected() != 1)
                return refuse(PgSaveStatus::Conflict,
                              map.fileName() + ": " + rowDescription(map, entry, *table.store) +
                                  " was changed or deleted at another counter since it was read; "
                                  "nothing was saved");
            query("INSERT INTO vornelta_deleted (table_name, row_id, change) VALUES ($1, $2, $3)",
                  {map.tableName, int64Param(identity->rowId), change});
            if (m_failed) return false;
        }
        ++m_result.rowsWritten;
    }
    return true;
}

void SaveRun::applyCommitted() {
    for (const NewIdentity& added : m_identities)
        added.source->identities().set(added.entry, added.identity);
    // The settled numbers replace the proposals in the stores: in the new announcements
    // and in the run days added with them.
    std::vector<NewNumber> numbers = m_numbers;
    for (const NewIdentity& added : m_identities) {
        const PgTableMap& map = added.source->map();
        if (m_renumbered.empty() || map.settlesNumbers || map.numberColumn < 0) continue;
        auto* entry = const_cast<TDorodRecordEntry*>(added.entry);
        if (entry->status != TDorodRecordStatus::Inserted) continue;
        dorod::TDorodCursor* store = storeOf(added.source);
        const int field = map.columns[size_t(map.numberColumn)].storeField;
        const auto number = int32_t(record::getInteger(entry->data(), *store->Field(field)));
        const auto renumbered = m_renumbered.find(number);
        if (renumbered != m_renumbered.end())
            numbers.push_back({store, entry, field, renumbered->second});
    }
    for (const NewNumber& n : numbers) {
        dorod::TDorodRecordBuffer buffer(n.store->Layout());
        buffer.assign(n.entry->data());
        record::setInt32(buffer.data(), *n.store->Field(n.field), n.number);
        TDorodRecordEntry* entry = n.entry;
        std::string ignored;
        n.store->PostRecord(buffer.data(), entry, ignored);
    }
    for (const auto& [proposed, saved] : m_renumbered)
        m_result.renumbered.emplace_back(proposed, saved);
}

bool SaveRun::run(const std::vector<PgTableChanges>& tables, const PgSaveHooks* hooks) {
    m_tables = tables;
    const auto lost = [&](const std::string& what) {
        if (!m_connection.connected())
            return refuse(PgSaveStatus::ConnectionLost,
                          "the connection to the database was lost (" + m_error + ") " + what +
                              "; nothing was saved");
        return refuse(PgSaveStatus::Failed,
                      "the database refused the save: " + m_error + "; nothing was saved");
    };
    if (!m_connection.exec("BEGIN", m_error)) {
        m_failed = true;
        return lost("before the save began");
    }
    query("SELECT pg_advisory_xact_lock(" + std::to_string(kDeskLockKey) + ")", {});
    if (m_failed) return lost("while waiting for the other counters");
    const PgResult counter = query(
        "UPDATE vornelta_state SET change_counter = change_counter + 1 RETURNING change_counter",
        {});
    if (m_failed) return lost("while the save began");
    m_result.change = counter.integer(0, 0);
    for (const PgTableChanges& table : tables) {
        if (!settleNumbers(table)) return lost("while the number was settled");
    }
    for (const PgTableChanges& table : tables) {
        if (!writeTable(table)) return m_failed ? lost("while the rows were written") : false;
    }
    const std::string change = int64Param(m_result.change);
    query("INSERT INTO vornelta_saves (change) VALUES ($1)", {change});
    if (m_failed) return lost("while the save was recorded");
    query("SELECT pg_notify($1, $2)",
          {std::string(kChangeChannel), std::to_string(m_result.change)});
    if (m_failed) return lost("while the other counters were told");
    if (hooks && hooks->beforeCommit) hooks->beforeCommit();
    bool committed = m_connection.exec("COMMIT", m_error);
    if (committed && hooks && hooks->afterCommit)
        committed = hooks->afterCommit(m_connection, m_error);
    if (!committed) {
        if (!m_connection.connected()) {
            m_result.status = PgSaveStatus::CommitUnknown;
            m_result.message = "the connection to the database was lost (" + m_error +
                               ") while the save was being committed; whether it was saved is "
                               "known once the database is reached again";
            // The numbers it was being saved under, should it turn out saved.
            m_result.renumbered.assign(m_renumbered.begin(), m_renumbered.end());
            return false;
        }
        m_failed = true;
        return lost("at the commit");
    }
    applyCommitted();
    m_result.status = PgSaveStatus::Saved;
    return true;
}

} // namespace

PgSaveResult saveChanges(PgConnection& connection, const std::vector<PgTableChanges>& tables,
                         const PgSaveHooks* hooks) {
    PgSaveResult result;
    const bool anyChange = std::any_of(tables.begin(), tables.end(), [](const PgTableChanges& t) {
        const auto& entries = t.store->ChangedEntries();
        return std::any_of(entries.begin(), entries.end(), [](const TDorodRecordEntry* e) {
            return e->status == TDorodRecordStatus::Inserted ||
                   e->status == TDorodRecordStatus::Modified ||
                   e->status == TDorodRecordStatus::Deleted;
        });
    });
    if (!anyChange) {
        result.status = PgSaveStatus::Saved;
        return result;
    }
    SaveRun(connection, result).run(tables, hooks);
    return result;
}

bool wasCommitted(PgConnection& connection, int64_t change, bool& committed, std::string& message) {
    const PgResult found =
        connection.query("SELECT EXISTS (SELECT 1 FROM vornelta_saves WHERE change = $1)",
                         {int64Param(change)}, message);
    if (!found.ok()) return false;
    committed = found.value(0, 0) == "t";
    return true;
}

} // namespace pgstore
