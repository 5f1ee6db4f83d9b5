// TDorodBlobStream: a BLOB, Memo, FmtMemo or Graphic value as an in-memory stream.
// Opened for reading it holds a copy of the value. Opened for writing it starts empty;
// when it is released, what was written replaces the field's value and the dataset is
// told that the field changed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dorod {

class TField;

enum class TBlobStreamMode { bmRead, bmWrite };

class TDorodBlobStream {
public:
    // Writing needs the dataset in edit or insert state and a writable field; otherwise
    // the dataset's error is raised.
    TDorodBlobStream(TField& field, TBlobStreamMode mode);
    ~TDorodBlobStream();
    TDorodBlobStream(const TDorodBlobStream&) = delete;
    TDorodBlobStream& operator=(const TDorodBlobStream&) = delete;

    const std::string& Data() const { return m_data; }
    size_t Position() const { return m_position; }
    void Seek(size_t position) { m_position = position < m_data.size() ? position : m_data.size(); }
    // Reads up to count bytes from the position.
    size_t Read(char* buffer, size_t count);
    void Write(std::string_view bytes);
    // Writes the value back now (the destructor does it otherwise); errors propagate.
    void Commit();

private:
    TField& m_field;
    TBlobStreamMode m_mode;
    std::string m_data;
    size_t m_position = 0;
    bool m_written = false;
};

} // namespace dorod
