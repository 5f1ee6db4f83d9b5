// The table image: the byte layout of every table file and table stream.
//
//   Offset   Size  Content
//   0        4     image length, this field included (u32; written, not checked on load)
//   4        1     kind: 'S' plain, 'P' enciphered, 'E' (load only) error text follows
//   5        P     key block, P = 40 for kind 'P', else 0
//   5+P      4     record count (u32, written from a signed value)
//   9+P      4     field count N (u32)
//   13+P     4     description length L (u32, at most 99 999)
//   17+P     L     field description section: per field "qualifier.name T[size][~default~extra]"
//                  followed by 0x12; 0x14 after the last
//   17+P+L   3+M   notes block, only with notes: '*', i16 length M, M bytes
//   then     rest  records: an N-byte length array, then the non-empty values in field
//                  order (fixed types: as many bytes as the length byte says; String and
//                  the BLOB family: length byte 4, then u32 length and the bytes)
//
// All integers are little-endian. For kind 'P' everything after the description
// section is enciphered with the key text of the key block.
#include "storage/Coding.h"
#include "storage/DorodAlg.h"
#include "storage/DorodCursor.h"
#include "storage/DorodKeyBlock.h"
#include "storage/FileIo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/mman.h>

namespace dorod {

namespace {
// Type characters of the description section, by type code.
constexpr char kTypeChars[kFieldTypeCount] = {'s', 'l', 'i', 'e', 'b', 'f', 'c', 'd', 'v',
                                              't', 'a', '?', 's', 'o', 'm', 'r', 'g'};

char smallStrChar(int32_t length) {
    return char(length < 10 ? '0' + length : 55 + length);
}

bool typeFromChar(char c, FieldType& type, int32_t& smallStrLength) {
    switch (c) {
    case 'l':
        type = FieldType::SmallInt;
        return true;
    case 'i':
        type = FieldType::Integer;
        return true;
    case 'e':
        type = FieldType::Int64;
        return true;
    case 'b':
        type = FieldType::Boolean;
        return true;
    case 'f':
        type = FieldType::Double;
        return true;
    case 'c':
        type = FieldType::Currency;
        return true;
    case 'd':
        type = FieldType::Date;
        return true;
    case 'v':
        type = FieldType::Time;
        return true;
    case 't':
        type = FieldType::DateTime;
        return true;
    case 'a':
        type = FieldType::AutoInc;
        return true;
    case 's':
        type = FieldType::String;
        return true;
    case 'o':
        type = FieldType::Blob;
        return true;
    case 'm':
        type = FieldType::Memo;
        return true;
    case 'r':
        type = FieldType::FmtMemo;
        return true;
    case 'g':
        type = FieldType::Graphic;
        return true;
    default:
        break;
    }
    const auto u = uint8_t(c);
    if (u < '0') return false;
    type = FieldType::SmallStr;
    smallStrLength = u <= '9' ? u - 48 : u - 55;
    return true;
}

// Offers the 2 MiB-aligned part of a large buffer to the kernel as huge pages.
void adviseHugePages(void* memory, size_t size) {
    constexpr uintptr_t kHuge = 2 << 20;
    const auto begin = (reinterpret_cast<uintptr_t>(memory) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<uintptr_t>(memory) + size) & ~(kHuge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
} // namespace

struct TDorodCursor::ImageReader {
    std::string_view data;
    size_t pos = 0;

    size_t remaining() const { return data.size() - pos; }
    bool bytes(size_t n, std::string_view& out) {
        if (remaining() < n) return false;
        out = data.substr(pos, n);
        pos += n;
        return true;
    }
    bool u32(uint32_t& v) {
        if (remaining() < 4) return false;
        v = decodeFixed32(data.data() + pos);
        pos += 4;
        return true;
    }
};

// ---------------------------------------------------------------- description section

std::string TDorodCursor::buildDescriptionSection() const {
    std::string out;
    // A blank ends the head of an item and the first '~' starts its annotation, so
    // neither may stand in a name or qualifier (a damaged file can hold a '~' there).
    for (const TDorodField& f : m_layout->fields) {
        for (char c : f.qualifier)
            out += c == ' ' || c == '.' || c == '~' ? '_' : c;
        out += '.';
        for (char c : f.name)
            out += c == ' ' || c == '~' ? '_' : c;
        out += ' ';
        if (f.type == FieldType::SmallStr) {
            out += smallStrChar(f.declaredSize);
        } else {
            out += kTypeChars[size_t(f.type)];
            if (f.type == FieldType::String) out += std::to_string(f.declaredSize);
        }
        if (!f.defaultValue.empty() || !f.extraText.empty()) {
            out += '~';
            out += f.defaultValue;
            out += '~';
            out += f.extraText;
        }
        out += kItemSeparator;
    }
    out += kSectionEnd;
    return out;
}

// Parses the items of the section into fields. canContinue tells, on failure, whether
// the failure is one a partial open may accept (the data broke off, or a type or
// length could not be read).
bool TDorodCursor::parseDescriptionSection(std::string_view section, uint32_t declaredCount,
                                           std::string& message, bool& canContinue) {
    size_t pos = 0;
    for (uint32_t n = 0; n < declaredCount; ++n) {
        // The items end with the section, or at its closing 0x14.
        if (pos >= section.size() || (pos + 1 == section.size() && section[pos] == kSectionEnd))
            break;
        const size_t end = section.find(kItemSeparator, pos);
        if (end == std::string_view::npos || end == pos) {
            message = msg::DescriptionSection;
            canContinue = false;
            return false;
        }
        const std::string_view item = section.substr(pos, end - pos);
        pos = end + 1;

        TDorodField field;
        const size_t blank = item.find(' ');
        if (blank == std::string_view::npos || blank + 1 >= item.size()) {
            message = msg::BufferCorruption;
            canContinue = true;
            return false;
        }
        const std::string_view head = item.substr(0, blank);
        const char typeChar = item[blank + 1];
        int32_t smallStrLength = 0;
        if (!typeFromChar(typeChar, field.type, smallStrLength)) {
            message = msg::BufferCorruption;
            canContinue = true;
            return false;
        }

        const size_t tilde = item.find('~');
        if (tilde != std::string_view::npos) {
            const std::string_view annotation = item.substr(tilde + 1);
            const size_t second = annotation.find('~');
            if (second != std::string_view::npos) {
                field.defaultValue = std::string(annotation.substr(0, second));
                field.extraText = std::string(annotation.substr(second + 1));
            } else {
                field.extraText = std::string(annotation);
            }
        }

        if (field.type == FieldType::SmallStr) {
            field.declaredSize = smallStrLength;
        } else if (field.type == FieldType::String) {
            if (blank + 2 >= item.size()) {
                field.declaredSize = kDefaultStringLength;
            } else {
                const size_t digitsEnd = tilde == std::string_view::npos ? item.size() : tilde;
                const std::string_view digits = digitsEnd > blank + 2
                                                    ? item.substr(blank + 2, digitsEnd - blank - 2)
                                                    : std::string_view{};
                uint32_t value = 0;
                bool valid = !digits.empty();
                for (char c : digits) {
                    if (c < '0' || c > '9' || value > kMaxDeclaredStringLength)
                        valid = false;
                    else
                        value = value * 10 + uint32_t(c - '0');
                }
                if (!valid || value > kMaxDeclaredStringLength) {
                    message = msg::BufferCorruption;
                    canContinue = true;
                    return false;
                }
                field.declaredSize = int32_t(value);
            }
        }

        const size_t dot = head.find('.');
        if (dot == std::string_view::npos) {
            field.name = std::string(head);
        } else {
            field.qualifier = std::string(head.substr(0, dot));
            field.name = std::string(head.substr(dot + 1));
        }
        m_layout->addField(std::move(field));
    }
    return true;
}

// ---------------------------------------------------------------- writing

namespace {

// Writes one record's part of an image at w: the length array, then each non-empty
// value. Returns the end. The caller makes room for recordBound bytes.
char* putRecord(char* w, const uint8_t* rec, const TDorodRecordLayout& layout) {
    const size_t n = layout.fields.size();
    char* lengths = w;
    w += n;
    for (size_t k = 0; k < n; ++k) {
        const TDorodField& f = layout.fields[k];
        const uint8_t* slot = rec + f.offset;
        size_t length = 0;
        // Numbers are copied with their fixed size; a zero number is stored as its
        // length byte alone.
        const auto number = [&](bool nonZero, size_t size) {
            if (!nonZero) return;
            std::memcpy(w, slot, size);
            length = size;
        };
        switch (f.type) {
        case FieldType::SmallInt:
        case FieldType::Boolean:
            number(record::getInt16(rec, f) != 0, 2);
            break;
        case FieldType::Integer:
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::AutoInc:
            number(record::getInt32(rec, f) != 0, 4);
            break;
        case FieldType::Int64:
            number(record::getInt64(rec, f) != 0, 8);
            break;
        case FieldType::Double:
        case FieldType::Currency:
        case FieldType::DateTime:
            number(record::getDouble(rec, f) != 0.0, 8);
            break;
        case FieldType::SmallStr: {
            const std::string_view text = record::getText(rec, f);
            std::memcpy(w, text.data(), text.size());
            w += text.size();
            lengths[k] = char(text.size());
            continue;
        }
        case FieldType::String:
        case FieldType::Blob:
        case FieldType::Memo:
        case FieldType::FmtMemo:
        case FieldType::Graphic: {
            const TDorodValueBlock* block = record::reference(rec, f);
            if (!block || block->length == 0) {
                lengths[k] = 0;
                continue;
            }
            encodeFixed32(w, block->length);
            std::memcpy(w + 4, block->bytes(), block->length);
            w += 4 + block->length;
            lengths[k] = 4;
            continue;
        }
        case FieldType::Unknown:
            break;
        }
        w += length;
        lengths[k] = char(length);
    }
    return w;
}

// The most bytes putRecord writes for a record.
size_t recordBound(const uint8_t* rec, const TDorodRecordLayout& layout, size_t fixedBound) {
    size_t bound = fixedBound;
    for (uint32_t i : layout.referenceFields)
        if (const TDorodValueBlock* block = record::reference(rec, layout.fields[i]))
            bound += 4 + block->length;
    return bound;
}

} // namespace

bool TDorodCursor::produceImage(const std::function<bool(std::string_view)>& out,
                                ImageTotals& totals) {
    const bool enciphered = !m_password.empty();
    const std::string section = buildDescriptionSection();
    const TDorodRecordLayout& layout = *m_layout;
    const size_t n = layout.fields.size();

    // The image goes out in pieces of about this size, built in one buffer that stays
    // in the cache, rather than as a second copy of the whole table in fresh memory.
    constexpr size_t kPieceSize = 256 << 10;
    std::string header;
    TSapphire cipher;
    putFixed32(header, 0); // the image length, completed at the end
    header += enciphered ? kKindEnciphered : kKindPlain;
    if (enciphered) {
        const std::string keyText = newKeyText();
        const TDorodKeyBlock block = makeKeyBlock(m_password, keyText);
        header.append(reinterpret_cast<const char*>(block.data()), block.size());
        cipher.initialize(keyText);
    }
    totals.countOffset = header.size();
    putFixed32(header, 0); // the record count, completed at the end
    putFixed32(header, uint32_t(n));
    putFixed32(header, uint32_t(section.size()));
    header += section;
    if (!out(header)) return false;
    size_t produced = header.size();

    // Everything after the description section is enciphered in a table with a password.
    std::vector<char> piece(2 * kPieceSize);
    size_t used = 0;
    const auto flush = [&] {
        if (used == 0) return true;
        if (enciphered) cipher.encipher(reinterpret_cast<uint8_t*>(piece.data()), used);
        if (!out({piece.data(), used})) return false;
        produced += used;
        used = 0;
        return true;
    };
    const auto makeRoom = [&](size_t bytes) {
        if (used + bytes <= piece.size()) return true;
        if (!flush()) return false;
        if (bytes > piece.size()) piece.resize(bytes);
        return true;
    };

    // A reader takes a '*' right after the description section for the notes block. A
    // table without notes whose first record starts with the length byte 0x2A (a SmallStr
    // of 42 bytes in the first field) would read back wrong, so such a table gets an
    // empty notes block.
    const auto firstLive = std::find_if(m_entries.begin(), m_entries.end(),
                                        [](const TDorodRecordEntry* e) { return e->isLive(); });
    const bool lengthLooksLikeNotes =
        firstLive != m_entries.end() && n > 0 && layout.fields[0].type == FieldType::SmallStr &&
        record::getText((*firstLive)->data(), layout.fields[0]).size() == size_t(kNotesMark);
    if (!m_notes.empty() || lengthLooksLikeNotes) {
        if (!makeRoom(3 + m_notes.size())) return false;
        piece[used] = kNotesMark;
        encodeFixed16(piece.data() + used + 1, uint16_t(m_notes.size()));
        std::memcpy(piece.data() + used + 3, m_notes.data(), m_notes.size());
        used += 3 + m_notes.size();
    }

    size_t fixedBound = n;
    for (const TDorodField& f : layout.fields)
        if (!f.isReference()) fixedBound += f.slotSize;
    const bool hasReferences = !layout.referenceFields.empty();

    uint32_t written = 0;
    int lastProgress = -1;
    const size_t entryCount = m_entries.size();
    const size_t step = std::max<size_t>(1, entryCount / 200);
    size_t nextProgress = step;
    for (size_t i = 0; i < entryCount; ++i) {
        const TDorodRecordEntry* e = m_entries[i];
        if (e->isLive()) {
            const uint8_t* rec = e->data();
            // A piece that cannot be written ends the image: nothing after it matters.
            if (!makeRoom(hasReferences ? recordBound(rec, layout, fixedBound) : fixedBound))
                return false;
            used = size_t(putRecord(piece.data() + used, rec, layout) - piece.data());
            ++written;
            if (used >= kPieceSize && !flush()) return false;
        }
        if (i + 1 == nextProgress || i + 1 == entryCount) {
            nextProgress += step;
            // round(100 × done / count)
            reportProgress(
                int((200 * int64_t(i + 1) + int64_t(entryCount)) / (2 * int64_t(entryCount))),
                lastProgress);
        }
    }
    if (!flush()) return false;
    totals.length = uint32_t(produced);
    totals.count = written;
    return true;
}

uint32_t TDorodCursor::WriteImage(TDorodStream& stream) {
    std::string image;
    size_t expected = 64 + kKeyBlockSize + m_notes.size() + size_t(FieldCount()) * 64;
    for (const TDorodRecordEntry* e : m_entries)
        if (e->isLive()) expected += e->storedSize;
    image.reserve(expected);
    ImageTotals totals;
    produceImage(
        [&](std::string_view piece) {
            image += piece;
            return true;
        },
        totals);
    encodeFixed32(image.data(), totals.length);
    encodeFixed32(image.data() + totals.countOffset, totals.count);

    const auto length = uint32_t(image.size());
    if (stream.bytes.empty() && stream.position == 0) {
        stream.bytes = std::move(image); // the usual case: no second copy of the image
    } else {
        const size_t overlap = std::min(image.size(), stream.remaining());
        stream.bytes.replace(stream.position, overlap, image);
    }
    stream.position += length;
    return length;
}

void TDorodCursor::reportProgress(int percent, int& last) {
    if (percent == last) return;
    last = percent;
    if (OnCallback) OnCallback(percent);
}

bool TDorodCursor::SaveToFile(const std::string& path, TDorodSaveOptions options,
                              bool caseInsensitive, std::string_view indexFieldNames,
                              std::string& message) {
    if ((options & savAutoBackup) && fileio::fileExists(path)) {
        // The old file is replaced only once its backup is safe.
        if (!fileio::keepAsBackup(path, fileio::changeExtension(path, ".~d"), message))
            return false;
    }
    if (options & savSortOnIndex) SortEntries(indexFieldNames, caseInsensitive);
    // The image goes to the file as it is produced; its length and record count, known
    // at the end, complete the header before the file replaces the old one.
    fileio::TAtomicFileWriter file;
    if (!file.open(path, message)) return false;
    ImageTotals totals;
    // A failed write is reported by commit, which then leaves the old file.
    if (produceImage([&](std::string_view piece) { return file.write(piece); }, totals)) {
        char number[4];
        encodeFixed32(number, totals.length);
        file.writeAt(0, {number, 4});
        encodeFixed32(number, totals.count);
        file.writeAt(totals.countOffset, {number, 4});
    }
    return file.commit(message);
}

// ---------------------------------------------------------------- reading

bool TDorodCursor::readRecord(ImageReader& reader, std::string& message) {
    const TDorodRecordLayout& layout = *m_layout;
    const size_t n = layout.fields.size();
    const int recordNumber = EntryCount() + 1;
    const auto* begin = reinterpret_cast<const uint8_t*>(reader.data.data());
    const uint8_t* p = begin + reader.pos;
    const uint8_t* const end = begin + reader.data.size();
    if (size_t(end - p) < n) {
        message = msg::UnexpectedEnd;
        return false;
    }
    const uint8_t* lengths = p;
    p += n;
    for (size_t k = 0; k < n; ++k) {
        const TDorodField& f = layout.fields[k];
        const uint8_t length = lengths[k];
        const bool fits = f.isReference() ? (length == 0 || length == 4) : length <= f.slotSize;
        if (!fits) {
            message =
                formatMessage(msg::FieldWrongLength, f.name.c_str(), int(length), recordNumber);
            return false;
        }
    }

    TDorodRecordEntry* entry = newEntry();
    uint8_t* rec = entry->data();
    for (size_t k = 0; k < n; ++k) {
        const uint8_t length = lengths[k];
        if (length == 0) continue;
        const TDorodField& f = layout.fields[k];
        if (!f.isReference()) {
            if (size_t(end - p) < length) {
                message = msg::UnexpectedEnd;
                return false;
            }
            std::memcpy(rec + f.offset, p, length);
            p += length;
            continue;
        }
        if (end - p < 4) {
            message = msg::UnexpectedEnd;
            return false;
        }
        const auto size = int32_t(decodeFixed32(p));
        p += 4;
        const bool isString = f.type == FieldType::String;
        const int32_t limit = isString ? kMaxStringBytes : kMaxBlobBytes;
        if (size < 0 || size > limit) {
            message = formatMessage(isString ? msg::StringWrongLength : msg::BlobWrongLength,
                                    f.name.c_str(), int(size), recordNumber);
            return false;
        }
        if (end - p < size) {
            message = msg::UnexpectedEnd;
            return false;
        }
        if (size > 0)
            record::setReference(
                rec, f,
                record::newArenaBlock(valueArena(k),
                                      {reinterpret_cast<const char*>(p), size_t(size)}));
        p += size;
    }
    entry->storedSize = uint32_t(p - lengths);
    reader.pos = size_t(p - begin);
    m_entries.push_back(entry);
    return true;
}

bool TDorodCursor::LoadFromStream(TDorodStream& stream, std::string& message) {
    const std::string_view image =
        std::string_view(stream.bytes).substr(std::min(stream.position, stream.bytes.size()));
    stream.position = stream.bytes.size();
    return LoadFromImage(image, message);
}

bool TDorodCursor::LoadFromImage(std::string_view image, std::string& message) {
    releaseAll();
    message.clear();
    ImageReader reader{image};

    bool failed = false;
    // Whether a partial open may accept the failure and keep what was read so far.
    bool canContinue = false;
    const auto fail = [&](std::string text, bool partialOk) {
        message = std::move(text);
        failed = true;
        canContinue = partialOk;
    };

    std::string deciphered; // the enciphered part of a 'P' image, deciphered
    int32_t recordCount = 0;
    const bool headerComplete = [&] {
        uint32_t imageLength = 0;
        std::string_view kind;
        if (!reader.u32(imageLength) || !reader.bytes(1, kind)) {
            fail(msg::BufferCorruption, true);
            return false;
        }
        if (kind[0] == kKindError) {
            fail(std::string(reader.data.substr(reader.pos)), false);
            return false;
        }
        if (kind[0] != kKindPlain && kind[0] != kKindEnciphered) {
            fail(msg::BufferCorruption, false);
            return false;
        }
        const bool enciphered = kind[0] == kKindEnciphered;
        if (enciphered) {
            std::string_view blockBytes;
            if (!reader.bytes(kKeyBlockSize, blockBytes)) {
                fail(msg::BufferCorruption, true);
                return false;
            }
            TDorodKeyBlock block;
            std::memcpy(block.data(), blockBytes.data(), block.size());
            const bool resolved =
                PasswordResolver ? PasswordResolver(*this, block) : TryPassword(m_password, block);
            if (!resolved) {
                fail(msg::InvalidPassword, false);
                return false;
            }
        }
        uint32_t count = 0, fieldCount = 0, sectionLength = 0;
        if (!reader.u32(count) || !reader.u32(fieldCount) || !reader.u32(sectionLength)) {
            fail(msg::BufferCorruption, true);
            return false;
        }
        recordCount = int32_t(count);
        if (sectionLength > kMaxDescriptionLength) {
            fail(msg::BufferCorruption, false);
            return false;
        }
        const bool sectionComplete = reader.remaining() >= sectionLength;
        std::string_view section;
        reader.bytes(std::min<size_t>(sectionLength, reader.remaining()), section);
        // Data that ends inside the section keeps the items that are complete.
        if (!sectionComplete) section = section.substr(0, section.rfind(kItemSeparator) + 1);
        std::string parseMessage;
        bool parsePartialOk = false;
        if (!parseDescriptionSection(section, fieldCount, parseMessage, parsePartialOk)) {
            fail(parseMessage, parsePartialOk);
            return false;
        }
        if (!sectionComplete) {
            fail(msg::BufferCorruption, true);
            return false;
        }
        if (enciphered) {
            // Deciphered in a copy: the caller's bytes stay as they are.
            deciphered.assign(reader.data.substr(reader.pos));
            decipherWithKey(m_keyText, reinterpret_cast<uint8_t*>(deciphered.data()),
                            deciphered.size());
            reader.data = deciphered;
            reader.pos = 0;
        }
        return true;
    }();

    for (int i = 0; i < FieldCount(); ++i) {
        if (m_layout->fields[size_t(i)].type == FieldType::AutoInc) {
            m_autoIncField = i;
            break;
        }
    }

    if (headerComplete) {
        const size_t n = size_t(FieldCount());
        // A table without records still looks for its notes when 3 bytes remain.
        const size_t notesNeed = recordCount == 0 ? 3 : n;
        if (reader.remaining() > 0 && reader.remaining() >= notesNeed &&
            reader.data[reader.pos] == kNotesMark && reader.remaining() >= 3) {
            const auto length = int16_t(decodeFixed16(reader.data.data() + reader.pos + 1));
            reader.pos += 3;
            const size_t take =
                std::min<size_t>(length > 0 ? size_t(length) : 0, reader.remaining());
            m_notes = std::string(reader.data.substr(reader.pos, take));
            reader.pos += take;
        }
        // Records of a table without fields take no bytes: none can be read. Each record
        // takes at least n bytes, which bounds what a damaged count can reserve.
        if (n > 0 && recordCount > 0) {
            m_entries.reserve(std::min<size_t>(size_t(recordCount), reader.remaining() / n));
            adviseHugePages(m_entries.data(), m_entries.capacity() * sizeof(TDorodRecordEntry*));
        }
        int lastProgress = -1;
        int32_t read = 0;
        // Progress is worked out every `step` records (at least once per percent) and
        // after the last one, not for every record.
        const int32_t step = std::max<int32_t>(1, recordCount / 200);
        int32_t nextProgress = step;
        std::string recordMessage;
        while (n > 0 && reader.remaining() >= n && read < recordCount) {
            if (!readRecord(reader, recordMessage)) {
                fail(recordMessage, true);
                break;
            }
            ++read;
            if (read == nextProgress || read == recordCount) {
                nextProgress += step;
                // round(100 × read / count)
                reportProgress(
                    int((200 * int64_t(read) + recordCount) / (2 * int64_t(recordCount))),
                    lastProgress);
            }
        }
        if (!failed && read != recordCount)
            fail(formatMessage(msg::RecordCountMismatch, read, recordCount), true);
    }

    if (!failed) {
        setAutoIncFromRecords();
        return true;
    }
    if (PartialOpen && canContinue) {
        m_autoIncCounter = 0;
        return true;
    }
    releaseAll();
    return false;
}

} // namespace dorod
