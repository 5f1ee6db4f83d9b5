// The PostgreSQL the database tests run against: the cluster the test command started
// (VORNELTA_TEST_PG_URL), or, run without it, a throw-away cluster started for this test
// process by scripts/pg-test-cluster.sh and removed at its end. Each test gets a fresh
// database of its own, dropped after it, so that tests running at once never meet.
//
// Without the server programs the tests skip, saying so; in CI (CI=true) they fail.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// The URL of the cluster's maintenance database; empty with why set when there is none.
std::string clusterUrl(std::string& why, bool& mustFail);

// The value of `export NAME='value'` in the cluster script's output.
std::string exported(const std::string& output, const std::string& name);

// Runs the cluster script with these arguments; its standard output, and its exit status.
int runClusterScript(const std::string& args, std::string& output);

class PgTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The fresh database's URL.
    const std::string& url() const { return m_url; }
    // The same URL for a database of another cluster's URL.
    static std::string withDatabase(const std::string& clusterUrl, const std::string& name);

private:
    std::string m_cluster;
    std::string m_name;
    std::string m_url;
};

} // namespace testsupport
