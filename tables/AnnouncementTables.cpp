#include "tables/AnnouncementTables.h"

#include "platform/TextCodec.h"
#include "storage/DorodTable.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <stdexcept>
#include <unordered_set>

namespace vornelta {

namespace {

using dorod::TFieldType;

QStringList qtList(const TValueList& list) {
    QStringList out;
    for (const std::string& value : list)
        out.push_back(toQt(value));
    return out;
}

int64_t storedInteger(const dorod::TDorodCursor& store, const dorod::TDorodField& field,
                      const dorod::TDorodRecordEntry* entry) {
    using dorod::FieldType;
    switch (field.type) {
    case FieldType::SmallInt:
        return dorod::record::getInt16(entry->data(), field);
    case FieldType::Integer:
    case FieldType::AutoInc:
        return dorod::record::getInt32(entry->data(), field);
    case FieldType::Int64:
        return dorod::record::getInt64(entry->data(), field);
    default:
        return std::strtoll(store.FieldAsText(field, entry).c_str(), nullptr, 10);
    }
}

} // namespace

std::vector<dorod::TFieldDef> announcementFieldDefs() {
    return announcementTable().fields;
}

std::vector<dorod::TFieldDef> runDateFieldDefs() {
    return runDateTable().fields;
}

const QStringList& clientCategories() {
    static const QStringList list = qtList(clientCategoryValues());
    return list;
}

const QStringList& paymentMethods() {
    static const QStringList list = qtList(paymentMethodValues());
    return list;
}

const QStringList& subjectCategories() {
    static const QStringList list = qtList(subjectCategoryValues());
    return list;
}

const QString& announcementType() {
    static const QString type = toQt(announcementTypeValue());
    return type;
}

const std::vector<std::string>& clientCategoriesBytes() {
    return clientCategoryValues();
}
const std::vector<std::string>& paymentMethodsBytes() {
    return paymentMethodValues();
}
const std::vector<std::string>& subjectCategoriesBytes() {
    return subjectCategoryValues();
}
const std::string& announcementTypeBytes() {
    return announcementTypeValue();
}

bool isTextColour(int number) {
    return std::any_of(kTextColours.begin(), kTextColours.end(),
                       [number](const TextColour& c) { return c.number == number; });
}

QString textColourName(int number) {
    // In the order of kTextColours.
    static const std::array<const char*, kTextColours.size()> kNames{
        "черный", "темно-синий", "фиолетовый", "зеленый", "красный", "оранжевый", "желтый", "белый",
    };
    for (size_t i = 0; i < kTextColours.size(); ++i)
        if (kTextColours[i].number == number) return QString::fromUtf8(kNames[i]);
    return QString();
}

QColor qColorFromColourNumber(int number) {
    return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

int colourNumberFromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

namespace {

// The order of tData's view (its index fields, sort options), applied to the store's own
// entries: what the view shows and what a filter or range hides alike.
class TableOrder {
public:
    explicit TableOrder(dorod::TDorodTable& tData)
        : m_store(*tData.Store()), m_order(m_store.ResolveFieldList(tData.IndexFieldNames())),
          m_ignoreCase((tData.SortOptions() & dorod::vsoCaseInsensitive) != 0),
          m_descending((tData.SortOptions() & dorod::vsoDescendSort) != 0) {}
    // Below 0 when a comes first; 0 for rows the order does not tell apart.
    int compare(const dorod::TDorodRecordEntry* a, const dorod::TDorodRecordEntry* b) const {
        const int d = dorod::record::compareRecords(*m_store.Layout(), m_order, a->data(),
                                                    b->data(), m_ignoreCase);
        return m_descending ? -d : d;
    }

private:
    dorod::TDorodCursor& m_store;
    std::vector<int> m_order;
    bool m_ignoreCase;
    bool m_descending;
};

} // namespace

const dorod::TDorodRecordEntry*
firstRowInTableOrder(dorod::TDorodTable& tData,
                     const std::function<bool(const dorod::TDorodRecordEntry&)>& matches) {
    dorod::TDorodCursor* store = tData.Store();
    if (!tData.Active() || !store) return nullptr;
    const TableOrder order(tData);
    const dorod::TDorodRecordEntry* first = nullptr;
    for (const dorod::TDorodRecordEntry* entry : store->Entries()) {
        // A stable sort keeps equal rows in store order: the first of equals wins.
        if (entry->isLive() && matches(*entry) && (!first || order.compare(entry, first) < 0))
            first = entry;
    }
    return first;
}

int nextAnnouncementNumber(dorod::TDorodTable& tData, bool* numberExisted) {
    if (numberExisted) *numberExisted = false;
    dorod::TDorodCursor* store = tData.Store();
    if (!tData.Active() || !store)
        tData.DatabaseError("Cannot perform this operation on a closed dataset");
    const int idIndex = store->FieldIndex(field::kId);
    if (idIndex < 0) tData.DatabaseError("Field 'id' not found");
    const dorod::TDorodField& idField = *store->Field(idIndex);

    // Reading the store directly sees the rows a filter or range hides and leaves the
    // table's view and position alone.
    const TableOrder order(tData);
    const auto compare = [&](const dorod::TDorodRecordEntry* a, const dorod::TDorodRecordEntry* b) {
        return order.compare(a, b);
    };

    std::unordered_set<int64_t> ids;
    const dorod::TDorodRecordEntry* last = nullptr;
    for (const dorod::TDorodRecordEntry* entry : store->Entries()) {
        if (!entry->isLive()) continue;
        ids.insert(storedInteger(*store, idField, entry));
        // A stable sort puts an equal row after the earlier ones: the last of equals wins.
        if (!last || compare(entry, last) >= 0) last = entry;
    }

    int64_t number = (last ? storedInteger(*store, idField, last) : 0) + 1;
    if (ids.count(number)) {
        if (numberExisted) *numberExisted = true;
        while (ids.count(number))
            ++number;
    }
    if (number > std::numeric_limits<int32_t>::max() ||
        number < std::numeric_limits<int32_t>::min())
        throw std::range_error("Номера объявлений исчерпаны");
    return int(number);
}

bool createTableFile(const QString& path, const std::vector<dorod::TFieldDef>& defs,
                     QString* error) {
    std::string message;
    const bool ok = dorod::createTableFile(QFile::encodeName(path).toStdString(), defs, message);
    // Engine messages are ASCII apart from the path, which is in the file system's encoding.
    if (!ok && error) *error = QString::fromLocal8Bit(message.c_str());
    return ok;
}

} // namespace vornelta
