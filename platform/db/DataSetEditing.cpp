// Editing: Edit, Insert, Append, Post, Cancel, Delete and the events around them, and the
// check that a row is changed only while it still holds what the dataset read.
#include "platform/db/DataSet.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/DataSetBlocks.h"
#include "platform/db/DbMessages.h"

#include <algorithm>

namespace fw {

using namespace blocks;

bool TDataSet::CanModify() const { return Active() && InternalCanModify(); }

void TDataSet::CheckEditable()
{
    CheckActive();
    if (!CanModify())
        throw EDatabaseError(dbmsg::DataSetReadOnly(objectName()));
}

std::optional<TBookmark> TDataSet::InternalPost(const TRecord&, const TRecord*, const std::vector<bool>&)
{
    throw EDatabaseError(dbmsg::DataSetReadOnly(objectName()));
}

bool TDataSet::InternalDelete(const TRecord&)
{
    throw EDatabaseError(dbmsg::DataSetReadOnly(objectName()));
}

std::unique_ptr<TTransaction> TDataSet::BeginWrite()
{
    throw EDatabaseError(dbmsg::DataSetReadOnly(objectName()));
}

void TDataSet::UpdateRecord()
{
    if (!IsEditing())
        throw EDatabaseError(dbmsg::DataSetNotEditing(objectName()));
    DataEvent(TDataEvent::UpdateRecord);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(TDataEvent::CheckBrowseMode);
    if (IsEditing()) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Edit()
{
    CheckActive();
    if (IsEditing())
        return;
    if (window_.empty()) {
        Insert();
        return;
    }
    CheckEditable();
    CheckBrowseMode();
    if (BeforeEdit)
        BeforeEdit(this);
    // The record as stored now, not as it was read: what the user starts from must be what
    // the row holds, or he would be changing values he has not seen. A record read in this
    // transaction under its lock, with nothing written since, is what the row holds; so is
    // one read when the engine's count of changes, asked now, stands where it stood then.
    const bool held = HoldsRowsRead() ? DataGeneration() == seenGeneration_ : UnchangedSinceRead();
    const Reread reread = held ? Reread::Same : RereadCurrent();
    if (reread != Reread::Same) {
        bof_ = eof_ = window_.empty();
        DataEvent(TDataEvent::DataSetChange);
        throw ERecordChanged(reread == Reread::Changed ? dbmsg::EditChanged() : dbmsg::EditDeleted());
    }
    editRecord_ = *CurrentRecord();
    oldRecord_ = editRecord_;
    changed_.assign(fields_.size(), false);
    modified_ = false;
    SetState(TDataSetState::Edit);
    DataEvent(TDataEvent::RecordChange);
    if (AfterEdit)
        AfterEdit(this);
}

bool TDataSet::UnchangedSinceRead()
{
    // The count first: asking it notices other programs' commits, which move the generation.
    if (!seenVersion_ || StoredVersion() != seenVersion_)
        return false;
    return DataGeneration() == seenGeneration_;
}

void TDataSet::BeginInsert(bool append)
{
    CheckEditable();
    CheckBrowseMode();
    if (BeforeInsert)
        BeforeInsert(this);
    if (BeforeScroll)
        BeforeScroll(this);
    bofBeforeInsert_ = bof_;
    eofBeforeInsert_ = eof_;
    if (append && !windowAtEnd_)
        MoveToLast();
    else if (append)
        cur_ = int(window_.size()) - 1;
    if (append) {
        // A record appended is at the end: after a cancel the cursor is on the last one.
        bof_ = false;
        eof_ = true;
    }
    insertMode_ = append ? InsertMode::AtEnd : InsertMode::AtCursor;
    editRecord_ = NewRecord();
    oldRecord_ = NewRecord();
    changed_.assign(fields_.size(), false);
    modified_ = false;
    SetState(TDataSetState::Insert);
    try {
        InitNewRecord();
        if (OnNewRecord)
            OnNewRecord(this);
    } catch (...) {
        EndEdit();
        bof_ = bofBeforeInsert_;
        eof_ = eofBeforeInsert_;
        DataEvent(TDataEvent::DataSetChange);
        throw;
    }
    // Values a new record starts with do not count as the user's changes: a new record
    // left untouched is dropped.
    modified_ = false;
    DataEvent(TDataEvent::DataSetChange);
    if (AfterInsert)
        AfterInsert(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::Insert() { CheckActive(); BeginInsert(false); }
void TDataSet::Append() { CheckActive(); BeginInsert(true); }

void TDataSet::EndEdit()
{
    editRecord_ = TRecord();
    oldRecord_ = TRecord();
    changed_.clear();
    modified_ = false;
    postConflict_ = false;
    insertMode_ = InsertMode::None;
    SetState(TDataSetState::Browse);
}

void TDataSet::CheckRequiredFields() const
{
    for (const auto& f : fields_) {
        if (f->IsStored() && f->Required()) {
            const QVariant& v = editRecord_.values[size_t(f->index_)];
            if (!v.isValid() || v.isNull())
                throw EDatabaseError(dbmsg::RequiredField(f->DisplayLabel()));
        }
    }
}

void TDataSet::RunWrite(const std::function<void()>& write, const std::function<void()>& undo,
                        const std::function<void(TDataSet*, const std::exception&, TDataAction&)>& onError)
{
    for (int attempt = 1;; ++attempt) {
        bool whole = false;
        try {
            // A transaction only where the row has writes of its own to go with it: a
            // single row is written whole by the engine anyway.
            std::unique_ptr<TTransaction> tx = BeforeWrite ? BeginWrite() : nullptr;
            whole = tx && tx->Outermost();
            write();
            if (tx)
                tx->Commit();
            return;
        } catch (const EAbort&) {
            undo();
            throw;
        } catch (const std::exception& e) {
            // The transaction is rolled back by now.
            undo();
            // Another user's transaction met this one: the row and its writes go again
            // from the start, as the user would have sent them.
            if (whole && RetryAfterConflict(e, attempt))
                continue;
            TDataAction action = TDataAction::Fail;
            if (onError)
                onError(this, e, action);
            if (action == TDataAction::Abort)
                Abort();
            if (action != TDataAction::Retry)
                throw;
        }
    }
}

TBookmark TDataSet::WriteEditRecord()
{
    const bool inserting = state_ == TDataSetState::Insert;
    // Only BeforeWrite assigns fields during the write: without it there is nothing to undo.
    std::optional<TRecord> typed;
    std::vector<bool> typedChanged;
    const bool typedModified = modified_;
    if (BeforeWrite) {
        typed = editRecord_;
        typedChanged = changed_;
    }
    std::optional<TBookmark> id;
    RunWrite(
        [&] {
            if (BeforeWrite)
                BeforeWrite(this, inserting ? TUpdateKind::Insert : TUpdateKind::Modify);
            id = InternalPost(editRecord_, inserting ? nullptr : &oldRecord_, changed_);
            if (!id) {
                postConflict_ = true;
                throw ERecordChanged(dbmsg::PostConflict());
            }
        },
        [&] {
            // What the write assigned went with its transaction; what the user typed stays.
            if (!typed || editRecord_.values == typed->values)
                return;
            editRecord_ = *typed;
            changed_ = typedChanged;
            modified_ = typedModified;
            DataEvent(TDataEvent::RecordChange);
        },
        OnPostError);
    return *id;
}

void TDataSet::Post()
{
    CheckActive();
    if (!IsEditing())
        throw EDatabaseError(dbmsg::DataSetNotEditing(objectName()));
    UpdateRecord();
    if (BeforePost)
        BeforePost(this);
    // After BeforePost, which may fill a required field (a counter).
    CheckRequiredFields();
    const TBookmark id = WriteEditRecord();
    const std::optional<TBookmark> previous = CurrentRecord() ? std::optional<TBookmark>(CurrentRecord()->id) : std::nullopt;
    // The written record, read back as stored, becomes current at its place in the order
    // (when it is not visible here, outside the range or the filter, the cursor stays),
    // before anyone hears of the new state and asks where the cursor is.
    ResetWindow();
    std::vector<TRecord> written;
    if (std::optional<TRecord> back = TakeWrittenRecord(); back && back->id == id) {
        written.push_back(std::move(*back));
        PrepareRecords(written);
    }
    if (!written.empty()) {
        LoadWindow(std::move(written), false, false, -1);
    } else if (!ReloadAround(id) && !(previous && ReloadAround(*previous))) {
        bool end = false;
        LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
    }
    bof_ = eof_ = window_.empty();
    EndEdit();
    DataEvent(TDataEvent::DataSetChange);
    if (AfterPost)
        AfterPost(this);
}

void TDataSet::Cancel()
{
    CheckActive();
    if (!IsEditing())
        return;
    if (BeforeCancel)
        BeforeCancel(this);
    const bool inserting = state_ == TDataSetState::Insert;
    const bool appending = insertMode_ == InsertMode::AtEnd;
    const bool conflict = postConflict_;
    EndEdit();
    if (inserting && !appending) {
        bof_ = bofBeforeInsert_;
        eof_ = eofBeforeInsert_;
    } else if (inserting) {
        bof_ = window_.empty();
        eof_ = true;
    }
    if (conflict) {
        // Another user's change refused the post: show what the record holds now.
        RereadCurrent();
        bof_ = eof_ = window_.empty();
    }
    DataEvent(TDataEvent::DataSetChange);
    if (AfterCancel)
        AfterCancel(this);
}

void TDataSet::WriteDelete(const TRecord& victim)
{
    bool conflict = false;
    RunWrite(
        [&] {
            if (BeforeWrite)
                BeforeWrite(this, TUpdateKind::Delete);
            if (!InternalDelete(victim)) {
                conflict = true;
                throw ERecordChanged(dbmsg::DeleteConflict());
            }
        },
        [&] {
            if (!conflict)
                return;
            conflict = false;
            RereadCurrent();
            bof_ = eof_ = window_.empty();
            DataEvent(TDataEvent::DataSetChange);
        },
        OnDeleteError);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (window_.empty())
        throw EDatabaseError(dbmsg::DataSetEmpty(objectName()));
    CheckEditable();
    DataEvent(TDataEvent::CheckBrowseMode);
    if (BeforeDelete)
        BeforeDelete(this);
    if (BeforeScroll)
        BeforeScroll(this);
    const TRecord victim = *CurrentRecord();
    WriteDelete(victim);
    if (state_ == TDataSetState::Edit) {
        editRecord_ = TRecord();
        oldRecord_ = TRecord();
        modified_ = false;
        state_ = TDataSetState::Browse;
        DataEvent(TDataEvent::UpdateState);
    }
    DropCurrent(victim);
    MarkFresh();
    bof_ = eof_ = window_.empty();
    DataEvent(TDataEvent::DataSetChange);
    if (AfterDelete)
        AfterDelete(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::AppendRecord(const QVariantList& values)
{
    Append();
    try {
        const std::vector<TField*> data = DataFields();
        for (int i = 0; i < values.size() && size_t(i) < data.size(); ++i) {
            const QVariant& v = values.at(i);
            if (!v.isValid() || v.isNull())
                data[size_t(i)]->Clear();
            else
                data[size_t(i)]->SetValue(v);
        }
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

} // namespace fw
