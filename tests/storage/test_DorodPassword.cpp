// Password-protected tables: what is written, how the password is found on opening,
// and that wrong passwords and damaged files never expose plain records.
#include "storage/DorodDatabase.h"
#include "storage/DorodTable.h"
#include "storage/FileIo.h"
#include "storage/Win1251.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace dorod;
using testsupport::cp1251;
using testsupport::TempDir;

const std::string kSecretText = "ЖИЛЬЕ В ЦЕНТРЕ"; // stored as Windows-1251

class PasswordTest : public ::testing::Test {
protected:
    void SetUp() override { resetSession(); }
    void TearDown() override { resetSession(); }

    static void resetSession() {
        TDorodSession& s = TDorodSession::Instance();
        s.ClearPasswords();
        s.OnPasswordPrompt = nullptr;
        s.OnWrongPassword = nullptr;
        s.BuiltInPasswordPrompt = nullptr;
        s.OnShowMessage = nullptr;
        s.PasswordTries = 3;
    }

    // Writes a one-record table with the given password and forgets the password.
    std::string writeTable(const std::string& name, const std::string& password) {
        const std::string path = dir.file(name);
        TDorodTable table;
        table.FieldDefs = {{"id", TFieldType::ftInteger, 0}, {"Text", TFieldType::ftString, 100}};
        table.Open();
        table.Insert();
        table.FieldByName("id").SetAsInteger(7);
        table.FieldByName("Text").SetAsString(cp1251(kSecretText));
        table.Post();
        table.SetPassword(password);
        table.SaveToFile(path);
        table.Close();
        TDorodSession::Instance().ClearPasswords();
        return path;
    }

    std::string openText(const std::string& path, const std::string& password = "") {
        TDorodTable table;
        table.SetTableName(path);
        if (!password.empty()) table.SetPassword(password);
        table.Open();
        return win1251::toUtf8(table.FieldByName("Text").AsString());
    }

    TempDir dir;
};

TEST_F(PasswordTest, EncipheredFileKeepsHeaderPlainAndRecordsHidden) {
    const std::string path = writeTable("p.d", cp1251("ключ"));
    std::string first, second, error;
    ASSERT_TRUE(fileio::readFile(path, first, error));
    EXPECT_EQ(first[4], 'P');
    EXPECT_NE(first.find("XXX.Text s100"), std::string::npos);     // descriptions readable
    EXPECT_EQ(first.find(cp1251(kSecretText)), std::string::npos); // records are not

    // Each save draws a new key: the same data enciphers differently, the header not.
    writeTable("p.d", cp1251("ключ"));
    ASSERT_TRUE(fileio::readFile(path, second, error));
    // The description section ends with its separator, after the 40-byte key block.
    const size_t headerEnd = first.find('\x14', 45) + 1;
    EXPECT_EQ(first.substr(45, headerEnd - 45), second.substr(45, headerEnd - 45));
    EXPECT_NE(first.substr(5, 40), second.substr(5, 40));
    EXPECT_NE(first.substr(headerEnd), second.substr(headerEnd));

    EXPECT_EQ(openText(path, cp1251("ключ")), kSecretText);
}

TEST_F(PasswordTest, PromptAllowsThreeTriesAndShowsTheMessageTwice) {
    const std::string path = writeTable("p.d", "right");
    TDorodSession& s = TDorodSession::Instance();
    std::vector<std::string> shown;
    s.OnShowMessage = [&](const std::string& text) { shown.push_back(text); };
    std::vector<std::string> prefilled;
    int asked = 0;
    s.BuiltInPasswordPrompt = [&](std::string& password) {
        prefilled.push_back(password);
        password = "wrong" + std::to_string(++asked);
        return true;
    };
    try {
        openText(path);
        FAIL() << "a wrong password opened the table";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Error opening table: Invalid password. Table cannot be open");
    }
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(shown, std::vector<std::string>(2, "Password is invalid. Try again"));
    // The prompt shows the previous attempt.
    EXPECT_EQ(prefilled, (std::vector<std::string>{"", "wrong1", "wrong2"}));

    // A right answer on the second try opens it, and the password becomes known.
    asked = 0;
    shown.clear();
    s.BuiltInPasswordPrompt = [&](std::string& password) {
        password = ++asked == 1 ? "nope" : "right";
        return true;
    };
    EXPECT_EQ(openText(path), kSecretText);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(s.KnownPasswords(), std::vector<std::string>{"right"});

    // A second table with the same password opens without asking.
    const std::string other = writeTable("q.d", "right");
    s.AddPassword("right");
    asked = 0;
    EXPECT_EQ(openText(other), kSecretText);
    EXPECT_EQ(asked, 0);
}

TEST_F(PasswordTest, HandlersReplaceTheBuiltInPromptAndMessage) {
    const std::string path = writeTable("p.d", "right");
    TDorodSession& s = TDorodSession::Instance();
    bool builtInUsed = false;
    s.BuiltInPasswordPrompt = [&](std::string&) { return builtInUsed = true; };
    std::vector<std::pair<std::string, bool>> notices;
    s.OnWrongPassword = [&](const std::string& rejected, bool triesRemain) {
        notices.emplace_back(rejected, triesRemain);
    };
    int asked = 0;
    s.OnPasswordPrompt = [&](std::string& password) {
        password = "x" + std::to_string(++asked);
        return true;
    };
    EXPECT_THROW(openText(path), EDatabaseError);
    EXPECT_FALSE(builtInUsed);
    EXPECT_EQ(notices, (std::vector<std::pair<std::string, bool>>{
                           {"x1", true}, {"x2", true}, {"x3", false}}));

    // Cancelling stops at once.
    asked = 0;
    s.OnPasswordPrompt = [&](std::string&) {
        ++asked;
        return false;
    };
    EXPECT_THROW(openText(path), EDatabaseError);
    EXPECT_EQ(asked, 1);
}

TEST_F(PasswordTest, KnownPasswordsAreSortedWithoutCaseDuplicates) {
    TDorodSession& s = TDorodSession::Instance();
    s.AddPassword("beta");
    s.AddPassword("Alpha");
    s.AddPassword("ALPHA");
    s.AddPassword("gamma");
    EXPECT_EQ(s.KnownPasswords(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    s.RemovePassword("BETA");
    EXPECT_EQ(s.KnownPasswords(), (std::vector<std::string>{"Alpha", "gamma"}));
}

TEST_F(PasswordTest, PresetPasswordOpensAndEmptyPasswordWritesAPlainTable) {
    const std::string path = writeTable("p.d", "right");
    TDorodTable table;
    table.SetTableName(path);
    table.SetPassword("right");
    table.Open();
    EXPECT_EQ(TDorodSession::Instance().KnownPasswords(), std::vector<std::string>{"right"});
    EXPECT_EQ(table.Password(), "right");

    table.SetPassword("");
    EXPECT_EQ(table.ChangeCount(), 1);
    EXPECT_TRUE(TDorodSession::Instance().KnownPasswords().empty());
    table.Save();
    table.Close();

    std::string bytes, error;
    ASSERT_TRUE(fileio::readFile(path, bytes, error));
    EXPECT_EQ(bytes[4], 'S');
    EXPECT_EQ(openText(path), kSecretText);
}

TEST_F(PasswordTest, DamagedEncipheredFilesFailWithoutExposingRecords) {
    const std::string path = writeTable("p.d", "right");
    std::string bytes, error;
    ASSERT_TRUE(fileio::readFile(path, bytes, error));

    // A key block with one flipped byte is a wrong password, also with a partial open.
    std::string damaged = bytes;
    damaged[10] = char(damaged[10] ^ 0x40);
    ASSERT_TRUE(fileio::writeFileAtomically(path, damaged, error));
    TDorodTable table;
    table.SetTableName(path);
    table.SetPassword("right");
    table.PartialOpen = true;
    try {
        table.Open();
        FAIL() << "a damaged key block opened";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Error opening table: Invalid password. Table cannot be open");
    }
    EXPECT_FALSE(table.Active());

    // An enciphered part cut short fails like a plain one, with the right password.
    ASSERT_TRUE(fileio::writeFileAtomically(path, bytes.substr(0, bytes.size() - 5), error));
    TDorodTable cut;
    cut.SetTableName(path);
    cut.SetPassword("right");
    EXPECT_THROW(cut.Open(), EDatabaseError);
}

TEST_F(PasswordTest, LargeTablesAreWrittenInPiecesThatReadBackWhole) {
    // Big enough that a save goes out in several pieces: the cipher runs on across
    // them, and the header is completed at the end.
    TDorodTable table;
    table.FieldDefs = {{"id", TFieldType::ftInteger, 0}, {"Text", TFieldType::ftMemo, 0}};
    table.Open();
    const auto textOf = [](int id) {
        return std::string(size_t(300 + id % 97), char('A' + id % 26));
    };
    for (int id = 1; id <= 4000; ++id) {
        table.Insert();
        table.FieldByName("id").SetAsInteger(id);
        table.FieldByName("Text").SetAsString(textOf(id));
        table.Post();
    }
    const std::string plainPath = dir.file("plain.d");
    table.SaveToFile(plainPath);
    // The file holds exactly the image written into memory.
    TDorodStream image;
    table.Store()->WriteImage(image);
    std::string bytes, error;
    ASSERT_TRUE(fileio::readFile(plainPath, bytes, error));
    EXPECT_GT(bytes.size(), size_t(1) << 20);
    EXPECT_EQ(bytes, image.bytes);

    table.SetPassword("piece");
    const std::string secretPath = dir.file("secret.d");
    table.SaveToFile(secretPath);
    table.Close();
    TDorodSession::Instance().ClearPasswords();

    TDorodTable reread;
    reread.SetTableName(secretPath);
    reread.SetPassword("piece");
    reread.Open();
    ASSERT_EQ(reread.RecordCount(), 4000);
    int id = 0;
    for (reread.First(); !reread.Eof(); reread.Next()) {
        ++id;
        ASSERT_EQ(reread.FieldByName("id").AsInteger(), id);
        ASSERT_EQ(reread.FieldByName("Text").AsString(), textOf(id));
    }
}

} // namespace
