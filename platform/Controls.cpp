#include "platform/Controls.h"

#include <QDateEdit>
#include <QPushButton>

namespace vornelta {

QDateEdit* dateEdit(QWidget* parent, const char* name, const QDate& date) {
    auto* edit = named(new QDateEdit(parent), name);
    if (date.isValid()) edit->setDate(date);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return edit;
}

QPushButton* iconButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& caption) {
    return named(new QPushButton(parent->style()->standardIcon(icon), caption, parent), name);
}

QPushButton* saveButton(QWidget* parent, const char* name, const QString& caption) {
    return iconButton(parent, name, QStyle::SP_DialogSaveButton, caption);
}

QPushButton* closeButton(QWidget* parent, const char* name, const QString& caption) {
    return iconButton(parent, name, QStyle::SP_DialogCloseButton, caption);
}

} // namespace vornelta
