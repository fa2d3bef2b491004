#include "platform/ui/DBGridNormal.h"

#include "platform/ui/DBGridDelegate.h"
#include "platform/ui/DBGridHeader.h"
#include "platform/ui/DBGridModel.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace fw {

// Notifications from the dataset wait while the grid itself works on it.
class TDBGridNormal::Acting {
public:
    explicit Acting(TDBGridNormal* grid) : grid_(grid) { ++grid->acting_; }
    Acting(const Acting&) = delete;
    Acting& operator=(const Acting&) = delete;
    ~Acting()
    {
        if (!grid_ || --grid_->acting_ > 0 || !grid_->pendingRefresh_)
            return;
        grid_->pendingRefresh_ = false;
        Guarded(grid_, [g = grid_.data()] { g->Refresh(); });
    }

private:
    QPointer<TDBGridNormal> grid_;
};

// ---------------------------------------------------------------------------------------
// The grid.

TDBGridNormal::TDBGridNormal(QWidget* parent)
    : QTableView(parent), link_(std::make_unique<TGridDataLink>(this)), model_(new TGridModel(this)),
      delegate_(new TGridDelegate(this))
{
    setHorizontalHeader(new TGridHeader(this));
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::NoSelection);
    setShowGrid(false);
    setWordWrap(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setFixedWidth(fontMetrics().horizontalAdvance(QChar(0x25B6)) + 10);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        // Only the user's resizing gives a column a width of its own; a width the grid
        // computed (before its field was there, say) is computed again when asked.
        if (!applyingWidths_ && section < ColumnCount() &&
            horizontalHeader()->sectionResizeMode(section) == QHeaderView::Interactive)
            columns_[size_t(section)]->width_ = size;
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) { FocusChanged(old, now); });
    ApplyOptions();
}

// The link leaves its data source as it is destroyed, without calling back.
TDBGridNormal::~TDBGridNormal() = default;

TDataSource* TDBGridNormal::DataSource() const { return link_->DataSource(); }

void TDBGridNormal::SetDataSource(TDataSource* source)
{
    if (source == link_->DataSource())
        return;
    selectedRows_.clear();
    link_->SetDataSource(source);
    ColumnsChanged();
}

TDataSet* TDBGridNormal::DataSet() const { return link_->DataSet(); }

void TDBGridNormal::SetOptions(TDBGridOptions options)
{
    options_ = options;
    ApplyOptions();
}

void TDBGridNormal::SetOption(TDBGridOption option, bool on)
{
    options_.setFlag(option, on);
    ApplyOptions();
}

void TDBGridNormal::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    ApplyOptions();
}

void TDBGridNormal::ApplyOptions()
{
    horizontalHeader()->setVisible(options_.testFlag(TDBGridOption::Titles));
    verticalHeader()->setVisible(options_.testFlag(TDBGridOption::Indicator));
    horizontalHeader()->setSectionResizeMode(options_.testFlag(TDBGridOption::ColumnResize) ? QHeaderView::Interactive
                                                                                            : QHeaderView::Fixed);
    setTabKeyNavigation(options_.testFlag(TDBGridOption::Tabs));
    const bool editing = options_.testFlag(TDBGridOption::Editing) && !readOnly_;
    setEditTriggers(editing ? (QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked)
                            : QAbstractItemView::NoEditTriggers);
    if (!editing && editor_) {
        editorDirty_ = false;
        QTableView::closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    }
    ApplyColumnWidths();
    viewport()->update();
    if (editing)
        ShowEditorIfWanted();
}

// ---- selection

int TDBGridNormal::SelectedIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

void TDBGridNormal::SetSelectedIndex(int column)
{
    if (column < 0 || column >= ColumnCount())
        return;
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : (DataSet() && DataSet()->Active() ? DataSet()->CurrentDisplayRow() : 0);
    if (row < 0 || row >= model_->Rows())
        return;
    selectionModel()->setCurrentIndex(model_->index(row, column), QItemSelectionModel::NoUpdate);
}

TField* TDBGridNormal::SelectedField() const
{
    const int index = SelectedIndex();
    return index < ColumnCount() ? Columns(index)->Field() : nullptr;
}

void TDBGridNormal::SetSelectedField(TField* field)
{
    for (int i = 0; i < ColumnCount(); ++i) {
        if (field && Columns(i)->Field() == field) {
            SetSelectedIndex(i);
            return;
        }
    }
}

bool TDBGridNormal::IsRowSelected(TBookmark bookmark) const
{
    return std::find(selectedRows_.begin(), selectedRows_.end(), bookmark) != selectedRows_.end();
}

void TDBGridNormal::SelectRow(TBookmark bookmark, bool selected)
{
    const bool present = IsRowSelected(bookmark);
    if (selected && !present)
        selectedRows_.push_back(bookmark);
    else if (!selected && present)
        std::erase(selectedRows_, bookmark);
    // Where a bookmark shows is known only for rows marked at the cursor (see MarkCurrentRow).
    std::erase_if(markedDisplayRows_, [&](const auto& entry) { return !IsRowSelected(entry.second); });
    viewport()->update();
}

void TDBGridNormal::ClearSelectedRows()
{
    selectedRows_.clear();
    markedDisplayRows_.clear();
    viewport()->update();
}

void TDBGridNormal::MarkCurrentRow(bool toggle)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || ds->State() == TDataSetState::Insert || ds->IsEmpty())
        return;
    const TBookmark bookmark = ds->GetBookmark();
    const bool select = !toggle || !IsRowSelected(bookmark);
    if (!toggle) {
        selectedRows_.clear();
        markedDisplayRows_.clear();
    }
    SelectRow(bookmark, select);
    if (select)
        markedDisplayRows_[ds->CurrentDisplayRow()] = bookmark;
}

// ---- following the dataset

void TDBGridNormal::LinkChanged()
{
    if (acting_ > 0) {
        pendingRefresh_ = true;
        return;
    }
    Refresh();
}

void TDBGridNormal::LinkRecordChanged(TField* field)
{
    // The editor shows a value changed behind it (a code chosen from a list); what the
    // user is typing is not overwritten by a change of the whole record.
    if (editor_ && editorDirty_ && field && field == EditorField())
        editorDirty_ = false;
    if (editor_ && !editorDirty_)
        LoadEditor();
    LinkChanged();
}

void TDBGridNormal::LinkUpdateData()
{
    // Before a post: what is typed in the cell goes into the field. A refusal propagates,
    // so the post is refused too and the user stays in the cell.
    if (!editor_ || !editorDirty_)
        return;
    if (TField* field = EditorField())
        AssignEditorText(field, editor_->text());
    editorDirty_ = false;
}

void TDBGridNormal::AssignEditorText(TField* field, const QString& text)
{
    // The user knows the column by its title, not by the field's stored name.
    const QString title = Columns(editorColumn_)->Title();
    struct Label {
        TField* field;
        QString kept;
        ~Label() { field->SetDisplayLabel(kept); }
    } label{field, field->DisplayLabel() == field->FieldName() ? QString() : field->DisplayLabel()};
    if (!title.isEmpty())
        field->SetDisplayLabel(title);
    field->SetText(text);
}

void TDBGridNormal::Refresh()
{
    paintErrorReported_ = false;
    TDataSet* ds = DataSet();
    const bool active = ds && ds->Active();
    if (defaultColumns_ && active && columns_.empty()) {
        BuildDefaultColumns();
        model_->Reset(model_->Rows());
        ApplyColumnWidths();
    }
    const int rows = active ? ds->DisplayRowCount() : 0;
    if (rows != model_->Rows()) {
        markedDisplayRows_.clear(); // rows shifted: only the bookmarks stay right
        editorDirty_ = false;
        model_->Reset(rows);
        ApplyColumnWidths();
    } else {
        model_->UpdateAll();
    }
    SyncCurrentRow();
    viewport()->update();
}

int TDBGridNormal::FirstEditableColumn() const
{
    for (int i = 0; i < ColumnCount(); ++i)
        if (CanEditCell(model_->index(0, i)))
            return i;
    return 0;
}

void TDBGridNormal::SyncCurrentRow()
{
    TDataSet* ds = DataSet();
    const bool inserting = ds && ds->State() == TDataSetState::Insert;
    const bool newRow = inserting && !inserting_;
    inserting_ = inserting;
    if (!ds || !ds->Active() || model_->Rows() == 0 || ColumnCount() == 0)
        return;
    const int row = ds->CurrentDisplayRow();
    if (row < 0 || row >= model_->Rows())
        return;
    const QModelIndex current = currentIndex();
    // The cell the user chose, in the row the record has now; a new row starts where it
    // can be typed in.
    const int column = newRow ? FirstEditableColumn()
                       : targetColumn_ >= 0 ? targetColumn_
                       : current.isValid()  ? current.column()
                                            : 0;
    if (!current.isValid() || current.row() != row || current.column() != column) {
        syncing_ = true;
        selectionModel()->setCurrentIndex(model_->index(row, column), QItemSelectionModel::NoUpdate);
        syncing_ = false;
    }
    scrollTo(currentIndex());
    ShowEditorIfWanted();
}

void TDBGridNormal::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    TDataSet* ds = DataSet();
    if (syncing_ || !ds || !ds->Active() || !current.isValid()) {
        QTableView::currentChanged(current, previous);
        viewport()->update();
        return;
    }
    const bool rowChanged = !previous.isValid() || current.row() != previous.row();
    bool ok = CommitEdit();
    if (ok && rowChanged) {
        targetColumn_ = current.column();
        ok = Guarded(this, [&] {
            Acting acting(this);
            ds->MoveToDisplayRow(current.row());
        });
        targetColumn_ = -1;
    }
    if (!ok) {
        // Refused: the user stays where he was, the cell editor with it.
        syncing_ = true;
        selectionModel()->setCurrentIndex(previous, QItemSelectionModel::NoUpdate);
        syncing_ = false;
        return;
    }
    if (currentIndex() != current)
        return; // the rows moved under the new current row (a dropped new row); already followed
    QTableView::currentChanged(current, previous);
    viewport()->update();
    ShowEditorIfWanted();
}

// ---- editing

bool TDBGridNormal::CanEditCell(const QModelIndex& index) const
{
    if (!options_.testFlag(TDBGridOption::Editing) || readOnly_ || !index.isValid() || index.column() >= ColumnCount())
        return false;
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || !ds->CanModify())
        return false;
    const TColumn* column = Columns(index.column());
    const TField* field = column->Field();
    return field && field->IsStored() && !field->ReadOnly() && !column->ReadOnly();
}

bool TDBGridNormal::CanAppend() const
{
    TDataSet* ds = DataSet();
    return options_.testFlag(TDBGridOption::Editing) && !readOnly_ && ds && ds->Active() && ds->CanModify();
}

QLineEdit* TDBGridNormal::InplaceEditor() const { return editor_; }

TField* TDBGridNormal::EditorField() const
{
    return editor_ && editorColumn_ >= 0 && editorColumn_ < ColumnCount() ? Columns(editorColumn_)->Field() : nullptr;
}

void TDBGridNormal::ShowEditorIfWanted()
{
    if (resetting_ || !options_.testFlag(TDBGridOption::AlwaysShowEditor) || !Contains(QApplication::focusWidget()))
        return;
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !CanEditCell(current) || indexWidget(current))
        return;
    QAbstractItemView::edit(current);
}

bool TDBGridNormal::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // Only the current cell is edited: a click elsewhere first makes that cell current,
    // which may be refused.
    if (!index.isValid() || index != currentIndex() || !CanEditCell(index))
        return false;
    // What is typed goes into the dataset's current record: only where the grid shows it.
    if (DataSet()->CurrentDisplayRow() != index.row()) {
        SyncCurrentRow();
        return false;
    }
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && editor_) {
        // Installed after the delegate's filter, so it runs first: key handlers see Enter,
        // Tab and Escape before the delegate acts on them.
        editor_->installEventFilter(this);
    }
    return opened;
}

void TDBGridNormal::LoadEditor()
{
    if (!editor_)
        return;
    TField* field = EditorField();
    TDataSet* ds = DataSet();
    editor_->setText(field ? field->Text() : QString());
    TDataSource* source = DataSource();
    editor_->setReadOnly(!ds || !(ds->IsEditing() || (source && source->AutoEdit)));
    editorDirty_ = false;
}

void TDBGridNormal::EditorTextEdited()
{
    editorDirty_ = true;
    TDataSet* ds = DataSet();
    if (!ds || ds->IsEditing())
        return;
    bool started = Guarded(this, [&] {
        Acting acting(this);
        DataSource()->Edit();
    });
    if (!started || !ds->IsEditing()) {
        editorDirty_ = false;
        LoadEditor();
    }
}

bool TDBGridNormal::CommitEdit()
{
    if (committing_)
        return false;
    if (!editor_ || !editorDirty_)
        return true;
    TField* field = EditorField();
    TDataSet* ds = DataSet();
    if (!field || !ds) {
        editorDirty_ = false;
        return true;
    }
    const QString text = editor_->text();
    committing_ = true;
    const bool ok = Guarded(this, [&] {
        Acting acting(this);
        if (!ds->IsEditing())
            DataSource()->Edit();
        AssignEditorText(field, text);
    });
    committing_ = false;
    if (ok) {
        editorDirty_ = false;
        return true;
    }
    // Refused: the field keeps its value and the user stays in the cell with his text.
    if (editor_) {
        editor_->setFocus();
        editor_->selectAll();
    }
    return false;
}

void TDBGridNormal::commitData(QWidget* editor)
{
    if (editor == editor_)
        commitFailed_ = !CommitEdit();
}

void TDBGridNormal::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor == editor_) {
        if (commitFailed_) {
            commitFailed_ = false;
            return; // the cell stays open
        }
        editorDirty_ = false;
    }
    QTableView::closeEditor(editor, hint);
    if (hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem)
        ShowEditorIfWanted();
}

void TDBGridNormal::CancelEdit()
{
    TDataSet* ds = DataSet();
    editorDirty_ = false;
    if (ds && ds->IsEditing()) {
        Acting acting(this);
        ds->Cancel();
    }
    LoadEditor();
}

void TDBGridNormal::DeleteRecord()
{
    TDataSet* ds = DataSet();
    if (!CanAppend() || ds->IsEmpty())
        return;
    if (ds->State() == TDataSetState::Insert) {
        CancelEdit();
        return;
    }
    if (options_.testFlag(TDBGridOption::ConfirmDelete) && !ConfirmDeleteRecord())
        return;
    editorDirty_ = false;
    Acting acting(this);
    ds->Delete();
}

// ---- keys and mouse

std::unique_ptr<QKeyEvent> TDBGridNormal::NumberKey(const QKeyEvent* event, int column) const
{
    const TField* field = column >= 0 && column < ColumnCount() ? Columns(column)->Field() : nullptr;
    return field && field->IsNumber() ? LocaleDecimalKey(event, DefaultFormatSettings().DecimalSeparator) : nullptr;
}

bool TDBGridNormal::HandleKey(QKeyEvent* event)
{
    bool consumed = false;
    const bool completed = Guarded(this, [&] {
        if (OfferKey(event, this, OnKeyDown, OnKeyPress)) {
            consumed = true;
            return;
        }
        consumed = DoKeyDown(VirtualKey(event), event->modifiers());
    });
    // A handler that failed ends the key's handling as well.
    return consumed || !completed;
}

bool TDBGridNormal::DoKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return false;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (key) {
    case vk::Insert:
        if (ctrl || shift || !CanAppend())
            return false;
        if (!CommitEdit())
            return true;
        {
            Acting acting(this);
            ds->Insert();
        }
        return true;
    case vk::Delete:
        if (!ctrl)
            return false;
        DeleteRecord();
        return true;
    case vk::Escape:
        if (!ds->IsEditing() && !editorDirty_)
            return false;
        CancelEdit();
        return true;
    case vk::Up:
    case vk::Down:
        if (shift && options_.testFlag(TDBGridOption::MultiSelect))
            MarkCurrentRow(true);
        if (key == vk::Down && !shift && CanAppend() &&
            (model_->Rows() == 0 || (currentIndex().isValid() && currentIndex().row() == model_->Rows() - 1))) {
            // Down past the last row adds one, unless the last row is a new one still untouched.
            if (ds->State() == TDataSetState::Insert && !ds->Modified())
                return true;
            if (!CommitEdit())
                return true;
            Acting acting(this);
            ds->Append();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TDBGridNormal::keyPressEvent(QKeyEvent* event)
{
    if (const auto replaced = NumberKey(event, currentIndex().column())) {
        keyPressEvent(replaced.get());
        return;
    }
    // Keys typed into the cell editor were handled by its filter already.
    const bool fromEditor = editor_ && QApplication::focusWidget() == editor_;
    if (!fromEditor && HandleKey(event))
        return;
    // An empty grid has no cell to type into: the first character typed starts a record.
    const QChar typed = KeyChar(event);
    if (!fromEditor && model_->Rows() == 0 && typed.isPrint() && CanAppend()) {
        if (!Guarded(this, [this] {
                Acting acting(this);
                DataSet()->Append();
            }))
            return;
        // With the editor always shown, the new row opened it already: the key is its first
        // character (the view would find the cell busy and drop it). The handlers saw it.
        if (editor_ && QApplication::focusWidget() == editor_) {
            forwardingKey_ = true;
            QCoreApplication::sendEvent(editor_, event);
            forwardingKey_ = false;
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

bool TDBGridNormal::eventFilter(QObject* watched, QEvent* event)
{
    // Comparing with the QPointer casts what it holds to QLineEdit, which an editor being
    // destroyed (already down to QWidget) no longer is: only a line edit is compared.
    if (qobject_cast<QLineEdit*>(watched) != nullptr && watched == editor_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (const auto replaced = NumberKey(key, editorColumn_)) {
                QCoreApplication::sendEvent(editor_, replaced.get());
                return true;
            }
            if (!forwardingKey_ && HandleKey(key))
                return true;
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                // Rows are changed by the grid, not by the editor; the cell is written
                // first, once (the view would try again as it takes the focus back).
                if (CommitEdit())
                    QTableView::keyPressEvent(key);
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // Written here and now: the delegate would only queue the commit.
                if (CommitEdit() && editor_)
                    closeEditor(editor_, QAbstractItemDelegate::SubmitModelCache);
                return true;
            case Qt::Key_Escape: {
                // Nothing being edited: Escape belongs to the window (a Cancel button).
                QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
                if (parentWidget())
                    QCoreApplication::sendEvent(parentWidget(), &copy);
                return true;
            }
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                if (!options_.testFlag(TDBGridOption::Tabs)) {
                    // The view's own override would move the cursor between cells: the
                    // focus leaves the grid as from any other widget.
                    if (CommitEdit())
                        QWidget::focusNextPrevChild(key->key() == Qt::Key_Tab); // NOLINT(bugprone-parent-virtual-call)
                    return true;
                }
                break;
            default:
                break;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            if (OnDblClick)
                Guarded(this, [this] { OnDblClick(this); });
            return false;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TDBGridNormal::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    // Marked once the cursor is on the clicked row (a refused move marks nothing).
    if (options_.testFlag(TDBGridOption::MultiSelect) && event->button() == Qt::LeftButton && index.isValid() &&
        DataSet() && DataSet()->Active() && DataSet()->CurrentDisplayRow() == index.row())
        Guarded(this, [&] { MarkCurrentRow(event->modifiers().testFlag(Qt::ControlModifier)); });
}

void TDBGridNormal::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (OnDblClick)
        Guarded(this, [this] { OnDblClick(this); });
}

void TDBGridNormal::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    ShowEditorIfWanted();
}

void TDBGridNormal::resizeEvent(QResizeEvent* event)
{
    // The current row is scrolled to as the grid is filled, often before its window is laid
    // out: a row in sight then stays wholly in sight at the size the grid gets. (The view's
    // own size changes come here too, a scroll bar appearing among them.)
    const QModelIndex current = currentIndex();
    const QSize old = event->oldSize();
    const bool inSight =
        current.isValid() && (!old.isValid() || QRect(QPoint(), old).intersects(visualRect(current)));
    QTableView::resizeEvent(event);
    if (inSight)
        scrollTo(current);
}

bool TDBGridNormal::Contains(const QWidget* widget) const { return widget && (widget == this || isAncestorOf(widget)); }

void TDBGridNormal::FocusChanged(QWidget* old, QWidget* now)
{
    // Only moves within our window count: a message box or a dialog opened from the grid
    // takes the focus for a while without the user leaving the grid.
    if (!now || now->window() != window())
        return;
    const bool inside = Contains(now);
    if (inside == focused_ || (inside && Contains(old)))
        return;
    focused_ = inside;
    viewport()->update();
    Guarded(this, [&] {
        if (focused_) {
            if (OnEnter)
                OnEnter(this);
            return;
        }
        TDataSet* ds = DataSet();
        if (CommitEdit() && options_.testFlag(TDBGridOption::CancelOnExit) && ds && ds->State() == TDataSetState::Insert &&
            !ds->Modified()) {
            Acting acting(this);
            ds->Cancel();
        }
        if (OnExit)
            OnExit(this);
    });
}

} // namespace fw
