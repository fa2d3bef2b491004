#include "platform/db/DataSet.h"

#include "platform/core/Exceptions.h"

#include <algorithm>

namespace fw {

namespace {
// Rows are read in blocks; the first is small so that opening stays cheap.
constexpr int kFirstBlock = 64;
constexpr int kBlock = 256;
constexpr int kMaxWindow = 4096;

const QVariant& NullVariant()
{
    static const QVariant null;
    return null;
}

// Sets a temporary state and active record (calculating, filtering, painting) and puts
// the previous ones back, also when a handler throws.
class TempRecordScope {
public:
    TempRecordScope(TDataSetState& state, const TRecord*& active, TDataSetState tempState, const TRecord* record)
        : state_(state), active_(active), savedState_(state), savedActive_(active)
    {
        state_ = tempState;
        active_ = record;
    }
    ~TempRecordScope()
    {
        state_ = savedState_;
        active_ = savedActive_;
    }

private:
    TDataSetState& state_;
    const TRecord*& active_;
    TDataSetState savedState_;
    const TRecord* savedActive_;
};

QStringList SplitNames(const QString& names)
{
    QStringList out;
    for (const QString& n : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = n.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

} // namespace

TDataSet::TDataSet(QObject* owner) : QObject(owner) {}

TDataSet::~TDataSet()
{
    // Sources outlive nothing of ours: detach them so they do not call back.
    for (TDataSource* ds : dataSources_)
        ds->dataSet_ = nullptr;
    dataSources_.clear();
}

// ---------------------------------------------------------------- fields

TField* TDataSet::AddField(const QString& name, TFieldType type, int size, TFieldKind kind)
{
    if (Active())
        throw EDatabaseError(QStringLiteral("Cannot add field '%1' to an open dataset.").arg(name));
    if (FindField(name))
        throw EDatabaseError(QStringLiteral("Duplicate field name '%1'.").arg(name));
    auto field = std::make_unique<TField>(this, name, type, size, kind);
    field->index_ = int(fields_.size());
    fields_.push_back(std::move(field));
    return fields_.back().get();
}

TField* TDataSet::AddLookupField(const QString& name, int size, const QString& keyFields, TDataSet* lookupDataSet,
                                 const QString& lookupKeyFields, const QString& lookupResultField)
{
    TField* f = AddField(name, TFieldType::String, size, TFieldKind::Lookup);
    f->SetLookup(keyFields, lookupDataSet, lookupKeyFields, lookupResultField);
    return f;
}

TField* TDataSet::FindField(const QString& name) const
{
    for (const auto& f : fields_)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return f;
}

std::vector<TField*> TDataSet::FieldsByNames(const QString& names) const
{
    std::vector<TField*> out;
    for (const QString& n : SplitNames(names))
        out.push_back(FieldByName(n));
    return out;
}

std::vector<TField*> TDataSet::DataFields() const
{
    std::vector<TField*> out;
    for (const auto& f : fields_)
        if (f->IsStored())
            out.push_back(f.get());
    return out;
}

TRecord TDataSet::NewRecord() const
{
    TRecord r;
    r.values.resize(fields_.size());
    return r;
}

void TDataSet::ClearFields() { fields_.clear(); }

const QVariant& TDataSet::ActiveValue(const TField* field) const
{
    if (validating_ == field)
        return validatingValue_;
    const TRecord* rec = active_;
    if (!rec) {
        if (IsEditing())
            rec = &editRecord_;
        else
            rec = CurrentRecord();
    }
    if (!rec || size_t(field->index_) >= rec->values.size())
        return NullVariant();
    return rec->values[size_t(field->index_)];
}

QVariant TDataSet::OldFieldValue(const TField* field) const
{
    if (state_ == TDataSetState::Edit)
        return oldRecord_.values.at(size_t(field->index_));
    if (state_ == TDataSetState::Insert)
        return QVariant();
    return ActiveValue(field);
}

void TDataSet::AssignValue(TField* field, const QVariant& value)
{
    if (state_ == TDataSetState::CalcFields) {
        if (field->IsStored())
            throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field->FieldName()));
        auto* target = const_cast<TRecord*>(active_);
        target->values[size_t(field->index_)] = field->Coerce(value);
        return;
    }
    if (!IsEditing())
        throw EDatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(objectName()));
    if (field->ReadOnly() || field->Lookup())
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field->FieldName()));
    const QVariant coerced = field->Coerce(value);
    if (field->OnValidate) {
        // While the handler runs the field reads the value being assigned.
        validating_ = field;
        validatingValue_ = coerced;
        try {
            field->OnValidate(field);
        } catch (...) {
            validating_ = nullptr;
            validatingValue_.clear();
            throw;
        }
        validating_ = nullptr;
        validatingValue_.clear();
    }
    editRecord_.values[size_t(field->index_)] = coerced;
    changed_[size_t(field->index_)] = true;
    modified_ = true;
    if (AutoCalcFields)
        ComputeCalcFields(editRecord_);
    if (field->OnChange)
        field->OnChange(field);
    DataEvent(TDataEvent::FieldChange, field);
}

// ---------------------------------------------------------------- records

bool TDataSet::Accepts(TRecord& record)
{
    if (!filtered_ || !OnFilterRecord)
        return true;
    TempRecordScope scope(state_, active_, TDataSetState::Filter, &record);
    bool accept = true;
    OnFilterRecord(this, accept);
    return accept;
}

void TDataSet::ComputeLookups(TRecord& record)
{
    for (const auto& f : fields_) {
        if (!f->Lookup())
            continue;
        QVariant result;
        TDataSet* lookup = f->LookupDataSet();
        if (lookup && lookup->Active()) {
            QVariantList keys;
            bool anyNull = false;
            for (TField* k : FieldsByNames(f->KeyFields())) {
                const QVariant& v = record.values[size_t(k->index_)];
                anyNull = anyNull || !v.isValid() || v.isNull();
                keys << v;
            }
            if (!anyNull)
                result = lookup->Lookup(f->LookupKeyFields(), keys, f->LookupResultField());
        }
        record.values[size_t(f->index_)] = f->Coerce(result);
    }
}

void TDataSet::ComputeCalcFields(TRecord& record)
{
    bool hasCalc = false;
    for (const auto& f : fields_) {
        if (f->Calculated()) {
            record.values[size_t(f->index_)] = QVariant();
            hasCalc = true;
        }
    }
    ComputeLookups(record);
    if (hasCalc && OnCalcFields) {
        TempRecordScope scope(state_, active_, TDataSetState::CalcFields, &record);
        OnCalcFields(this);
    }
}

void TDataSet::PrepareRecords(std::vector<TRecord>& records)
{
    if (!(filtered_ && OnFilterRecord) && !hasComputed_) {
        for (TRecord& r : records)
            if (r.values.size() < fields_.size())
                r.values.resize(fields_.size());
        return;
    }
    std::vector<TRecord> kept;
    kept.reserve(records.size());
    for (TRecord& r : records) {
        if (r.values.size() < fields_.size())
            r.values.resize(fields_.size());
        if (!Accepts(r))
            continue;
        ComputeCalcFields(r);
        kept.push_back(std::move(r));
    }
    records.swap(kept);
}

const TRecord* TDataSet::CurrentRecord() const
{
    if (cur_ < 0 || size_t(cur_) >= window_.size())
        return nullptr;
    return &window_[size_t(cur_)];
}

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
}

std::vector<TRecord> TDataSet::Read(const TRecord* anchor, int want, bool forward, bool& reachedEdge)
{
    std::vector<TRecord> out; // nearest the anchor first
    reachedEdge = false;
    TRecord last;
    bool haveLast = anchor != nullptr;
    if (anchor)
        last = *anchor;
    while (int(out.size()) < want) {
        const int block = std::max(want - int(out.size()), out.empty() && !anchor ? kFirstBlock : kBlock);
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
        for (auto& r : raw)
            out.push_back(std::move(r));
        if (reachedEdge)
            break;
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
    std::vector<TRecord> more = ReadForward(window_.empty() ? nullptr : &window_.back(), kBlock, end);
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
    std::vector<TRecord> more = ReadBackward(window_.empty() ? nullptr : &window_.front(), kBlock, start);
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

void TDataSet::TrimWindow()
{
    // Keep the cache bounded on long walks: drop the far side of the cursor.
    while (int(window_.size()) > kMaxWindow) {
        if (cur_ > int(window_.size()) / 2) {
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
    throw EDatabaseError(QStringLiteral("%1: this dataset has no index to search").arg(objectName()));
}

TBookmark TDataSet::InternalPost(const TRecord&, bool, const std::vector<bool>&)
{
    throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

void TDataSet::InternalDelete(const TRecord&)
{
    throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
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

// ---------------------------------------------------------------- open / close

void TDataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(objectName()));
}

void TDataSet::Open()
{
    if (Active())
        return;
    if (BeforeOpen)
        BeforeOpen(this);
    InternalOpen();
    hasComputed_ = false;
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->index_ = int(i);
        hasComputed_ = hasComputed_ || !fields_[i]->IsStored();
    }
    ResetWindow();
    state_ = TDataSetState::Browse;
    try {
        bool end = false;
        LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
    } catch (...) {
        state_ = TDataSetState::Inactive;
        ResetWindow();
        InternalClose();
        if (defaultFields_)
            ClearFields();
        throw;
    }
    bof_ = true;
    eof_ = window_.empty();
    DataEvent(TDataEvent::UpdateState);
    DataEvent(TDataEvent::DataSetChange);
    if (AfterOpen)
        AfterOpen(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    if (BeforeClose)
        BeforeClose(this);
    // Whatever was being edited is dropped with the cursor.
    modified_ = false;
    editRecord_ = TRecord();
    oldRecord_ = TRecord();
    insertMode_ = InsertMode::None;
    state_ = TDataSetState::Inactive;
    ResetWindow();
    active_ = nullptr;
    InternalClose();
    bof_ = eof_ = true;
    DataEvent(TDataEvent::UpdateState);
    if (defaultFields_)
        ClearFields();
    if (AfterClose)
        AfterClose(this);
}

// ---------------------------------------------------------------- navigation

bool TDataSet::IsEmpty()
{
    if (!Active())
        return true;
    if (state_ == TDataSetState::Insert)
        return false;
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
    if (distance == 0)
        return 0;
    if ((distance > 0 && eof_) || (distance < 0 && bof_))
        return 0;
    if (BeforeScroll)
        BeforeScroll(this);
    int moved = 0;
    if (distance > 0) {
        bof_ = false;
        while (moved < distance) {
            if (!StepForward()) {
                eof_ = true;
                break;
            }
            ++moved;
        }
    } else {
        eof_ = false;
        while (moved > distance) {
            if (!StepBackward()) {
                bof_ = true;
                break;
            }
            --moved;
        }
    }
    if (moved != 0)
        Scrolled(moved);
    else if (AfterScroll)
        AfterScroll(this);
    return moved;
}

int TDataSet::RecordCount()
{
    CheckActive();
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
    const TRecord* cur = CurrentRecord();
    std::optional<TBookmark> id;
    if (keepCurrent && cur)
        id = cur->id;
    ResetWindow();
    bool positioned = false;
    if (id) {
        if (std::optional<TRecord> rec = FetchById(*id)) {
            std::vector<TRecord> one{std::move(*rec)};
            PrepareRecords(one);
            if (!one.empty()) {
                LoadWindow(std::move(one), false, false, -1);
                positioned = true;
            }
        }
    }
    if (!positioned) {
        bool end = false;
        LoadWindow(ReadForward(nullptr, kFirstBlock, end), true, end, 0);
    }
    bof_ = !positioned;
    eof_ = window_.empty();
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
    throw EDatabaseError(QStringLiteral("%1: Record not found").arg(objectName()));
}

TBookmark TDataSet::GetBookmark() const
{
    const TRecord* r = CurrentRecord();
    return r ? r->id : 0;
}

bool TDataSet::BookmarkValid(TBookmark bookmark)
{
    if (!Active())
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
    PositionOn(bookmark);
    bof_ = eof_ = false;
    Scrolled(0);
}

std::optional<TRecord> TDataSet::FirstMatch(const std::vector<TField*>& fields, const QVariantList& values)
{
    for (int offset = 0;; offset += kBlock) {
        std::vector<TRecord> raw = FetchMatching(fields, values, offset, kBlock);
        const bool more = int(raw.size()) == kBlock;
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

bool TDataSet::GotoFirstMatch(const std::vector<TField*>& fields, const QVariantList& values)
{
    std::optional<TRecord> rec = FirstMatch(fields, values);
    if (!rec)
        return false;
    GotoRecord(std::move(*rec));
    return true;
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
        throw EDatabaseError(QStringLiteral("%1: one value is needed per key field").arg(objectName()));
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
    // A control that heard of the end of editing counted the window as it was then.
    countCache_ = -1;
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

// ---------------------------------------------------------------- state and events

void TDataSet::SetState(TDataSetState state)
{
    if (state_ == state)
        return;
    state_ = state;
    DataEvent(TDataEvent::UpdateState);
}

void TDataSet::DisableControls()
{
    if (disableCount_ == 0) {
        disabledState_ = state_;
        pendingChange_ = false;
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0) {
        if (disabledState_ != state_)
            DataEvent(TDataEvent::UpdateState);
        if (Active())
            DataEvent(TDataEvent::DataSetChange);
    }
}

void TDataSet::NotifyLayoutChanged() { DataEvent(TDataEvent::LayoutChange); }

void TDataSet::DataEvent(TDataEvent event, TField* field)
{
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    const auto sources = dataSources_;
    for (TDataSource* ds : sources) {
        if (std::find(dataSources_.begin(), dataSources_.end(), ds) != dataSources_.end())
            ds->Notify(event, field);
    }
}

// ---------------------------------------------------------------- display rows

int TDataSet::DisplayRowCount()
{
    if (!Active())
        return 0;
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

// ---------------------------------------------------------------- data sources

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource()
{
    SetDataSet(nullptr);
    const auto links = links_;
    for (TDataLink* l : links)
        l->source_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet_ == dataSet)
        return;
    if (dataSet_) {
        auto& list = dataSet_->dataSources_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->dataSources_.push_back(this);
    const auto links = links_;
    for (TDataLink* l : links)
        l->ActiveChanged();
}

void TDataSource::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    const auto links = links_;
    for (TDataLink* l : links)
        l->ActiveChanged();
}

TDataSetState TDataSource::State() const { return dataSet_ ? dataSet_->State() : TDataSetState::Inactive; }

void TDataSource::Edit()
{
    if (AutoEdit && dataSet_ && dataSet_->State() == TDataSetState::Browse)
        dataSet_->Edit();
}

void TDataSource::AddLink(TDataLink* link)
{
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) { links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end()); }

void TDataSource::Notify(TDataEvent event, TField* field)
{
    if (!enabled_ || !dataSet_)
        return;
    const auto links = links_;
    auto alive = [this](TDataLink* l) { return std::find(links_.begin(), links_.end(), l) != links_.end(); };
    if (event == TDataEvent::UpdateState) {
        for (TDataLink* l : links) {
            if (!alive(l))
                continue;
            l->ActiveChanged();
            l->EditingChanged();
        }
        if (OnStateChange)
            OnStateChange(this);
        return;
    }
    if (!dataSet_->Active())
        return;
    auto each = [&](auto&& call) {
        for (TDataLink* l : links)
            if (alive(l))
                call(l);
    };
    switch (event) {
    case TDataEvent::FieldChange:
    case TDataEvent::RecordChange:
        each([&](TDataLink* l) { l->RecordChanged(event == TDataEvent::FieldChange ? field : nullptr); });
        break;
    case TDataEvent::DataSetChange:
        each([](TDataLink* l) { l->DataSetChanged(); });
        break;
    case TDataEvent::DataSetScroll:
        each([](TDataLink* l) { l->DataSetScrolled(0); });
        break;
    case TDataEvent::LayoutChange:
        each([](TDataLink* l) { l->LayoutChanged(); });
        break;
    case TDataEvent::UpdateRecord:
        each([](TDataLink* l) { l->UpdateData(); });
        if (OnUpdateData)
            OnUpdateData(this);
        return;
    case TDataEvent::CheckBrowseMode:
        each([](TDataLink* l) { l->FinishEditing(); });
        return;
    case TDataEvent::UpdateState:
        return;
    }
    if (OnDataChange)
        OnDataChange(this, event == TDataEvent::FieldChange ? field : nullptr);
}

TDataLink::~TDataLink()
{
    if (source_)
        source_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source_ == source)
        return;
    if (source_)
        source_->RemoveLink(this);
    source_ = source;
    if (source_)
        source_->AddLink(this);
    ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

bool TDataLink::Active() const
{
    TDataSet* ds = DataSet();
    return source_ && source_->Enabled() && ds && ds->Active();
}

} // namespace fw
