// One place turns an exception that escapes an event handler into the error box: the
// failed command ends, the program lives on.
#pragma once

#include "platform/Result.h"

#include <QApplication>

#include <functional>

class QTextStream;

namespace vornelta {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The body of notify for any application object: delivers the event and turns an
    // escaping exception into the error box (false: the event counts as not handled).
    static bool notifyGuarded(QApplication& app, QObject* receiver, QEvent* event);
};

// The message of the exception in flight, as the error box shows it (call from a catch
// block): engine messages converted from Windows-1251.
QString currentExceptionMessage();

// Shows the message of the exception in flight through Dialogs (call from a catch block).
void reportCurrentException();

// Runs a command started without a window and gives its exit code: an exception that
// escapes the body is written to `err` as one line and gives 1.
int runCommandGuarded(QTextStream& err, const std::function<int()>& body);

// Runs an operation and turns an exception that escapes it (the engine's, or any other)
// into a failed Result with the message the error box would show: the one place a window
// or a command catches.
Result resultOfCall(const std::function<void()>& body);

} // namespace vornelta
