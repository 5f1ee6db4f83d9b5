#include "tables/RealtyTables.h"

#include "platform/TextCodec.h"

namespace vornelta {

namespace {

using dorod::TFieldType;

std::vector<std::string> bytesOf(const QStringList& list) {
    std::vector<std::string> out;
    // Literals of this file; every character has a Windows-1251 byte.
    for (const QString& text : list) out.push_back(fromQt(text));
    return out;
}

} // namespace

std::vector<dorod::TFieldDef> realtyFieldDefs() {
    return {
        {"date", TFieldType::ftDateTime, 0},
        {"tip", TFieldType::ftString, kRealtyTipWidth},
        {"vid", TFieldType::ftString, kRealtyVidWidth},
        {"text", TFieldType::ftMemo, 0},
    };
}

std::vector<dorod::TFieldDef> realtyOutFieldDefs() {
    return {
        {"date", TFieldType::ftDateTime, 0},
        {"vid", TFieldType::ftString, kRealtyVidWidth},
        {"tip", TFieldType::ftString, kRealtyTipWidth},
        {"text", TFieldType::ftMemo, 0},
    };
}

const QStringList& realtyDeals() {
    static const QStringList list{QStringLiteral("СДАМ"), QStringLiteral("ПРОДАМ"),
                                  QStringLiteral("КУПЛЮ"), QStringLiteral("ОБМЕН")};
    return list;
}

const QStringList& realtyFlats() {
    static const QStringList list{QStringLiteral("ОДНОКОМНАТНАЯ"), QStringLiteral("ДВУХКОМНАТНАЯ"),
                                  QStringLiteral("ТРЕХКОМНАТНАЯ"),
                                  QStringLiteral("ЧЕТЫРЕХКОМНАТНАЯ")};
    return list;
}

const std::vector<std::string>& realtyDealsBytes() {
    static const std::vector<std::string> list = bytesOf(realtyDeals());
    return list;
}

const std::vector<std::string>& realtyFlatsBytes() {
    static const std::vector<std::string> list = bytesOf(realtyFlats());
    return list;
}

} // namespace vornelta
