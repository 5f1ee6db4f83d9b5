// What the program does to the application object before any window exists.
#pragma once

namespace vornelta {

// Sets the application title "Vornelta". No display name is set: the window system would
// append it to every caption (" — Vornelta"), and captions are exactly the desk's own.
void nameApplication();

} // namespace vornelta
