#include "intake/Receipt.h"

#include "desk/Desk.h"
#include "intake/RunDates.h"
#include "platform/Dialogs.h"
#include "reports/engine/Report.h"
#include "reports/engine/ReportPrinter.h"

namespace vornelta {

namespace {

bool fail(const QString& reason, QString* error) {
    if (error)
        *error = QStringLiteral("Квитанция не напечатана (объявление сохранено): %1").arg(reason);
    return false;
}

} // namespace

QString receiptTemplatePath(const TDesk& desk) {
    return desk.folder().file(QStringLiteral("Отчеты/sprav.frf"));
}

bool prepareReceipt(TDesk& desk, const QStringList& runDays, QString* error) {
    TReport& report = desk.fRep;
    const QString path = receiptTemplatePath(desk);
    QString reason;
    if (!report.LoadFromFile(path, &reason)) return fail(reason, error);
    if (!report.setObjectText(QStringLiteral("dates"), receiptDatesText(runDays), &reason))
        return fail(QStringLiteral("%1 (%2)").arg(reason, path), error);
    if (report.FindObject(QStringLiteral("deskname")))
        report.setObjectText(QStringLiteral("deskname"), desk.settings.NAME);
    if (report.FindObject(QStringLiteral("days")))
        report.setObjectText(QStringLiteral("days"), QString::number(runDays.size()));
    report.bindDataset(QStringLiteral("tData"), &desk.tData);
    // Bound for as long as the report lives: the preview and the PDF lay the pages out again.
    return report.PrepareReport(&reason) || fail(reason, error);
}

bool runReceipt(TDesk& desk, QWidget* parent, const QStringList& runDays, QString* error) {
    if (!prepareReceipt(desk, runDays, error)) return false;
    printOrPreviewReceipt(desk, parent);
    return true;
}

void printOrPreviewReceipt(TDesk& desk, QWidget* parent) {
    desk.fRep.setPrinterName(desk.settings.Printer);
    if (desk.settings.ReceiptWithoutPreview) {
        const Result printed = printReport(desk.fRep, desk.settings.Printer);
        if (printed) return;
        // The receipt is not lost: the preview prints on another printer or saves a PDF.
        Dialogs::instance().error(parent, QStringLiteral("Квитанция не напечатана: %1\n"
                                                         "Она откроется в просмотре.")
                                              .arg(printed.error()));
    }
    desk.fRep.ShowPreparedReport(parent);
}

} // namespace vornelta
