// Fast reads of one data field of a dataset's active record, for handlers called once per
// record over millions (the filters of the desk): the field's slot is found when the reader
// is made from the field (and again after the records were read into a new store), and
// every read is inline and allocates nothing. Values
// read as the field's own AsString/AsLargeInt/AsDayNumber give them; without an active
// record a read gives the null value (empty text, 0).
#pragma once

#include "storage/DataSet.h"
#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace dorod {

class TFieldReader {
public:
    TFieldReader() = default;
    // A data field of an open dataset; the reader is good while the dataset stays open,
    // refreshes included.
    // A calculated field has no slot in the record: asking for one is a program error.
    explicit TFieldReader(const TField& field)
        : m_dataSet(&field.DataSet()), m_fieldNo(field.FieldNo()) {
        if (field.Calculated())
            throw std::invalid_argument("a calculated field has no record slot: " +
                                        field.FieldName());
        bind();
    }

    bool Bound() const { return m_field != nullptr; }

    // The bytes of a text field (SmallStr, String, memo); empty for other types.
    std::string_view Text() const {
        const uint8_t* rec = record();
        return rec ? record::getText(rec, *m_field) : std::string_view{};
    }
    // The value of an integer field (SmallInt, Integer, AutoInc, Int64).
    int64_t Integer() const {
        const uint8_t* rec = record();
        return rec && isIntegerType(m_field->type) ? record::getInteger(rec, *m_field) : 0;
    }
    // The day number of a Date or DateTime field (0001-01-01 is day 1); 0 for null.
    int32_t DayNumber() const {
        const uint8_t* rec = record();
        if (!rec) return 0;
        if (m_field->type == FieldType::Date) return record::getInt32(rec, *m_field);
        if (m_field->type == FieldType::DateTime)
            return int32_t(std::floor(record::getDouble(rec, *m_field) / double(kMsPerDay)));
        return 0;
    }

private:
    const uint8_t* record() const {
        if (!m_field) return nullptr;
        const uint8_t* rec = m_dataSet->ActiveRecord();
        // A refresh that read the records whole freed the descriptor found before.
        if (rec && m_generation != m_dataSet->StoreGeneration()) bind();
        return rec;
    }
    void bind() const {
        m_field = &m_dataSet->StoreField(m_fieldNo);
        m_generation = m_dataSet->StoreGeneration();
    }

    const TDataSet* m_dataSet = nullptr;
    int m_fieldNo = -1;
    mutable const TDorodField* m_field = nullptr;
    mutable uint64_t m_generation = 0;
};

} // namespace dorod
