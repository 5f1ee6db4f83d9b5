// vornelta-demo run as a user would: the folder it fills must open in the program and
// hold data that agree with each other, and it must never overwrite a desk's files
// unasked. The tables are read back with the engine; config.INI byte by byte.
#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "storage/Win1251.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

#ifndef VORNELTA_DEMO_EXECUTABLE

TEST(DemoData, NeedsTheDemoMaker) {
    GTEST_SKIP() << "built without VORNELTA_DEMO_EXECUTABLE (the path of vornelta-demo)";
}

#else

using testsupport::TempDir;
namespace fs = std::filesystem;

struct DemoRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Runs vornelta-demo with these arguments (paths without blanks or quotes).
// Runs the demo maker; messages in English unless the locale is given.
DemoRun demo(const std::string& args, const std::string& locale = "C") {
    static TempDir logs;
    const std::string out = logs.file("out.txt"), err = logs.file("err.txt");
    const std::string command = "LC_ALL=" + locale + " " + std::string(VORNELTA_DEMO_EXECUTABLE) +
                                " " + args + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    DemoRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readBytes(out);
    r.err = readBytes(err);
    return r;
}

std::string cp1251(std::string_view utf8) {
    std::string out;
    EXPECT_TRUE(dorod::win1251::fromUtf8(utf8, out)) << utf8;
    return out;
}

// A table read back through the engine, its rows as field name -> stored record.
struct Table {
    dorod::TDorodTable table;
    explicit Table(const std::string& path) {
        table.SetTableName(path);
        table.Open();
    }
    const dorod::TDorodField& field(const char* name) {
        const dorod::TDorodField* f = table.Store()->FindField(name);
        if (!f) throw std::runtime_error(std::string("no field ") + name);
        return *f;
    }
    std::vector<const uint8_t*> rows() const {
        std::vector<const uint8_t*> out;
        for (const dorod::TDorodRecordEntry* e : table.Store()->Entries())
            if (e->isLive()) out.push_back(e->data());
        return out;
    }
    // "name Type" per field, in file order.
    std::vector<std::string> layout() const {
        std::vector<std::string> out;
        for (int i = 0; i < table.Store()->FieldCount(); ++i) {
            const dorod::TDorodField& f = *table.Store()->Field(i);
            out.push_back(f.name + " " + std::string(dorod::fieldTypeName(f.type)));
        }
        return out;
    }
};

int countWords(std::string_view text) {
    int words = 0;
    size_t token = 0;
    for (char c : std::string(text) + " ") {
        if (c != ' ') {
            ++token;
            continue;
        }
        if (token >= 4) ++words;
        token = 0;
    }
    return words;
}

// Reads colour runs in their stored form: a marker alone on the first line, the first
// run on the second, then one line per further run, opened by its marker. Not
// wellFormed when the value differs from that form.
struct Runs {
    bool wellFormed = false;
    std::string text;
    std::vector<int> colours;
};

Runs readRuns(const std::string& xml) {
    Runs r;
    std::vector<std::string> lines;
    for (size_t from = 0;;) {
        const size_t crlf = xml.find("\r\n", from);
        lines.push_back(
            xml.substr(from, crlf == std::string::npos ? std::string::npos : crlf - from));
        if (crlf == std::string::npos) break;
        from = crlf + 2;
    }
    // "<<n>>" at the start of a line: the colour and the rest of the line.
    const auto marker = [](const std::string& line, int& colour, std::string& rest) {
        const size_t close = line.find(">>");
        if (line.rfind("<<", 0) != 0 || close == std::string::npos || close == 2) return false;
        const std::string digits = line.substr(2, close - 2);
        if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
        colour = std::stoi(digits);
        rest = line.substr(close + 2);
        return true;
    };
    int colour = 0;
    std::string rest;
    if (lines.size() < 2 || !marker(lines[0], colour, rest) || !rest.empty()) return r;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string run = lines[i];
        if (i >= 2 && !marker(lines[i], colour, run)) return r;
        if (run.find_first_of("\r\n<>") != std::string::npos) return r;
        r.text += run;
        r.colours.insert(r.colours.end(), run.size(), colour);
    }
    r.wellFormed = true;
    return r;
}

const char kTodayText[] = "2024-03-15";

class DemoFolder : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        s_folder = (s_dir->path() / "desk" / "new").string(); // two levels missing
        s_run = new DemoRun(demo(s_folder + " --today " + kTodayText));
    }
    static void TearDownTestSuite() {
        delete s_run;
        delete s_dir;
    }
    static std::string file(const char* name) { return (fs::path(s_folder) / name).string(); }

    static TempDir* s_dir;
    static std::string s_folder;
    static DemoRun* s_run;
};
TempDir* DemoFolder::s_dir = nullptr;
std::string DemoFolder::s_folder;
DemoRun* DemoFolder::s_run = nullptr;

TEST_F(DemoFolder, CreatesTheFolderWithEveryFileTheProgramOpens) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    for (const char* name : {"data.d", "dates.d", "rielt.d", "rielt_out.d", "config.INI"})
        EXPECT_TRUE(fs::is_regular_file(file(name))) << name;
    for (const char* folder : {"Шаблоны", "Тексты", "Отчеты"})
        EXPECT_TRUE(fs::is_directory(fs::path(s_folder) / folder)) << folder;
    // No temporary file of the atomic writes is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(s_folder), fs::directory_iterator()), 8);
}

// As at a first start: the sample announcement templates and the report templates that
// come with the program are in the folder.
TEST_F(DemoFolder, HoldsTheShippedTemplatesAsAFirstStartDoes) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    int shipped = 0;
    for (const char* folder : {"Шаблоны", "Отчеты"}) {
        for (const auto& entry :
             fs::directory_iterator(fs::path(VORNELTA_RESOURCES_DIR) / folder)) {
            ++shipped;
            const fs::path copy = fs::path(s_folder) / folder / entry.path().filename();
            EXPECT_EQ(readBytes(copy.string()), readBytes(entry.path().string())) << copy;
        }
    }
    EXPECT_GT(shipped, 2);
}

TEST_F(DemoFolder, TablesHaveTheProgramsFields) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    EXPECT_EQ(Table(file("data.d")).layout(),
              (std::vector<std::string>{"id Integer", "indate Date", "Client String",
                                        "Pasport String", "Tel String", "Text String",
                                        "ClientCat SmallStr", "Oplata SmallStr", "ObjCat String",
                                        "type SmallStr", "temp Integer", "slov Integer",
                                        "povt Boolean", "XML Memo", "Summa Double"}));
    EXPECT_EQ(Table(file("dates.d")).layout(),
              (std::vector<std::string>{"id Integer", "date Date"}));
    Table rielt(file("rielt.d")), rieltOut(file("rielt_out.d"));
    EXPECT_EQ(rielt.layout(), (std::vector<std::string>{"date DateTime", "tip SmallStr",
                                                        "vid SmallStr", "text Memo"}));
    EXPECT_EQ(rieltOut.layout(), (std::vector<std::string>{"date DateTime", "vid SmallStr",
                                                           "tip SmallStr", "text Memo"}));
    EXPECT_TRUE(rielt.rows().empty());
    EXPECT_TRUE(rieltOut.rows().empty());
}

TEST_F(DemoFolder, AnnouncementsAreNumberedOnceAndTakenUpToToday) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    Table data(file("data.d"));
    const auto& id = data.field("id");
    const auto& indate = data.field("indate");
    const std::vector<const uint8_t*> rows = data.rows();
    ASSERT_EQ(rows.size(), 300u);
    const int32_t today = dorod::dayNumberFromCivil(2024, 3, 15);
    std::set<int32_t> ids;
    int32_t previousDay = 0;
    for (const uint8_t* r : rows) {
        EXPECT_TRUE(ids.insert(dorod::record::getInt32(r, id)).second) << "id used twice";
        const int32_t day = dorod::record::getInt32(r, indate);
        EXPECT_LE(day, today);
        EXPECT_GT(day, today - 120); // about four months
        EXPECT_GE(day, previousDay) << "intake days rise with the ids";
        previousDay = day;
    }
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(*ids.rbegin(), 300);
    EXPECT_EQ(previousDay, today) << "the last announcement is taken today";
}

TEST_F(DemoFolder, RunDaysBelongToAnnouncementsAndStartOnTheIntakeDay) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    Table data(file("data.d")), dates(file("dates.d"));
    std::map<int32_t, int32_t> intake;
    for (const uint8_t* r : data.rows())
        intake[dorod::record::getInt32(r, data.field("id"))] =
            dorod::record::getInt32(r, data.field("indate"));
    std::map<int32_t, int> daysOf;
    const int32_t today = dorod::dayNumberFromCivil(2024, 3, 15);
    bool runsAfterToday = false;
    for (const uint8_t* r : dates.rows()) {
        const int32_t id = dorod::record::getInt32(r, dates.field("id"));
        const int32_t day = dorod::record::getInt32(r, dates.field("date"));
        ASSERT_EQ(intake.count(id), 1u) << "run date of no announcement: " << id;
        EXPECT_GE(day, intake[id]) << "announcement " << id;
        runsAfterToday |= day > today;
        ++daysOf[id];
    }
    EXPECT_EQ(daysOf.size(), intake.size()) << "every announcement runs on some day";
    EXPECT_TRUE(runsAfterToday) << "recent announcements are still on air";
}

TEST_F(DemoFolder, FieldValuesAreWhatTheDeskStores) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    Table data(file("data.d")), dates(file("dates.d"));
    std::map<int32_t, int> daysOf;
    for (const uint8_t* r : dates.rows())
        ++daysOf[dorod::record::getInt32(r, dates.field("id"))];
    const std::set<std::string> clientCats{cp1251("ФИЗЛИЦА"), cp1251("ПРЕДПРИНИМАТЕЛИ"),
                                           cp1251("ЮРЛИЦА")};
    const std::set<std::string> payments{cp1251("НАЛИЧНЫЙ"), cp1251("БЕЗНАЛИЧНЫЙ"),
                                         cp1251("ВЗАИМОРАСЧЕТ"), cp1251("БЕСПЛАТНО")};
    const std::set<std::string> subjects{cp1251("ПРОЧЕЕ"), cp1251("НЕДВИЖИМОСТЬ"),
                                         cp1251("АВТОТРАНСПОРТ"), cp1251("УСЛУГИ")};
    const std::set<int> colours{0, 8388608, 8388736, 32768, 255, 33023, 65535, 16777215};
    std::set<int> coloursSeen;
    std::set<std::string> clients;
    using namespace dorod::record;
    for (const uint8_t* r : data.rows()) {
        const int32_t id = getInt32(r, data.field("id"));
        SCOPED_TRACE("announcement " + std::to_string(id));
        const std::string text(getText(r, data.field("Text")));
        const std::string client(getText(r, data.field("Client")));
        EXPECT_FALSE(client.empty());
        EXPECT_EQ(client, dorod::win1251::toUpper(client)) << "clients are typed in capitals";
        clients.insert(client);
        EXPECT_LE(text.size(), 600u);
        EXPECT_EQ(text.find_first_of("\r\n<>"), std::string::npos);
        EXPECT_EQ(clientCats.count(std::string(getText(r, data.field("ClientCat")))), 1u);
        const std::string payment(getText(r, data.field("Oplata")));
        EXPECT_EQ(payments.count(payment), 1u);
        EXPECT_EQ(subjects.count(std::string(getText(r, data.field("ObjCat")))), 1u);
        EXPECT_EQ(getText(r, data.field("type")), cp1251("БЕГУЩАЯ СТРОКА"));
        EXPECT_EQ(getInt32(r, data.field("temp")), 1);
        const int words = getInt32(r, data.field("slov"));
        EXPECT_EQ(words, countWords(text));

        // The price the entry form proposes with the sample prices (6 a word and day,
        // 15 for the repeated telephone); nothing for a free announcement.
        const bool povt = getBoolean(r, data.field("povt"));
        const double expected =
            payment == cp1251("БЕСПЛАТНО") ? 0.0 : daysOf[id] * words * 6.0 + (povt ? 15.0 : 0.0);
        EXPECT_DOUBLE_EQ(getDouble(r, data.field("Summa")), expected);

        const Runs runs = readRuns(std::string(getText(r, data.field("XML"))));
        ASSERT_TRUE(runs.wellFormed) << getText(r, data.field("XML"));
        EXPECT_EQ(runs.text, text) << "the runs hold the text";
        for (int c : runs.colours) {
            EXPECT_EQ(colours.count(c), 1u) << c;
            coloursSeen.insert(c);
        }
    }
    EXPECT_GT(coloursSeen.size(), 2u) << "some texts are coloured";
    EXPECT_LT(clients.size(), 300u) << "regular clients come back";
}

TEST_F(DemoFolder, ConfigIsWindows1251WithCrLfAndSamplePrices) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    const std::string ini = readBytes(file("config.INI"));
    for (size_t i = 0; i < ini.size(); ++i) {
        if (ini[i] == '\n') {
            ASSERT_TRUE(i > 0 && ini[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    ASSERT_GE(ini.size(), 2u);
    EXPECT_EQ(ini.substr(ini.size() - 2), "\r\n");
    EXPECT_EQ(ini.rfind("[General]\r\n", 0), 0u);
    EXPECT_NE(ini.find("\r\nNAME=" + cp1251("ТРК «Златогорск»: бегущая строка") + "\r\n"),
              std::string::npos);
    for (const char* line : {"WordPrice=6", "WordPriceP=8", "WordPriceUr=10", "PricePovtor=15",
                             "SymKol=600", "OutDev=A:", "XProb=3", "BlockDelay=30"})
        EXPECT_NE(ini.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line;
    EXPECT_NE(ini.find("\r\nStringFirst=" + cp1251("Бегущая строка.")), std::string::npos);
}

TEST(DemoData, RefusesToReplaceADesksFilesUnlessForced) {
    TempDir dir;
    const std::string folder = dir.path().string();
    ASSERT_EQ(demo(folder + " --today 2024-03-15").status, 0);
    const std::string data = readBytes(dir.file("data.d"));
    const std::string dates = readBytes(dir.file("dates.d"));
    std::ofstream(dir.file("config.INI"), std::ios::binary) << "[General]\r\nNAME=OWN\r\n";

    const DemoRun refused = demo(folder + " --today 2024-03-15 --seed 7");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(dir.file("data.d")), data);
    EXPECT_EQ(readBytes(dir.file("dates.d")), dates);
    EXPECT_EQ(readBytes(dir.file("config.INI")), "[General]\r\nNAME=OWN\r\n");

    const DemoRun forced = demo(folder + " --today 2024-03-15 --seed 7 --force");
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(readBytes(dir.file("data.d")), data);
    EXPECT_EQ(readBytes(dir.file("config.INI")).find("NAME=OWN"), std::string::npos);
}

TEST(DemoData, OneExistingTableIsEnoughToRefuse) {
    TempDir dir;
    std::ofstream(dir.file("rielt.d"), std::ios::binary) << "keep";
    EXPECT_EQ(demo(dir.path().string()).status, 1);
    EXPECT_EQ(readBytes(dir.file("rielt.d")), "keep");
    EXPECT_FALSE(fs::exists(dir.file("data.d")));
}

TEST(DemoData, SameOptionsGiveTheSameFiles) {
    TempDir a, b;
    ASSERT_EQ(demo(a.path().string() + " --today 2024-03-15 --seed 11").status, 0);
    ASSERT_EQ(demo(b.path().string() + " --today=2024-03-15 --seed=11").status, 0);
    for (const char* name : {"data.d", "dates.d", "config.INI"})
        EXPECT_EQ(readBytes(a.file(name)), readBytes(b.file(name))) << name;
}

TEST(DemoData, WrongArgumentsAreUsageErrors) {
    TempDir dir;
    for (const std::string& args :
         {std::string(), dir.path().string() + " --bogus", dir.path().string() + " --seed x",
          dir.path().string() + " --today 15.03.2024", dir.path().string() + " other"}) {
        const DemoRun r = demo(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
    EXPECT_FALSE(fs::exists(dir.file("data.d")));
}

TEST(DemoData, HelpAndVersionInTheLocalesLanguage) {
    const DemoRun en = demo("--help");
    EXPECT_EQ(en.status, 0);
    EXPECT_EQ(en.out.rfind("usage: vornelta-demo FOLDER", 0), 0u) << en.out;
    const DemoRun ru = demo("--help", "ru_RU.UTF-8");
    EXPECT_EQ(ru.status, 0);
    EXPECT_EQ(ru.out.rfind("использование: vornelta-demo ПАПКА", 0), 0u) << ru.out;
    const DemoRun ruError = demo("--bogus", "ru_RU.UTF-8");
    EXPECT_EQ(ruError.status, 2);
    EXPECT_NE(ruError.err.find("использование:"), std::string::npos);
    const DemoRun version = demo("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vornelta-demo ", 0), 0u) << version.out;
}

#endif

} // namespace
