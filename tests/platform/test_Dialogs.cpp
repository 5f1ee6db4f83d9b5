// The message boxes the operator sees: Russian Yes/No, one OK, a fixed caption of their own.
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace vornelta;

namespace {

TEST(MessageBoxDialogs, ShowTheTextAndTellWhichButtonWasClicked) {
    MessageBoxDialogs boxes;
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Бегущая строка"));
    const std::tuple<std::function<bool()>, const char*, bool, QMessageBox::Icon, const char*>
        cases[] = {
            {[&] { return boxes.question(nullptr, QStringLiteral("Удалить ?")); }, "Да", true,
             QMessageBox::Question, "Да Нет"},
            {[&] { return boxes.question(nullptr, QStringLiteral("Удалить ?")); }, "Нет", false,
             QMessageBox::Question, "Да Нет"},
            {[&] { return boxes.information(nullptr, QStringLiteral("Готово")), true; }, "OK", true,
             QMessageBox::Information, "OK"},
            {[&] { return boxes.error(nullptr, QStringLiteral("Ошибка")), true; }, "OK", true,
             QMessageBox::Critical, "OK"},
        };
    for (const auto& [show, click, answer, icon, buttons] : cases) {
        SCOPED_TRACE(click);
        QString title;
        QStringList seen;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        QTimer poll; // the box runs its own loop: answer it from there
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            poll.stop();
            title = box->windowTitle();
            seenIcon = box->icon();
            QAbstractButton* target = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                seen << b->text();
                if (b->text() == QString::fromUtf8(click)) target = b;
            }
            target ? target->click() : box->done(-1); // never leave the test blocked
        });
        poll.start(5);
        EXPECT_EQ(show(), answer);
        EXPECT_EQ(title,
                  QStringLiteral("Vornelta")); // its own caption, whatever the program is called
        EXPECT_EQ(seenIcon, icon);
        seen.sort();
        QStringList expected = QString::fromUtf8(buttons).split(QLatin1Char(' '));
        expected.sort();
        EXPECT_EQ(seen, expected);
    }
    QGuiApplication::setApplicationDisplayName(QString());
}

} // namespace
