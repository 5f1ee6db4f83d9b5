// A name typed into the save chooser without a suffix gets the filter's.
#include "platform/FileDialogs.h"

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

} // namespace
