#include "platform/ui/DBEdit.h"

#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace fw {

class TEditDataLink final : public TDataLink {
public:
    explicit TEditDataLink(TDBEdit* edit) : edit_(edit) {}
    void ActiveChanged() override { edit_->LoadText(); }
    void EditingChanged() override { edit_->LoadText(); }
    void DataSetChanged() override { edit_->LoadText(); }
    void DataSetScrolled(int) override { edit_->LoadText(); }
    void RecordChanged(TField* field) override
    {
        if (!field || field == edit_->Field())
            edit_->LoadText();
    }
    void UpdateData() override { edit_->UpdateRecord(); }

private:
    TDBEdit* edit_;
};

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent), link_(std::make_unique<TEditDataLink>(this))
{
    connect(this, &QLineEdit::textEdited, this, GuardedSlot(this, [this] { TextEdited(); }));
    LoadText();
}

TDBEdit::~TDBEdit() = default;

TDataSource* TDBEdit::DataSource() const { return link_->DataSource(); }

void TDBEdit::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    dirty_ = false;
    LoadText();
}

void TDBEdit::SetDataField(const QString& name)
{
    dataField_ = name;
    dirty_ = false;
    LoadText();
}

TField* TDBEdit::Field() const
{
    TDataSet* ds = link_->DataSet();
    return ds && ds->Active() && !dataField_.isEmpty() ? ds->FindField(dataField_) : nullptr;
}

void TDBEdit::LoadText()
{
    TField* field = Field();
    TDataSet* ds = link_->DataSet();
    TDataSource* source = link_->DataSource();
    const bool writable = field && !field->ReadOnly() && field->IsStored() && ds->CanModify() &&
                          (ds->IsEditing() || (source && source->AutoEdit));
    setReadOnly(!writable);
    if (field && field->IsStored() && field->DataType() == TFieldType::String && field->Size() > 0)
        setMaxLength(field->Size());
    else
        setMaxLength(32767);
    // What the user is typing stays until it is written or cancelled.
    if (dirty_)
        return;
    setText(!field ? QString() : (hasFocus() ? field->Text() : field->DisplayText()));
    setModified(false);
}

void TDBEdit::TextEdited()
{
    dirty_ = true;
    TDataSet* ds = link_->DataSet();
    if (!ds || ds->IsEditing())
        return;
    bool started = false;
    Guarded(this, [&] {
        link_->DataSource()->Edit();
        started = ds->IsEditing();
    });
    if (!started) {
        dirty_ = false;
        LoadText();
    }
}

void TDBEdit::UpdateRecord()
{
    if (!dirty_)
        return;
    TField* field = Field();
    if (!field) {
        dirty_ = false;
        return;
    }
    field->SetText(text());
    dirty_ = false;
}

void TDBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!dirty_)
        LoadText(); // the edit text, without the display format
    if (OnEnter && event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Guarded(this, [this] { OnEnter(this); });
}

void TDBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Another window coming to the front (a message box) is not leaving the edit.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!Guarded(this, [this] { UpdateRecord(); })) {
        selectAll();
        setFocus();
        return;
    }
    LoadText();
    if (OnExit)
        Guarded(this, [this] { OnExit(this); });
}

void TDBEdit::keyPressEvent(QKeyEvent* event)
{
    if (TField* field = Field(); field && field->IsNumber()) {
        if (const auto replaced = LocaleDecimalKey(event, DefaultFormatSettings().DecimalSeparator)) {
            keyPressEvent(replaced.get());
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && dirty_) {
        dirty_ = false;
        LoadText();
        selectAll();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace fw
