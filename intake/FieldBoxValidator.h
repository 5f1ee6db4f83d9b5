// What the entry form's one-line boxes (client, passport, telephone) accept: one line,
// no longer than the table's field. Typing stops at the width; a paste is cut to it and
// the form is told; line breaks become spaces; the client box is upper case.
#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

namespace vornelta {

class TFieldBoxValidator : public QValidator {
public:
    enum class Case { AsTyped, Upper };

    // Set on the box it serves (its parent).
    TFieldBoxValidator(QLineEdit* box, int width, Case letterCase);

    // Called when more than one character came in at once (a paste, a value set) and
    // was cut to the width, with the number of characters left out.
    std::function<void(int dropped)> onCut;

    State validate(QString& input, int& position) const override;

private:
    int m_width;
    Case m_case;
    // The text last accepted: tells a keystroke from a paste.
    mutable QString m_accepted;
};

} // namespace vornelta
