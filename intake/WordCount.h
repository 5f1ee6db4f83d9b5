// Counting an announcement's text as the desk sells it: characters, words of four or more
// characters, the character limit and the subject category the text suggests.
#pragma once

#include <QString>

#include <optional>

namespace vornelta {

// Tokens are cut at every space (only the space character); a token of 4 or more
// characters is a word, shorter ones (prepositions, short numbers, signs) are free.
// Punctuation belongs to the token it touches.
int countWords(const QString& text);

// Whether the text names flats ("КВАРТИР" in any letter case): such a new announcement is
// classified for the realty program.
bool mentionsFlats(const QString& text);

// The subject category the text asks for: "АВТОТРАНСПОРТ" when it has "АВТОМОБИ",
// else "НЕДВИЖИМОСТЬ" when it has "КВАРТИР", else nothing (the choice stays).
std::optional<QString> suggestedSubjectCategory(const QString& text);

// Whether the text is longer than the limit; 0 is a limit too (every non-empty text).
bool exceedsCharacterLimit(const QString& text, int symKol);
// "Установлено ограничение на количество символов ! 250"
QString characterLimitMessage(int symKol);

} // namespace vornelta
