// The desk's tables kept in one PostgreSQL database: data.d's, dates.d's and rielt.d's
// rows behind the same TDorodTable components as on a folder. The desk connects once,
// attaches its tables (which then open from the database), and after each operation
// saves what the operation changed with one call: the announcement and its run days in
// one transaction, all or nothing.
#pragma once

#include "pgstore/PgSave.h"
#include "storage/DorodTable.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pgstore {

class PgDeskTables {
public:
    // Connects and makes the tables that are missing. None, with the message, when the
    // database cannot be reached or refuses.
    static std::unique_ptr<PgDeskTables> connect(const std::string& url, std::string& message);

    // Gives the tables the database as their source (closing them); Open() then reads
    // their rows from it, and Refresh() reads them again.
    void attach(dorod::TDorodTable& data, dorod::TDorodTable& dates, dorod::TDorodTable& rielt);

    // Saves every change the attached tables hold in one transaction. Saved: the changes
    // are settled (settleTable, ApplyChanges by default) and the views show the saved
    // numbers. Anything else: the
    // tables keep their changes for another try, and the message says what happened.
    PgSaveResult saveOperation(const PgSaveHooks* hooks = nullptr);

    // After ConnectionLost or CommitUnknown: connects again. A save whose commit was not
    // known is then looked up: when it went through, the tables drop their (saved)
    // changes and read their rows again; when not, the changes stay to be saved again.
    // False with a message when the database is still out of reach.
    bool reconnect(std::string& message);

    // Listens for the saves of every counter (connect does; again after reconnect).
    bool listen(std::string& message);
    // Whether another counter saved since the tables were read or this desk last asked:
    // then the desk reads its tables again (as on F5). Never waits; the desk asks when
    // socket() is readable or on a timer. This desk's own saves do not count.
    bool othersSaved();
    int socket() const { return m_connection->socket(); }

    // How a saved table takes its changes as saved; ApplyChanges when not set.
    std::function<void(dorod::TDorodTable&)> settleTable;

    // Whether the last save ended with its commit unknown (reconnect settles it).
    bool commitUnknown() const { return m_unknownChange != 0; }
    // What the last reconnect found of a save whose commit was unknown: whether it went
    // through, and then the numbers its new announcements were saved under (proposed,
    // saved) where another counter had taken the proposed one.
    struct SettledSave {
        bool committed = false;
        std::vector<std::pair<int32_t, int32_t>> renumbered;
    };
    std::optional<SettledSave> takeSettledSave() { return std::exchange(m_settled, std::nullopt); }
    PgConnection& connection() { return *m_connection; }

private:
    PgDeskTables(std::string url, std::unique_ptr<PgConnection> connection);
    std::vector<PgTableChanges> changes();
    void settleSaved();

    std::string m_url;
    std::unique_ptr<PgConnection> m_connection;
    PgTableSource m_data, m_dates, m_rielt;
    dorod::TDorodTable* m_tables[3] = {nullptr, nullptr, nullptr};
    int64_t m_unknownChange = 0;
    std::vector<std::pair<int32_t, int32_t>> m_unknownRenumbered;
    std::optional<SettledSave> m_settled;
    std::vector<int64_t> m_ownChanges; // saved here, announced back to us too
};

} // namespace pgstore
