#include "pgsupport/TestDatabase.h"

#include "pgstore/PgConnection.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace testsupport {

namespace {

struct StartedCluster {
    std::string dir;
    std::string url;
    std::string why;
    bool tried = false;
    bool mustFail = false;
    ~StartedCluster() {
        std::string ignored;
        if (!dir.empty()) runClusterScript("remove '" + dir + "'", ignored);
    }
};

StartedCluster& startedCluster() {
    static StartedCluster cluster;
    return cluster;
}

bool runSql(const std::string& url, const std::string& sql, std::string& message) {
    auto connection = pgstore::PgConnection::open(url, message);
    return connection && connection->exec(sql, message);
}

} // namespace

std::string exported(const std::string& output, const std::string& name) {
    const std::string prefix = "export " + name + "='";
    const size_t at = output.find(prefix);
    if (at == std::string::npos) return {};
    const size_t start = at + prefix.size();
    const size_t end = output.find('\'', start);
    return output.substr(start, end - start);
}

int runClusterScript(const std::string& args, std::string& output) {
    const std::string command =
        std::string(VORNELTA_SOURCE_DIR) + "/scripts/pg-test-cluster.sh " + args;
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string clusterUrl(std::string& why, bool& mustFail) {
    const bool inCi = std::getenv("CI") && std::string(std::getenv("CI")) == "true";
    if (const char* url = std::getenv("VORNELTA_TEST_PG_URL"); url && *url) return url;
    StartedCluster& cluster = startedCluster();
    if (!cluster.tried) {
        cluster.tried = true;
        std::string output;
        const int status = runClusterScript("start", output);
        if (status == 0) {
            cluster.dir = exported(output, "VORNELTA_TEST_PG_DIR");
            cluster.url = exported(output, "VORNELTA_TEST_PG_URL");
        } else if (status == 3) {
            cluster.why = "PostgreSQL server programs are not installed: database test skipped";
            cluster.mustFail = inCi;
        } else {
            cluster.why = "the throw-away PostgreSQL cluster did not start";
            cluster.mustFail = true;
        }
    }
    why = cluster.why;
    mustFail = cluster.mustFail;
    return cluster.url;
}

std::string PgTest::withDatabase(const std::string& clusterUrl, const std::string& name) {
    return clusterUrl + (clusterUrl.find('?') == std::string::npos ? "?" : "&") + "dbname=" + name;
}

void PgTest::SetUp() {
    std::string why;
    bool mustFail = false;
    m_cluster = clusterUrl(why, mustFail);
    if (m_cluster.empty()) {
        if (mustFail) FAIL() << why;
        GTEST_SKIP() << why;
    }
    static std::atomic<int> counter{0};
    m_name = "vornelta_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    std::string message;
    ASSERT_TRUE(runSql(m_cluster, "CREATE DATABASE " + m_name, message)) << message;
    m_url = withDatabase(m_cluster, m_name);
}

void PgTest::TearDown() {
    if (m_name.empty()) return;
    std::string message;
    EXPECT_TRUE(runSql(m_cluster, "DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)", message))
        << message;
}

} // namespace testsupport
