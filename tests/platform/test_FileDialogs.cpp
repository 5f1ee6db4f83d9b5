// A name typed into the save chooser without a suffix gets the filter's; the chooser's file
// list reads in Russian.
#include "platform/FileDialogs.h"

#include "guisupport/GuiHelpers.h"
#include "platform/FileListColumns.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using vornelta::withFilterSuffix;

TEST(FileDialogs, ANameWithoutTheFiltersSuffixGetsIt) {
    const QString chart = QStringLiteral("PDF (*.pdf);;Рисунок PNG (*.png)");
    const QString png = QStringLiteral("Рисунок PNG (*.png)");
    const struct {
        QString path, filter, selected, expected;
    } cases[] = {
        {"/a/отчет", "PDF (*.pdf)", "", "/a/отчет.pdf"},
        {"/a/отчет.pdf", "PDF (*.pdf)", "", "/a/отчет.pdf"},
        {"/a/ОТЧЕТ.PDF", "PDF (*.pdf)", "", "/a/ОТЧЕТ.PDF"},
        {"/a/v1.2", "PDF (*.pdf)", "", "/a/v1.2.pdf"},
        {"/a/x", chart, "", "/a/x.pdf"},
        {"/a/x", chart, png, "/a/x.png"},
        {"/a/x.png", chart, "", "/a/x.png"},
        {"/a/x", "", "", "/a/x"},
        {"/a/x", "Все файлы (*)", "", "/a/x"},
        {"", "PDF (*.pdf)", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withFilterSuffix(c.path, c.filter, c.selected), c.expected)
            << c.path.toStdString() << " | " << c.filter.toStdString();
}

TEST(FileDialogs, TheFileListsColumnsReadInRussian) {
    guisupport::TempFolder folder;
    QDir().mkdir(folder.file("Отчеты"));
    guisupport::writeBytes(folder.file("a.pdf"), std::string(1536, 'x'));
    guisupport::writeBytes(folder.file("config"), "x");
    const QDateTime when(QDate(2026, 12, 10), QTime(14, 15, 38));
    QFile file(folder.file("a.pdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    file.close();
    const struct {
        const char* name;
        int column;
        QString text;
    } cases[] = {
        {"Отчеты", vornelta::flcType, "Папка"},
        {"Отчеты", vornelta::flcSize, ""},
        {"a.pdf", vornelta::flcType, "Файл pdf"},
        {"a.pdf", vornelta::flcSize, "1,50 кБ"},
        {"a.pdf", vornelta::flcDate, "10.12.2026 14:15"},
        {"config", vornelta::flcType, "Файл"},
        {"config", vornelta::flcName, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            vornelta::fileColumnText(QFileInfo(folder.file(QString::fromUtf8(c.name))), c.column),
            c.text)
            << c.name << " " << c.column;
}

} // namespace
