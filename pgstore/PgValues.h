// The binary form PostgreSQL gives and takes values in (network byte order; dates as days
// and timestamps as microseconds from 2000-01-01; texts as UTF-8), to and from the slots
// of the engine's record buffers (Windows-1251 texts, day numbers, milliseconds).
// Also the tuples of a binary COPY.
#pragma once

#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "storage/DorodField.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pgstore {

// A value of a record in its column's binary form; null for a date or time without one.
PgParam encodeValue(const PgColumn& column, const dorod::TDorodField& field, const uint8_t* rec);
// Stores a column's binary value (null: none) in the record. False with a message when
// the bytes do not fit the column, or a text holds a character Windows-1251 lacks.
bool decodeValue(const PgColumn& column, const dorod::TDorodField& field,
                 std::optional<std::string_view> bytes, uint8_t* rec, std::string& message);

// Integers in network byte order.
void putInt16(std::string& out, int16_t v);
void putInt32(std::string& out, int32_t v);
void putInt64(std::string& out, int64_t v);
// A number as a statement's binary parameter.
std::string int32Param(int32_t v);
std::string int64Param(int64_t v);
int64_t readBigEndian(std::string_view bytes); // of 1, 2, 4 or 8 bytes, sign-extended

// The start and the end of a binary COPY stream.
std::string copyHeader();
std::string copyTrailer();

// Reads the tuples of a binary COPY as its pieces arrive (a piece may hold the header,
// any number of whole or partial tuples, and the trailer).
class PgCopyReader {
public:
    // Each tuple's values, null as nullopt; false stops the reading with the message set.
    using TupleHandler =
        std::function<bool(const std::vector<std::optional<std::string_view>>&, std::string&)>;
    explicit PgCopyReader(TupleHandler handler) : m_handler(std::move(handler)) {}

    bool feed(std::string_view piece, std::string& message);
    // Whether the trailer was read.
    bool finished() const { return m_finished; }

private:
    // Reads the whole tuples of data from pos on, moving pos past them.
    bool parse(std::string_view data, size_t& pos, std::string& message);

    TupleHandler m_handler;
    std::string m_pending; // the start of a tuple whose end has not arrived
    bool m_headerRead = false;
    bool m_finished = false;
    std::vector<std::optional<std::string_view>> m_values;
};

} // namespace pgstore
