#include "platform/PasswordDialog.h"

#include "platform/ModalRunner.h"
#include "platform/TextCodec.h"
#include "storage/DorodDatabase.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>

namespace vornelta {

namespace {
// Only text the engine can hold as Windows-1251 can be typed: any other character could
// never match a stored password.
class Cp1251Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return isRepresentable(input) ? Acceptable : Invalid;
    }
};
} // namespace

PasswordDialog::PasswordDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_label(new QLabel(QStringLiteral("Enter password:"), this)), m_edit(new QLineEdit(this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Login password"));
    setFixedSize(205, 116);

    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setGeometry(18, 7, 170, 28);

    m_edit->setObjectName(QStringLiteral("Password"));
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setMaxLength(255);
    m_edit->setValidator(new Cp1251Validator(m_edit));
    m_edit->setGeometry(18, 45, 170, m_edit->sizeHint().height());
    m_label->setBuddy(m_edit);

    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setGeometry(18, 77, 75, 25);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(113, 77, 75, 25);
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject); // Escape rejects as well

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_edit->setFocus();
}

void PasswordDialog::setPassword(const QString& password) {
    m_edit->setText(password);
    m_edit->selectAll();
}

QString PasswordDialog::password() const {
    return m_edit->text();
}

void installPasswordPrompt() {
    dorod::TDorodSession::Instance().BuiltInPasswordPrompt = [](std::string& password) {
        PasswordDialog dialog(QApplication::activeWindow());
        dialog.setPassword(toQt(password));
        if (ModalRunner::instance().run(dialog) != QDialog::Accepted) return false;
        bool ok = false;
        std::string typed = fromQt(dialog.password(), &ok);
        if (!ok) return false; // the validator keeps such text out; never pass on garbage
        password = std::move(typed);
        return true;
    };
}

} // namespace vornelta
