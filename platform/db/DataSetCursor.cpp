// The cursor: a window of records read in blocks around it, moves, positions, searches
// and the rows a grid shows.
#include "platform/db/DataSet.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/DataSetBlocks.h"
#include "platform/db/DbMessages.h"
#include "platform/db/StoredValue.h"

#include <algorithm>
#include <iterator>

namespace fw {

using namespace blocks;

// ---------------------------------------------------------------- the window

void TDataSet::ResetWindow()
{
    window_.clear();
    cur_ = -1;
    windowAtStart_ = windowAtEnd_ = false;
    windowFirstPos_ = -1;
    countCache_ = -1;
    displayCache_.clear();
}

void TDataSet::LoadWindow(std::vector<TRecord> records, bool atStart, bool atEnd, int firstPos)
{
    window_.clear();
    displayCache_.clear();
    for (auto& r : records)
        window_.push_back(std::move(r));
    windowAtStart_ = atStart;
    windowAtEnd_ = atEnd;
    windowFirstPos_ = atStart ? 0 : firstPos;
    cur_ = window_.empty() ? -1 : 0;
    nextBlock_ = kBlock;
    seenVersion_ = TakeReadVersion();
    MarkFresh();
}

int TDataSet::NextBlock()
{
    const int block = nextBlock_ > 0 ? nextBlock_ : kBlock;
    nextBlock_ = std::min(block * 4, kMaxBlock);
    return block;
}

void TDataSet::MarkFresh() { seenGeneration_ = DataGeneration(); }

bool TDataSet::SameStoredValues(const TRecord& a, const TRecord& b) const
{
    // Rows compare as stored, whatever the layer reads from them.
    for (const auto& f : fields_) {
        if (f->IsStored() && !SameStoredValue(StoredForm(a, f.get()), StoredForm(b, f.get())))
            return false;
    }
    return true;
}

TDataSet::Reread TDataSet::RereadCurrent()
{
    const TRecord* current = CurrentRecord();
    if (!current) {
        ResetWindow();
        bool end = false;
        LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
        return window_.empty() ? Reread::Empty : Reread::Changed;
    }
    const TRecord old = *current;
    ResetWindow();
    if (std::optional<TRecord> fresh = FetchById(old.id)) {
        std::vector<TRecord> one{std::move(*fresh)};
        PrepareRecords(one);
        if (!one.empty()) {
            const bool same = SameStoredValues(old, one.front());
            LoadWindow(std::move(one), false, false, -1);
            return same ? Reread::Same : Reread::Changed;
        }
    }
    // Gone: the old record still serves as the place to read from.
    bool edge = false;
    std::vector<TRecord> next = ReadForward(&old, 1, edge);
    if (!next.empty()) {
        LoadWindow(std::move(next), false, false, -1);
        return Reread::GoneNext;
    }
    std::vector<TRecord> prior = ReadBackward(&old, 1, edge);
    LoadWindow(std::move(prior), false, true, -1);
    if (window_.empty())
        windowAtStart_ = true;
    return window_.empty() ? Reread::Empty : Reread::GonePrior;
}

TDataSet::Reread TDataSet::CheckStale()
{
    // Not while editing (the edit has its own record) nor while a record is being
    // calculated or filtered (the window is being read then).
    if (state_ != TDataSetState::Browse || DataGeneration() == seenGeneration_)
        return Reread::Same;
    return RereadCurrent();
}

void TDataSet::DropCurrent(const TRecord& gone)
{
    countCache_ = -1;
    displayCache_.clear();
    window_.erase(window_.begin() + cur_);
    // The record after the dropped one becomes current; the one before when it was the last.
    if (cur_ >= int(window_.size())) {
        if (!windowAtEnd_) {
            if (window_.empty()) {
                bool end = false;
                std::vector<TRecord> more = ReadForward(&gone, kBlock, end);
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
            std::vector<TRecord> back = ReadBackward(&gone, kBlock, start);
            for (auto& r : back)
                window_.push_front(std::move(r));
            windowAtStart_ = start;
            cur_ = int(window_.size()) - 1;
        }
    }
}

std::vector<TRecord> TDataSet::Read(const TRecord* anchor, int want, bool forward, bool& reachedEdge)
{
    std::vector<TRecord> out; // nearest the anchor first
    reachedEdge = false;
    TRecord last;
    bool haveLast = anchor != nullptr;
    if (anchor)
        last = *anchor;
    // Rows the filter refuses are read past in ever larger blocks.
    int block = out.empty() && !anchor ? std::max(want, kFirstBlock) : want;
    while (int(out.size()) < want) {
        block = std::max(block, want - int(out.size()));
        std::vector<TRecord> raw = forward ? (haveLast ? FetchAfter(last, block) : FetchFirst(block))
                                           : (haveLast ? FetchBefore(last, block) : FetchLast(block));
        if (int(raw.size()) < block)
            reachedEdge = true;
        if (!raw.empty()) {
            // The next block starts after the last row read, accepted or not.
            last = raw.back();
            haveLast = true;
        }
        PrepareRecords(raw);
        if (out.empty())
            out = std::move(raw); // most reads: one block, its records not moved one by one
        else
            std::move(raw.begin(), raw.end(), std::back_inserter(out));
        if (reachedEdge)
            break;
        block = std::min(block * 2, std::max(kMaxBlock, want));
    }
    return out;
}

void TDataSet::ScanAll(const std::function<bool(TRecord&)>& visit)
{
    bool end = false;
    TRecord anchor;
    bool haveAnchor = false;
    while (!end) {
        std::vector<TRecord> block = ReadForward(haveAnchor ? &anchor : nullptr, kBlock, end);
        for (TRecord& r : block)
            if (!visit(r))
                return;
        if (block.empty())
            return;
        anchor = block.back();
        haveAnchor = true;
    }
}

bool TDataSet::ExtendForward()
{
    if (windowAtEnd_)
        return false;
    bool end = false;
    std::vector<TRecord> more = ReadForward(window_.empty() ? nullptr : &window_.back(), NextBlock(), end);
    windowAtEnd_ = end;
    for (auto& r : more)
        window_.push_back(std::move(r));
    TrimWindow();
    return !more.empty();
}

bool TDataSet::ExtendBackward()
{
    if (windowAtStart_)
        return false;
    bool start = false;
    std::vector<TRecord> more = ReadBackward(window_.empty() ? nullptr : &window_.front(), NextBlock(), start);
    windowAtStart_ = start;
    for (auto& r : more) {
        window_.push_front(std::move(r));
        ++cur_;
    }
    if (windowFirstPos_ >= 0)
        windowFirstPos_ -= int(more.size());
    if (windowAtStart_)
        windowFirstPos_ = 0;
    TrimWindow();
    return !more.empty();
}

TRecord TDataSet::SpareRecord()
{
    if (spare_.empty())
        return {};
    TRecord r = std::move(spare_.back());
    spare_.pop_back();
    return r;
}

void TDataSet::TrimWindow()
{
    // Keep the cache bounded on long walks: drop the far side of the cursor. A walk forward
    // reads the next block into the records dropped here, their buffers allocated once.
    while (int(window_.size()) > kMaxWindow) {
        if (cur_ > int(window_.size()) / 2) {
            if (spare_.size() < size_t(kMaxBlock))
                spare_.push_back(std::move(window_.front()));
            window_.pop_front();
            --cur_;
            windowAtStart_ = false;
            if (windowFirstPos_ >= 0)
                ++windowFirstPos_;
        } else {
            window_.pop_back();
            windowAtEnd_ = false;
        }
    }
}

std::vector<TRecord> TDataSet::FetchNearest(const std::vector<TField*>&, const QVariantList&, int)
{
    throw EDatabaseError(dbmsg::NoSearchOrder(objectName()));
}

int TDataSet::KnownPosition()
{
    if (window_.empty())
        return 0;
    if (windowFirstPos_ < 0) {
        if (filtered_ && OnFilterRecord) {
            const TBookmark target = window_.front().id;
            int pos = 0;
            ScanAll([&](TRecord& r) {
                if (r.id == target)
                    return false;
                ++pos;
                return true;
            });
            windowFirstPos_ = pos;
        } else {
            windowFirstPos_ = CountBefore(window_.front());
        }
    }
    return windowFirstPos_;
}

// ---------------------------------------------------------------- navigation

bool TDataSet::IsEmpty()
{
    if (!Active())
        return true;
    if (state_ == TDataSetState::Insert)
        return false;
    CheckStale();
    return window_.empty();
}

void TDataSet::Scrolled(int distance)
{
    Q_UNUSED(distance);
    DataEvent(TDataEvent::DataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    bool end = false;
    LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
    bof_ = true;
    eof_ = window_.empty();
    Scrolled(0);
}

void TDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    MoveToLast();
    eof_ = true;
    bof_ = window_.empty();
    Scrolled(0);
}

void TDataSet::MoveToLast()
{
    bool start = false;
    std::vector<TRecord> recs = ReadBackward(nullptr, kFirstBlock, start);
    std::reverse(recs.begin(), recs.end());
    const int n = int(recs.size());
    LoadWindow(std::move(recs), start, true, -1);
    if (!start && countCache_ >= 0)
        windowFirstPos_ = countCache_ - n;
    cur_ = int(window_.size()) - 1;
}

bool TDataSet::StepForward()
{
    if (cur_ + 1 < int(window_.size()) || ExtendForward()) {
        ++cur_;
        return true;
    }
    return false;
}

bool TDataSet::StepBackward()
{
    if (cur_ > 0 || ExtendBackward()) {
        if (cur_ > 0) {
            --cur_;
            return true;
        }
    }
    return false;
}

void TDataSet::Next()
{
    MoveBy(1);
}

void TDataSet::Prior()
{
    MoveBy(-1);
}

int TDataSet::MoveBy(int distance)
{
    CheckActive();
    CheckBrowseMode();
    const bool wasBof = bof_, wasEof = eof_;
    const Reread reread = CheckStale();
    if (reread == Reread::Empty)
        bof_ = eof_ = true;
    // A current record that went with another user's change: the cursor stands on the
    // record beside it already, as far as one step that way leads.
    const bool landed = (reread == Reread::GoneNext && distance > 0) || (reread == Reread::GonePrior && distance < 0);
    const bool blocked = distance == 0 || (!landed && ((distance > 0 && eof_) || (distance < 0 && bof_)));
    int moved = 0;
    if (!blocked) {
        if (BeforeScroll)
            BeforeScroll(this);
        if (distance > 0) {
            moved = landed ? 1 : 0;
            bof_ = eof_ = false;
            for (; moved < distance; ++moved) {
                if (!StepForward()) {
                    eof_ = true;
                    break;
                }
            }
        } else {
            moved = landed ? -1 : 0;
            bof_ = eof_ = false;
            for (; moved > distance; --moved) {
                if (!StepBackward()) {
                    bof_ = true;
                    break;
                }
            }
        }
    }
    // A move that reached an end tells the controls too, even without moving a record.
    if (moved != 0 || bof_ != wasBof || eof_ != wasEof || reread != Reread::Same)
        Scrolled(moved);
    else if (!blocked && AfterScroll)
        AfterScroll(this);
    return moved;
}

int TDataSet::RecordCount()
{
    CheckActive();
    CheckStale();
    if (countCache_ < 0) {
        if (windowAtStart_ && windowAtEnd_) {
            countCache_ = int(window_.size());
        } else if (filtered_ && OnFilterRecord) {
            int count = 0;
            ScanAll([&](TRecord&) {
                ++count;
                return true;
            });
            countCache_ = count;
        } else {
            countCache_ = CountAll();
        }
    }
    return countCache_;
}

int TDataSet::RecNo()
{
    CheckActive();
    if (state_ == TDataSetState::Insert)
        return 0; // a new record has no place yet
    CheckStale();
    if (window_.empty() || cur_ < 0)
        return 0;
    return KnownPosition() + cur_ + 1;
}

void TDataSet::SetRecNo(int recNo)
{
    CheckActive();
    CheckBrowseMode();
    const int target = recNo - 1;
    if (target < 0)
        return;
    if (BeforeScroll)
        BeforeScroll(this);
    CheckStale();
    LoadAtPosition(target);
    bof_ = eof_ = false;
    Scrolled(0);
}

void TDataSet::LoadAtPosition(int target)
{
    if (!window_.empty()) {
        const int first = KnownPosition();
        if (target >= first && target < first + int(window_.size())) {
            cur_ = target - first;
            return;
        }
    }
    if (filtered_ && OnFilterRecord) {
        // Positions after a filter are only known by walking from the start.
        int pos = 0;
        std::optional<TRecord> found;
        ScanAll([&](TRecord& r) {
            if (pos++ < target)
                return true;
            found = std::move(r);
            return false;
        });
        if (!found) {
            MoveToLast();
            return;
        }
        std::vector<TRecord> one{std::move(*found)};
        LoadWindow(std::move(one), target == 0, false, target);
        return;
    }
    std::vector<TRecord> raw = FetchAt(target, kBlock);
    const bool end = int(raw.size()) < kBlock;
    PrepareRecords(raw);
    if (raw.empty()) {
        MoveToLast();
        return;
    }
    LoadWindow(std::move(raw), target == 0, end, target);
}

void TDataSet::Refresh()
{
    CheckActive();
    CheckBrowseMode();
    Resync(true);
}

void TDataSet::Resync(bool keepCurrent)
{
    if (!Active())
        return;
    if (keepCurrent && CurrentRecord()) {
        RereadCurrent();
        bof_ = eof_ = window_.empty();
    } else {
        ResetWindow();
        bool end = false;
        LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
        bof_ = true;
        eof_ = window_.empty();
    }
    DataEvent(TDataEvent::DataSetChange);
}

bool TDataSet::ReloadAround(TBookmark id)
{
    std::optional<TRecord> rec = FetchById(id);
    if (!rec)
        return false;
    std::vector<TRecord> one{std::move(*rec)};
    PrepareRecords(one);
    if (one.empty())
        return false;
    LoadWindow(std::move(one), false, false, -1);
    return true;
}

void TDataSet::PositionOn(TBookmark id)
{
    for (size_t i = 0; i < window_.size(); ++i) {
        if (window_[i].id == id) {
            cur_ = int(i);
            return;
        }
    }
    if (std::optional<TRecord> rec = FetchById(id)) {
        std::vector<TRecord> one{std::move(*rec)};
        PrepareRecords(one);
        if (!one.empty()) {
            LoadWindow(std::move(one), false, false, -1);
            return;
        }
    }
    throw EDatabaseError(dbmsg::RecordNotFound(objectName()));
}

TBookmark TDataSet::GetBookmark() const
{
    const TRecord* r = CurrentRecord();
    return r && state_ != TDataSetState::Insert ? r->id : kNoBookmark;
}

bool TDataSet::BookmarkValid(TBookmark bookmark)
{
    if (!Active() || bookmark == kNoBookmark)
        return false;
    for (const TRecord& r : window_)
        if (r.id == bookmark)
            return true;
    return FetchById(bookmark).has_value();
}

void TDataSet::GotoBookmark(TBookmark bookmark)
{
    CheckActive();
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    CheckStale();
    PositionOn(bookmark);
    bof_ = eof_ = false;
    Scrolled(0);
}

std::optional<TRecord> TDataSet::FirstMatch(const std::vector<TField*>& fields, const QVariantList& values)
{
    // Without a filter the first row is the answer: one is read, not a block.
    const int block = filtered_ && OnFilterRecord ? kBlock : 1;
    for (int offset = 0;; offset += block) {
        std::vector<TRecord> raw = FetchMatching(fields, values, offset, block);
        const bool more = int(raw.size()) == block;
        for (TRecord& r : raw) {
            if (r.values.size() < fields_.size())
                r.values.resize(fields_.size());
            if (Accepts(r))
                return std::move(r);
        }
        if (!more)
            return std::nullopt;
    }
}

void TDataSet::GotoRecord(TRecord record)
{
    if (BeforeScroll)
        BeforeScroll(this);
    CheckStale();
    const TBookmark id = record.id;
    for (size_t i = 0; i < window_.size(); ++i) {
        if (window_[i].id == id) {
            cur_ = int(i);
            bof_ = eof_ = false;
            Scrolled(0);
            return;
        }
    }
    ComputeCalcFields(record);
    std::vector<TRecord> one{std::move(record)};
    LoadWindow(std::move(one), false, false, -1);
    bof_ = eof_ = false;
    Scrolled(0);
}

bool TDataSet::GotoFirstMatch(const std::vector<TField*>& fields, const QVariantList& values, bool leading)
{
    // Records with calculated fields are each costly to read: only the one found is.
    if (!leading || hasComputed_) {
        std::optional<TRecord> rec = FirstMatch(fields, values);
        if (!rec)
            return false;
        GotoRecord(std::move(*rec));
        return true;
    }
    if (const int at = CachedFirstMatch(fields, values); at >= 0) {
        if (BeforeScroll)
            BeforeScroll(this);
        cur_ = at;
        bof_ = eof_ = false;
        Scrolled(0);
        return true;
    }
    std::vector<TRecord> run = FirstMatchingRun(fields, values);
    if (run.empty())
        return false;
    GotoRun(std::move(run));
    return true;
}

namespace {

bool Matches(const TRecord& record, const std::vector<TField*>& fields, const QVariantList& values)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (!SameValue(record.values[size_t(fields[i]->Index())], values.at(int(i))))
            return false;
    return true;
}

// A value that could not be read may still equal the key in the engine's eyes.
bool KeyUnreadable(const TRecord& record, const std::vector<TField*>& fields)
{
    for (TField* f : fields)
        if (IsValueFault(record.values[size_t(f->Index())]))
            return true;
    return false;
}

} // namespace

int TDataSet::CachedFirstMatch(const std::vector<TField*>& fields, const QVariantList& values)
{
    // The cache is a run of consecutive records in order, and the records of one key on
    // the leading order fields stand together: the first of them is the first in the cache
    // whose predecessor, also cached, is of another key (or that begins the dataset). Only
    // a cache nothing has changed under since it was read will do.
    if (window_.empty() || seenGeneration_ != DataGeneration())
        return -1;
    for (size_t i = 0; i < window_.size(); ++i) {
        if (KeyUnreadable(window_[i], fields))
            return -1;
        if (!Matches(window_[i], fields, values))
            continue;
        return i > 0 || windowAtStart_ ? int(i) : -1;
    }
    return -1;
}

std::vector<TRecord> TDataSet::FirstMatchingRun(const std::vector<TField*>& fields, const QVariantList& values)
{
    for (int offset = 0;; offset += kBlock) {
        std::vector<TRecord> raw = FetchMatching(fields, values, offset, kBlock);
        const bool more = int(raw.size()) == kBlock;
        std::vector<TRecord> run;
        for (TRecord& r : raw) {
            if (r.values.size() < fields_.size())
                r.values.resize(fields_.size());
            if (Accepts(r))
                run.push_back(std::move(r));
        }
        if (!run.empty() || !more)
            return run;
    }
}

void TDataSet::GotoRun(std::vector<TRecord> run)
{
    if (BeforeScroll)
        BeforeScroll(this);
    CheckStale();
    LoadWindow(std::move(run), false, false, -1);
    nextBlock_ = kSearchBlock;
    bof_ = eof_ = false;
    Scrolled(0);
}

void TDataSet::GotoNearest(const std::vector<TField*>& fields, const QVariantList& values)
{
    std::vector<TRecord> raw = FetchNearest(fields, values, kFirstBlock);
    const bool exhausted = int(raw.size()) < kFirstBlock;
    std::optional<TRecord> last;
    if (!raw.empty())
        last = raw.back();
    PrepareRecords(raw);
    if (raw.empty() && last && !exhausted) {
        bool end = false;
        raw = ReadForward(&*last, 1, end);
    }
    if (raw.empty()) {
        if (BeforeScroll)
            BeforeScroll(this);
        MoveToLast();
        eof_ = true;
        bof_ = window_.empty();
        Scrolled(0);
        return;
    }
    GotoRecord(std::move(raw.front()));
}

QVariantList TDataSet::CoerceKey(const std::vector<TField*>& fields, const QVariantList& values) const
{
    if (fields.size() != size_t(values.size()))
        throw EDatabaseError(dbmsg::KeyValueCount(objectName()));
    QVariantList coerced;
    for (size_t i = 0; i < fields.size(); ++i)
        coerced << fields[i]->Coerce(values.at(int(i)));
    return coerced;
}

bool TDataSet::Locate(const QString& keyFields, const QVariantList& values)
{
    CheckActive();
    CheckBrowseMode();
    const std::vector<TField*> fields = FieldsByNames(keyFields);
    return GotoFirstMatch(fields, CoerceKey(fields, values));
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariantList& values, const QString& resultField)
{
    if (!Active())
        return QVariant();
    const std::vector<TField*> fields = FieldsByNames(keyFields);
    const QVariantList coerced = CoerceKey(fields, values);
    TField* result = FieldByName(resultField);
    // A record already read (the cursor's neighbourhood) answers without the engine.
    std::optional<TRecord> rec = FirstMatch(fields, coerced);
    if (!rec)
        return QVariant();
    if (!result->IsStored())
        ComputeCalcFields(*rec);
    return rec->values[size_t(result->index_)];
}

void TDataSet::SetFiltered(bool filtered)
{
    if (filtered_ == filtered)
        return;
    if (Active())
        CheckBrowseMode();
    filtered_ = filtered;
    if (Active()) {
        if (BeforeScroll)
            BeforeScroll(this);
        Resync(false);
        if (AfterScroll)
            AfterScroll(this);
    }
}

// ---------------------------------------------------------------- display rows

int TDataSet::DisplayRowCount()
{
    if (!Active())
        return 0;
    CheckStale();
    return RecordCount() + (state_ == TDataSetState::Insert ? 1 : 0);
}

int TDataSet::InsertDisplayRow()
{
    if (insertMode_ == InsertMode::AtEnd)
        return RecordCount();
    if (window_.empty())
        return 0;
    return KnownPosition() + cur_;
}

int TDataSet::CurrentDisplayRow()
{
    if (!Active())
        return -1;
    if (state_ == TDataSetState::Insert)
        return InsertDisplayRow();
    if (window_.empty())
        return -1;
    return KnownPosition() + cur_;
}

const TRecord* TDataSet::RecordAtPosition(int pos)
{
    if (pos < 0)
        return nullptr;
    if (!window_.empty()) {
        const int first = KnownPosition();
        if (pos >= first && pos < first + int(window_.size()))
            return &window_[size_t(pos - first)];
    }
    if (auto it = displayCache_.find(pos); it != displayCache_.end())
        return &it->second;
    // Read the block around the row into the display cache.
    const int start = pos - pos % kFirstBlock;
    std::vector<TRecord> recs;
    if (filtered_ && OnFilterRecord) {
        int p = 0;
        ScanAll([&](TRecord& r) {
            if (p >= start)
                displayCache_.emplace(p, std::move(r));
            return ++p < start + kFirstBlock;
        });
    } else {
        recs = FetchAt(start, kFirstBlock);
        PrepareRecords(recs);
        int p = start;
        for (auto& r : recs)
            displayCache_.emplace(p++, std::move(r));
    }
    if (auto it = displayCache_.find(pos); it != displayCache_.end())
        return &it->second;
    return nullptr;
}

TDataSet::ActiveRecordGuard::ActiveRecordGuard(TDataSet* ds, const TRecord* record)
    : ds_(ds), saved_(ds->active_), ok_(record != nullptr)
{
    if (ok_)
        ds_->active_ = record;
}

TDataSet::ActiveRecordGuard::ActiveRecordGuard(ActiveRecordGuard&& other) noexcept
    : ds_(other.ds_), saved_(other.saved_), ok_(other.ok_)
{
    other.ds_ = nullptr;
}

TDataSet::ActiveRecordGuard::~ActiveRecordGuard()
{
    if (ds_ && ok_)
        ds_->active_ = saved_;
}

TDataSet::ActiveRecordGuard TDataSet::ActivateDisplayRow(int row)
{
    if (!Active() || row < 0)
        return ActiveRecordGuard(this, nullptr);
    if (state_ == TDataSetState::Insert) {
        const int ins = InsertDisplayRow();
        if (row == ins)
            return ActiveRecordGuard(this, &editRecord_);
        if (row > ins)
            --row;
    } else if (state_ == TDataSetState::Edit && row == CurrentDisplayRow()) {
        return ActiveRecordGuard(this, &editRecord_);
    }
    return ActiveRecordGuard(this, RecordAtPosition(row));
}

void TDataSet::MoveToDisplayRow(int row)
{
    CheckActive();
    if (state_ == TDataSetState::Insert && row == InsertDisplayRow())
        return;
    if (row == CurrentDisplayRow())
        return;
    std::optional<TBookmark> target;
    {
        ActiveRecordGuard g = ActivateDisplayRow(row);
        if (!g)
            return;
        target = active_->id;
    }
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    PositionOn(*target);
    bof_ = eof_ = false;
    Scrolled(0);
}


} // namespace fw
