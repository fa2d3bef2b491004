#include "platform/ui/DBGridDelegate.h"

#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Guard.h"

#include <QLineEdit>
#include <QPainter>

namespace fw {

// ---- the delegate

TGridDelegate::TGridDelegate(TDBGridNormal* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    grid_->PaintCell(painter, option, index);
}

QWidget* TGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    // A grid with a context menu of its own shows it over the cell being edited too,
    // rather than the editor's cut-and-paste menu.
    if (grid_->contextMenuPolicy() == Qt::CustomContextMenu)
        editor->setContextMenuPolicy(Qt::NoContextMenu);
    if (TField* field = grid_->Columns(index.column())->Field()) {
        if (field->DataType() == TFieldType::String && field->Size() > 0)
            editor->setMaxLength(field->Size());
    }
    grid_->editor_ = editor;
    grid_->editorColumn_ = index.column();
    grid_->editorDirty_ = false;
    QObject::connect(editor, &QLineEdit::textEdited, grid_, GuardedSlot(grid_, [g = grid_] { g->EditorTextEdited(); }));
    return editor;
}

void TGridDelegate::setEditorData(QWidget* editor, const QModelIndex&) const
{
    // What the user typed stays until it is written or cancelled.
    if (editor == grid_->editor_ && !grid_->editorDirty_)
        grid_->LoadEditor();
}

void TGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
}

// ---- the grid's painting of a cell, its row marker and its failures

QString TDBGridNormal::IndicatorText(int row) const
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || row != ds->CurrentDisplayRow())
        return {};
    switch (ds->State()) {
    case TDataSetState::Insert:
        return QStringLiteral("*");
    case TDataSetState::Edit:
        return QStringLiteral("I");
    default:
        return QString(QChar(0x25B6)); // a right-pointing triangle
    }
}

void TDBGridNormal::ReportPaintError(std::exception_ptr error)
{
    // Painting cannot stop for a message box; the first failure is reported once the
    // paint is over, the rest until the data changes are dropped.
    if (paintErrorReported_)
        return;
    paintErrorReported_ = true;
    QMetaObject::invokeMethod(this, [this, error = std::move(error)] { HandleError(this, error); }, Qt::QueuedConnection);
}

void TDBGridNormal::PaintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (index.column() >= ColumnCount())
        return;
    TColumn* column = Columns(index.column());
    const QPalette& pal = palette();
    const QModelIndex current = currentIndex();
    const bool currentRow = current.isValid() && index.row() == current.row();
    const bool currentCell = currentRow && index.column() == current.column();
    const bool showSelection = focused_ || options_.testFlag(TDBGridOption::AlwaysShowSelection);

    TGridDrawState state;
    state.Focused = currentCell && focused_;
    state.Selected = currentRow && showSelection && (options_.testFlag(TDBGridOption::RowSelect) || currentCell);

    painter->save();
    painter->setClipRect(option.rect);
    painter_ = painter;
    try {
        TDataSet* ds = DataSet();
        const std::optional<TDataSet::ActiveRecordGuard> active =
            ds ? std::optional<TDataSet::ActiveRecordGuard>(ds->ActivateDisplayRow(index.row())) : std::nullopt;
        if (active && *active) {
            if (options_.testFlag(TDBGridOption::MultiSelect) && markedDisplayRows_.count(index.row()))
                state.Selected = true;
            canvas_.Font = font();
            canvas_.FontColor = pal.color(state.Selected ? QPalette::HighlightedText : QPalette::Text);
            canvas_.BrushColor = state.Selected ? pal.color(QPalette::Highlight)
                                                : (column->Color().isValid() ? column->Color() : pal.color(QPalette::Base));
            if (OnDrawColumnCell)
                OnDrawColumnCell(this, option.rect, index.column(), column, state);
            else
                DefaultDrawColumnCell(option.rect, index.column(), column, state);
        } else {
            painter->fillRect(option.rect, pal.color(QPalette::Base));
        }
    } catch (...) {
        ReportPaintError(std::current_exception());
    }
    painter_ = nullptr;
    painter->restore();

    painter->save();
    painter->setPen(pal.color(QPalette::Mid));
    if (options_.testFlag(TDBGridOption::ColLines))
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    if (options_.testFlag(TDBGridOption::RowLines))
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    if (state.Focused && !options_.testFlag(TDBGridOption::RowSelect)) {
        painter->setPen(QPen(pal.color(QPalette::HighlightedText), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

void TDBGridNormal::DefaultDrawColumnCell(const QRect& rect, int, TColumn* column, TGridDrawState)
{
    if (!painter_)
        return;
    painter_->fillRect(rect, canvas_.BrushColor);
    TField* field = column ? column->Field() : nullptr;
    if (!field)
        return;
    painter_->setFont(canvas_.Font);
    painter_->setPen(canvas_.FontColor);
    painter_->drawText(rect.adjusted(3, 0, -3, 0), int(column->Alignment() | Qt::AlignVCenter) | Qt::TextSingleLine,
                       field->DisplayText());
}

} // namespace fw
