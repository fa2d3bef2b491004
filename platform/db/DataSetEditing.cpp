// Editing: Edit, Insert, Append, Post, Cancel, Delete and the events around them.
#include "platform/db/DataSet.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DataSetBlocks.h"

#include <algorithm>

namespace fw {

using namespace blocks;

// ---------------------------------------------------------------- editing

bool TDataSet::CanModify() const { return Active() && InternalCanModify(); }

void TDataSet::CheckEditable()
{
    CheckActive();
    if (!CanModify())
        throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

void TDataSet::UpdateRecord()
{
    if (!IsEditing())
        throw EDatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(objectName()));
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
    editRecord_ = *CurrentRecord();
    oldRecord_ = editRecord_;
    changed_.assign(fields_.size(), false);
    modified_ = false;
    SetState(TDataSetState::Edit);
    DataEvent(TDataEvent::RecordChange);
    if (AfterEdit)
        AfterEdit(this);
}

void TDataSet::BeginInsert(bool append)
{
    CheckEditable();
    CheckBrowseMode();
    if (BeforeInsert)
        BeforeInsert(this);
    if (BeforeScroll)
        BeforeScroll(this);
    if (append && !windowAtEnd_)
        MoveToLast();
    else if (append)
        cur_ = int(window_.size()) - 1;
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
    insertMode_ = InsertMode::None;
    SetState(TDataSetState::Browse);
}

void TDataSet::Post()
{
    CheckActive();
    if (!IsEditing())
        return;
    UpdateRecord();
    for (const auto& f : fields_) {
        if (f->IsStored() && f->Required()) {
            const QVariant& v = editRecord_.values[size_t(f->index_)];
            if (!v.isValid() || v.isNull())
                throw EDatabaseError(QStringLiteral("Field '%1' must have a value").arg(f->DisplayLabel()));
        }
    }
    if (BeforePost)
        BeforePost(this);
    const bool inserting = state_ == TDataSetState::Insert;
    const TBookmark id = InternalPost(editRecord_, inserting, changed_);
    const std::optional<TBookmark> previous = CurrentRecord() ? std::optional<TBookmark>(CurrentRecord()->id) : std::nullopt;
    countCache_ = -1;
    displayCache_.clear();
    EndEdit();
    // The written record, read back as stored, becomes current at its place in the order;
    // when it is not visible here (outside the range or the filter) the cursor stays.
    if (!ReloadAround(id) && !(previous && ReloadAround(*previous))) {
        bool end = false;
        LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
    }
    bof_ = eof_ = window_.empty();
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
    EndEdit();
    DataEvent(TDataEvent::DataSetChange);
    if (AfterCancel)
        AfterCancel(this);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (window_.empty())
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(objectName()));
    CheckEditable();
    DataEvent(TDataEvent::CheckBrowseMode);
    if (BeforeDelete)
        BeforeDelete(this);
    if (BeforeScroll)
        BeforeScroll(this);
    const TRecord victim = *CurrentRecord();
    InternalDelete(victim);
    if (state_ == TDataSetState::Edit) {
        editRecord_ = TRecord();
        oldRecord_ = TRecord();
        modified_ = false;
        state_ = TDataSetState::Browse;
        DataEvent(TDataEvent::UpdateState);
    }
    countCache_ = -1;
    displayCache_.clear();
    window_.erase(window_.begin() + cur_);
    // The record after the deleted one becomes current; the one before when it was the last.
    if (cur_ >= int(window_.size())) {
        if (!windowAtEnd_) {
            if (window_.empty()) {
                bool end = false;
                std::vector<TRecord> more = ReadForward(&victim, kBlock, end);
                for (auto& r : more)
                    window_.push_back(std::move(r));
                windowAtEnd_ = end;
                windowFirstPos_ = -1;
                windowAtStart_ = false;
            } else {
                ExtendForward();
            }
        }
        if (cur_ >= int(window_.size()))
            cur_ = int(window_.size()) - 1;
        if (cur_ < 0 && !windowAtStart_) {
            bool start = false;
            std::vector<TRecord> back = ReadBackward(&victim, kBlock, start);
            for (auto& r : back)
                window_.push_front(std::move(r));
            windowAtStart_ = start;
            cur_ = int(window_.size()) - 1;
        }
    }
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
