// The record store: auto-increment, record states through post, delete, revert and
// commit, sorting and key comparison, release of user data, stored sizes, progress and
// saving to files.
#include "storage/DorodCursor.h"
#include "storage/FileIo.h"
#include "storage/Win1251.h"
#include "support/ImageBuilder.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace dorod;
using testsupport::cp1251;
using namespace testsupport;

namespace {

// Windows-1251 bytes of a UTF-8 literal.

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Table "id a; name A (SmallStr 10); note s50" and its records.
ImageBuilder people() {
    return ImageBuilder({"XXX.id a", "XXX.name A", "XXX.note s50"});
}

ImageBuilder& person(ImageBuilder& b, int32_t id, std::string_view name,
                     std::string_view note = {}) {
    std::string data = (id ? le32(uint32_t(id)) : "") + std::string(name);
    if (!note.empty()) data += counted(note);
    return b.record({uint8_t(id ? 4 : 0), uint8_t(name.size()), uint8_t(note.empty() ? 0 : 4)},
                    data);
}

class DorodStore : public ::testing::Test {
protected:
    void loadImage(const std::string& image) {
        TDorodStream stream{image, 0};
        ASSERT_TRUE(store.LoadFromStream(stream, message)) << message;
    }
    void loadPeople(std::initializer_list<std::pair<int32_t, const char*>> rows) {
        ImageBuilder b = people();
        for (const auto& [id, name] : rows)
            person(b, id, name, std::string(name) + " note");
        loadImage(b.build());
    }
    const TDorodField& f(const char* name) { return *store.FindField(name); }
    int32_t idOf(const TDorodRecordEntry* e) { return record::getInt32(e->data(), f("id")); }
    std::string text(const TDorodRecordEntry* e, const char* name) {
        return std::string(record::getText(e->data(), f(name)));
    }
    std::vector<std::string> column(const char* name) {
        std::vector<std::string> out;
        for (const TDorodRecordEntry* e : store.Entries())
            if (e->isLive()) out.push_back(text(e, name));
        return out;
    }
    std::string image() {
        TDorodStream stream;
        store.WriteImage(stream);
        return stream.bytes;
    }
    // Posts a copy of an entry with one text changed, as an edit of that entry.
    void editText(TDorodRecordEntry* e, const char* name, std::string_view value) {
        ASSERT_TRUE(store.BeginEdit(e));
        TDorodRecordBuffer buf(store.Layout());
        buf.assign(e->data());
        record::setText(buf.data(), f(name), value);
        ASSERT_TRUE(store.PostRecord(buf.data(), e, message)) << message;
    }
    TDorodRecordEntry* postNew(int32_t id, const char* name) {
        TDorodRecordBuffer buf(store.Layout());
        record::setInt32(buf.data(), f("id"), id);
        record::setText(buf.data(), f("name"), name);
        TDorodRecordEntry* e = nullptr;
        EXPECT_TRUE(store.PostRecord(buf.data(), e, message)) << message;
        return e;
    }

    TDorodCursor store;
    std::string message;
};

} // namespace

// ---------------------------------------------------------------- auto-increment

TEST_F(DorodStore, AutoIncRecordsAreHeldAndWrittenInAscendingOrder) {
    loadPeople({{3, "c"}, {1, "a"}, {2, "b"}});
    EXPECT_EQ(column("name"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(store.AutoIncCounter(), 3);
    ImageBuilder expected = people();
    person(person(person(expected, 1, "a", "a note"), 2, "b", "b note"), 3, "c", "c note");
    EXPECT_EQ(image(), expected.build());
}

TEST_F(DorodStore, NewRecordTakesNextAutoIncWhateverTheBufferHeld) {
    loadPeople({{41, "x"}, {7, "y"}});
    TDorodRecordEntry* e = postNew(999, "new");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(idOf(e), 42);
    EXPECT_EQ(e->status, TDorodRecordStatus::Inserted);
    EXPECT_EQ(idOf(postNew(0, "next")), 43);
    EXPECT_EQ(store.AutoIncCounter(), 43);
}

// ---------------------------------------------------------------- record states

TEST_F(DorodStore, InsertedRecordsAreDiscardedByDeleteAndByRevert) {
    loadPeople({{1, "a"}});
    const std::string before = image();
    TDorodRecordEntry* deleted = postNew(0, "new");
    TDorodRecordEntry* reverted = postNew(0, "other");
    image(); // a save in between changes nothing
    ASSERT_EQ(deleted->status, TDorodRecordStatus::Inserted);
    ASSERT_TRUE(store.DeleteRecord(deleted, message));
    EXPECT_EQ(deleted->status, TDorodRecordStatus::Discarded);
    EXPECT_EQ(store.LiveRecordCount(), 2);
    store.RevertChanges();
    EXPECT_EQ(deleted->status, TDorodRecordStatus::Discarded);
    EXPECT_EQ(reverted->status, TDorodRecordStatus::Discarded);
    EXPECT_EQ(image(), before);
}

// A save of the changes visits only the changed entries: each listed once, whatever was
// done to it, and the list empty after a commit or a revert.
TEST_F(DorodStore, ChangedEntriesListEachChangedRecordOnce) {
    loadPeople({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}});
    const std::vector<TDorodRecordEntry*> loaded = store.Entries();
    EXPECT_TRUE(store.ChangedEntries().empty());
    editText(loaded[0], "name", "a1");
    editText(loaded[0], "name", "a2"); // changed twice
    editText(loaded[1], "name", "b1");
    store.RevertRecord(loaded[1]);     // back as it was…
    editText(loaded[1], "name", "b2"); // …and changed again
    ASSERT_TRUE(store.DeleteRecord(loaded[2], message));
    TDorodRecordEntry* added = postNew(0, "new");
    TDorodRecordEntry* gone = postNew(0, "gone");
    ASSERT_TRUE(store.DeleteRecord(gone, message));
    std::vector<TDorodRecordEntry*> listed = store.ChangedEntries();
    std::sort(listed.begin(), listed.end());
    std::vector<TDorodRecordEntry*> expected = {loaded[0], loaded[1], loaded[2], added, gone};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    store.CommitChanges();
    EXPECT_TRUE(store.ChangedEntries().empty());
    editText(loaded[3], "name", "d1");
    EXPECT_EQ(store.ChangedEntries(), std::vector<TDorodRecordEntry*>{loaded[3]});
    store.RevertChanges();
    EXPECT_TRUE(store.ChangedEntries().empty());
    EXPECT_EQ(column("name"), (std::vector<std::string>{"a2", "b2", "d", "new"}));
}

// The edit generation moves when records already stored may hold other values or stand
// elsewhere, and stays for appends, deletions and accepted changes.
TEST_F(DorodStore, EditGenerationMovesOnlyWhenStoredRecordsChange) {
    loadPeople({{1, "a"}, {2, "b"}, {3, "c"}});
    const std::vector<TDorodRecordEntry*> loaded = store.Entries();
    struct Case {
        const char* what;
        std::function<void()> step;
        bool moves;
    };
    TDorodRecordBuffer other(store.Layout());
    other.assign(loaded[2]->data());
    record::setText(other.data(), f("name"), "z");
    const Case cases[] = {
        {"a record appended", [&] { postNew(0, "new"); }, false},
        {"a record appended as stored", [&] { store.AppendStoredRecord(other.data()); }, false},
        {"a record deleted", [&] { ASSERT_TRUE(store.DeleteRecord(loaded[0], message)); }, false},
        {"the changes accepted", [&] { store.CommitChanges(); }, false},
        {"an edit posted", [&] { editText(loaded[1], "name", "b1"); }, true},
        {"an edit undone", [&] { store.RevertRecord(loaded[1]); }, true},
        {"every change undone", [&] { store.RevertChanges(); }, true},
        {"a record replaced from the source",
         [&] { ASSERT_TRUE(store.ReplaceStoredRecord(loaded[2], other.data())); }, true},
        {"the records sorted", [&] { store.SortEntries("name", false); }, true},
        {"the records put in another order",
         [&] {
             std::vector<TDorodRecordEntry*> reversed(store.Entries().rbegin(),
                                                      store.Entries().rend());
             ASSERT_TRUE(store.SetEntryOrder(reversed));
         },
         true},
        {"the store loaded",
         [&] {
             loadPeople({{1, "a"}});
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint64_t before = store.EditGeneration();
        c.step();
        EXPECT_EQ(store.EditGeneration() != before, c.moves);
    }
}

TEST_F(DorodStore, DeletedLoadedRecordIsNotWrittenAndRevertRestoresIt) {
    loadPeople({{1, "a"}, {2, "b"}, {3, "c"}});
    const std::string before = image();
    TDorodRecordEntry* e = store.Entry(1);
    ASSERT_TRUE(store.DeleteRecord(e, message));
    EXPECT_EQ(e->status, TDorodRecordStatus::Deleted);
    ImageBuilder without = people();
    person(person(without, 1, "a", "a note"), 3, "c", "c note");
    EXPECT_EQ(image(), without.build());

    store.RevertChanges();
    EXPECT_EQ(e->status, TDorodRecordStatus::Clean);
    EXPECT_EQ(text(e, "note"), "b note");
    EXPECT_EQ(image(), before);
}

TEST_F(DorodStore, RevertRestoresValuesFromBeforeTheFirstEdit) {
    loadPeople({{1, "a"}});
    TDorodRecordEntry* e = store.Entry(0);
    const uint32_t sizeBefore = e->storedSize;
    editText(e, "note", "first change");
    editText(e, "note", "");
    editText(e, "name", "zz");
    EXPECT_EQ(e->status, TDorodRecordStatus::Modified);
    EXPECT_EQ(e->storedSize, 3u + 4 + 2);

    store.RevertChanges();
    EXPECT_EQ(e->status, TDorodRecordStatus::Clean);
    EXPECT_FALSE(e->hasPreEdit);
    EXPECT_EQ(text(e, "name"), "a");
    EXPECT_EQ(text(e, "note"), "a note");
    EXPECT_EQ(e->storedSize, sizeBefore);
}

TEST_F(DorodStore, CommitAcceptsEveryChange) {
    loadPeople({{1, "a"}, {2, "b"}});
    TDorodRecordEntry* edited = store.Entry(0);
    TDorodRecordEntry* deleted = store.Entry(1);
    editText(edited, "name", "A2");
    ASSERT_TRUE(store.DeleteRecord(deleted, message));
    TDorodRecordEntry* inserted = postNew(0, "c");

    store.CommitChanges();
    EXPECT_EQ(edited->status, TDorodRecordStatus::Clean);
    EXPECT_FALSE(edited->hasPreEdit);
    EXPECT_EQ(deleted->status, TDorodRecordStatus::Discarded);
    EXPECT_EQ(inserted->status, TDorodRecordStatus::Clean);

    store.RevertChanges(); // nothing left to undo
    EXPECT_EQ(column("name"), (std::vector<std::string>{"A2", "c"}));
    ImageBuilder expected = people();
    person(person(expected, 1, "A2", "a note"), 3, "c");
    EXPECT_EQ(image(), expected.build());
}

TEST_F(DorodStore, RefusedRecordOperationsGiveTheirMessages) {
    loadPeople({{1, "a"}, {2, "b"}});
    TDorodCursor other;
    ASSERT_TRUE(other.DefineFields(std::vector<TDorodField>(store.Layout()->fields), message));
    TDorodRecordBuffer buf(store.Layout());
    TDorodRecordEntry* foreign = other.AppendStoredRecord(buf.data());

    EXPECT_FALSE(store.PostRecord(buf.data(), foreign, message));
    EXPECT_EQ(message, "Record is not found");
    EXPECT_FALSE(store.DeleteRecord(nullptr, message));
    EXPECT_EQ(message, "Record is not found");

    TDorodRecordEntry* gone = store.Entry(0);
    ASSERT_TRUE(store.DeleteRecord(gone, message));
    EXPECT_FALSE(store.DeleteRecord(gone, message));
    EXPECT_EQ(message, "Record has been deleted");
    EXPECT_FALSE(store.PostRecord(buf.data(), gone, message));
    EXPECT_EQ(message, "Record has been deleted");
    EXPECT_FALSE(store.BeginEdit(gone));
    EXPECT_FALSE(store.BeginEdit(nullptr));

    TDorodRecordEntry* discarded = postNew(0, "x");
    ASSERT_TRUE(store.DeleteRecord(discarded, message));
    EXPECT_FALSE(store.PostRecord(buf.data(), discarded, message));
    EXPECT_EQ(message, "Record has been deleted");
}

// ---------------------------------------------------------------- order and keys

TEST_F(DorodStore, RightJustifiedSmallStrSortsByLengthFirst) {
    ImageBuilder b = people();
    for (const char* code : {"10", "9", "2", "1"})
        person(b, 0, code);
    loadImage(b.build());
    store.SortEntries("name", false);
    EXPECT_EQ(column("name"), (std::vector<std::string>{"1", "10", "2", "9"}));
    store.FindField("name")->rightJustified = true;
    store.SortEntries("NAME", false);
    EXPECT_EQ(column("name"), (std::vector<std::string>{"1", "2", "9", "10"}));
}

TEST_F(DorodStore, BooleanSortPutsTrueFirst) {
    loadImage(ImageBuilder({"XXX.n i", "XXX.ok b"})
                  .record({4, 0}, le32(1))
                  .record({4, 2}, le32(2) + le16(1))
                  .record({4, 0}, le32(3))
                  .record({4, 2}, le32(4) + le16(1))
                  .build());
    store.SortEntries("ok", false);
    std::vector<bool> flags;
    for (const TDorodRecordEntry* e : store.Entries())
        flags.push_back(record::getBoolean(e->data(), f("ok")));
    EXPECT_EQ(flags, (std::vector<bool>{true, true, false, false}));
}

TEST_F(DorodStore, BlobsCompareEqualAndAreDroppedFromFieldLists) {
    loadImage(ImageBuilder({"XXX.b o", "XXX.m m", "XXX.s s", "XXX.g g"})
                  .record({4, 4, 0, 0}, counted("\x01\x02") + counted("x"))
                  .record({4, 4, 0, 0}, counted("\xFF") + counted("y"))
                  .build());
    const uint8_t* a = store.Entry(0)->data();
    const uint8_t* b = store.Entry(1)->data();
    EXPECT_EQ(record::compareRecords(*store.Layout(), {0}, a, b, false), 0);
    EXPECT_LT(record::compareRecords(*store.Layout(), {1}, a, b, false), 0);
    EXPECT_EQ(store.ResolveFieldList("b; m ;nosuch;S;g"), (std::vector<int>{2}));
}

TEST_F(DorodStore, CaseInsensitiveOrderFoldsCyrillicLetters) {
    ImageBuilder b = ImageBuilder().item("XXX.s s");
    for (const char* word : {"Б", "а", "В", "ёлка", "Ёлка"})
        b.record({4}, counted(cp1251(word)));
    loadImage(b.build());
    const auto& layout = *store.Layout();
    const uint8_t* lowerYo = store.Entry(3)->data();
    const uint8_t* upperYo = store.Entry(4)->data();
    EXPECT_EQ(record::compareRecords(layout, {0}, lowerYo, upperYo, true), 0);
    EXPECT_NE(record::compareRecords(layout, {0}, lowerYo, upperYo, false), 0);
    EXPECT_LT(
        record::compareRecords(layout, {0}, store.Entry(1)->data(), store.Entry(0)->data(), true),
        0);

    ASSERT_TRUE(store.DeleteRecord(store.Entry(3), message));
    ASSERT_TRUE(store.DeleteRecord(store.Entry(4), message));
    store.SortEntries("s", true);
    EXPECT_EQ(column("s"), (std::vector<std::string>{cp1251("а"), cp1251("Б"), cp1251("В")}));
    store.SortEntries("s", false);
    EXPECT_EQ(column("s"), (std::vector<std::string>{cp1251("Б"), cp1251("В"), cp1251("а")}));
    EXPECT_EQ(store.EntryCount(), 5); // deleted entries stay in the list
}

TEST_F(DorodStore, HasDuplicateSkipsTheGivenAndDeletedEntries) {
    loadPeople({{1, "A"}, {2, "B"}, {3, "C"}});
    ASSERT_TRUE(store.DeleteRecord(store.Entry(1), message));
    TDorodRecordBuffer buf(store.Layout());
    const auto dup = [&](const char* name, const TDorodRecordEntry* self) {
        record::setText(buf.data(), f("name"), name);
        return store.HasDuplicate(buf.data(), self, "name");
    };
    EXPECT_TRUE(dup("A", nullptr));
    EXPECT_FALSE(dup("A", store.Entry(0)));
    EXPECT_TRUE(dup("C", store.Entry(0)));
    EXPECT_FALSE(dup("B", nullptr));
    EXPECT_FALSE(dup("a", nullptr)); // letter case counts
}

// ---------------------------------------------------------------- user data

TEST(DorodStoreUserData, ReleasedExactlyOnce) {
    std::map<void*, int> released;
    int tags[5] = {};
    auto store = std::make_unique<TDorodCursor>();
    store->OnDestroyRecordData = [&](void* p) { ++released[p]; };
    ImageBuilder b = people();
    person(person(person(b, 1, "a"), 2, "b"), 3, "c");
    TDorodStream stream{b.build(), 0};
    std::string message;
    ASSERT_TRUE(store->LoadFromStream(stream, message));
    for (int i = 0; i < 3; ++i)
        store->SetUserData(store->Entry(i), &tags[i]);

    TDorodRecordBuffer buf(store->Layout());
    TDorodRecordEntry* inserted = nullptr;
    ASSERT_TRUE(store->PostRecord(buf.data(), inserted, message));
    store->SetUserData(inserted, &tags[3]);
    ASSERT_TRUE(store->DeleteRecord(inserted, message));
    EXPECT_EQ(released, (std::map<void*, int>{{&tags[3], 1}}));
    store->RevertChanges();

    ASSERT_TRUE(store->DeleteRecord(store->Entry(0), message));
    EXPECT_EQ(released.count(&tags[0]), 0u); // a deleted record keeps its data until commit
    store->CommitChanges();
    EXPECT_EQ(released[&tags[0]], 1);

    TDorodRecordEntry* kept = nullptr;
    ASSERT_TRUE(store->PostRecord(buf.data(), kept, message));
    store->SetUserData(kept, &tags[4]);
    store.reset();
    EXPECT_EQ(released,
              (std::map<void*, int>{
                  {&tags[0], 1}, {&tags[1], 1}, {&tags[2], 1}, {&tags[3], 1}, {&tags[4], 1}}));
}

// ---------------------------------------------------------------- sizes and progress

TEST_F(DorodStore, StoredSizesPredictTheImageLength) {
    ImageBuilder b = ImageBuilder({"XXX.n i", "XXX.s A", "XXX.t s50", "XXX.f f", "XXX.b b"});
    const uint32_t header = 17 + uint32_t(b.description().size());
    loadImage(b.build());
    const TDorodField &n = f("n"), &s = f("s"), &t = f("t"), &fl = f("f"), &bo = f("b");

    TDorodRecordBuffer buf(store.Layout());
    record::setInt32(buf.data(), n, 5);
    record::setText(buf.data(), s, "abc");
    record::setText(buf.data(), t, "hello");
    TDorodRecordEntry* first = nullptr;
    ASSERT_TRUE(store.PostRecord(buf.data(), first, message));
    EXPECT_EQ(first->storedSize, 5u + 4 + 3 + 4 + 5);

    buf.clear();
    record::setDouble(buf.data(), fl, 2.5);
    record::setBoolean(buf.data(), bo, true);
    TDorodRecordEntry* second = nullptr;
    ASSERT_TRUE(store.PostRecord(buf.data(), second, message));
    EXPECT_EQ(second->storedSize, 5u + 8 + 2);

    buf.assign(first->data());
    record::setText(buf.data(), t, "");
    ASSERT_TRUE(store.PostRecord(buf.data(), first, message));
    EXPECT_EQ(first->storedSize, 5u + 4 + 3);

    TDorodRecordEntry* third = nullptr;
    ASSERT_TRUE(store.PostRecord(buf.data(), third, message));
    ASSERT_TRUE(store.DeleteRecord(third, message));

    TDorodStream stream;
    EXPECT_EQ(store.WriteImage(stream), header + first->storedSize + second->storedSize);
    EXPECT_EQ(stream.bytes.size(), header + first->storedSize + second->storedSize);
}

TEST_F(DorodStore, WriteProgressCountsDeletedEntriesAndNeverRepeats) {
    loadPeople({{1, "a"}, {2, "b"}, {3, "c"}});
    ASSERT_TRUE(store.DeleteRecord(store.Entry(1), message));
    std::vector<int> seen;
    store.OnCallback = [&](int p) { seen.push_back(p); };
    image();
    EXPECT_EQ(seen, (std::vector<int>{33, 67, 100}));

    for (int i = 0; i < 297; ++i)
        postNew(0, "x");
    seen.clear();
    image();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]) << "at " << i;
}

// ---------------------------------------------------------------- saving to files

TEST_F(DorodStore, SaveWritesTheImageAndKeepsABackup) {
    TempDir dir;
    const std::string path = dir.file("people.d");
    loadPeople({{1, "a"}});
    ASSERT_TRUE(store.SaveToFile(path, savAutoBackup, false, "", message)) << message;
    const std::string v1 = image();
    EXPECT_EQ(readAll(path), v1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("people.~d")));

    postNew(0, "b");
    ASSERT_TRUE(store.SaveToFile(path, savAutoBackup, false, "", message)) << message;
    const std::string v2 = image();
    EXPECT_EQ(readAll(path), v2);
    EXPECT_EQ(readAll(dir.file("people.~d")), v1);

    postNew(0, "c");
    ASSERT_TRUE(store.SaveToFile(path, savAutoBackup | savSlowMode, false, "", message));
    EXPECT_EQ(readAll(dir.file("people.~d")), v2);
    EXPECT_EQ(readAll(path), image());
}

TEST_F(DorodStore, SaveSortsOnIndexWhenAsked) {
    TempDir dir;
    const std::string path = dir.file("t.d");
    ImageBuilder b = ImageBuilder({"XXX.name A", "XXX.x s"});
    for (const char* name : {"b", "C", "a"})
        b.record({1, 0}, name);
    loadImage(b.build());
    const auto written = [&](bool caseInsensitive) {
        EXPECT_TRUE(store.SaveToFile(path, savSortOnIndex, caseInsensitive, "name", message));
        const std::string bytes = readAll(path);
        std::string names;
        for (size_t i = bytes.size() - 9; i < bytes.size(); i += 3)
            names += bytes[i + 2];
        return names;
    };
    EXPECT_EQ(written(true), "abC");
    EXPECT_EQ(written(false), "Cab");
    EXPECT_EQ(column("name"), (std::vector<std::string>{"C", "a", "b"}));
}

TEST_F(DorodStore, SaveIntoMissingFolderFailsAndLeavesNothing) {
    TempDir dir;
    loadPeople({{1, "a"}});
    EXPECT_FALSE(store.SaveToFile(dir.file("absent/t.d"), savAutoBackup, false, "", message));
    EXPECT_FALSE(message.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A save that fails part-way, as a full disk fails it, after every piece boundary and
// inside pieces: the save is refused with the reason, the old file keeps every byte and
// no temporary file is left beside it. Plain and enciphered images (the cipher runs on
// across the pieces).
TEST_F(DorodStore, SaveFailingAfterAnyNumberOfBytesLeavesTheOldFile) {
    for (const char* password : {"", "secret"}) {
        SCOPED_TRACE(*password ? "enciphered" : "plain");
        TempDir dir;
        const std::string path = dir.file("people.d");
        loadPeople({{1, "old"}});
        ASSERT_TRUE(store.SaveToFile(path, 0, false, "", message)) << message;
        const std::string oldFile = readAll(path);

        store.SetPassword(password);
        // Enough records for several pieces.
        const std::string note(60, 'n');
        for (int i = 0; i < 12000; ++i) {
            TDorodRecordEntry* e = postNew(0, "name");
            editText(e, "note", note + std::to_string(i));
        }
        std::vector<size_t> appends;
        {
            fileio::TWriteFaultScope recording;
            TempDir probe;
            ASSERT_TRUE(store.SaveToFile(probe.file("t.d"), 0, false, "", message)) << message;
            appends = recording.appends();
        }
        ASSERT_GE(appends.size(), 4u) << "the image should go out in several pieces";
        size_t total = 0;
        std::vector<size_t> budgets;
        for (size_t piece : appends) {
            for (size_t inside : {size_t(0), size_t(1), piece / 2, piece - 1})
                budgets.push_back(total + inside);
            total += piece;
        }
        budgets.push_back(total - 1);

        for (size_t budget : budgets) {
            SCOPED_TRACE("fails after " + std::to_string(budget) + " bytes");
            message.clear();
            fileio::TWriteFaultScope fault(budget);
            EXPECT_FALSE(store.SaveToFile(path, 0, false, "", message));
            EXPECT_THAT(message, ::testing::HasSubstr("Cannot write file " + path));
            EXPECT_TRUE(readAll(path) == oldFile);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                    std::filesystem::directory_iterator()),
                      1);
        }
        fileio::TWriteFaultScope enough(total);
        ASSERT_TRUE(store.SaveToFile(path, 0, false, "", message)) << message;
        // An enciphered image differs from save to save (a fresh key each time).
        const std::string written = readAll(path);
        EXPECT_EQ(written.size(), total);
        if (!*password) {
            EXPECT_TRUE(written == image());
        }
        store.SetPassword("");
    }
}

// The backup comes first: when it cannot be made (a folder stands where the ".~d" copy
// goes) the save is refused and the table file is not touched.
TEST_F(DorodStore, SaveWhoseBackupFailsIsRefusedAndLeavesTheFile) {
    TempDir dir;
    const std::string path = dir.file("people.d");
    loadPeople({{1, "a"}});
    ASSERT_TRUE(store.SaveToFile(path, 0, false, "", message)) << message;
    const std::string oldFile = readAll(path);
    std::filesystem::create_directory(dir.file("people.~d"));

    postNew(0, "b");
    message.clear();
    EXPECT_FALSE(store.SaveToFile(path, savAutoBackup, false, "", message));
    EXPECT_THAT(message, ::testing::HasSubstr("people.~d"));
    EXPECT_EQ(readAll(path), oldFile);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("people.~d")));
}
