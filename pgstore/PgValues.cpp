#include "pgstore/PgValues.h"

#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace pgstore {

namespace {

using dorod::FieldType;
namespace record = dorod::record;

// Day number of 2000-01-01, the zero of the server's dates and timestamps.
int32_t day2000() {
    static const int32_t day = dorod::dayNumberFromCivil(2000, 1, 1);
    return day;
}

constexpr char kCopySignature[] = "PGCOPY\n\377\r\n"; // and a zero byte: 11 bytes

} // namespace

void putInt16(std::string& out, int16_t v) {
    const auto u = uint16_t(v);
    out += char(u >> 8);
    out += char(u & 0xFF);
}

void putInt32(std::string& out, int32_t v) {
    const auto u = uint32_t(v);
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((u >> shift) & 0xFF);
}

void putInt64(std::string& out, int64_t v) {
    const auto u = uint64_t(v);
    for (int shift = 56; shift >= 0; shift -= 8)
        out += char((u >> shift) & 0xFF);
}

std::string int32Param(int32_t v) {
    std::string out;
    putInt32(out, v);
    return out;
}

std::string int64Param(int64_t v) {
    std::string out;
    putInt64(out, v);
    return out;
}

int64_t readBigEndian(std::string_view bytes) {
    uint64_t u = 0;
    for (char c : bytes)
        u = (u << 8) | uint8_t(c);
    const unsigned bits = unsigned(bytes.size()) * 8;
    if (bits > 0 && bits < 64 && (u >> (bits - 1)) & 1) u |= ~uint64_t(0) << bits;
    return int64_t(u);
}

PgParam encodeValue(const PgColumn& column, const dorod::TDorodField& field, const uint8_t* rec) {
    std::string out;
    switch (column.kind) {
    case PgColumnKind::SmallInt:
        putInt16(out, int16_t(record::getInteger(rec, field)));
        break;
    case PgColumnKind::Integer:
        putInt32(out, int32_t(record::getInteger(rec, field)));
        break;
    case PgColumnKind::BigInt:
        putInt64(out, record::getInteger(rec, field));
        break;
    case PgColumnKind::Boolean:
        out += record::getBoolean(rec, field) ? '\1' : '\0';
        break;
    case PgColumnKind::Double:
        putInt64(out, int64_t(std::bit_cast<uint64_t>(record::getDouble(rec, field))));
        break;
    case PgColumnKind::Date: {
        const int32_t day = record::getInt32(rec, field);
        if (day <= 0) return std::nullopt;
        putInt32(out, day - day2000());
        break;
    }
    case PgColumnKind::Timestamp: {
        const double ms = record::getDouble(rec, field);
        if (!(ms > 0)) return std::nullopt;
        const double fromEpoch = ms - double(day2000()) * double(dorod::kMsPerDay);
        putInt64(out, std::llround(fromEpoch * 1000.0));
        break;
    }
    case PgColumnKind::Text:
        out = dorod::win1251::toUtf8(record::getText(rec, field));
        break;
    }
    return out;
}

bool decodeValue(const PgColumn& column, const dorod::TDorodField& field,
                 std::optional<std::string_view> bytes, uint8_t* rec, std::string& message) {
    if (!bytes) return true; // the record's slot is empty already
    const auto expect = [&](size_t size) {
        if (bytes->size() == size) return true;
        message = "column " + column.name + " holds a value of " + std::to_string(bytes->size()) +
                  " bytes where " + std::to_string(size) + " were expected";
        return false;
    };
    switch (column.kind) {
    case PgColumnKind::SmallInt:
        if (!expect(2)) return false;
        record::setInt16(rec, field, int16_t(readBigEndian(*bytes)));
        return true;
    case PgColumnKind::Integer:
        if (!expect(4)) return false;
        record::setInt32(rec, field, int32_t(readBigEndian(*bytes)));
        return true;
    case PgColumnKind::BigInt:
        if (!expect(8)) return false;
        record::setInt64(rec, field, readBigEndian(*bytes));
        return true;
    case PgColumnKind::Boolean:
        if (!expect(1)) return false;
        record::setBoolean(rec, field, (*bytes)[0] != 0);
        return true;
    case PgColumnKind::Double:
        if (!expect(8)) return false;
        record::setDouble(rec, field, std::bit_cast<double>(uint64_t(readBigEndian(*bytes))));
        return true;
    case PgColumnKind::Date: {
        if (!expect(4)) return false;
        const int64_t day = readBigEndian(*bytes) + day2000();
        if (day < 1 || day > INT32_MAX) {
            message = "column " + column.name + " holds a date the tables cannot keep";
            return false;
        }
        record::setInt32(rec, field, int32_t(day));
        return true;
    }
    case PgColumnKind::Timestamp: {
        if (!expect(8)) return false;
        const double ms =
            double(day2000()) * double(dorod::kMsPerDay) + double(readBigEndian(*bytes)) / 1000.0;
        if (!(ms > 0)) {
            message = "column " + column.name + " holds a time the tables cannot keep";
            return false;
        }
        record::setDouble(rec, field, ms);
        return true;
    }
    case PgColumnKind::Text: {
        // One buffer for every text of a load: no allocation per value.
        thread_local std::string text;
        size_t bad = 0;
        if (!dorod::win1251::fromUtf8(*bytes, text, &bad)) {
            message = "column " + column.name + " holds a character (at " +
                      std::to_string(bad + 1) + ") that Windows-1251 has no letter for";
            return false;
        }
        record::setText(rec, field, text);
        return true;
    }
    }
    return true;
}

std::string copyHeader() {
    std::string out(kCopySignature, 11);
    putInt32(out, 0); // flags
    putInt32(out, 0); // header extension length
    return out;
}

std::string copyTrailer() {
    std::string out;
    putInt16(out, -1);
    return out;
}

bool PgCopyReader::feed(std::string_view piece, std::string& message) {
    if (m_finished) return true;
    if (m_pending.empty()) {
        // The server sends one row a piece: parsed where it lies, only a remainder kept.
        size_t pos = 0;
        if (!parse(piece, pos, message)) return false;
        m_pending.assign(piece.substr(pos));
        return true;
    }
    m_pending.append(piece);
    size_t pos = 0;
    if (!parse(m_pending, pos, message)) return false;
    m_pending.erase(0, pos);
    return true;
}

bool PgCopyReader::parse(std::string_view data, size_t& pos, std::string& message) {
    if (!m_headerRead) {
        if (data.size() - pos < 19) return true;
        if (data.substr(pos, 11) != std::string_view(kCopySignature, 11)) {
            message = "the database sent rows in a form not understood (no COPY signature)";
            return false;
        }
        const int64_t extension = readBigEndian(data.substr(pos + 15, 4));
        if (extension < 0 || data.size() - pos < 19 + size_t(extension)) return true;
        pos += 19 + size_t(extension);
        m_headerRead = true;
    }
    while (data.size() - pos >= 2) {
        const int64_t count = readBigEndian(data.substr(pos, 2));
        if (count == -1) {
            m_finished = true;
            pos += 2;
            return true;
        }
        if (count < 0) {
            message = "the database sent a row with a negative number of columns";
            return false;
        }
        // The whole tuple must be here before any of it is handed on.
        size_t p = pos + 2;
        m_values.clear();
        bool complete = true;
        for (int64_t i = 0; i < count; ++i) {
            if (data.size() - p < 4) {
                complete = false;
                break;
            }
            const int64_t length = readBigEndian(data.substr(p, 4));
            p += 4;
            if (length == -1) {
                m_values.emplace_back(std::nullopt);
                continue;
            }
            if (length < 0 || data.size() - p < size_t(length)) {
                complete = false;
                break;
            }
            m_values.emplace_back(data.substr(p, size_t(length)));
            p += size_t(length);
        }
        if (!complete) return true;
        if (!m_handler(m_values, message)) return false;
        pos = p;
    }
    return true;
}

} // namespace pgstore
