// The realty tables rielt.d and rielt_out.d for the windows: their field definitions
// (defined once in tables/defs, with transfer.d) and the values of the deal (`tip`) and
// flat (`vid`) fields as Qt strings.
#pragma once

#include "storage/DataSet.h"
#include "tables/defs/TableDefinitions.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace vornelta {

// rielt.d: date, tip, vid, text.
std::vector<dorod::TFieldDef> realtyFieldDefs();
// rielt_out.d and transfer.d: date, vid, tip, text.
std::vector<dorod::TFieldDef> realtyOutFieldDefs();

// `tip`: "СДАМ", "ПРОДАМ", "КУПЛЮ", "ОБМЕН", in the order of the deal check boxes; a
// later value wins when several are ticked. Empty when none is.
const QStringList& realtyDeals();
// `vid`: "ОДНОКОМНАТНАЯ" … "ЧЕТЫРЕХКОМНАТНАЯ", one to four rooms, in check-box order.
const QStringList& realtyFlats();
// Their Windows-1251 bytes (the lists of tables/defs).
const std::vector<std::string>& realtyDealsBytes();
const std::vector<std::string>& realtyFlatsBytes();

} // namespace vornelta
