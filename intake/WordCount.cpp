#include "intake/WordCount.h"

#include "platform/TextCodec.h"
#include "storage/Win1251.h"

namespace vornelta {

namespace {
constexpr int kMinWordLength = 4;
}

int countWords(const QString& text) {
    int words = 0;
    qsizetype tokenLength = 0;
    // The text followed by one space: every token ends at a space.
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == QLatin1Char(' ')) {
            if (tokenLength >= kMinWordLength) ++words;
            tokenLength = 0;
        } else {
            ++tokenLength;
        }
    }
    return words;
}

bool mentionsFlats(const QString& text) {
    return upperCased(text).contains(QStringLiteral("КВАРТИР"));
}

std::optional<QString> suggestedSubjectCategory(const QString& text) {
    const QString upper = upperCased(text);
    if (upper.contains(QStringLiteral("АВТОМОБИ"))) return QStringLiteral("АВТОТРАНСПОРТ");
    if (upper.contains(QStringLiteral("КВАРТИР"))) return QStringLiteral("НЕДВИЖИМОСТЬ");
    return std::nullopt;
}

bool exceedsCharacterLimit(const QString& text, int symKol) {
    return text.size() > symKol;
}

QString characterLimitMessage(int symKol) {
    return QStringLiteral("Установлено ограничение на количество символов ! ") +
           QString::number(symKol);
}

} // namespace vornelta
