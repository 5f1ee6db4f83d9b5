#include "tables/RealtyTables.h"

#include "platform/TextCodec.h"

namespace vornelta {

namespace {
QStringList qtList(const TValueList& list) {
    QStringList out;
    for (const std::string& value : list)
        out.push_back(toQt(value));
    return out;
}
} // namespace

std::vector<dorod::TFieldDef> realtyFieldDefs() {
    return realtyTable().fields;
}

std::vector<dorod::TFieldDef> realtyOutFieldDefs() {
    return realtyOutTable().fields;
}

const QStringList& realtyDeals() {
    static const QStringList list = qtList(realtyDealValues());
    return list;
}

const QStringList& realtyFlats() {
    static const QStringList list = qtList(realtyFlatValues());
    return list;
}

const std::vector<std::string>& realtyDealsBytes() {
    return realtyDealValues();
}
const std::vector<std::string>& realtyFlatsBytes() {
    return realtyFlatValues();
}

} // namespace vornelta
