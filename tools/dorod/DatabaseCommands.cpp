#include "tools/dorod/DatabaseCommands.h"

#include "pgstore/PgConnection.h"
#include "pgstore/PgTransfer.h"

#include <filesystem>
#include <ostream>

namespace dorod::tool {

namespace {

void printCounts(std::ostream& out, const char* verb, const pgstore::PgTransferCounts& counts) {
    out << verb << " " << counts.announcements << " announcements, " << counts.runDates
        << " run dates, " << counts.realty << " realty rows\n";
}

} // namespace

int importDesk(const std::string& url, const std::string& folder, bool replace, std::ostream& out,
               std::ostream& err) {
    std::string message;
    if (!std::filesystem::is_directory(folder)) {
        err << "pg-import: " << folder << ": no such folder\n";
        return 1;
    }
    auto connection = pgstore::PgConnection::open(url, message);
    pgstore::PgTransferCounts counts;
    if (!connection || !pgstore::importFolder(*connection, folder, replace, counts, message)) {
        err << "pg-import: " << message << "\n";
        return 1;
    }
    printCounts(out, "imported", counts);
    return 0;
}

int exportDesk(const std::string& url, const std::string& folder, std::ostream& out,
               std::ostream& err) {
    std::string message;
    if (!std::filesystem::is_directory(folder)) {
        err << "pg-export: " << folder << ": no such folder\n";
        return 1;
    }
    auto connection = pgstore::PgConnection::open(url, message);
    pgstore::PgTransferCounts counts;
    if (!connection || !pgstore::exportFolder(*connection, folder, counts, message)) {
        err << "pg-export: " << message << "\n";
        return 1;
    }
    printCounts(out, "exported", counts);
    return 0;
}

} // namespace dorod::tool
