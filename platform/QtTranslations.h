// Qt's own texts (standard buttons, the file dialog) in Russian. Qt's Russian catalogue
// of this Qt version lacks some contexts the widgets use: the file dialog's type column
// reads "Folder", "Drive" and "%1 File" from QAbstractFileIconProvider, which the
// catalogue still keeps under QFileDialog only. Those texts come from a small translator
// of our own installed beside the catalogue.
#pragma once

#include <QString>

namespace vornelta {

// Loads Qt's Russian catalogue and the texts it lacks into the application; false when
// the catalogue is not installed (the missing texts are installed anyway).
bool installRussianQtTexts();

// The Russian text our translator gives for a Qt text of a context; empty for one it does
// not know (the catalogue's own, or none).
QString missingQtText(const char* context, const char* sourceText);

} // namespace vornelta
