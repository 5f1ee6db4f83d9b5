// Controls every window makes the same way: the system name (objectName) given as the
// control is made, the date box, and the buttons with a standard icon.
#pragma once

#include <QDate>
#include <QString>
#include <QStyle>

class QDateEdit;
class QPushButton;
class QWidget;

namespace vornelta {

// Gives a control (or an action) its system name and hands it back.
template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// The date box of the desk: "dd.MM.yyyy" with a calendar to drop down.
QDateEdit* dateEdit(QWidget* parent, const char* name, const QDate& date = QDate());

// A push button with one of the style's icons, its caption and its system name.
QPushButton* iconButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& caption);
// The save and close buttons of the windows ("Сохранить", "Закрыть" unless named otherwise).
QPushButton* saveButton(QWidget* parent, const char* name,
                        const QString& caption = QStringLiteral("Сохранить"));
QPushButton* closeButton(QWidget* parent, const char* name,
                         const QString& caption = QStringLiteral("Закрыть"));

} // namespace vornelta
