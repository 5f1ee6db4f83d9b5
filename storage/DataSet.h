// The standard dataset layer: dataset states, typed fields, navigation, editing, events
// and the data links that grids and master-detail links follow. TDorodDataset supplies
// the storage behind it.
#pragma once

#include "storage/DorodField.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dorod {

enum class TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsInternalCalc,
};

enum class TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftDate,
    ftTime,
    ftDateTime,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftFmtMemo,
    ftGraphic,
    ftLargeint,
};

// A data field reads and writes the record of the store; a calculated field keeps its
// value in the dataset, beside the record, and is given it by OnCalcFields.
enum class TFieldKind { fkData, fkCalculated };

enum TFilterOption : unsigned { foCaseInsensitive = 1, foNoPartialCompare = 2 };
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };

// A dataset error: the exact engine message, prefixed with the component's name
// ("tData: ...") when the dataset has one.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TFieldDef {
    std::string Name;
    TFieldType DataType = TFieldType::ftUnknown;
    int Size = 0;
};

class TDataSet;

// One field of a dataset. Reads give the value of the dataset's active record (null
// without one); writes go to the record being edited or inserted.
class TField {
public:
    TField(TDataSet& dataSet, int fieldNo, std::string name, TFieldType type, int size,
           TFieldKind kind = TFieldKind::fkData);

    const std::string& FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    int Size() const { return m_size; }
    // The index of the stored field; of a calculated field, its index among them.
    int FieldNo() const { return m_fieldNo; }
    TFieldKind FieldKind() const { return m_kind; }
    bool Calculated() const { return m_kind == TFieldKind::fkCalculated; }
    TDataSet& DataSet() const { return m_dataSet; }

    bool ReadOnly = false;
    std::string DefaultExpression;
    std::string DisplayFormat;
    std::string Origin;
    // Numbers align right; key comparisons of texts follow this flag.
    bool RightAligned() const;

    bool IsNull() const;
    // Texts are Windows-1251 bytes.
    std::string AsString() const;
    int32_t AsInteger() const;
    int64_t AsLargeInt() const;
    double AsFloat() const;
    // Days since 1899-12-30 with the time of day as the fraction.
    double AsDateTime() const;
    // Day number of a date (0001-01-01 is day 1); 0 for null.
    int32_t AsDayNumber() const;
    bool AsBoolean() const;
    // The value as the grid shows it (floats with their display format).
    std::string DisplayText() const;

    void SetAsString(std::string_view value);
    void SetAsInteger(int32_t value);
    void SetAsLargeInt(int64_t value);
    void SetAsFloat(double value);
    void SetAsDateTime(double value);
    void SetAsDayNumber(int32_t value);
    void SetAsBoolean(bool value);
    void Clear();

    std::function<void(TField&)> OnChange;

private:
    const TDorodField& storeField() const;
    const uint8_t* readBuffer() const;
    uint8_t* writeBuffer();
    // After a write into rec: a calculated value is marked set (or unset when cleared),
    // and the field and the links hear of the change.
    void changed(uint8_t* rec, bool hasValue = true);

    TDataSet& m_dataSet;
    int m_fieldNo;
    std::string m_name;
    TFieldType m_type;
    int m_size;
    TFieldKind m_kind;
};

class TDataSource;

// Something that follows a dataset through a data source: a grid, a master link.
class TDataLink {
public:
    virtual ~TDataLink();
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return m_source; }
    TDataSet* DataSet() const;

    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}  // the view changed: rows added, removed, reordered
    virtual void DataSetScrolled() {} // the current record moved
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void LayoutChanged() {}

private:
    TDataSource* m_source = nullptr;
};

class TDataSource {
public:
    explicit TDataSource(TDataSet* dataSet = nullptr);
    ~TDataSource();
    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* dataSet);

private:
    friend class TDataLink;
    friend class TDataSet;
    TDataSet* m_dataSet = nullptr;
    std::vector<TDataLink*> m_links;
};

using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;

class TDataSet {
public:
    TDataSet();
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    std::string Name;

    // --- open and close ---
    bool Active() const { return m_state != TDataSetState::dsInactive; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return m_state; }

    // --- fields ---
    int FieldCount() const { return int(m_fields.size()); }
    TField& Field(int index) const { return *m_fields.at(size_t(index)); }
    TField* FindField(std::string_view name) const;
    // "Field 'x' not found" when there is none.
    TField& FieldByName(std::string_view name) const;
    std::vector<TFieldDef> FieldDefs;

    // --- calculated fields ---
    // Defines a calculated field while the dataset is closed; on open it follows the data
    // fields. Its value is null until OnCalcFields sets it. Text fields hold up to size
    // characters; BLOB-family types cannot be calculated.
    void AddCalculatedField(const std::string& name, TFieldType type, int size = 0);
    const std::vector<TFieldDef>& CalculatedFieldDefs() const { return m_calcFieldDefs; }
    // While editing or inserting, a change of a data field computes them again.
    bool AutoCalcFields = true;

    // --- navigation ---
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const { return RecordCount() == 0; }
    virtual int RecordCount() const = 0;
    int RecNo() const;
    void SetRecNo(int recNo);

    // --- editing ---
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode(); // posts a pending edit or insert
    bool Modified() const { return m_recordModified; }

    // --- filtering ---
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool filtered);
    const std::string& Filter() const { return m_filterText; }
    void SetFilter(const std::string& text);
    unsigned FilterOptions = 0;

    // --- controls ---
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // --- events ---
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TFilterRecordEvent OnFilterRecord;

    // Raises a dataset error with this component's name in front.
    [[noreturn]] void DatabaseError(const std::string& message) const;

    // --- for fields and links ---
    virtual const TDorodField& StoreField(int fieldNo) const = 0;
    // Changes whenever the records are read into a new store (an open, a refresh that
    // reads them whole): descriptors taken from StoreField before are no longer good.
    uint64_t StoreGeneration() const { return m_storeGeneration; }
    // The record the fields read: the current record, the edit buffer, the record under
    // test of a filter; null when there is none.
    // In the filter state: the record under test, asked for by a filter handler once per
    // record over millions, so that case is answered inline.
    const uint8_t* ActiveRecord() const {
        return m_state == TDataSetState::dsFilter ? m_overrideRecord : ActiveRecordOutsideFilter();
    }
    virtual uint8_t* EditRecord() = 0;
    void DataEvent_RecordChanged(TField* field);

    // The descriptors of the calculated fields: slots of a record of their own, followed
    // by one byte per field that is non-zero when its value is set.
    const TDorodField& CalcField(int index) const { return m_calcLayout->fields.at(size_t(index)); }
    const std::shared_ptr<const TDorodRecordLayout>& CalcLayout() const { return m_calcLayout; }
    int CalcFieldCount() const { return m_calcLayout ? int(m_calcLayout->fields.size()) : 0; }
    uint32_t CalcFlagOffset(int index) const { return m_calcFlagsOffset + uint32_t(index); }
    // Marks every calculated value of such a record unset.
    void ResetCalcFlags(uint8_t* calc) const;
    // The calculated values of the active record (null without one), and those that a
    // calculated field writes to (raises outside the states that allow writing).
    virtual const uint8_t* ActiveCalcRecord() const { return nullptr; }
    virtual uint8_t* EditCalcRecord();

protected:
    virtual void InternalOpen() = 0; // builds FieldDefs and fields
    virtual const uint8_t* ActiveRecordOutsideFilter() const = 0;
    virtual void InternalClose() = 0;
    virtual void InternalEdit() = 0;      // false-free: may throw
    virtual bool InternalBeginEdit() = 0; // false: the record is gone, edit abandoned
    virtual void InternalInsert() = 0;
    virtual void InternalPost() = 0;
    virtual void InternalCancel() = 0;
    virtual void InternalDelete() = 0;
    virtual void InternalFilterChanged() = 0; // Filter or Filtered changed while open
    virtual void InternalFilterTextSet(const std::string& text) = 0; // may throw, text unchanged
    virtual bool ReadOnlyDataSet() const { return false; }
    // The active record was read anew, or a data field of the record being edited changed:
    // its calculated values are cleared and OnCalcFields computes them.
    virtual void GetCalcFields() {}

    // Position inside the view: -1 for none.
    int m_position = -1;
    bool m_bof = true;
    bool m_eof = true;
    bool m_recordModified = false;
    TDataSetState m_state = TDataSetState::dsInactive;
    const uint8_t* m_overrideRecord = nullptr; // the record under test or being looked up
    bool m_filtered = false;
    std::string m_filterText;

    void SetState(TDataSetState state) { m_state = state; }
    void StoreReplaced() { ++m_storeGeneration; }
    // The data fields from FieldDefs, then the calculated fields.
    void CreateFields();
    void DestroyFields();
    void Resync();         // tells the links that the view changed
    void NotifyScrolled(); // tells the links that the current record moved
    void NotifyActiveChanged();
    void NotifyLayoutChanged();
    void SetPositionFirst();

private:
    friend class TDataSource;
    void addSource(TDataSource* source);
    void removeSource(TDataSource* source);
    template <typename F> void forEachLink(F f);

    std::vector<std::unique_ptr<TField>> m_fields;
    std::vector<TFieldDef> m_calcFieldDefs;
    std::shared_ptr<const TDorodRecordLayout> m_calcLayout; // while open, when there are any
    uint32_t m_calcFlagsOffset = 0;
    std::vector<TDataSource*> m_sources;
    int m_disableCount = 0;
    bool m_changedWhileDisabled = false;
    uint64_t m_storeGeneration = 0;
};

// The dataset field type of a stored field type.
TFieldType fieldTypeOf(FieldType type);

} // namespace dorod
