#include "storage/DorodBlobStream.h"

#include "storage/DataSet.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace dorod {

TDorodBlobStream::TDorodBlobStream(TField& field, TBlobStreamMode mode)
    : m_field(field), m_mode(mode) {
    if (mode == TBlobStreamMode::bmRead) {
        m_data = field.AsString();
        return;
    }
    // Raises "Table is not in edit or insert mode" / "Field '%s' is read only!" now,
    // not when the written value is given back.
    field.DataSet().EditRecord();
    if (field.ReadOnly)
        field.DataSet().DatabaseError(formatMessage(msg::FieldReadOnly, field.FieldName().c_str()));
}

TDorodBlobStream::~TDorodBlobStream() {
    // A destructor may not throw: a failure here goes to the error output instead.
    try {
        Commit();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
    }
}

size_t TDorodBlobStream::Read(char* buffer, size_t count) {
    const size_t n = std::min(count, m_data.size() - m_position);
    if (n > 0) std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    return n;
}

void TDorodBlobStream::Write(std::string_view bytes) {
    if (m_mode != TBlobStreamMode::bmWrite) return;
    if (m_position + bytes.size() > m_data.size()) m_data.resize(m_position + bytes.size());
    std::memcpy(m_data.data() + m_position, bytes.data(), bytes.size());
    m_position += bytes.size();
    m_written = true;
}

void TDorodBlobStream::Commit() {
    if (m_mode != TBlobStreamMode::bmWrite || !m_written) return;
    m_written = false;
    m_field.SetAsString(m_data);
}

} // namespace dorod
