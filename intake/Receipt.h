// The receipt of a saved announcement: the report template "Отчеты/sprav.frf" of the
// program folder, its text object "dates" set to the run days, prepared and shown as a
// modal print preview. Other values come from the placeholders of dataset tData, whose
// current row is the saved announcement; the objects "deskname" (the desk's name) and
// "days" (the number of run days) are filled when the template has them.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vornelta {

class TDesk;

// "Отчеты/sprav.frf" in the program folder (not the current folder).
QString receiptTemplatePath(const TDesk& desk);

// Loads and fills the receipt and lays out its pages in desk.fRep; the run days are the
// date list's entries. False with one message when the template is missing or faulty,
// has no object "dates", or cannot be prepared.
bool prepareReceipt(TDesk& desk, const QStringList& runDays, QString* error);

// prepareReceipt, then printOrPreviewReceipt. The announcement stays saved either way.
bool runReceipt(TDesk& desk, QWidget* parent, const QStringList& runDays, QString* error);

// The prepared receipt on the desk's printer: straight to it when the desk prints receipts
// without the preview, otherwise (and after a failed print, which is said) the modal
// print preview, whose print dialog starts on that printer.
void printOrPreviewReceipt(TDesk& desk, QWidget* parent);

} // namespace vornelta
