// Writes table files for dataset tests through the record store: the field
// descriptions (with the defaults a table designer stores in them), rows given as value
// texts converted under the process-wide locale, and an ordinary save.
#pragma once

#include "storage/DataSet.h"
#include "storage/DorodConvert.h"
#include "storage/DorodCursor.h"
#include "storage/Win1251.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

// Windows-1251 bytes of a UTF-8 literal.
inline std::string cp1251(std::string_view utf8) {
    std::string out;
    if (!dorod::win1251::fromUtf8(utf8, out))
        throw std::invalid_argument("not representable in Windows-1251: " + std::string(utf8));
    return out;
}

// The message of the dataset error an action raises.
inline std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const dorod::EDatabaseError& e) {
        return e.what();
    }
    return "(no error)";
}

// The ids of a dataset's view, in view order.
inline std::vector<int> idsOf(dorod::TDataSet& t) {
    std::vector<int> ids;
    for (t.First(); !t.Eof(); t.Next())
        ids.push_back(t.FieldByName("id").AsInteger());
    return ids;
}

struct Column {
    Column(std::string name, dorod::FieldType type, int32_t size = 0, std::string defaultValue = {})
        : name(std::move(name)), type(type), size(size), defaultValue(std::move(defaultValue)) {}

    std::string name;
    dorod::FieldType type;
    int32_t size;             // text length of SmallStr and String
    std::string defaultValue; // the default stored in the field description
};

class TableBuilder {
public:
    explicit TableBuilder(const std::vector<Column>& columns) {
        std::vector<dorod::TDorodField> fields;
        for (const Column& c : columns) {
            dorod::TDorodField f;
            f.name = c.name;
            f.type = c.type;
            f.declaredSize = c.size;
            f.defaultValue = c.defaultValue;
            fields.push_back(f);
        }
        std::string message;
        if (!m_store.DefineFields(fields, message)) throw std::invalid_argument(message);
    }

    // One row: a value text per leading column; an empty text leaves the value empty.
    TableBuilder& row(const std::vector<std::string>& values) {
        if (values.size() > size_t(m_store.FieldCount()))
            throw std::invalid_argument("more values than columns");
        dorod::TDorodRecordBuffer buffer(m_store.Layout());
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i].empty()) continue;
            if (!dorod::textToStoredValue(*m_store.Field(int(i)), values[i], buffer.data()))
                throw std::invalid_argument("value does not convert: " + values[i]);
        }
        m_store.AppendStoredRecord(buffer.data());
        return *this;
    }

    void save(const std::string& path) {
        std::string message;
        if (!m_store.SaveToFile(path, 0, false, {}, message)) throw std::runtime_error(message);
    }

private:
    dorod::TDorodCursor m_store;
};

} // namespace testsupport
