// TDorodDataset: a record store behind the standard dataset interface. It shows a view
// of the store (the entries that pass its range and filter, in the order of its index
// fields), tracks the changes since the last save, and fills defaults on new records.
// TDorodTable decides where the data comes from and goes to.
#pragma once

#include "storage/DataSet.h"
#include "storage/DorodCursor.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dorod {

class TDorodDatabase;
class TDorodCFieldList;

enum TDorodSortOption : unsigned {
    vsoCaseInsensitive = 1,
    vsoDescendSort = 2,
    vsoInsertInOrder = 4,
};
using TDorodSortOptions = unsigned;

class TDorodDataset : public TDataSet {
public:
    TDorodDataset();
    ~TDorodDataset() override;

    // --- properties ---
    TDorodDatabase* Database() const { return m_database; }
    virtual void SetDatabase(TDorodDatabase* database);
    const std::string& IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const std::string& names);
    const std::string& MasterFields() const { return m_masterFields; }
    void SetMasterFields(const std::string& names);
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* source);
    std::string Notes; // a design-time note; not stored in the table
    bool PartialOpen = false;
    const std::string& RangeFieldNames() const { return m_rangeFieldNames; }
    void SetRangeFieldNames(const std::string& names);
    bool ReadOnly = false;
    TDorodSaveOptions SaveOptions = 0;
    TDorodSortOptions SortOptions() const { return m_sortOptions; }
    void SetSortOptions(TDorodSortOptions options);
    std::string UniqueFieldNames;
    // Checked on post when set (a table property).
    bool CheckKeyViolation = false;
    static std::string Version();

    // --- events ---
    std::function<void(TDorodDataset&)> OnNeedToSaveChange;
    std::function<void(TDorodDataset&, int percent)> OnCallback;
    TFilterRecordEvent OnFindRecord; // kept; never called
    std::function<void(TDorodDataset&, void* userData)> OnDestroyRecordData;

    // --- operations ---
    int RecordCount() const override { return int(m_view.size()); }
    // The number of unsaved changes; above 0 the dataset is modified.
    int ChangeCount() const { return m_changeCount; }
    bool HasChanges() const { return m_changeCount > 0; }
    void Save();          // posts a pending edit, then writes the data back
    void CancelChanges(); // cancels a pending edit, then undoes every change
    void ApplyChanges();  // accepts every change
    // Accepts every change as ApplyChanges does, keeping the view as it stands (the
    // records it shows, in their order) rather than building it again: for a caller that
    // knows its view still shows what its filter would. Built again all the same when the
    // commit takes out a record the view shows.
    void ApplyChangesKeepingView();
    void Refresh();
    // Writes the table to any file with the dataset's save options.
    void SaveToFile(const std::string& path);

    void SetRange(const std::string& startValues, const std::string& endValues);
    void CancelRange();
    bool Ranged() const { return m_ranged; }
    // Key fields ";"-separated; one value per key field (or one value for all).
    bool Locate(const std::string& keyFields, const std::vector<std::string>& keyValues,
                unsigned options = 0);
    std::optional<std::vector<std::string>> Lookup(const std::string& keyFields,
                                                   const std::vector<std::string>& keyValues,
                                                   const std::string& resultFields);
    // Filters again only the records the view shows now, keeping their order, and moves
    // to the first: for a filter that can only accept fewer records than before (a
    // search text that was extended). Turns Filtered on.
    void RefilterView();
    // Turns Filtered on and shows those of these records that pass the filter, in their
    // order: what SetFiltered(true) shows, for a caller that knows no other record of the
    // table would pass. A view of a few records without a pass over every record.
    void FilterAmong(const std::vector<TDorodRecordEntry*>& candidates);
    bool FindFirst();
    bool FindLast();
    bool FindNext();
    bool FindPrior();

    // The store and the entry of the current record, for the engine's own users.
    TDorodCursor* Store() const { return m_store.get(); }
    TDorodRecordEntry* CurrentEntry() const;
    // Makes this entry current when it is in the view.
    bool GotoEntry(const TDorodRecordEntry* entry);
    // The display text of a field of the record at a view position, without moving.
    std::string DisplayTextAt(int viewIndex, const TField& field);
    TDorodRecordEntry* ViewEntry(int viewIndex) const {
        return viewIndex >= 0 && size_t(viewIndex) < m_view.size() ? m_view[size_t(viewIndex)]
                                                                   : nullptr;
    }
    // Changes whenever the view is built anew or emptied (filter, range, order, open,
    // close, refresh); with the store's Generation it tells whether a view built earlier
    // is still the one shown.
    uint64_t ViewGeneration() const { return m_viewGeneration; }
    // Whether the view is known to be in index order (for tests and tools).
    bool ViewSorted() const { return !m_view.empty() && m_sortedCount == m_view.size(); }
    // The size of the last loaded image and how long the last open took.
    size_t LoadSize() const { return m_loadSize; }
    int64_t OpenMilliseconds() const { return m_openMs; }

    const TDorodField& StoreField(int fieldNo) const override;
    uint8_t* EditRecord() override;
    const uint8_t* ActiveCalcRecord() const override;
    uint8_t* EditCalcRecord() override;

protected:
    virtual void LoadData() = 0;
    // Brings the loaded store up to date in place for a refresh, when the data's home can
    // say what changed since the load; false when only LoadData can.
    virtual bool LoadDataChanges() { return false; }
    const uint8_t* ActiveRecordOutsideFilter() const override;
    virtual void StoreData() = 0;
    virtual void FreeData();
    // Whether tables cloned from this one are open (a refresh would pull the store from
    // under them).
    virtual bool HasOpenClones() const { return false; }
    // After CancelChanges or ApplyChanges: a clone takes its source off the database's
    // list of changed datasets too.
    virtual void ChangesSettled() {}
    // The current record's entry; "Number of records is equal to 0" when the position is
    // outside the view.
    TDorodRecordEntry* CheckedCurrentEntry() const;
    bool ReadOnlyDataSet() const override { return ReadOnly; }
    void GetCalcFields() override;

    void InternalOpen() override;
    void InternalClose() override;
    void InternalEdit() override;
    bool InternalBeginEdit() override;
    void InternalInsert() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalFilterChanged() override;
    void InternalFilterTextSet(const std::string& text) override;

    // Loads an image into the store (a new store when there is none), raising
    // "Error opening table: ..." on failure and showing a partial-open message.
    // The password is the table's own, tried first on an enciphered image.
    void LoadImage(TDorodStream& stream, const std::string& password);
    void LoadImage(std::string_view image, const std::string& password);
    void BindStoreEvents();
    // Builds the view from the store, or (from) from a list of entries in view order.
    void BuildView(bool keepPosition, const std::vector<TDorodRecordEntry*>* from = nullptr);
    void ApplyMasterLink();
    // Takes the dataset off its database's list of changed datasets.
    void LeaveChangedList();
    void IncrementChanges();
    void DecrementChanges();
    void ResetChanges();

    std::shared_ptr<TDorodCursor> m_store;
    size_t m_loadSize = 0;

private:
    friend class TDorodMasterLink;
    // The steps of an open after the data are loaded; abandonOpen undoes them all.
    void openLoadedStore();
    void abandonOpen();
    // Makes a record, and the calculated values that go with it, the active one in another
    // state for a while; the old state and records come back at the end.
    class RecordSwitch {
    public:
        RecordSwitch(TDorodDataset& dataset, TDataSetState state, const uint8_t* rec, uint8_t* calc)
            : m_dataset(dataset), m_oldState(dataset.m_state),
              m_oldRecord(dataset.m_overrideRecord), m_oldCalc(dataset.m_overrideCalc) {
            dataset.m_state = state;
            dataset.m_overrideRecord = rec;
            dataset.m_overrideCalc = calc;
        }
        ~RecordSwitch() {
            m_dataset.m_state = m_oldState;
            m_dataset.m_overrideRecord = m_oldRecord;
            m_dataset.m_overrideCalc = m_oldCalc;
        }
        RecordSwitch(const RecordSwitch&) = delete;
        RecordSwitch& operator=(const RecordSwitch&) = delete;
        // The next record under test; the calculated values written for the one before
        // do not carry over.
        void set(const uint8_t* rec) {
            m_dataset.m_overrideRecord = rec;
            if (m_dataset.m_overrideCalc) m_dataset.ResetCalcFlags(m_dataset.m_overrideCalc);
        }

    private:
        TDorodDataset& m_dataset;
        TDataSetState m_oldState;
        const uint8_t* m_oldRecord;
        uint8_t* m_oldCalc;
    };
    // A record switch for the records of a filter or search pass: their calculated
    // fields are not computed and read as null unless set during the pass.
    RecordSwitch filterPass() {
        return RecordSwitch(*this, TDataSetState::dsFilter, nullptr,
                            m_passCalc ? m_passCalc->data() : nullptr);
    }
    // Clears calc and, with OnCalcFields, computes the calculated fields of rec into it.
    void calculateFields(const uint8_t* rec, TDorodRecordBuffer& calc);
    // A new buffer of calculated values with OnCalcFields run for rec; none when the
    // dataset has no calculated fields.
    std::unique_ptr<TDorodRecordBuffer> calculatedValuesOf(const uint8_t* rec);

    struct KeyBuffer {
        std::vector<int> storeFields;
        size_t inUse = 0;
        std::vector<int> used; // the leading storeFields in use
        std::unique_ptr<TDorodRecordBuffer> values;
    };

    KeyBuffer makeKeyBuffer(const std::string& fieldNames) const;
    void fillKeyBuffer(KeyBuffer& key, const std::vector<std::string>& values) const;
    bool inRange(const TDorodRecordEntry* entry) const;
    bool passesFilter(const TDorodRecordEntry* entry);
    bool passesConditions(const TDorodRecordEntry* entry) const;
    void bindConditions();
    // Raises an error of the expression language as this dataset's error.
    [[noreturn]] void expressionError(const std::exception& error) const;
    int compareView(const TDorodRecordEntry* a, const TDorodRecordEntry* b) const;
    int findEntry(const std::string& keyFields, const std::vector<std::string>& keyValues,
                  unsigned options);
    // The first view position whose key fields equal the wanted record's, by the
    // look-up list; -1 when there is none, -2 when no list serves these fields (yet).
    int findInLookupList(const std::vector<int>& fields, const uint8_t* wanted);
    int findInIntegerLookupList(const TDorodField& field, const uint8_t* wanted);
    void moveTo(int position);
    void applyDefaults();
    void copyMasterValues();
    bool findWithFilter(int start, int step);
    void resetSortedPrefix();

    TDorodDatabase* m_database = nullptr;
    std::string m_indexFieldNames;
    std::string m_masterFields;
    std::string m_rangeFieldNames;
    TDorodSortOptions m_sortOptions = 0;

    std::vector<TDorodRecordEntry*> m_view;
    size_t m_sortedCount = 0; // the leading view entries known to be in index order
    uint64_t m_viewGeneration = 0;
    // Repeated Locates by fields the view is not ordered by (the output window looks up
    // each announcement of a day by id): from the second Locate by the same fields in
    // an unchanged view on, the view's positions sorted by those fields answer with a
    // binary search instead of a scan.
    struct LookupList {
        std::vector<int> fields;
        uint64_t viewGeneration = 0;
        uint64_t storeGeneration = 0;
        size_t viewSize = 0;
        bool built = false;
        std::vector<uint32_t> positions; // view positions in key order, ties in view order
        // For a single integer field (the usual id): the keys beside the positions, so
        // that neither sorting nor searching has to reach the records.
        std::vector<int64_t> integerKeys;
    };
    LookupList m_lookupList;
    std::vector<int> m_indexFields;
    TDorodRecordEntry* m_editEntry = nullptr;
    std::unique_ptr<TDorodRecordBuffer> m_editBuffer;
    uint8_t* m_overrideCalc = nullptr;                // and its calculated values
    std::unique_ptr<TDorodRecordBuffer> m_calcBuffer; // of the current or edited record
    std::unique_ptr<TDorodRecordBuffer> m_passCalc;   // of the records of a filter pass
    bool m_ranged = false;
    KeyBuffer m_rangeStart;
    KeyBuffer m_rangeEnd;
    int m_changeCount = 0;
    bool m_pendingCounted = false; // the pending edit or insert was counted as a change
    int64_t m_openMs = 0;
    std::unique_ptr<TDataLink> m_masterLink;
    std::unique_ptr<TDorodCFieldList> m_conditions; // parsed from the Filter text
};

// The fresh 8-character code a string field with the default "UNICOD" gets.
std::string makeUnicodCode();

} // namespace dorod
