// TDorodCursor: the in-memory record store behind one open table. It holds the field
// descriptors read from a table image, every record as a record buffer with its change
// state, the auto-increment counter, the notes text and the table password. Everything
// is in memory between a load and a save. Record operations report failure through
// their result and a message; they never throw.
#pragma once

#include "storage/DorodArena.h"
#include "storage/DorodField.h"
#include "storage/DorodKeyBlock.h"
#include "storage/DorodRecord.h"
#include "storage/DorodStream.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dorod {

enum class TDorodRecordStatus : uint8_t {
    Clean = 0,
    Modified = 1,
    Inserted = 2,
    Deleted = 3,
    Discarded = 4,
};

// One stored record. Entries keep their address for the life of the store (until the
// next load), so views may hold pointers to them. An entry is kept small, eight bytes,
// with the record buffer right after it in the store's arena: a table of millions of
// short rows holds one entry per row, and every scan reads them all. The rarely used
// pre-edit copy and user data are kept by the store.
struct TDorodRecordEntry {
    // The current values: the record buffer that follows the entry.
    uint8_t* data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(this + 1); }

    uint32_t storedSize = 0; // bytes in the record section of an image
    TDorodRecordStatus status = TDorodRecordStatus::Clean;
    bool hasPreEdit = false; // a copy was taken when the first edit since load/commit began
    bool hasUserData = false;

    bool isLive() const {
        return status != TDorodRecordStatus::Deleted && status != TDorodRecordStatus::Discarded;
    }
};
// The record buffer after the entry stays aligned for the pointers it holds.
static_assert(sizeof(TDorodRecordEntry) == 8 && alignof(TDorodRecordEntry) <= alignof(void*));

enum TDorodSaveOption : unsigned {
    savAutoBackup = 1,
    savSlowMode = 2, // kept for compatibility; has no effect
    savSortOnIndex = 4,
};
using TDorodSaveOptions = unsigned;

class TDorodCursor {
public:
    TDorodCursor();
    ~TDorodCursor();
    TDorodCursor(const TDorodCursor&) = delete;
    TDorodCursor& operator=(const TDorodCursor&) = delete;

    // --- fields ---
    int FieldCount() const { return int(m_layout->fields.size()); }
    TDorodField* Field(int index);
    const TDorodField* Field(int index) const;
    // First field whose name equals the given one ignoring letter case.
    TDorodField* FindField(std::string_view name);
    int FieldIndex(std::string_view name) const;
    uint32_t RecordSize() const { return m_layout->recordSize; }
    std::shared_ptr<const TDorodRecordLayout> Layout() const { return m_layout; }
    // The fields of a ";"-separated name list; unknown names and BLOB-family fields are
    // left out, String fields stay.
    std::vector<int> ResolveFieldList(std::string_view names) const;

    // Empties the store and gives it these fields (offsets assigned here). Used to
    // build a table in code; a loaded image sets its fields itself.
    // False with a message, and no fields, when a field cannot be written so that it
    // reads back (a SmallStr longer than 35 would be written with another type's letter).
    [[nodiscard]] bool DefineFields(const std::vector<TDorodField>& fields, std::string& message);

    // --- entries ---
    int EntryCount() const { return int(m_entries.size()); }
    TDorodRecordEntry* Entry(int index) const;
    const std::vector<TDorodRecordEntry*>& Entries() const { return m_entries; }
    // The entries added, changed or deleted since the last commit or revert, each once
    // (a new one deleted again stays, Discarded): what a save writes, without a pass over
    // every entry.
    const std::vector<TDorodRecordEntry*>& ChangedEntries() const { return m_changed; }
    int LiveRecordCount() const;
    // Changes whenever records are loaded, added, changed, removed, reverted or sorted;
    // never the same for two states of any two stores in one process. Lets a reader
    // know that what it built from the records is still current.
    uint64_t Generation() const { return m_generation; }
    // Changes whenever records already in the store may hold other values than before,
    // or stand in another order: an edit posted or undone, a record replaced from the
    // source, a sort, a load. Not when records are appended, deleted or their changes
    // accepted. Never the same for two stores. While it stays, what a reader learnt of the
    // first n entries still holds, and only the entries after them are new.
    uint64_t EditGeneration() const { return m_editGeneration; }

    // --- images and files (DorodImage.cpp) ---
    // Reads the image from the stream's position to its end; the stream is then at its end.
    bool LoadFromStream(TDorodStream& stream, std::string& message);
    // The same from bytes the caller keeps (a mapped file); nothing refers to them after.
    bool LoadFromImage(std::string_view image, std::string& message);
    uint32_t WriteImage(TDorodStream& stream);
    // Writes the whole table to a file: optional ".~d" copy of the old file, optional
    // sort, then the image, replacing the file atomically. False with a message when
    // the file cannot be written; the old file is then untouched.
    bool SaveToFile(const std::string& path, TDorodSaveOptions options, bool caseInsensitive,
                    std::string_view indexFieldNames, std::string& message);

    // --- record operations ---
    // Stores a buffer (in this store's layout) as the new values of entry, or, with
    // entry == nullptr, as a new record, whose entry is returned through entry.
    bool PostRecord(const uint8_t* buffer, TDorodRecordEntry*& entry, std::string& message);
    bool BeginEdit(TDorodRecordEntry* entry);
    bool DeleteRecord(TDorodRecordEntry* entry, std::string& message);
    void RevertChanges();
    // Undoes the changes of one record since its first edit: a changed or deleted record
    // gets its pre-edit values back and becomes Clean; a new record keeps its status.
    void RevertRecord(TDorodRecordEntry* entry);
    void CommitChanges();
    // Appends a record as if it had been read from an image (status Clean, the
    // auto-increment value as given).
    TDorodRecordEntry* AppendStoredRecord(const uint8_t* buffer);
    // A stored record whose values changed at the record source: the entry takes them
    // and stays Clean. An entry with changes of its own is left as it is (false).
    bool ReplaceStoredRecord(TDorodRecordEntry* entry, const uint8_t* buffer);
    // A stored record removed at the record source: the entry is discarded as a saved
    // deletion is. An entry with changes of its own is left as it is (false).
    bool RemoveStoredRecord(TDorodRecordEntry* entry);
    // Puts the entries in this order: the same entries, rearranged (false, nothing
    // changed, when the count differs).
    bool SetEntryOrder(std::vector<TDorodRecordEntry*> entries);

    void SortEntries(std::string_view fieldNames, bool caseInsensitive);
    void SortEntries(const std::vector<int>& fields, bool caseInsensitive);
    bool HasDuplicate(const uint8_t* buffer, const TDorodRecordEntry* entry,
                      std::string_view fieldNames) const;
    std::string FieldAsText(const TDorodField& field, const TDorodRecordEntry* entry) const;

    // The application's opaque value attached to an entry; released through
    // OnDestroyRecordData when the entry's data is freed.
    void* UserData(const TDorodRecordEntry* entry) const;
    void SetUserData(TDorodRecordEntry* entry, void* userData);

    // --- store-wide state ---
    const std::string& Notes() const { return m_notes; }
    // Notes longer than an image can hold are cut to 32 767 bytes.
    void SetNotes(std::string_view notes);
    int AutoIncField() const { return m_autoIncField; }
    int32_t AutoIncCounter() const { return m_autoIncCounter; }
    bool PartialOpen = false;

    // The password of an enciphered table; empty writes a plain image.
    const std::string& Password() const { return m_password; }
    void SetPassword(std::string password) { m_password = std::move(password); }
    const std::string& KeyText() const { return m_keyText; }
    // Tests a candidate password against the key block of an enciphered image; when it
    // is right the store keeps the plain key text and takes the candidate as its password.
    bool TryPassword(std::string_view candidate, const TDorodKeyBlock& block);

    // Finds the password of an enciphered image being loaded (calling TryPassword with
    // its candidates). Without a resolver only the store's own password is tried.
    std::function<bool(TDorodCursor&, const TDorodKeyBlock&)> PasswordResolver;
    // Progress of loading and saving in percent.
    std::function<void(int)> OnCallback;
    // Releases the user data of an entry.
    std::function<void(void*)> OnDestroyRecordData;

private:
    struct ImageReader;

    TDorodRecordEntry* newEntry();
    // Where a loaded value of a String, Memo or BLOB-family field is kept.
    TDorodArena& valueArena(size_t field);
    bool findEntry(const TDorodRecordEntry* entry) const;
    // "Record is not found" or "Record has been deleted" unless the entry is a live one.
    bool checkLiveEntry(const TDorodRecordEntry* entry, std::string& message) const;
    void releaseEntryData(TDorodRecordEntry* entry);
    void dropPreEdit(TDorodRecordEntry* entry);
    void releaseAll();
    void setAutoIncFromRecords();
    bool readRecord(ImageReader& reader, std::string& message);
    std::string buildDescriptionSection() const;
    bool parseDescriptionSection(std::string_view section, uint32_t declaredCount,
                                 std::string& message, bool& canContinue);
    void reportProgress(int percent, int& last);
    // What only the end of writing an image knows, for its header.
    struct ImageTotals {
        uint32_t length = 0;
        uint32_t count = 0;
        size_t countOffset = 0; // where the record count stands in the image
    };
    // Produces the image in consecutive pieces (enciphered where the table has a
    // password), with zeros for the length and count the totals give. Stops, false,
    // when out refuses a piece.
    bool produceImage(const std::function<bool(std::string_view)>& out, ImageTotals& totals);
    void changed();
    // changed(), for a change of values or order of records already stored.
    void edited();

    struct EntryExtra {
        uint8_t* preEdit = nullptr; // arena memory, kept for later edits of the entry
        void* userData = nullptr;
    };
    EntryExtra& extra(const TDorodRecordEntry* entry) { return m_extras[entry]; }

    std::vector<TDorodRecordEntry*> m_changed;
    std::shared_ptr<TDorodRecordLayout> m_layout;
    TDorodArena m_arena; // entries, record buffers, pre-edit copies
    // Loaded values of each reference field, one arena per field: the texts of one field
    // lie one after another, so a search through a field reads only that field's bytes
    // rather than every record's other values too.
    std::vector<std::unique_ptr<TDorodArena>> m_valueArenas;
    std::unordered_map<const TDorodRecordEntry*, EntryExtra> m_extras;
    std::vector<TDorodRecordEntry*> m_entries;
    uint64_t m_generation = 0;
    uint64_t m_editGeneration = 0;
    int m_autoIncField = -1;
    int32_t m_autoIncCounter = 0;
    std::string m_notes;
    std::string m_password;
    std::string m_keyText;
    TDorodKeyBlock m_keyBlock{};
};

} // namespace dorod
