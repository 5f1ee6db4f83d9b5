// One place turns an exception that escapes an event handler into the error box: the
// failed command ends, the program lives on.
#pragma once

#include <QApplication>

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

} // namespace vornelta
