#include "platform/db/DataSet.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DataSetBlocks.h"
#include "platform/db/DbMessages.h"
#include "platform/db/StoredValue.h"

#include <algorithm>

namespace fw {

namespace {

using namespace blocks;

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
        throw EDatabaseError(dbmsg::FieldAddedToOpenDataSet(objectName(), name));
    if (FindField(name))
        throw EDatabaseError(dbmsg::DuplicateField(name));
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
    // Names are unique whatever their case (AddField), so a name spelled as the field was
    // added is the one match: callers mostly spell it so, and an exact comparison is a
    // fraction of a case-blind one, which the row loops of reports and links paid per field.
    for (const auto& f : fields_)
        if (f->FieldName() == name)
            return f.get();
    for (const auto& f : fields_)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        throw EDatabaseError(dbmsg::FieldNotFound(objectName(), name));
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
            throw EDatabaseError(dbmsg::FieldReadOnly(field->FieldName()));
        auto* target = const_cast<TRecord*>(active_);
        target->values[size_t(field->index_)] = field->Coerce(value);
        return;
    }
    if (!IsEditing())
        throw EDatabaseError(dbmsg::DataSetNotEditing(objectName()));
    if (field->ReadOnly() || field->Lookup())
        throw EDatabaseError(dbmsg::FieldReadOnly(field->FieldName()));
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
            QVariant fault;
            for (TField* k : FieldsByNames(f->KeyFields())) {
                const QVariant& v = record.values[size_t(k->index_)];
                anyNull = anyNull || !v.isValid() || v.isNull();
                if (IsValueFault(v))
                    fault = v;
                keys << v;
            }
            // A key that cannot be read finds nothing: the looked-up value cannot be read either.
            if (fault.isValid()) {
                record.values[size_t(f->index_)] = fault;
                continue;
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
        try {
            OnCalcFields(this);
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception& e) {
            // A value that cannot be computed (one it is computed from cannot be read, or
            // the result is out of range) does not keep the record from being read: the
            // fields left without a value hold why, shown as an error mark.
            const auto* own = dynamic_cast<const Exception*>(&e);
            const QVariant fault = ValueFault(own ? own->Message() : QString::fromLocal8Bit(e.what()));
            for (const auto& f : fields_) {
                QVariant& v = record.values[size_t(f->index_)];
                if (f->Calculated() && (!v.isValid() || v.isNull()))
                    v = fault;
            }
        }
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

// ---------------------------------------------------------------- open / close

void TDataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(dbmsg::DataSetClosed(objectName()));
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
    // Details finish their edits while their master is still there to post against; one
    // whose post is refused gives its row up. The close goes on either way, and an error
    // other than a silent refusal is reported once it is done.
    std::exception_ptr detailError;
    try {
        ResolveDetails(false);
    } catch (const EAbort&) {
    } catch (...) {
        detailError = std::current_exception();
    }
    CloseCursor();
    if (detailError)
        std::rethrow_exception(detailError);
}

void TDataSet::Shutdown() noexcept
{
    try {
        if (!Active())
            return;
        ResolveDetails(true);
        CloseCursor();
    } catch (...) {
        // Nobody is left to tell; the cursor goes with the object anyway.
    }
}

void TDataSet::ResolveDetails(bool teardown)
{
    std::exception_ptr first;
    const auto sources = dataSources_;
    for (TDataSource* source : sources) {
        const auto links = source->links_;
        for (TDataLink* link : links) {
            try {
                link->MasterClosing(teardown);
            } catch (...) {
                if (!first)
                    first = std::current_exception();
            }
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void TDataSet::CloseCursor()
{
    if (BeforeClose)
        BeforeClose(this);
    // Whatever was being edited is dropped with the cursor.
    modified_ = false;
    postConflict_ = false;
    editRecord_ = TRecord();
    oldRecord_ = TRecord();
    insertMode_ = InsertMode::None;
    state_ = TDataSetState::Inactive;
    ResetWindow();
    std::vector<TRecord>().swap(spare_);
    active_ = nullptr;
    InternalClose();
    bof_ = eof_ = true;
    DataEvent(TDataEvent::UpdateState);
    if (defaultFields_)
        ClearFields();
    if (AfterClose)
        AfterClose(this);
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
        pending_ = Pending::None;
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0) {
        const Pending pending = pending_;
        pending_ = Pending::None;
        if (disabledState_ != state_)
            DataEvent(TDataEvent::UpdateState);
        // Closed and opened again meanwhile (a query given new SQL): the fields are new,
        // which is a change of layout, not only of data.
        if (disabledState_ != TDataSetState::Inactive && Active())
            DataEvent(pending == Pending::Layout ? TDataEvent::LayoutChange : TDataEvent::DataSetChange);
    }
}

void TDataSet::NotifyLayoutChanged() { DataEvent(TDataEvent::LayoutChange); }

void TDataSet::DataEvent(TDataEvent event, TField* field)
{
    if (disableCount_ > 0) {
        if (event == TDataEvent::LayoutChange || (event == TDataEvent::UpdateState && state_ == TDataSetState::Inactive))
            pending_ = Pending::Layout;
        else if (pending_ == Pending::None)
            pending_ = Pending::Data;
        return;
    }
    const auto sources = dataSources_;
    for (TDataSource* ds : sources) {
        if (std::find(dataSources_.begin(), dataSources_.end(), ds) != dataSources_.end())
            ds->Notify(event, field);
    }
}


} // namespace fw
