#include "pgstore/PgDeskTables.h"

#include <algorithm>
#include <cstdlib>

namespace pgstore {

PgDeskTables::PgDeskTables(std::string url, std::unique_ptr<PgConnection> connection)
    : m_url(std::move(url)), m_connection(std::move(connection)),
      m_data(*m_connection, announcementMap()), m_dates(*m_connection, runDateMap()),
      m_rielt(*m_connection, realtyMap()) {}

std::unique_ptr<PgDeskTables> PgDeskTables::connect(const std::string& url, std::string& message) {
    std::unique_ptr<PgConnection> connection = PgConnection::open(url, message);
    if (!connection || !ensureSchema(*connection, message)) return nullptr;
    std::unique_ptr<PgDeskTables> desk(new PgDeskTables(url, std::move(connection)));
    if (!desk->listen(message)) return nullptr;
    return desk;
}

void PgDeskTables::attach(dorod::TDorodTable& data, dorod::TDorodTable& dates,
                          dorod::TDorodTable& rielt) {
    m_tables[0] = &data;
    m_tables[1] = &dates;
    m_tables[2] = &rielt;
    data.SetRecordSource(&m_data);
    dates.SetRecordSource(&m_dates);
    rielt.SetRecordSource(&m_rielt);
}

std::vector<PgTableChanges> PgDeskTables::changes() {
    std::vector<PgTableChanges> changes;
    PgTableSource* sources[3] = {&m_data, &m_dates, &m_rielt};
    for (int i = 0; i < 3; ++i) {
        dorod::TDorodTable* table = m_tables[i];
        if (table && table->Active() && table->Store())
            changes.push_back({sources[i], table->Store()});
    }
    return changes;
}

void PgDeskTables::settleSaved() {
    for (dorod::TDorodTable* table : m_tables)
        if (table && table->Active()) {
            if (settleTable)
                settleTable(*table);
            else
                table->ApplyChanges();
        }
}

PgSaveResult PgDeskTables::saveOperation(const PgSaveHooks* hooks) {
    // A pending edit is part of the operation, as a file save posts it first.
    for (dorod::TDorodTable* table : m_tables)
        if (table && table->Active()) table->CheckBrowseMode();
    if (m_unknownChange != 0) {
        PgSaveResult refused;
        refused.status = PgSaveStatus::CommitUnknown;
        refused.change = m_unknownChange;
        refused.message = "whether the last save went through is not known yet; connect to the "
                          "database again first";
        return refused;
    }
    PgSaveResult result = saveChanges(*m_connection, changes(), hooks);
    if (result.status == PgSaveStatus::Saved) {
        settleSaved();
        if (result.change != 0) m_ownChanges.push_back(result.change);
    }
    if (result.status == PgSaveStatus::CommitUnknown) {
        m_unknownChange = result.change;
        m_unknownRenumbered = result.renumbered;
    }
    return result;
}

bool PgDeskTables::reconnect(std::string& message) {
    std::unique_ptr<PgConnection> connection = PgConnection::open(m_url, message);
    if (!connection) return false;
    bool committed = false;
    if (m_unknownChange != 0 && !wasCommitted(*connection, m_unknownChange, committed, message))
        return false;
    m_connection = std::move(connection);
    m_data.setConnection(*m_connection);
    m_dates.setConnection(*m_connection);
    m_rielt.setConnection(*m_connection);
    if (m_unknownChange != 0)
        m_settled = SettledSave{committed,
                                committed ? m_unknownRenumbered : decltype(m_unknownRenumbered){}};
    m_unknownChange = 0;
    m_unknownRenumbered.clear();
    if (!listen(message)) return false;
    if (committed) {
        // Saved, but the new rows' keys never arrived: the tables read their rows again.
        for (dorod::TDorodTable* table : m_tables) {
            if (!table || !table->Active()) continue;
            table->CancelChanges();
            table->Refresh();
        }
    }
    return true;
}

bool PgDeskTables::listen(std::string& message) {
    return m_connection->listen(kChangeChannel, message);
}

bool PgDeskTables::othersSaved() {
    bool others = false;
    for (const std::string& payload : m_connection->takeNotifications()) {
        const int64_t change = std::strtoll(payload.c_str(), nullptr, 10);
        const auto own = std::find(m_ownChanges.begin(), m_ownChanges.end(), change);
        if (own != m_ownChanges.end())
            m_ownChanges.erase(own);
        else
            others = true;
    }
    return others;
}

} // namespace pgstore
