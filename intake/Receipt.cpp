#include "intake/Receipt.h"

#include "desk/Desk.h"
#include "intake/RunDates.h"
#include "reports/engine/Report.h"

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
    if (const Result loaded = report.LoadFromFile(path); !loaded)
        return fail(loaded.error(), error);
    if (const Result set = report.setObjectText(QStringLiteral("dates"), receiptDatesText(runDays));
        !set)
        return fail(QStringLiteral("%1 (%2)").arg(set.error(), path), error);
    if (TReportTextObject* deskName = report.FindObject(QStringLiteral("deskname")))
        deskName->setPlainText(desk.settings.NAME);
    if (TReportTextObject* days = report.FindObject(QStringLiteral("days")))
        days->setPlainText(QString::number(runDays.size()));
    report.bindDataset(QStringLiteral("tData"), &desk.tData);
    // Bound for as long as the report lives: the preview and the PDF lay the pages out again.
    const Result prepared = report.PrepareReport();
    return prepared || fail(prepared.error(), error);
}

bool runReceipt(TDesk& desk, QWidget* parent, const QStringList& runDays, QString* error) {
    if (!prepareReceipt(desk, runDays, error)) return false;
    desk.fRep.ShowPreparedReport(parent);
    return true;
}

} // namespace vornelta
