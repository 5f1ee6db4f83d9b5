#include "intake/Receipt.h"

#include "desk/Desk.h"
#include "intake/RunDates.h"
#include "reports/engine/Report.h"

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
    QString reason;
    if (!report.LoadFromFile(path, &reason)) return failed(reason);
    if (!report.setObjectText(QStringLiteral("dates"), receiptDatesText(runDays), &reason))
        return failed(QStringLiteral("%1 (%2)").arg(reason, path));
    if (report.FindObject(QStringLiteral("deskname")))
        report.setObjectText(QStringLiteral("deskname"), desk.settings.NAME);
    if (report.FindObject(QStringLiteral("days")))
        report.setObjectText(QStringLiteral("days"), QString::number(runDays.size()));
    // The pages are laid out now, from the announcement; the preview and the PDF show them.
    report.bindDataset(QStringLiteral("tData"), &desk.tData);
    if (!report.PrepareReport(&reason)) return failed(QStringLiteral("%1 (%2)").arg(reason, path));
    return {};
}

} // namespace

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
    TReport& report = desk.newReport();
    DeskScope alone = desk.announcement(id);
    const Result filled = fillReceipt(desk, report, id, runDays);
    if (filled) report.ShowPreparedReport(parent);
    alone.undoNow();
    return filled;
}

} // namespace vornelta
