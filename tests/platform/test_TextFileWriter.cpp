// The writer of every output file: Windows-1251, CR LF after every line, and a failed
// write that leaves no half file and never spoils the old one.
#include "guisupport/GuiHelpers.h"
#include "platform/TextFileWriter.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace vornelta;
using guisupport::readBytes;
using guisupport::writeBytes;

namespace {

class TextFileWriterTest : public ::testing::Test {
protected:
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    guisupport::TempFolder folder;
    QString path = folder.file(QStringLiteral("Вывод текста 05.03.2024.txt"));
};

TEST_F(TextFileWriterTest, WritesWindows1251WithCrLfAfterEveryLineAndReadsItBack) {
    const std::pair<QStringList, std::string> cases[] = {
        {{}, ""},
        {{QString()}, "\r\n"},
        {{QStringLiteral("TV Studio 1.10"), QString(), QStringLiteral("ПРОДАМ ёлку №1  ")},
         "TV Studio 1.10\r\n\r\n\xCF\xD0\xCE\xC4\xC0\xCC \xB8\xEB\xEA\xF3 \xB9"
         "1  \r\n"},
    };
    for (const auto& [lines, bytes] : cases) {
        QString error;
        ASSERT_TRUE(writeTextFile(path, lines, &error)) << error.toStdString();
        EXPECT_EQ(readBytes(path), bytes);
        QStringList back;
        ASSERT_TRUE(readTextFile(path, back));
        EXPECT_EQ(back, lines);
    }
    EXPECT_EQ(files().size(), 1) << "no temporary file is left behind";

    writeBytes(path, "\xC0\n\xC1\r\n\r\nlast"); // LF only, and no end after the last line
    QStringList lines;
    ASSERT_TRUE(readTextFile(path, lines));
    EXPECT_EQ(lines, QStringList({QStringLiteral("А"), QStringLiteral("Б"), QString(),
                                  QStringLiteral("last")}));
}

TEST_F(TextFileWriterTest, CharacterWithoutAByteIsRefusedAndNothingIsWritten) {
    QString error;
    EXPECT_FALSE(writeTextFile(path, {QStringLiteral("Цена"), QStringLiteral("100 Ω")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("«Ω»"))) << error.toStdString();
    EXPECT_TRUE(files().isEmpty());

    writeBytes(path, "old\r\n");
    EXPECT_FALSE(writeTextFile(path, {QStringLiteral("new"), QStringLiteral("Ω")}));
    EXPECT_EQ(readBytes(path), "old\r\n");
}

TEST_F(TextFileWriterTest, MissingFolderIsNoDiskette) {
    const QString target = folder.file(QStringLiteral("A/scr_5_3.sc"));
    QString error;
    EXPECT_FALSE(writeTextFile(target, {QStringLiteral("line")}, &error));
    EXPECT_TRUE(
        error.contains(QStringLiteral("папки «%1» нет").arg(folder.file(QStringLiteral("A")))))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("A"))));
    QStringList lines;
    EXPECT_FALSE(readTextFile(target, lines, &error));
}

// A file size limit stands in for a full disk: the write stops half way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_signal(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    void (*m_signal)(int);
    rlimit m_saved{};
};

TEST_F(TextFileWriterTest, FullDiskKeepsTheOldFile) {
    writeBytes(path, "old\r\n");
    QString error;
    bool written = true;
    {
        FileSizeLimit limit(4096);
        written = writeTextFile(path, QStringList(2000, QStringLiteral("ОБЪЯВЛЕНИЕ")), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(path), "old\r\n");
    EXPECT_EQ(files().size(), 1) << "the half-written temporary file is removed";
}

} // namespace
