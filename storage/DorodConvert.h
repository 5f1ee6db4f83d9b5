// Literal conversion: a value text (a filter's right side, a range bound, a search key)
// made into the stored form of a field, under the process-wide locale.
//
//   SmallInt, Integer, AutoInc   decimal integer within the type's range
//   Int64                        decimal 64-bit integer
//   Boolean                      true for "TRUE", "ДА", "YES", "T", "1" in any letter case,
//                                false for any other text
//   Double, Currency             number with the locale's decimal separator or a point
//   Date                         the short date format, stored as the day number
//   Time                         the time format (seconds may be left out), stored as
//                                milliseconds since midnight
//   DateTime                     a date, optionally blanks and a time; a date alone is
//                                midnight
//   SmallStr, String             the text, cut to the declared size
//   Memo, FmtMemo                the text
//   BLOB, Graphic, Unknown       nothing
//
// Blanks around numbers, booleans, dates and times are ignored; texts are kept as given.
// Numbers take an optional sign and nothing else but digits (floating point also a
// separator and an exponent), so "12abc" is no number and equal values give equal bytes
// ("-0" is stored as 0).
#pragma once

#include "storage/DorodField.h"

#include <cstdint>
#include <string_view>

namespace dorod {

// Stores the text as the field's value in rec, a record buffer of the field's layout.
// The field's previous value is released and its slot zeroed first; an empty text, or a
// text that does not convert, leaves it so without an error. Returns whether a value
// was stored from the text (false for an empty text and for BLOB, Graphic and Unknown
// fields).
bool textToStoredValue(const TDorodField& field, std::string_view text, uint8_t* rec);

} // namespace dorod
