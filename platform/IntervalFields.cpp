#include "platform/IntervalFields.h"

#include "platform/Controls.h"
#include "platform/DayNumber.h"

#include <QBoxLayout>
#include <QDateEdit>
#include <QLabel>

namespace vornelta {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont font = l->font();
        font.setBold(true);
        l->setFont(font);
    }
    return l;
}

} // namespace

void TIntervalFields::create(QWidget* parent, const QString& fromCaption, const QDate& from,
                             const QDate& to, bool boldLabels) {
    Label1 = label(parent, "Label1", fromCaption, boldLabels);
    DateFrom = dateEdit(parent, "DateFrom", from);
    Label2 = label(parent, "Label2", QStringLiteral("по:"), boldLabels);
    DateTo = dateEdit(parent, "DateTo", to);
}

QHBoxLayout* TIntervalFields::addRow(QBoxLayout* outer, int gap) const {
    auto* row = new QHBoxLayout;
    outer->addLayout(row);
    row->addWidget(Label1);
    row->addWidget(DateFrom);
    if (gap > 0) row->addSpacing(gap);
    row->addWidget(Label2);
    row->addWidget(DateTo);
    return row;
}

int32_t TIntervalFields::firstDay() const {
    return dayNumberOf(DateFrom->date());
}
int32_t TIntervalFields::lastDay() const {
    return dayNumberOf(DateTo->date());
}

} // namespace vornelta
