// The dorod tool driven as an administrator or a script would: create, dump, copy,
// check, and the messages and exit codes of every failure.
#include "DorodRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

using testsupport::TempDir;

using ToolRun = testsupport::DorodRun;
using testsupport::dorod;

std::string readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kAnnouncements = R"({"fields":[
 {"name":"id","type":"Integer"},
 {"name":"indate","type":"Date","default":"TODAY"},
 {"name":"Client","type":"String","size":100},
 {"name":"cat","type":"SmallStr","size":15},
 {"name":"big","type":"Int64"},
 {"name":"povt","type":"Boolean"},
 {"name":"t","type":"Time"},
 {"name":"Summa","type":"Double"},
 {"name":"XML","type":"Memo","qualifier":"Q","extra":"colours"},
 {"name":"pic","type":"Graphic"}],
 "notes":"заметки",
 "records":[
 [2,"2026-12-08","ИВАНОВ, \"И\"","ФИЗЛИЦА",-9223372036854775808,true,"23:59:59.999",0.1,"<<255>>\r\nтекст","AAEC"],
 [1,null,null,null,null,false,null,0,null,null]]})";

TEST(DorodTool, CreateThenDumpGivesTheSameTableAndBytes) {
    TempDir dir;
    const std::string a = dir.file("a.d"), b = dir.file("b.d");
    ASSERT_EQ(dorod({"create", a}, kAnnouncements).status, 0);

    const ToolRun dumped = dorod({"dump", "--json", a});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_NE(dumped.out.find(R"({"name":"XML","type":"Memo","size":0,"qualifier":"Q",)"
                              R"("default":"","extra":"colours"})"),
              std::string::npos)
        << dumped.out;
    EXPECT_NE(dumped.out.find(R"("notes":"заметки")"), std::string::npos);
    // Values in their dump forms, in store order.
    EXPECT_NE(dumped.out.find(R"([2,"2026-12-08","ИВАНОВ, \"И\"","ФИЗЛИЦА",)"
                              R"(-9223372036854775808,true,"23:59:59.999",0.1,)"
                              R"("<<255>>\r\nтекст","AAEC"])"),
              std::string::npos)
        << dumped.out;
    // Null exactly where the dataset reads null: Date, Int64, SmallStr, String, BLOBs;
    // but zero numbers, false and midnight are values.
    EXPECT_NE(dumped.out.find(R"([1,null,null,null,null,false,"00:00:00.000",0,null,null])"),
              std::string::npos)
        << dumped.out;

    ASSERT_EQ(dorod({"create", b}, dumped.out).status, 0);
    EXPECT_EQ(readBytes(a), readBytes(b));
}

TEST(DorodTool, DelimitedDumpsQuoteAndEscape) {
    TempDir dir;
    const std::string a = dir.file("a.d");
    ASSERT_EQ(dorod({"create", a}, kAnnouncements).status, 0);

    const ToolRun csv = dorod({"dump", "--csv", a});
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')),
              "id,indate,Client,cat,big,povt,t,Summa,XML,pic");
    EXPECT_NE(csv.out.find("2,2026-12-08,\"ИВАНОВ, \"\"И\"\"\",ФИЗЛИЦА,"), std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find("\"<<255>>\r\nтекст\""), std::string::npos);
    EXPECT_NE(csv.out.find("\n1,,,,,false,00:00:00.000,0,,\n"), std::string::npos) << csv.out;

    const ToolRun tsv = dorod({"dump", "--tsv", a});
    ASSERT_EQ(tsv.status, 0);
    EXPECT_NE(tsv.out.find("\t<<255>>\\r\\nтекст\t"), std::string::npos) << tsv.out;
}

TEST(DorodTool, FailuresGiveTheEngineMessageAndStatusOne) {
    TempDir dir;
    const std::string missing = dir.file("missing.d");
    ToolRun r = dorod({"dump", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error opening file " + missing + "\n");
    EXPECT_TRUE(r.out.empty());

    const std::string wrongKind = dir.file("wrong.d");
    writeBytes(wrongKind, std::string("\x05\0\0\0X", 5));
    r = dorod({"check", wrongKind});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error opening table: Buffer structure corruption!\n");

    const std::string errorImage = dir.file("error.d");
    writeBytes(errorImage, std::string("\0\0\0\0E", 5) + "disk was full");
    r = dorod({"info", errorImage});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error opening table: disk was full\n");
}

TEST(DorodTool, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate", "a.d"},
                                               {"dump"},
                                               {"dump", "--xml", "a.d"},
                                               {"dump", "--json", "--csv", "a.d"},
                                               {"copy", "a.d"},
                                               {"copy", "a.d", "b.d", "--sort-on"}}) {
        const ToolRun r = dorod(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(DorodTool, CreateRefusesInputThatWouldNotReadBackAndWritesNothing) {
    TempDir dir;
    const std::string out = dir.file("out.d");
    const std::string field = R"({"fields":[{"name":"s","type":"SmallStr","size":3}],"records":)";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{not json", "invalid JSON"},
        {R"({"fields":[]})", "Error creating table (no field descriptions)"},
        // Longer texts are Strings: a SmallStr of 42 would be written with the letter "a".
        {R"({"fields":[{"name":"s","type":"SmallStr","size":42}]})",
         "Field 's': a SmallStr holds 0 to 35 characters, not 42"},
        {R"({"fields":[{"name":"s","type":"SmallStr","size":36}]})", "not 36"},
        {R"({"fields":[{"name":"x","type":"Float"}]})", "\"type\""},
        {field + R"([["abcd"]]})", "longer than 3"},
        {field + R"([["Ω"]]})", "no Windows-1251 code"},
        {field + R"([["a","b"]]})", "array of 1 values"},
        {R"({"fields":[{"name":"n","type":"SmallInt"}],"records":[[40000]]})",
         "not a valid SmallInt"},
        {R"({"fields":[{"name":"d","type":"Date"}],"records":[["2025-02-29"]]})",
         "not a valid Date"},
        {R"({"fields":[{"name":"a","type":"Integer"}],"fields":[]})",
         "invalid JSON: line 1, column 51: key \"fields\" given twice"},
        {"{\"fields\":[{\"name\":\"x\",\"type\":\"Double\"}],\n\"records\":[[1e999]]}",
         "invalid JSON: line 2, column 17: number overflow parsing '1e999'"},
        {R"({"fields":[{"name":"n","type":"Int64"}],"records":[[9223372036854775808]]})",
         "not a valid Int64"},
    };
    for (const auto& [input, expected] : cases) {
        const ToolRun r = dorod({"create", out}, input);
        EXPECT_EQ(r.status, 1) << input;
        EXPECT_NE(r.err.find(expected), std::string::npos) << input << " -> " << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << input;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(DorodTool, CopyKeepsABackupAndSortsOnRequest) {
    TempDir dir;
    const std::string src = dir.file("src.d"), dst = dir.file("dst.d");
    ASSERT_EQ(dorod({"create", src}, kAnnouncements).status, 0);

    ASSERT_EQ(dorod({"copy", src, dst}).status, 0);
    EXPECT_EQ(readBytes(src), readBytes(dst));
    const std::string first = readBytes(dst);

    ASSERT_EQ(dorod({"copy", src, dst, "--backup", "--sort-on", "ID"}).status, 0);
    EXPECT_EQ(readBytes(dir.file("dst.~d")), first);
    const ToolRun dumped = dorod({"dump", "--csv", dst});
    EXPECT_LT(dumped.out.find("\n1,"), dumped.out.find("\n2,")) << dumped.out;

    const ToolRun check = dorod({"check", dst});
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, "OK: 2 records, 10 fields\n");
}

TEST(DorodTool, PartialOpenKeepsTheReadableRecords) {
    TempDir dir;
    const std::string whole = dir.file("whole.d"), cut = dir.file("cut.d");
    ASSERT_EQ(dorod({"create", whole}, kAnnouncements).status, 0);
    const std::string bytes = readBytes(whole);
    // The second record (id 1, nothing but its id) is 10 length bytes and 4 value bytes;
    // the file now ends inside its id.
    writeBytes(cut, bytes.substr(0, bytes.size() - 2));

    EXPECT_EQ(dorod({"check", cut}).err, "Error opening table: Unexpected end of buffer\n");
    const ToolRun partial = dorod({"dump", "--csv", "--partial", cut});
    EXPECT_EQ(partial.status, 0);
    EXPECT_EQ(partial.err, "dorod: Unexpected end of buffer\n");
    EXPECT_NE(partial.out.find("\n2,"), std::string::npos);
    EXPECT_EQ(partial.out.find("\n1,"), std::string::npos);
}

// Sets one environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(DorodTool, HelpAndUsageFollowTheLocale) {
    {
        ScopedEnv lang("LC_ALL", "ru_RU.UTF-8");
        EXPECT_EQ(dorod({"--help"}).out.rfind("использование:\n  dorod info ФАЙЛ", 0), 0u);
        const ToolRun bad = dorod({"dump"});
        EXPECT_EQ(bad.status, 2);
        EXPECT_NE(bad.err.find("использование:"), std::string::npos);
    }
    ScopedEnv lang("LC_ALL", "C");
    const ToolRun help = dorod({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage:\n  dorod info FILE", 0), 0u);
    EXPECT_NE(help.out.find("dorod --help | --version"), std::string::npos);
}

TEST(DorodTool, TheExecutableReportsItsStatus) {
    TempDir dir;
    const std::string command = std::string(DOROD_EXECUTABLE) + " check " + dir.file("none.d") +
                                " 2>" + dir.file("err.txt");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readBytes(dir.file("err.txt")), "Error opening file " + dir.file("none.d") + "\n");
    const int usage = std::system((std::string(DOROD_EXECUTABLE) + " 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(usage), 2);
    const int version = std::system(
        (std::string(DOROD_EXECUTABLE) + " --version >" + dir.file("version.txt")).c_str());
    EXPECT_EQ(WEXITSTATUS(version), 0);
    EXPECT_EQ(readBytes(dir.file("version.txt")).rfind("dorod ", 0), 0u);
}

} // namespace

namespace {

const std::string kRunDates = R"({"fields":[
 {"name":"id","type":"Integer"},{"name":"date","type":"Date"},{"name":"who","type":"SmallStr","size":10}],
 "records":[[3,"2026-12-02","борис"],[1,"2026-12-01","Анна"],[2,"2026-12-02","анна"],
            [1,"2026-12-03","Вера"],[4,"2026-12-01","БОРИС"]]})";

std::string ids(const std::string& csv) {
    // The first column of every data line, joined with spaces.
    std::string out;
    std::istringstream lines(csv);
    std::string row;
    std::getline(lines, row); // header
    while (std::getline(lines, row))
        out += (out.empty() ? "" : " ") + row.substr(0, row.find(','));
    return out;
}

TEST(DorodToolView, DumpShowsTheOrderedRangedView) {
    TempDir dir;
    const std::string file = dir.file("dates.d");
    ASSERT_EQ(dorod({"create", file}, kRunDates).status, 0);

    EXPECT_EQ(ids(dorod({"dump", "--csv", file}).out), "3 1 2 1 4");
    EXPECT_EQ(ids(dorod({"dump", "--csv", "--order", "date;id", file}).out), "1 4 2 3 1");
    EXPECT_EQ(ids(dorod({"dump", "--csv", "--order", "DATE;ID", "--descending", file}).out),
              "1 3 2 4 1");
    // Letter case: upper-case Cyrillic sorts before lower-case unless told otherwise.
    EXPECT_EQ(ids(dorod({"dump", "--csv", "--order", "who", file}).out), "1 4 1 2 3");
    EXPECT_EQ(ids(dorod({"dump", "--csv", "--order", "who;id", "--case-insensitive", file}).out),
              "1 2 3 4 1");

    const ToolRun ranged = dorod({"dump", "--csv", "--order", "date;id", "--range-fields", "date",
                                  "--range", "02.12.2026", "03.12.2026", file});
    EXPECT_EQ(ranged.status, 0) << ranged.err;
    EXPECT_EQ(ids(ranged.out), "2 3 1");
    // Fewer values than range fields compare only the leading fields.
    const ToolRun leading =
        dorod({"dump", "--csv", "--range-fields", "id;date", "--range", "1", "1", file});
    EXPECT_EQ(ids(leading.out), "1 1");
}

TEST(DorodToolView, LocatePrintsTheRecordFoundOrFails) {
    TempDir dir;
    const std::string file = dir.file("dates.d");
    ASSERT_EQ(dorod({"create", file}, kRunDates).status, 0);

    const ToolRun found =
        dorod({"dump", "--csv", "--order", "date;id", "--locate", "date;id=02.12.2026\t3", file});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "id,date,who\n3,2026-12-02,борис\n");

    const ToolRun missing = dorod({"dump", "--locate", "id=9", file});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "not found\n");
    EXPECT_TRUE(missing.out.empty());

    EXPECT_EQ(dorod({"dump", "--range", "1", "2", file}).status, 2);
    EXPECT_EQ(dorod({"dump", "--locate", "id", file}).status, 2);
}

} // namespace

namespace {

TEST(DorodToolView, FilterExpressionSelectsRecords) {
    TempDir dir;
    const std::string file = dir.file("dates.d");
    ASSERT_EQ(dorod({"create", file}, kRunDates).status, 0);

    EXPECT_EQ(ids(dorod({"dump", "--csv", "--filter", "id >= 2 AND id < 4", file}).out), "3 2");
    EXPECT_EQ(ids(dorod({"dump", "--csv", "--filter", "who = 'анна'", file}).out), "2");
    EXPECT_EQ(
        ids(dorod({"dump", "--csv", "--filter", "who = 'анна'", "--filter-case-insensitive", file})
                .out),
        "1 2");
    EXPECT_EQ(ids(dorod({"dump", "--csv", "--filter", "who LIKE '%рис'", file}).out), "3 4");

    const ToolRun unknownField = dorod({"dump", "--filter", "price > 1", file});
    EXPECT_EQ(unknownField.status, 1);
    EXPECT_EQ(unknownField.err, "Field price is not found\n");
    const ToolRun badText = dorod({"dump", "--filter", "id = 'open", file});
    EXPECT_EQ(badText.status, 1);
    EXPECT_FALSE(badText.err.empty());
    EXPECT_TRUE(badText.out.empty());
}

} // namespace
