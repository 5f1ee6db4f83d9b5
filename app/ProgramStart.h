// What the program does to the application object before any window exists, and the start
// of the desk with its window.
#pragma once

#include <QString>

namespace vornelta {

// Sets the application title "Vornelta". No display name is set: the window system would
// append it to every caption (" — Vornelta"), and captions are exactly the desk's own.
void nameApplication();

// Connects the subsystems that reach each other only through the program: the entry
// form's "Шаблоны" button and its "==name" call open the template dialogs.
void connectSubsystems();

// Starts the desk on the program folder (--folder's value, empty for the default) and
// runs the main window; gives the exit code. A folder named on the command line that does
// not exist is made only when the operator says so. The folder is locked for as long as
// the window runs: a second copy on it says who holds it and ends with 1.
int runDeskWindow(const QString& folderOption, const QString& executableFolder,
                  const QString& databaseOption = QString());

} // namespace vornelta
