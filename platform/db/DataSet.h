#pragma once

#include "platform/db/Field.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <deque>
#include <exception>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace fw {

class TDataSource;
class TDataLink;
class TTransaction;

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

// A record's identity for as long as it exists, kept apart from its values and keys
// (editing a key keeps the record). kNoBookmark stands for no record: an empty dataset,
// or a record being inserted, which has no place yet.
using TBookmark = qint64;
inline constexpr TBookmark kNoBookmark = std::numeric_limits<TBookmark>::min();

// What a write does to a row (BeforeWrite).
enum class TUpdateKind { Modify, Insert, Delete };
// What a failed post or delete does next (OnPostError, OnDeleteError): report the error,
// end silently (the handler has told the user), or try again.
enum class TDataAction { Fail, Abort, Retry };

// One record as the dataset caches it: its identity and a value for every field, data,
// calculated and lookup alike (calculated values are computed when the record is read).
struct TRecord {
    TBookmark id = 0;
    std::vector<QVariant> values;
    std::vector<QVariant> key; // order values as the engine compares them; empty where a table rebuilds them (TTable::KeyOf)
    // A table's row: per field, the value exactly as stored when read (StoredValue.h), for
    // the check that the row still holds it; empty where each value written as the layer
    // writes it is its stored form again, and for other records.
    std::vector<QVariant> stored;
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
    // Details (datasets following this one as their master) post what they are editing
    // first; one whose post is refused cancels it. The dataset closes either way.
    void Close();
    // Closes as a destructor must: nothing is posted (what this dataset and its details
    // are editing is dropped) and no error escapes.
    void Shutdown() noexcept;
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
    int RecNo();              // 1-based position of the current record; 0 when empty or inserting
    void SetRecNo(int recNo); // moves to a position, through the usual scroll events
    void Refresh();           // re-reads the rows, keeping the current record when it still exists

    // Editing. Rows are changed by their identity and only while they still hold what this
    // dataset read: Edit reads the record again first and refuses when another user changed
    // or deleted it (the record then shows what it holds); Post and Delete refuse to write
    // when the row changed since, and leave the dataset as it was. The refusal is an
    // ERecordChanged with the user's message.
    bool CanModify() const;
    void Edit();
    void Insert();
    void Append();
    void Post(); // EDatabaseError outside edit and insert
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

    // Bookmarks identify a record for as long as it exists; kNoBookmark is never valid.
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

    // Controls: while disabled, data sources hear nothing; enabling tells them what changed
    // meanwhile (the state, the fields and their layout, or only the data).
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

    // The writes that belong with a row (a counter it takes, the stock it moves): runs
    // inside the transaction the row is written or deleted in, just before the row's own
    // write, after BeforePost/BeforeDelete accepted it; a posted row's fields may still be
    // assigned. The transaction ends before the dataset leaves editing: when anything in it
    // fails, all of it is rolled back and the dataset stays as it was, the values typed
    // into a posted row included (what the handler assigned goes with the transaction).
    std::function<void(TDataSet*, TUpdateKind)> BeforeWrite;
    // A post or delete failed while writing, everything of it rolled back: the handler may
    // tell the user and choose what follows (Fail by default: the error goes on).
    std::function<void(TDataSet*, const std::exception&, TDataAction&)> OnPostError, OnDeleteError;

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
    virtual std::optional<TRecord> FetchById(TBookmark id) = 0; // read anew; only when still in range
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
    // Writes the record: inserts it (no `old`) or changes the changed fields of the row
    // `old` identifies, provided the row still holds `old`'s stored values. Returns the
    // row's identity afterwards; none when the row no longer holds them (nothing written).
    virtual std::optional<TBookmark> InternalPost(const TRecord& record, const TRecord* old,
                                                  const std::vector<bool>& changed);
    // Deletes the row the record identifies while it still holds the record's stored
    // values; false when it does not (nothing deleted).
    virtual bool InternalDelete(const TRecord& record);
    // The transaction a post or delete with BeforeWrite runs in.
    virtual std::unique_ptr<TTransaction> BeginWrite();
    // Moves when rows may have changed under the cached ones; 0 for rows that never do.
    virtual quint64 DataGeneration() { return 0; }
    // Whether the rows read now stay as they were read until the transaction ends (they
    // are locked, or the engine keeps every other writer out), so that a record read
    // since then, with nothing written meanwhile, needs no second read before an edit.
    virtual bool HoldsRowsRead() const { return false; }
    // The engine's count of changes to the stored rows (Connection::StoredVersion), asked
    // anew; none where there is no such count, and then an edit reads its record again.
    virtual std::optional<quint64> StoredVersion() { return std::nullopt; }
    // The count as it stood before the first read since last asked: every record read since
    // holds at least the changes it counts. None when nothing was read since, or no count.
    virtual std::optional<quint64> TakeReadVersion() { return std::nullopt; }
    // The row a post has just written, as the engine stored it, when the write gave it
    // back and it is one this dataset shows (a detail's range is the engine's to apply);
    // none makes the post read it anew.
    virtual std::optional<TRecord> TakeWrittenRecord() { return std::nullopt; }
    // Called at the start of Insert/Append, before OnNewRecord (master values of a detail).
    virtual void InitNewRecord() {}

    // For subclasses: the stored fields and a new empty record.
    std::vector<TField*> DataFields() const;
    TRecord NewRecord() const;
    // A record the cursor let go on a long walk, to be read into anew (every part of it
    // overwritten: its storage is what is reused); an empty record when there is none.
    TRecord SpareRecord();
    void SetDefaultFields(bool value) { defaultFields_ = value; }
    void ClearFields();
    // Re-reads the rows: from the first record, or around the current one (a changed order
    // or range keeps it when it still shows; when it is gone, the one after it is current).
    void Resync(bool keepCurrent);
    void NotifyLayoutChanged();
    void CheckActive() const;
    // Moves to the first record (in order, accepted by the filter) whose fields equal the
    // values; false and no move when there is none. `leading`: the fields lead the order,
    // so the matching records stand together: the records already read answer when they
    // hold the first of them, and those read become the cache around the cursor.
    bool GotoFirstMatch(const std::vector<TField*>& fields, const QVariantList& values, bool leading = false);
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
    void ResolveDetails(bool teardown);
    void CloseCursor();
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
    // Where the cursor stands after the current record was read anew.
    enum class Reread { Same, Changed, GoneNext, GonePrior, Empty };
    // Reads the current record again: its fresh values replace the cached ones; when it is
    // gone (or no longer in range or filter) the record after it becomes current, else the
    // one before. Drops the rest of the cache. No events.
    Reread RereadCurrent();
    // Whether the cached records are still what the rows hold, asked of the engine's count.
    bool UnchangedSinceRead();
    // Drops the current record from the cache: the one after it becomes current, the one
    // before when it was the last.
    void DropCurrent(const TRecord& gone);
    // When rows changed under the cache since it was read, reads it again around the
    // current record (RereadCurrent); the result, Same when nothing had to be read.
    Reread CheckStale();
    void MarkFresh();
    bool SameStoredValues(const TRecord& a, const TRecord& b) const;
    // The write of a post or delete, with BeforeWrite in its transaction; OnPostError or
    // OnDeleteError decide on a failure.
    TBookmark WriteEditRecord();
    void WriteDelete(const TRecord& victim);
    void RunWrite(const std::function<void()>& write, const std::function<void()>& undo,
                  const std::function<void(TDataSet*, const std::exception&, TDataAction&)>& onError);
    void CheckRequiredFields() const;
    std::optional<TRecord> FirstMatch(const std::vector<TField*>& fields, const QVariantList& values);
    // The first matching records of a key on the leading order fields, in order.
    std::vector<TRecord> FirstMatchingRun(const std::vector<TField*>& fields, const QVariantList& values);
    // Where the cache holds the first record matching a key on the leading order fields;
    // -1 when it cannot tell without the engine.
    int CachedFirstMatch(const std::vector<TField*>& fields, const QVariantList& values);
    void GotoRecord(TRecord record);
    void GotoRun(std::vector<TRecord> run);
    // How many records the next extension of the cache reads; each one reads more.
    int NextBlock();
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
    quint64 seenGeneration_ = 0; // DataGeneration() when the cache was read
    std::optional<quint64> seenVersion_; // TakeReadVersion() when the window was loaded
    int nextBlock_ = 0; // what NextBlock gives next (0: the usual block)
    bool eof_ = true;
    bool bof_ = true;
    int countCache_ = -1;
    std::map<int, TRecord> displayCache_;
    // Records trimmed from the window, kept for the next block's rows (at most a block).
    std::vector<TRecord> spare_;

    // Editing.
    TRecord editRecord_;
    TRecord oldRecord_;
    std::vector<bool> changed_;
    bool modified_ = false;
    bool postConflict_ = false; // a post met another user's change: Cancel reads the record again
    InsertMode insertMode_ = InsertMode::None;
    bool bofBeforeInsert_ = true, eofBeforeInsert_ = true;

    // What fields read when set: a record being painted, filtered or calculated. Otherwise
    // the edit buffer while editing, else the current record.
    const TRecord* active_ = nullptr;
    const TField* validating_ = nullptr;
    QVariant validatingValue_;

    bool filtered_ = false;
    int disableCount_ = 0;
    TDataSetState disabledState_ = TDataSetState::Inactive;
    // What data sources missed while controls were disabled: nothing, data, or layout (a
    // layout change, or the dataset closed and opened again, its fields anew).
    enum class Pending { None, Data, Layout } pending_ = Pending::None;
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
    // The dataset followed is about to close, or the source to go (teardown: as part of
    // destroying objects, when nothing may be posted or shown).
    virtual void MasterClosing(bool /*teardown*/) {}

private:
    friend class TDataSource;
    TDataSource* source_ = nullptr;
};

} // namespace fw
