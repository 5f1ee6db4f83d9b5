#include "intake/FieldBoxValidator.h"

#include "intake/OneLineTextEdit.h"
#include "intake/WordCount.h"
#include "platform/TextCodec.h"

#include <QLineEdit>

namespace vornelta {

TFieldBoxValidator::TFieldBoxValidator(QLineEdit* box, int width, Case letterCase)
    : QValidator(box), m_width(width), m_case(letterCase) {}

QValidator::State TFieldBoxValidator::validate(QString& input, int& position) const {
    // A "\r\n" before the cursor becomes one space: the cursor moves back by one for each.
    position -= int(input.left(position).count(QLatin1String("\r\n")));
    input = oneLineText(input);
    if (m_case == Case::Upper) input = upperCased(input);
    const int excess = int(input.size()) - m_width;
    if (excess > 0) {
        // What came in ends at the cursor: its tail is left out.
        const int grown = int(input.size() - m_accepted.size());
        const int from = qMax(0, position - excess);
        input.remove(from, excess);
        position = from;
        if (grown > 1 && onCut) onCut(excess);
    }
    m_accepted = input;
    return Acceptable;
}

} // namespace vornelta
