// The receipt of a saved announcement: the report template "Отчеты/sprav.frf" of the
// program folder, its text object "dates" set to the run days, prepared and shown as a
// modal print preview. Other values come from the placeholders of dataset tData, whose
// current row is the saved announcement.
#pragma once

#include <QString>

class QWidget;

namespace vornelta {

class TDesk;

// "Отчеты/sprav.frf" in the program folder (not the current folder).
QString receiptTemplatePath(const TDesk& desk);

// Loads, fills, prepares and shows the receipt. False with one message when the template
// is missing or faulty or cannot be prepared; the announcement stays saved either way.
bool runReceipt(TDesk& desk, QWidget* parent, const QString& datesText, QString* error);

} // namespace vornelta
