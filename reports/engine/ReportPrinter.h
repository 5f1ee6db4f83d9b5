// Printing on the system's printers (CUPS queues) through Qt's print system, with the
// checks Qt leaves out: given a printer name it does not know, Qt quietly prints on
// another printer, and a queue that refuses the job is not reported at all. Every path
// that prints — the print preview's print button, the receipt printed without the
// preview, vornelta-report render --printer, the chart — goes through here, so each of
// them says why nothing came out.
#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace vornelta {

class TReport;

// What the settings show for "the system's default printer" (an empty name).
inline const QString kDefaultPrinterChoice = QStringLiteral("по умолчанию");

// The printers the system offers, by queue name.
QStringList installedPrinters();

// The queue a configured name stands for: the name itself when that printer is installed;
// for an empty name the system's default, or the only printer there is. Fails with the
// message the operator sees when no printer is installed or the named one is not.
ValueResult<QString> resolvePrinter(const QString& name);

// Points the printer at the queue the name stands for (resolvePrinter) and checks that the
// queue takes jobs.
Result selectPrinter(QPrinter& printer, const QString& name);

// Hands one job to the printer's queue: paint draws every page on the printer (it opens
// and ends its own painter). Fails when the printer is not installed, the queue does not
// take jobs, or the queue refused this job.
Result printJob(QPrinter& printer, const std::function<void(QPrinter&)>& paint);

// Fails with the message the operator sees when the system has no printer at all.
Result anyPrinterInstalled();

// The print dialog (through the modal runner) on the printer as the caller set it up, then
// the job (printJob). True when printed, false when the operator closed the dialog. With
// no printer installed it fails at once, instead of a dialog with nothing to print on.
ValueResult<bool> printWithDialog(QWidget* parent, QPrinter& printer,
                                  const std::function<void(QPrinter&)>& paint);

// Sets the printer up for the report's pages: the first page's paper, the whole sheet
// (the template places objects from its edge), the template's title as the job's name.
void setUpReportPrinter(QPrinter& printer, const TReport& report);

// The prepared pages of the report on the named printer (empty: the system's default),
// without any dialog: what vornelta-report render --printer and the receipt printed
// without the preview do.
Result printReport(TReport& report, const QString& printerName);

// The pages of the report on a printer set up by the caller (a print dialog's choice).
Result printReportOn(TReport& report, QPrinter& printer);

// Takes over the print button of a report's preview: it shows the print dialog (through
// the modal runner) on the preview's printer, prints through printReportOn and closes the
// preview; a failure is said in an error box and the preview stays open. With no printer
// installed the button says so instead of offering a dialog with nothing to print on.
void takeOverPreviewPrinting(QPrintPreviewDialog& preview, QPrinter& printer, TReport& report);

// The preview's print button, found by the text Qt gives it; nullptr when there is none.
QAction* previewPrintAction(QPrintPreviewDialog& preview);

// Title of the print dialog.
inline const QString kPrintDialogCaption = QStringLiteral("Печать");

} // namespace vornelta
