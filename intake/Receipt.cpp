#include "intake/Receipt.h"

#include "desk/Desk.h"
#include "intake/RunDates.h"
#include "platform/Dialogs.h"
#include "reports/engine/Report.h"
#include "reports/engine/ReportPrinter.h"

#include <utility>

namespace vornelta {

namespace {

Result failed(const QString& reason) {
    return Result::failed(
        QStringLiteral("Квитанция не напечатана (объявление сохранено): %1").arg(reason));
}

// Fills and lays out the receipt; tData shows the announcement alone meanwhile.
Result fillReceipt(TDesk& desk, TReport& report, int id, const QStringList& runDays) {
    if (!desk.tData.CurrentEntry())
        return failed(QStringLiteral("объявление № %1 не найдено в data.d").arg(id));
    const QString path = receiptTemplatePath(desk);
    if (const Result loaded = report.LoadFromFile(path); !loaded) return failed(loaded.error());
    const auto located = [&](const Result& step) {
        return failed(QStringLiteral("%1 (%2)").arg(step.error(), path));
    };
    if (const Result set = report.setObjectText(QStringLiteral("dates"), receiptDatesText(runDays));
        !set)
        return located(set);
    // The desk's name and the day count are printed as given, where the template has them.
    for (const auto& [name, text] :
         {std::pair{QStringLiteral("deskname"), desk.settings.NAME},
          std::pair{QStringLiteral("days"), QString::number(runDays.size())}}) {
        if (!report.FindObject(name)) continue;
        if (const Result set = report.setObjectText(name, text); !set) return located(set);
    }
    // The pages are laid out now, from the announcement; the preview and the PDF show them.
    report.bindDataset(QStringLiteral("tData"), &desk.tData);
    if (const Result prepared = report.PrepareReport(); !prepared) return located(prepared);
    return {};
}

} // namespace

QString receiptSum(double summa) {
    return formatReportNumber(summa, QStringLiteral("0.00")).value_or(QString());
}

QString receiptTemplatePath(const TDesk& desk) {
    return desk.folder().file(QStringLiteral("Отчеты/sprav.frf"));
}

Result prepareReceipt(TDesk& desk, int id, const QStringList& runDays) {
    TReport& report = desk.newReport();
    DeskScope alone = desk.announcement(id);
    const Result filled = fillReceipt(desk, report, id, runDays);
    alone.undoNow();
    return filled;
}

Result runReceipt(TDesk& desk, QWidget* parent, int id, const QStringList& runDays) {
    // The pages are laid out while the announcement stands alone; printing and the preview
    // only show them.
    const Result prepared = prepareReceipt(desk, id, runDays);
    if (prepared) printOrPreviewReceipt(desk, parent);
    return prepared;
}

void printOrPreviewReceipt(TDesk& desk, QWidget* parent) {
    TReport& report = desk.report();
    report.setPrinterName(desk.settings.Printer);
    if (desk.settings.ReceiptWithoutPreview) {
        const Result printed = printReport(report, desk.settings.Printer);
        if (printed) return;
        // The receipt is not lost: the preview prints on another printer or saves a PDF.
        Dialogs::instance().error(parent, QStringLiteral("Квитанция не напечатана: %1\n"
                                                         "Она откроется в просмотре.")
                                              .arg(printed.error()));
    }
    report.ShowPreparedReport(parent);
}

} // namespace vornelta
