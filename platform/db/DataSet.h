#pragma once

#include "platform/db/Field.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <deque>
#include <map>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fw {

class TDataSource;
class TDataLink;

enum class TDataSetState { Inactive, Browse, Edit, Insert, SetKey, CalcFields, Filter };

// What a dataset tells its data sources; see TDataSource for how each reaches handlers.
enum class TDataEvent {
    FieldChange,    // one field of the current record changed
    RecordChange,   // the current record changed as a whole (edit began, record re-read)
    DataSetChange,  // the rows changed (open, post, cancel, delete, insert, refresh)
    DataSetScroll,  // the cursor moved to another record
    LayoutChange,   // fields or order changed
    UpdateState,    // the state changed
    UpdateRecord,   // controls must write pending edits into the fields (before a post)
    CheckBrowseMode // controls must finish their editing (the dataset leaves edit/insert)
};

using TBookmark = qint64;

// One record as the dataset caches it: its identity and a value for every field, data,
// calculated and lookup alike (calculated values are computed when the record is read).
struct TRecord {
    TBookmark id = 0;
    std::vector<QVariant> values;
    std::vector<QVariant> key; // the values of the order columns, as the engine compares them
};

// A set of records with a cursor, fields, states, events and data sources, after the
// component model of the host: navigation, editing through Edit/Insert/Post/Cancel,
// events before and after each step, calculated and lookup fields, per-record filters.
// Subclasses supply the rows (TTable over a table, TQuery over a query's result).
class TDataSet : public QObject {
public:
    explicit TDataSet(QObject* owner = nullptr);
    ~TDataSet() override;

    // Fields, in declared order. Declaring none lets Open create one per stored column.
    TField* AddField(const QString& name, TFieldType type, int size = 0, TFieldKind kind = TFieldKind::Data);
    TField* AddLookupField(const QString& name, int size, const QString& keyFields, TDataSet* lookupDataSet,
                           const QString& lookupKeyFields, const QString& lookupResultField);
    TField* AddCalcField(const QString& name, TFieldType type, int size = 0)
    {
        return AddField(name, type, size, TFieldKind::Calculated);
    }
    int FieldCount() const { return int(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(size_t(index)).get(); }
    TField* FindField(const QString& name) const; // case-insensitive; null when absent
    TField* FieldByName(const QString& name) const; // EDatabaseError when absent
    // Fields named in a ";"-separated list ("Grupa;Cod").
    std::vector<TField*> FieldsByNames(const QString& names) const;
    bool DefaultFields() const { return defaultFields_; }

    // Opening and closing.
    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::Inactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return state_; }
    bool IsEditing() const { return state_ == TDataSetState::Edit || state_ == TDataSetState::Insert; }

    // Navigation.
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty();
    int RecordCount();        // records the dataset shows (after its range and filter)
    int RecNo();              // 1-based position of the current record; 0 when empty
    void SetRecNo(int recNo); // moves to a position, through the usual scroll events
    void Refresh();           // re-reads the rows, keeping the current record when it still exists

    // Editing.
    bool CanModify() const;
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Appends a record with values in field order (data fields only, as many as given):
    // each goes through the field's validation and the record through BeforePost.
    void AppendRecord(const QVariantList& values);
    bool Modified() const { return modified_; }
    // Posts a changed record, cancels an unchanged one: what moving away from a record does.
    void CheckBrowseMode();
    // Asks data-aware controls to write their pending edits into the fields.
    void UpdateRecord();

    // Bookmarks identify a record for as long as it exists.
    TBookmark GetBookmark() const;
    bool BookmarkValid(TBookmark bookmark);
    void GotoBookmark(TBookmark bookmark);

    // Searching. Locate moves to the first record (in the current order, within range and
    // filter) whose fields equal the values, byte-wise and case-sensitively; Lookup reads a
    // field of that record without moving the cursor.
    bool Locate(const QString& keyFields, const QVariantList& values);
    QVariant Lookup(const QString& keyFields, const QVariantList& values, const QString& resultField);

    // Per-record filter.
    std::function<void(TDataSet*, bool& accept)> OnFilterRecord;
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool filtered);

    // Controls: while disabled, data sources hear nothing; enabling sends one change.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Events.
    std::function<void(TDataSet*)> BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    std::function<void(TDataSet*)> BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    std::function<void(TDataSet*)> BeforePost, AfterPost, BeforeCancel, AfterCancel;
    std::function<void(TDataSet*)> BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    std::function<void(TDataSet*)> OnNewRecord, OnCalcFields;
    bool AutoCalcFields = true;

    // For grids, which show many records at once. Display rows are the records in order
    // plus, while inserting, the new record at its place.
    int DisplayRowCount();
    int CurrentDisplayRow();
    // Makes the record of a display row the active one (fields read it) for the guard's
    // lifetime, without moving the cursor and without events. False when there is no such row.
    class ActiveRecordGuard {
    public:
        ActiveRecordGuard(ActiveRecordGuard&& other) noexcept;
        ActiveRecordGuard& operator=(ActiveRecordGuard&&) = delete;
        ~ActiveRecordGuard();
        explicit operator bool() const { return ok_; }

    private:
        friend class TDataSet;
        ActiveRecordGuard(TDataSet* ds, const TRecord* record);
        TDataSet* ds_;
        const TRecord* saved_;
        bool ok_;
    };
    ActiveRecordGuard ActivateDisplayRow(int row);
    // Moves the cursor to a display row (posting or dropping an edit first, as any move).
    void MoveToDisplayRow(int row);

    // Data sources attached to this dataset (maintained by TDataSource).
    const std::vector<TDataSource*>& DataSources() const { return dataSources_; }

    // Internal: field access goes through these.
    const QVariant& ActiveValue(const TField* field) const;
    void AssignValue(TField* field, const QVariant& value);
    QVariant OldFieldValue(const TField* field) const;

protected:
    // What subclasses provide. Rows come in the dataset's order; "after"/"before" are
    // relative to a record already read. Counts and positions ignore the filter (the base
    // applies it).
    virtual void InternalOpen() = 0;  // read metadata, create default fields or check declared ones
    virtual void InternalClose() = 0;
    virtual std::vector<TRecord> FetchFirst(int count) = 0;
    virtual std::vector<TRecord> FetchLast(int count) = 0; // nearest the end first
    virtual std::vector<TRecord> FetchAfter(const TRecord& record, int count) = 0;
    virtual std::vector<TRecord> FetchBefore(const TRecord& record, int count) = 0; // nearest first
    virtual std::optional<TRecord> FetchById(TBookmark id) = 0; // only when still in range
    virtual std::vector<TRecord> FetchAt(int position, int count) = 0; // 0-based, unfiltered
    virtual int CountAll() = 0;
    virtual int CountBefore(const TRecord& record) = 0;
    // Records (in order) whose fields equal the values, skipping `offset`, at most `limit`.
    virtual std::vector<TRecord> FetchMatching(const std::vector<TField*>& fields, const QVariantList& values,
                                               int offset, int limit) = 0;
    // The first records at or after a key on the leading fields of the order (FindNearest).
    virtual std::vector<TRecord> FetchNearest(const std::vector<TField*>& fields, const QVariantList& values,
                                              int limit);
    virtual bool InternalCanModify() const { return false; }
    // Writes the record; returns its identity.
    virtual TBookmark InternalPost(const TRecord& record, bool inserting, const std::vector<bool>& changed);
    virtual void InternalDelete(const TRecord& record);
    // Called at the start of Insert/Append, before OnNewRecord (master values of a detail).
    virtual void InitNewRecord() {}

    // For subclasses: the stored fields and a new empty record.
    std::vector<TField*> DataFields() const;
    TRecord NewRecord() const;
    void SetDefaultFields(bool value) { defaultFields_ = value; }
    void ClearFields();
    // Re-reads everything from the first record (a changed order, range or filter).
    void Resync(bool keepCurrent);
    void NotifyLayoutChanged();
    void CheckActive() const;
    // Moves to the first record (in order, accepted by the filter) whose fields equal the
    // values; false and no move when there is none.
    bool GotoFirstMatch(const std::vector<TField*>& fields, const QVariantList& values);
    // Moves to the first record at or after a key of the leading order fields, or to the
    // last record when there is none.
    void GotoNearest(const std::vector<TField*>& fields, const QVariantList& values);
    // Key values converted to the types of their fields, one per field.
    QVariantList CoerceKey(const std::vector<TField*>& fields, const QVariantList& values) const;

    void DataEvent(TDataEvent event, TField* field = nullptr);

private:
    friend class TField;
    friend class TDataSource;

    enum class InsertMode { None, AtCursor, AtEnd };

    void SetState(TDataSetState state);
    void PrepareRecords(std::vector<TRecord>& records); // filter + calculated fields
    bool Accepts(TRecord& record);
    void ComputeCalcFields(TRecord& record);
    void ComputeLookups(TRecord& record);
    void ResetWindow();
    void LoadWindow(std::vector<TRecord> records, bool atStart, bool atEnd, int firstPos);
    // Reads accepted records after (before) an anchor, or from the start (end) without one.
    std::vector<TRecord> Read(const TRecord* anchor, int want, bool forward, bool& reachedEdge);
    std::vector<TRecord> ReadForward(const TRecord* anchor, int want, bool& reachedEnd)
    {
        return Read(anchor, want, true, reachedEnd);
    }
    std::vector<TRecord> ReadBackward(const TRecord* anchor, int want, bool& reachedStart)
    {
        return Read(anchor, want, false, reachedStart);
    }
    // Visits the accepted records from the first on until the visitor returns false.
    void ScanAll(const std::function<bool(TRecord&)>& visit);
    bool ExtendForward();
    bool ExtendBackward();
    void TrimWindow();
    bool StepForward();
    bool StepBackward();
    void MoveToLast();
    void LoadAtPosition(int position);
    int KnownPosition(); // 0-based position of window_.front(); computed when unknown
    const TRecord* CurrentRecord() const;
    const TRecord* RecordAtPosition(int position);
    void PositionOn(TBookmark id);
    bool ReloadAround(TBookmark id); // a window of just that record, read anew
    std::optional<TRecord> FirstMatch(const std::vector<TField*>& fields, const QVariantList& values);
    void GotoRecord(TRecord record);
    void Scrolled(int distance);
    void CheckEditable();
    void BeginInsert(bool append);
    void EndEdit(); // leaves edit/insert after a post or cancel
    int InsertDisplayRow();

    std::vector<std::unique_ptr<TField>> fields_;
    bool defaultFields_ = false;
    bool hasComputed_ = false; // calculated or lookup fields to fill on every read
    TDataSetState state_ = TDataSetState::Inactive;

    // The cache: a contiguous run of records in order around the cursor, and rows a grid
    // asked for elsewhere.
    std::deque<TRecord> window_;
    int cur_ = -1;
    bool windowAtStart_ = false;
    bool windowAtEnd_ = false;
    int windowFirstPos_ = -1; // unknown when -1
    bool eof_ = true;
    bool bof_ = true;
    int countCache_ = -1;
    std::map<int, TRecord> displayCache_;

    // Editing.
    TRecord editRecord_;
    TRecord oldRecord_;
    std::vector<bool> changed_;
    bool modified_ = false;
    InsertMode insertMode_ = InsertMode::None;

    // What fields read when set: a record being painted, filtered or calculated. Otherwise
    // the edit buffer while editing, else the current record.
    const TRecord* active_ = nullptr;
    const TField* validating_ = nullptr;
    QVariant validatingValue_;

    bool filtered_ = false;
    int disableCount_ = 0;
    TDataSetState disabledState_ = TDataSetState::Inactive;
    bool pendingChange_ = false;
    std::vector<TDataSource*> dataSources_;
};

// Connects a dataset to handlers and data-aware controls.
// OnStateChange: every state change. OnDataChange: a field change (with the field), or a
// change of the whole record, a move, a refresh or an open (without one).
class TDataSource : public QObject {
public:
    explicit TDataSource(QObject* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool AutoEdit = true;
    TDataSetState State() const;
    // Starts editing the current record when the source allows it (a control being typed in).
    void Edit();

    std::function<void(TDataSource*)> OnStateChange;
    std::function<void(TDataSource*, TField*)> OnDataChange;
    std::function<void(TDataSource*)> OnUpdateData;

    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

private:
    friend class TDataSet;
    void Notify(TDataEvent event, TField* field);

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    std::vector<TDataLink*> links_;
};

// What a data-aware control or a detail dataset implements to follow a data source.
class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    bool Active() const;

    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled(int /*distance*/) {}
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void UpdateData() {}
    virtual void FinishEditing() {}

private:
    friend class TDataSource;
    TDataSource* source_ = nullptr;
};

} // namespace fw
