// An exception that escapes a handler ends the command with the error box; the program
// goes on. The test main runs a plain QApplication, so the guard is driven through
// GuardedApplication::notifyGuarded, the body of its notify.
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "platform/ErrorGuard.h"
#include "storage/DataSet.h"

#include <QBuffer>
#include <QTextStream>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace vornelta;

namespace {

const QEvent::Type kCommandEvent = QEvent::Type(QEvent::User + 17);

// A window's command: a slot reached through an event.
class Command : public QObject {
    Q_OBJECT
public:
    Command() { connect(this, &Command::triggered, this, &Command::run); }
    std::function<void()> body;

signals:
    void triggered();

public slots:
    void run() { body(); }

protected:
    void customEvent(QEvent* event) override {
        if (event->type() == kCommandEvent) emit triggered();
    }
};

class ErrorGuardTest : public ::testing::Test {
protected:
    bool deliver() {
        QEvent event(kCommandEvent);
        return GuardedApplication::notifyGuarded(*qApp, &command, &event);
    }

    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installed{dialogs};
    Command command;
};

TEST_F(ErrorGuardTest, EscapingExceptionBecomesTheErrorBoxAndTheProgramGoesOn) {
    const std::pair<std::function<void()>, QString> cases[] = {
        {[] {
             throw dorod::EDatabaseError(
                 guisupport::cp1251(QStringLiteral("tData: Поле 'Клиент' не найдено")));
         },
         QStringLiteral(
             "tData: Поле 'Клиент' не найдено")}, // engine messages are Windows-1251 bytes
        {[] { throw std::runtime_error("Cannot create file /media/usb0/x"); },
         QStringLiteral("Cannot create file /media/usb0/x")},
        {[] { throw 42; }, QStringLiteral("Неизвестная ошибка")},
    };
    for (const auto& [fail, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        dialogs.clear();
        command.body = fail;
        EXPECT_FALSE(deliver());
        EXPECT_EQ(dialogs.errors(), QStringList{message});

        int runs = 0;
        command.body = [&] { ++runs; };
        EXPECT_TRUE(deliver());
        QTimer::singleShot(0, &command, [&] { ++runs; });
        QCoreApplication::processEvents();
        EXPECT_EQ(runs, 2) << "the command and the event loop run again";
        EXPECT_EQ(dialogs.boxes().size(), 1u);
    }
}

TEST_F(ErrorGuardTest, ACatchBlockReportsTheSameWay) {
    try {
        throw dorod::EDatabaseError("tDates: \xCE\xF8\xE8\xE1\xEA\xE0");
    } catch (...) {
        reportCurrentException();
    }
    EXPECT_EQ(dialogs.errors(), QStringList{QStringLiteral("tDates: Ошибка")});
}

// A command without a window: its own exit code and output when it runs through, one
// line on err and exit code 1 when an exception escapes.
TEST(CommandGuard, ExitCodeAndErrorLine) {
    struct Case {
        const char* name;
        std::function<int()> body;
        int code;
        QString err;
    };
    const Case cases[] = {
        {"runs through", [] { return 0; }, 0, QString()},
        {"own failure code", [] { return 3; }, 3, QString()},
        {"engine error",
         []() -> int { throw dorod::EDatabaseError("tRielt: \xCE\xF8\xE8\xE1\xEA\xE0"); }, 1,
         QStringLiteral("tRielt: Ошибка\n")},
        {"standard error", []() -> int { throw std::runtime_error("Disk A: not ready"); }, 1,
         QStringLiteral("Disk A: not ready\n")},
        {"anything else", []() -> int { throw 7; }, 1, QStringLiteral("Неизвестная ошибка\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer errFile; // a device, so unflushed text would stay in the stream
        errFile.open(QIODevice::WriteOnly);
        QTextStream err(&errFile);
        EXPECT_EQ(runCommandGuarded(err, c.body), c.code);
        EXPECT_EQ(QString::fromUtf8(errFile.data()), c.err)
            << "err is flushed before the command returns";
    }
}

TEST(ResultTest, OperationsBecomeOneResultShape) {
    const Result done = resultOfCall([] {});
    EXPECT_TRUE(done.ok());
    EXPECT_TRUE(done.error().isEmpty());

    const Result engine =
        resultOfCall([] { throw dorod::EDatabaseError("tData: \xCE\xF8\xE8\xE1\xEA\xE0"); });
    EXPECT_FALSE(engine.ok());
    EXPECT_EQ(engine.error(), QStringLiteral("tData: Ошибка"));

    ValueResult<int> value(7);
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(value.value(), 7);
    EXPECT_TRUE(value.status().ok());

    ValueResult<int> refused(Result::failed(QStringLiteral("Нет диска A:")));
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), QStringLiteral("Нет диска A:"));
    EXPECT_FALSE(refused.status().ok());

    // A Result that did not fail never turns into a value nobody made.
    ValueResult<int> misuse{Result()};
    EXPECT_FALSE(misuse.ok());
}

} // namespace

#include "test_ErrorGuard.moc"
