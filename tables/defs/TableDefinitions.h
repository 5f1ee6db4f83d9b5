// The program's tables, each defined once: file name, component name and fields. The
// fixed value lists some fields take are here too, as Windows-1251 bytes.
//
// data.d, widths of the text fields (Windows-1251 stores one byte per character):
//
//   Field      Width  Why
//   Client     100    free text; the engine's usual String width
//   Pasport    100    free text; the engine's usual String width
//   Tel         40    fixed by the desk
//   Text       600    fixed by the desk
//   ClientCat   15    "ПРЕДПРИНИМАТЕЛИ", the longest fixed value, has 15 characters
//   Oplata      15    "ВЗАИМОРАСЧЕТ" has 12; the same width as ClientCat
//   ObjCat      40    fixed by the desk
//   type        20    "БЕГУЩАЯ СТРОКА" has 14
//
// rielt.d, rielt_out.d and transfer.d:
//
//   Field  Kind            Why
//   date   ftDateTime      the desk calls it a date/time; it holds the intake day at midnight
//   tip    ftString 20     longest value "ПРОДАМ" has 6 characters; the width of vid
//   vid    ftString 20     longest value "ЧЕТЫРЕХКОМНАТНАЯ" has 16 characters
//   text   ftMemo          the whole announcement as typed, line breaks kept, no length limit
//
// Widths up to 35 are kept inside the record (no allocation per value), which suits the
// short category fields read by every filter and report.
#pragma once

#include "storage/DorodTable.h"

#include <string>
#include <vector>

namespace vornelta {

inline constexpr char kAnnouncementFileName[] = "data.d";
inline constexpr char kRunDateFileName[] = "dates.d";
inline constexpr char kRealtyFileName[] = "rielt.d";
inline constexpr char kRealtyOutFileName[] = "rielt_out.d";
inline constexpr char kTransferFileName[] = "transfer.d";

inline constexpr int kClientWidth = 100;
inline constexpr int kPasportWidth = 100;
inline constexpr int kTelWidth = 40;
inline constexpr int kTextWidth = 600;
inline constexpr int kClientCatWidth = 15;
inline constexpr int kOplataWidth = 15;
inline constexpr int kObjCatWidth = 40;
inline constexpr int kTypeWidth = 20;
inline constexpr int kRealtyTipWidth = 20;
inline constexpr int kRealtyVidWidth = 20;

// Field names, spelled once: data.d (id … Summa), dates.d (id, date), and the realty
// tables rielt.d, rielt_out.d and transfer.d (date, tip, vid, text). The engine finds a
// field whatever the letter case.
namespace field {
inline constexpr char kId[] = "id";
inline constexpr char kIndate[] = "indate";
inline constexpr char kClient[] = "Client";
inline constexpr char kPasport[] = "Pasport";
inline constexpr char kTel[] = "Tel";
inline constexpr char kText[] = "Text";
inline constexpr char kClientCat[] = "ClientCat";
inline constexpr char kOplata[] = "Oplata";
inline constexpr char kObjCat[] = "ObjCat";
inline constexpr char kType[] = "type";
inline constexpr char kTemp[] = "temp";
inline constexpr char kSlov[] = "slov";
inline constexpr char kPovt[] = "povt";
inline constexpr char kXml[] = "XML";
inline constexpr char kSumma[] = "Summa";
inline constexpr char kDate[] = "date"; // a run day of dates.d; the day of a realty row
inline constexpr char kTip[] = "tip";
inline constexpr char kVid[] = "vid";
inline constexpr char kRealtyText[] = "text";
} // namespace field

// `temp` is written as this on every save.
inline constexpr int kTempValue = 1;

struct TTableDefinition {
    std::string fileName;      // in the program folder
    std::string componentName; // the desk's table component
    std::vector<dorod::TFieldDef> fields;

    // The store's fields, as an empty table of these definitions has them.
    std::vector<dorod::TDorodField> storeFields() const { return dorod::storeFieldsOf(fields); }
};

// data.d, tData: id, indate, Client, Pasport, Tel, Text, ClientCat, Oplata, ObjCat, type,
// temp, slov, povt, XML, Summa.
const TTableDefinition& announcementTable();
// dates.d, tDates: id, date.
const TTableDefinition& runDateTable();
// rielt.d, tRielt: date, tip, vid, text.
const TTableDefinition& realtyTable();
// rielt_out.d, tRieltOut: date, vid, tip, text.
const TTableDefinition& realtyOutTable();
// transfer.d, the realty export written from tRieltOut: rielt_out.d's fields.
const TTableDefinition& transferTable();

// A fixed list of values of a text field, as Windows-1251 bytes, stored and compared
// exactly as given, in the order of the windows' lists.
using TValueList = std::vector<std::string>;

const TValueList& clientCategoryValues(); // ClientCat: ФИЗЛИЦА, ПРЕДПРИНИМАТЕЛИ, ЮРЛИЦА
const TValueList& paymentMethodValues();    // Oplata: НАЛИЧНЫЙ … БЕСПЛАТНО
const TValueList& subjectCategoryValues();  // ObjCat: ПРОЧЕЕ … УСЛУГИ
const std::string& announcementTypeValue(); // type: БЕГУЩАЯ СТРОКА
// `tip`: СДАМ, ПРОДАМ, КУПЛЮ, ОБМЕН, in the order of the deal check boxes.
const TValueList& realtyDealValues();
// `vid`: ОДНОКОМНАТНАЯ … ЧЕТЫРЕХКОМНАТНАЯ, one to four rooms.
const TValueList& realtyFlatValues();

} // namespace vornelta
