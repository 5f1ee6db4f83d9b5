// A damaged table file: the Russian message naming it, the last good copy opened on "yes"
// with the damaged file kept aside byte for byte, and nothing changed on "no".
#include "desk/DamagedTable.h"
#include "guisupport/DeskRows.h"
#include "guisupport/GuiHelpers.h"
#include "storage/DorodConst.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace vornelta;
using guisupport::kRows;
using guisupport::readBytes;
using guisupport::TempFolder;
using guisupport::writeDesk;

class DamagedTableTest : public ::testing::Test {
protected:
    DamagedTableTest() {
        // Two saves: data.~d keeps the first two announcements, data.d all four.
        writeDesk(folder.path(), kRows.mid(0, 2));
        writeDesk(folder.path(), kRows.mid(2));
        const std::string whole = readBytes(folder.file("data.d"));
        damagedBytes = whole.substr(0, whole.size() - 20);
        QFile file(folder.file("data.d"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damagedBytes.data(), qint64(damagedBytes.size()));
    }
    QStringList folderFiles() const { return QDir(folder.path()).entryList(QDir::Files); }
    QStringList keptCopies() const {
        return QDir(folder.path()).entryList({QStringLiteral("data.d.damaged-*")}, QDir::Files);
    }
    // Opens the desk; the answer to the question, when one is asked, and what it said.
    Result open(std::optional<bool> answer, QStringList* asked) {
        AskToRestore ask;
        if (answer)
            ask = [&](const QString& question) {
                *asked << question;
                return *answer;
            };
        return openDeskOrRestore(desk, ask);
    }

    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
    std::string damagedBytes;
};

TEST_F(DamagedTableTest, YesKeepsTheDamagedFileAsideAndOpensTheLastGoodCopy) {
    const std::string goodCopy = readBytes(folder.file("data.~d"));
    QStringList asked;
    const Result opened = open(true, &asked);
    ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QDir::toNativeSeparators(folder.file("data.d"))))
        << asked[0].toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("поврежден: файл обрывается")));
    EXPECT_TRUE(asked[0].contains(QStringLiteral("«data.~d»")));
    EXPECT_TRUE(asked[0].contains(
        QFileInfo(folder.file("data.~d")).lastModified().toString(QStringLiteral("dd.MM.yyyy"))));
    EXPECT_TRUE(asked[0].contains(QStringLiteral("Открыть эту копию?")));

    const QStringList kept = keptCopies();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(readBytes(folder.file(kept[0])), damagedBytes);
    EXPECT_EQ(readBytes(folder.file("data.d")), goodCopy);
    EXPECT_EQ(readBytes(folder.file("data.~d")), goodCopy);
    EXPECT_EQ(desk.tData.RecordCount(), 2);
    EXPECT_EQ(desk.tData.FieldByName("id").AsInteger(), 1);
}

// "No", a command without a window, and a table without a good copy: the desk stays
// closed, the message names the file, and not a byte of the folder changes.
TEST_F(DamagedTableTest, WithoutYesNothingChanges) {
    struct Case {
        const char* what;
        std::optional<bool> answer;
        bool removeCopy;
        int questions;
        const char* says;
    };
    for (const Case& c : {
             Case{"no", false, false, 1, "Открыть эту копию?"},
             Case{"command", std::nullopt, false, 0, "Запустите программу с окном"},
             Case{"no copy", true, true, 0, "Исправной копии этой таблицы нет"},
         }) {
        SCOPED_TRACE(c.what);
        if (c.removeCopy) {
            ASSERT_TRUE(QFile::remove(folder.file("data.~d")));
        }
        const QStringList before = folderFiles();
        const std::string backup = c.removeCopy ? std::string() : readBytes(folder.file("data.~d"));
        QStringList asked;
        const Result opened = open(c.answer, &asked);
        EXPECT_FALSE(opened.ok());
        EXPECT_FALSE(desk.tData.Active());
        ASSERT_EQ(asked.size(), c.questions);
        const QString said = c.questions ? asked[0] : opened.error();
        EXPECT_TRUE(said.contains(QStringLiteral("data.d»"))) << said.toStdString();
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
        EXPECT_FALSE(opened.error().contains(QStringLiteral("tData")))
            << opened.error().toStdString();
        EXPECT_EQ(folderFiles(), before);
        EXPECT_EQ(readBytes(folder.file("data.d")), damagedBytes);
        if (!c.removeCopy) {
            EXPECT_EQ(readBytes(folder.file("data.~d")), backup);
        }
    }
}

TEST(DamagedTable, EngineFindingsReadInRussian) {
    using namespace dorod::msg;
    const struct {
        QString engine;
        QString russian;
    } cases[] = {
        {QString::fromLatin1(UnexpectedEnd), QStringLiteral("файл обрывается")},
        {QString::fromLatin1(BufferCorruption), QStringLiteral("заголовок или данные файла")},
        {QString::fromLatin1(DescriptionSection), QStringLiteral("описание полей")},
        {QStringLiteral("String field 'Text' has wrong length 900 in record 17"),
         QStringLiteral("запись 17 испорчена: у поля «Text» неверная длина")},
        {QStringLiteral("Field 'id' has wrong length 3 in record 2"),
         QStringLiteral("запись 2 испорчена: у поля «id»")},
        {QStringLiteral("Number of records read (5) does not match declared record count (9)"),
         QStringLiteral("в файле 5 записей, а в его заголовке указано 9")},
        {QStringLiteral("something new"), QStringLiteral("испорчено (something new)")},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(damageReason(c.engine).contains(c.russian))
            << c.engine.toStdString() << " -> " << damageReason(c.engine).toStdString();
}

TEST(DamagedTable, KeptCopyNeverTakesAnExistingName) {
    TempFolder folder;
    const QString path = folder.file("data.d");
    const QDateTime now(QDate(2026, 12, 10), QTime(13, 45, 1));
    EXPECT_EQ(damagedCopyPath(path, now), path + ".damaged-20261210-134501");
    for (const char* name : {"data.d.damaged-20261210-134501", "data.d.damaged-20261210-134501-2"})
        QFile(folder.file(name)).open(QIODevice::WriteOnly);
    EXPECT_EQ(damagedCopyPath(path, now), path + ".damaged-20261210-134501-3");
}

} // namespace
