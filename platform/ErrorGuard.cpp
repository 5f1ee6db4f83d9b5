#include "platform/ErrorGuard.h"

#include "platform/Dialogs.h"
#include "platform/SystemErrorText.h"
#include "platform/TextCodec.h"
#include "storage/DataSet.h"

#include <QTextStream>

#include <exception>

namespace vornelta {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    return notifyGuarded(*this, receiver, event);
}

bool GuardedApplication::notifyGuarded(QApplication& app, QObject* receiver, QEvent* event) {
    try {
        return app.QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

QString currentExceptionMessage() {
    try {
        throw;
    } catch (const dorod::EDatabaseError& e) {
        // The engine's messages are Windows-1251 bytes; its file phrases and the system's
        // reasons are put into Russian.
        return systemMessageText(toQt(e.what()));
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка");
    }
}

void reportCurrentException() {
    const QString message = currentExceptionMessage();
    try {
        Dialogs::instance().error(QApplication::activeWindow(), message);
    } catch (...) {
        // A box that cannot be shown must not take the program down with it.
    }
}

int runCommandGuarded(QTextStream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (...) {
        err << currentExceptionMessage() << '\n';
        err.flush();
        return 1;
    }
}

Result resultOfCall(const std::function<void()>& body) {
    try {
        body();
        return Result();
    } catch (...) {
        return Result::failed(currentExceptionMessage());
    }
}

} // namespace vornelta
