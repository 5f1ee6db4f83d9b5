// The reasons of failed file operations in Russian: from an error number, from Qt's file
// classes and inside the engine's messages.
#include "platform/SystemErrorText.h"

#include "guisupport/GuiHelpers.h"
#include "platform/TextFileWriter.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

using namespace vornelta;

TEST(SystemErrorText, EngineMessagesReadInRussian) {
    const QString denied = QString::fromLocal8Bit(std::strerror(EACCES));
    const QString full = QString::fromLocal8Bit(std::strerror(ENOSPC));
    const struct {
        QString engine;
        QString russian;
    } cases[] = {
        {QStringLiteral("Cannot create file /mnt/a: b/data.d: ") + denied,
         QStringLiteral("не удалось создать файл «/mnt/a: b/data.d»: нет прав на доступ")},
        {QStringLiteral("tData: Cannot write file /x/data.d: ") + full,
         QStringLiteral("tData: не удалось записать файл «/x/data.d»: на диске нет места")},
        {QStringLiteral("Cannot open /x/y.txt: No such file or directory"),
         QStringLiteral("не удалось открыть «/x/y.txt»: нет такого файла или папки")},
        {QStringLiteral("Cannot read /x: not a regular file"),
         QStringLiteral("не удалось прочитать «/x»: это не обычный файл")},
        {QStringLiteral("Key violation"), QStringLiteral("Key violation")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(systemMessageText(c.engine), c.russian) << c.engine.toStdString();
    EXPECT_EQ(systemErrorText(EROFS), QStringLiteral("диск доступен только для чтения"));
    EXPECT_TRUE(systemErrorText(EXDEV).startsWith(QStringLiteral("системная ошибка")));
}

// A name longer than the system allows (a failure that holds for root too): the writers
// of the program say why in Russian.
TEST(SystemErrorText, FileWritersGiveTheReasonInRussian) {
    guisupport::TempFolder folder;
    const QString tooLong = folder.file(QString(300, QLatin1Char('x')));
    QString error;
    EXPECT_FALSE(writeTextFile(tooLong, {QStringLiteral("x")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("не удалось создать файл")) &&
                error.contains(QStringLiteral("слишком длинное имя файла")))
        << error.toStdString();
    QFile file(tooLong);
    EXPECT_FALSE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(fileErrorText(file), QStringLiteral("слишком длинное имя файла"))
        << file.errorString().toStdString();
}

} // namespace
