#include "tables/defs/TableDefinitions.h"

#include "storage/DorodTable.h"
#include "storage/Win1251.h"

#include <initializer_list>
#include <stdexcept>

namespace vornelta {

namespace {

using dorod::TFieldType;

// The lists are UTF-8 literals of this file; every character has a Windows-1251 byte.
std::string cp1251(std::string_view utf8) {
    std::string out;
    if (!dorod::win1251::fromUtf8(utf8, out))
        throw std::logic_error("a value list holds a character outside Windows-1251");
    return out;
}

TValueList valueList(std::initializer_list<const char*> utf8) {
    TValueList out;
    for (const char* value : utf8)
        out.push_back(cp1251(value));
    return out;
}

std::vector<dorod::TFieldDef> realtyOutFields() {
    return {
        {field::kDate, TFieldType::ftDateTime, 0},
        {field::kVid, TFieldType::ftString, kRealtyVidWidth},
        {field::kTip, TFieldType::ftString, kRealtyTipWidth},
        {field::kRealtyText, TFieldType::ftMemo, 0},
    };
}

} // namespace

const TTableDefinition& announcementTable() {
    static const TTableDefinition table{
        kAnnouncementFileName,
        "tData",
        {
            {field::kId, TFieldType::ftInteger, 0},
            {field::kIndate, TFieldType::ftDate, 0},
            {field::kClient, TFieldType::ftString, kClientWidth},
            {field::kPasport, TFieldType::ftString, kPasportWidth},
            {field::kTel, TFieldType::ftString, kTelWidth},
            {field::kText, TFieldType::ftString, kTextWidth},
            {field::kClientCat, TFieldType::ftString, kClientCatWidth},
            {field::kOplata, TFieldType::ftString, kOplataWidth},
            {field::kObjCat, TFieldType::ftString, kObjCatWidth},
            {field::kType, TFieldType::ftString, kTypeWidth},
            {field::kTemp, TFieldType::ftInteger, 0},
            {field::kSlov, TFieldType::ftInteger, 0},
            {field::kPovt, TFieldType::ftBoolean, 0},
            {field::kXml, TFieldType::ftMemo, 0},
            {field::kSumma, TFieldType::ftFloat, 0},
        }};
    return table;
}

const TTableDefinition& runDateTable() {
    static const TTableDefinition table{
        kRunDateFileName,
        "tDates",
        {{field::kId, TFieldType::ftInteger, 0}, {field::kDate, TFieldType::ftDate, 0}}};
    return table;
}

const TTableDefinition& realtyTable() {
    static const TTableDefinition table{kRealtyFileName,
                                        "tRielt",
                                        {
                                            {field::kDate, TFieldType::ftDateTime, 0},
                                            {field::kTip, TFieldType::ftString, kRealtyTipWidth},
                                            {field::kVid, TFieldType::ftString, kRealtyVidWidth},
                                            {field::kRealtyText, TFieldType::ftMemo, 0},
                                        }};
    return table;
}

const TTableDefinition& realtyOutTable() {
    static const TTableDefinition table{kRealtyOutFileName, "tRieltOut", realtyOutFields()};
    return table;
}

const TTableDefinition& transferTable() {
    static const TTableDefinition table{kTransferFileName, "tRieltOut", realtyOutFields()};
    return table;
}

const TValueList& clientCategoryValues() {
    static const TValueList list = valueList({"ФИЗЛИЦА", "ПРЕДПРИНИМАТЕЛИ", "ЮРЛИЦА"});
    return list;
}

const TValueList& paymentMethodValues() {
    static const TValueList list =
        valueList({"НАЛИЧНЫЙ", "БЕЗНАЛИЧНЫЙ", "ВЗАИМОРАСЧЕТ", "БЕСПЛАТНО"});
    return list;
}

const TValueList& subjectCategoryValues() {
    static const TValueList list = valueList({"ПРОЧЕЕ", "НЕДВИЖИМОСТЬ", "АВТОТРАНСПОРТ", "УСЛУГИ"});
    return list;
}

const std::string& announcementTypeValue() {
    static const std::string value = cp1251("БЕГУЩАЯ СТРОКА");
    return value;
}

const TValueList& realtyDealValues() {
    static const TValueList list = valueList({"СДАМ", "ПРОДАМ", "КУПЛЮ", "ОБМЕН"});
    return list;
}

const TValueList& realtyFlatValues() {
    static const TValueList list =
        valueList({"ОДНОКОМНАТНАЯ", "ДВУХКОМНАТНАЯ", "ТРЕХКОМНАТНАЯ", "ЧЕТЫРЕХКОМНАТНАЯ"});
    return list;
}

} // namespace vornelta
