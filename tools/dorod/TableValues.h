// How the dorod tool shows stored values and reads them back: JSON values for dump and
// create, and plain cell texts for CSV and TSV. A value is null exactly where the
// dataset layer reads null (a zero Date, DateTime or Int64, an empty SmallStr, an
// absent String or BLOB-family value, an Unknown field).
#pragma once

#include "storage/DorodField.h"
#include "tools/dorod/Json.h"

#include <cstdint>
#include <string>

namespace dorod::tool {

json::Value valueToJson(const TDorodField& field, const uint8_t* rec);
// The cell text of a value: the JSON scalar without quotes; empty for null.
std::string valueToCell(const TDorodField& field, const uint8_t* rec);
// Stores a JSON value into a record slot; false with the reason when it does not fit
// the field's type or size.
bool jsonToValue(const TDorodField& field, const json::Value& value, uint8_t* rec,
                 std::string& error);

// Dates and times in the dump's text forms.
std::string isoDate(int64_t dayNumber); // YYYY-MM-DD
std::string isoTime(int64_t ms);        // HH:MM:SS.mmm
bool parseIsoDate(std::string_view text, int32_t& dayNumber);
bool parseIsoTime(std::string_view text, int32_t& ms);

} // namespace dorod::tool
