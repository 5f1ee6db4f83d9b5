// Qt's own texts in Russian: what the file dialog shows for a folder, a file and a drive.
#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileIconProvider>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;

TEST(QtTranslations, TheFileDialogsTypeColumnIsRussian) {
    installRussianQtTexts();
    const struct {
        const char* source;
        const char* russian;
    } cases[] = {{"Folder", "Папка"}, {"Drive", "Диск"}, {"%1 File", "Файл %1"}, {"File", "Файл"}};
    for (const auto& c : cases)
        EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", c.source),
                  QString::fromUtf8(c.russian))
            << c.source;
    // As the dialog's model asks for it.
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("Папка"));
    // Texts of other contexts are left to Qt's catalogue.
    EXPECT_TRUE(missingQtText("QFileDialog", "Folder").isEmpty());
    EXPECT_TRUE(missingQtText("QAbstractFileIconProvider", "Something").isEmpty());
}

} // namespace
