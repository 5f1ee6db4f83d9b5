// The receipt of a saved announcement: the report template "Отчеты/sprav.frf" of the
// program folder, its text object "dates" set to the run days, prepared and shown as a
// modal print preview. Other values come from the placeholders of dataset tData, which
// shows the saved announcement alone while the receipt is made, whatever the main
// window's search shows; the objects "deskname" (the desk's name) and "days" (the number
// of run days) are filled when the template has them.
#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace vornelta {

class TDesk;

// The sum as the receipt prints it ("40,00"): the template writes Summa as "0.00".
QString receiptSum(double summa);

// "Отчеты/sprav.frf" in the program folder (not the current folder).
QString receiptTemplatePath(const TDesk& desk);

// Loads and fills the receipt of announcement `id` and lays out its pages in a new report
// of the desk (desk.report()); the run days are the date list's entries. Fails with one
// message when the template is missing or faulty, has no object "dates", names a field
// the announcements do not have, or the announcement is not in data.d.
Result prepareReceipt(TDesk& desk, int id, const QStringList& runDays);

// prepareReceipt, then printOrPreviewReceipt. The announcement stays saved either way.
Result runReceipt(TDesk& desk, QWidget* parent, int id, const QStringList& runDays);

// The prepared receipt (desk.report()) on the desk's printer: straight to it when the desk prints
// receipts without the preview, otherwise (and after a failed print, which is said) the modal print
// preview, whose print dialog starts on that printer.
void printOrPreviewReceipt(TDesk& desk, QWidget* parent);

} // namespace vornelta
