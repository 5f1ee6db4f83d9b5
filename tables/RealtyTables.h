// The realty tables rielt.d and rielt_out.d as code: their field definitions and the
// values of the deal (`tip`) and flat (`vid`) fields. rielt_out.d is also the layout of
// the transfer file, so its definitions serve transfer.d as well.
//
//   Field  Kind            Why
//   date   ftDateTime      the desk calls it a date/time; it holds the intake day at midnight
//   tip    ftString 20     longest value "ПРОДАМ" has 6 characters; the width of vid
//   vid    ftString 20     longest value "ЧЕТЫРЕХКОМНАТНАЯ" has 16 characters
//   text   ftMemo          the whole announcement as typed, line breaks kept, no length limit
//
// Both short widths stay within the engine's inline string size (35), so no value is
// allocated on its own.
#pragma once

#include "storage/DataSet.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace vornelta {

inline constexpr char kRealtyFileName[] = "rielt.d";
inline constexpr char kRealtyOutFileName[] = "rielt_out.d";

inline constexpr int kRealtyTipWidth = 20;
inline constexpr int kRealtyVidWidth = 20;

// rielt.d: date, tip, vid, text.
std::vector<dorod::TFieldDef> realtyFieldDefs();
// rielt_out.d and transfer.d: date, vid, tip, text.
std::vector<dorod::TFieldDef> realtyOutFieldDefs();

// `tip`: "СДАМ", "ПРОДАМ", "КУПЛЮ", "ОБМЕН", in the order of the deal check boxes; a
// later value wins when several are ticked. Empty when none is.
const QStringList& realtyDeals();
// `vid`: "ОДНОКОМНАТНАЯ" … "ЧЕТЫРЕХКОМНАТНАЯ", one to four rooms, in check-box order.
const QStringList& realtyFlats();
// Their Windows-1251 bytes.
const std::vector<std::string>& realtyDealsBytes();
const std::vector<std::string>& realtyFlatsBytes();

} // namespace vornelta
