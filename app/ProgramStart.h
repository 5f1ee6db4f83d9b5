// What the program does to the application object before any window exists.
#pragma once

namespace vornelta {

class TDesk;

// Sets the application title "Vornelta". No display name is set: the window system would
// append it to every caption (" — Vornelta"), and captions are exactly the desk's own.
void nameApplication();

// Connects the subsystems that reach each other only through the program: the entry
// form's "Шаблоны" button and its "==name" call open the template dialogs.
void connectSubsystems();

// Opens the desk for the main window. A damaged table is named in a message box that
// offers its last good copy; false when the desk stays closed (the operator has read why).
bool openDeskWithWindow(TDesk& desk);

} // namespace vornelta
