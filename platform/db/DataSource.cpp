// Data sources and the links of data-aware controls and detail datasets.
#include "platform/db/DataSet.h"

#include <algorithm>

namespace fw {

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource()
{
    const auto links = links_;
    // Details give up what they are editing without posting (nothing may be shown now), and
    // nothing they do may escape.
    for (TDataLink* l : links) {
        try {
            l->MasterClosing(true);
        } catch (...) {
        }
    }
    try {
        SetDataSet(nullptr);
    } catch (...) {
    }
    for (TDataLink* l : links_)
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
