#include "intake/Receipt.h"

#include "desk/Desk.h"

namespace vornelta {

QString receiptTemplatePath(const TDesk& desk) { return desk.folder().file(QStringLiteral("Отчеты/sprav.frf")); }

bool runReceipt(TDesk& desk, QWidget* parent, const QString& datesText, QString* error) {
    // The report component arrives with the report engine.
    (void)desk, (void)parent, (void)datesText;
    if (error) *error = QStringLiteral("Квитанция не напечатана: модуль отчетов не подключен.");
    return false;
}

} // namespace vornelta
