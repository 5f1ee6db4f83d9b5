#include "platform/Dialogs.h"

#include <QMessageBox>
#include <QPushButton>

namespace vornelta {

namespace {
Dialogs* g_current = nullptr;

// The button texts are set by hand so that they do not depend on installed translations.
int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, bool yesNo) {
    QMessageBox box(icon, Dialogs::caption(), text, QMessageBox::NoButton, parent);
    if (yesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? QMessageBox::Yes : QMessageBox::No;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    return box.exec();
}
} // namespace

Dialogs::~Dialogs() = default;

QString Dialogs::caption() {
    return QStringLiteral("Vornelta");
}

Dialogs& Dialogs::instance() {
    static MessageBoxDialogs boxes;
    return g_current ? *g_current : boxes;
}

void Dialogs::setInstance(Dialogs* dialogs) {
    g_current = dialogs;
}

void MessageBoxDialogs::information(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Information, text, false);
}

bool MessageBoxDialogs::question(QWidget* parent, const QString& text) {
    return showBox(parent, QMessageBox::Question, text, true) == QMessageBox::Yes;
}

void MessageBoxDialogs::error(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, text, false);
}

} // namespace vornelta
