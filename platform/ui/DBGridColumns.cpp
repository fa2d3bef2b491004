#include "platform/ui/DBGridColumns.h"

#include "platform/ui/DBGridModel.h"
#include "platform/ui/DBGridNormal.h"

#include <QApplication>
#include <QHeaderView>
#include <QScopedValueRollback>

namespace fw {

namespace {
// Wide string fields would otherwise make columns wider than any screen.
constexpr int kMaxDefaultChars = 40;
} // namespace

// ---- a column

void TColumn::SetFieldName(const QString& name)
{
    fieldName_ = name;
    grid_->ColumnsChanged();
}

TField* TColumn::Field() const
{
    TDataSet* ds = grid_->DataSet();
    return ds && ds->Active() ? ds->FindField(fieldName_) : nullptr;
}

QString TColumn::Title() const
{
    if (!title_.isEmpty())
        return title_;
    if (TField* field = Field())
        return field->DisplayLabel();
    return fieldName_;
}

void TColumn::SetTitle(const QString& title)
{
    title_ = title;
    if (grid_->model_)
        emit grid_->model_->headerDataChanged(Qt::Horizontal, Index(), Index());
}

int TColumn::Width() const { return width_ >= 0 ? width_ : grid_->DefaultWidth(this); }

void TColumn::SetWidth(int pixels)
{
    width_ = pixels;
    grid_->ApplyColumnWidths();
}

void TColumn::SetColor(const QColor& color)
{
    color_ = color;
    grid_->viewport()->update();
}

Qt::Alignment TColumn::Alignment() const
{
    if (alignment_)
        return *alignment_;
    if (TField* field = Field())
        return field->Alignment() & Qt::AlignHorizontal_Mask;
    return Qt::AlignLeft;
}

void TColumn::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    grid_->viewport()->update();
}

int TColumn::Index() const
{
    for (int i = 0; i < grid_->ColumnCount(); ++i) {
        if (grid_->Columns(i) == this)
            return i;
    }
    return -1;
}

QColor TColumn::ButtonFace() { return QApplication::palette().color(QPalette::Button); }

// ---- the grid's columns: its own, or one per visible field; their widths

TColumn* TDBGridNormal::AddColumn(const QString& fieldName, const QString& title, int width)
{
    if (defaultColumns_) {
        columns_.clear();
        defaultColumns_ = false;
    }
    auto column = std::unique_ptr<TColumn>(new TColumn(this));
    column->fieldName_ = fieldName;
    column->title_ = title;
    column->width_ = width;
    columns_.push_back(std::move(column));
    ColumnsChanged();
    return columns_.back().get();
}

void TDBGridNormal::ClearColumns()
{
    columns_.clear();
    defaultColumns_ = true;
    ColumnsChanged();
}

TColumn* TDBGridNormal::ColumnByFieldName(const QString& name) const
{
    for (const auto& column : columns_) {
        if (column->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return column.get();
    }
    return nullptr;
}

void TDBGridNormal::BuildDefaultColumns()
{
    columns_.clear();
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField* field = ds->Fields(i);
        if (!field->Visible())
            continue;
        auto column = std::unique_ptr<TColumn>(new TColumn(this));
        column->fieldName_ = field->FieldName();
        columns_.push_back(std::move(column));
    }
}

void TDBGridNormal::ColumnsChanged()
{
    if (defaultColumns_)
        BuildDefaultColumns();
    editorDirty_ = false;
    const int rows = model_->Rows();
    model_->Reset(rows);
    ApplyColumnWidths();
    LinkChanged();
}

void TDBGridNormal::ApplyColumnWidths()
{
    const QScopedValueRollback applying(applyingWidths_, true);
    for (int i = 0; i < ColumnCount() && i < model_->columnCount(); ++i)
        horizontalHeader()->resizeSection(i, columns_[size_t(i)]->Width());
}

int TDBGridNormal::DefaultWidth(const TColumn* column) const
{
    const QFontMetrics metrics(font());
    int chars = 10;
    if (TField* field = column->Field())
        chars = std::min(field->DisplayWidth(), kMaxDefaultChars);
    const int data = chars * metrics.averageCharWidth();
    const int title = QFontMetrics(horizontalHeader()->font()).horizontalAdvance(column->Title());
    return std::max(data, title) + 8;
}

} // namespace fw
