// The announcement tables data.d and dates.d for the windows: their field definitions
// (defined once in tables/defs), the fixed value lists as Qt strings, the eight text
// colours and the numbering of a new announcement. Also the one way the program creates
// an empty table file.
#pragma once

#include "storage/DataSet.h"
#include "tables/defs/TableDefinitions.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace dorod {
class TDorodTable;
struct TDorodRecordEntry;
} // namespace dorod

namespace vornelta {

// data.d: id, indate, Client, Pasport, Tel, Text, ClientCat, Oplata, ObjCat, type, temp,
// slov, povt, XML, Summa.
std::vector<dorod::TFieldDef> announcementFieldDefs();
// dates.d: id, date.
std::vector<dorod::TFieldDef> runDateFieldDefs();

// The fixed value lists in the order of the entry form's drop-down lists. Stored and
// compared exactly as given; the byte forms are the lists of tables/defs, for comparing
// with field values without a conversion per row.
const QStringList& clientCategories();  // ClientCat
const QStringList& paymentMethods();    // Oplata
const QStringList& subjectCategories(); // ObjCat
const QString& announcementType();      // type: "БЕГУЩАЯ СТРОКА"
const std::vector<std::string>& clientCategoriesBytes();
const std::vector<std::string>& paymentMethodsBytes();
const std::vector<std::string>& subjectCategoriesBytes();
const std::string& announcementTypeBytes();

// Text colours as Windows colour numbers: red in the low byte, then green, then blue.
inline constexpr int kColourBlack = 0;
inline constexpr int kColourNavy = 8388608;
inline constexpr int kColourPurple = 8388736;
inline constexpr int kColourGreen = 32768;
inline constexpr int kColourRed = 255;
inline constexpr int kColourOrange = 33023;
inline constexpr int kColourYellow = 65535;
inline constexpr int kColourWhite = 16777215; // the colour of text typed without a choice

struct TextColour {
    int number;
    const char* name;
};

// In the order of the entry form's colour buttons bc1 … bc8.
inline constexpr std::array<TextColour, 8> kTextColours{{
    {kColourBlack, "black"},
    {kColourNavy, "navy"},
    {kColourPurple, "purple"},
    {kColourGreen, "green"},
    {kColourRed, "red"},
    {kColourOrange, "orange"},
    {kColourYellow, "yellow"},
    {kColourWhite, "white"},
}};

// Whether the number is one of the eight text colours.
bool isTextColour(int number);
// The Russian name of a text colour as the entry form's buttons show it ("красный");
// empty for a number that is not one of the eight.
QString textColourName(int number);
// The colour of a Windows colour number (only its low 24 bits count).
QColor qColorFromColourNumber(int number);
// The Windows colour number of a colour (alpha ignored).
int colourNumberFromQColor(const QColor& colour);

// The number a new announcement gets: the `id` of the last row of data.d in the table's
// order, plus 1; while a row with that number exists, 1 more. *numberExisted tells
// whether the first proposal was taken (the caller then says "Этот номер уже
// существует", once). Every live row of the store counts, also those the table's filter
// or range hides at the moment; the order is the table's index order (its view as
// rebuilt, ties in store order), or store order without index fields. The table's
// position, filter and view are left as they were. A closed table or one without `id`
// raises the engine's dataset error.
int nextAnnouncementNumber(dorod::TDorodTable& tData, bool* numberExisted);

// The first live row of tData's store, in the table's order as above, for which `matches`
// holds: the rows a filter or range hides count too. Null when none does or the table is
// closed. The table's position and view are left alone.
const dorod::TDorodRecordEntry*
firstRowInTableOrder(dorod::TDorodTable& tData,
                     const std::function<bool(const dorod::TDorodRecordEntry&)>& matches);

// Writes an empty table file with these fields, replacing any file of that name. False
// with the engine's message in *error when the file cannot be written or there are no
// fields.
bool createTableFile(const QString& path, const std::vector<dorod::TFieldDef>& defs,
                     QString* error = nullptr);

} // namespace vornelta
