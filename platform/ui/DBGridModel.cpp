#include "platform/ui/DBGridModel.h"

#include "platform/ui/DBGridNormal.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyle>

namespace fw {

// ---- the link

void TGridDataLink::ActiveChanged()
{
    const bool active = Active();
    if (active == active_ && DataSet() == dataSet_)
        return;
    active_ = active;
    dataSet_ = DataSet();
    grid_->ColumnsChanged();
}

void TGridDataLink::LayoutChanged() { grid_->ColumnsChanged(); }
void TGridDataLink::EditingChanged() { grid_->LinkChanged(); }
void TGridDataLink::DataSetChanged() { grid_->LinkChanged(); }
void TGridDataLink::DataSetScrolled(int) { grid_->LinkChanged(); }
void TGridDataLink::RecordChanged(TField* field) { grid_->LinkRecordChanged(field); }
void TGridDataLink::UpdateData() { grid_->LinkUpdateData(); }

// ---- the model

TGridModel::TGridModel(TDBGridNormal* grid) : QAbstractTableModel(grid), grid_(grid) {}

int TGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : grid_->ColumnCount(); }

QVariant TGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= grid_->ColumnCount())
        return {};
    TColumn* column = grid_->Columns(index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column->Alignment() | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    TField* field = column->Field();
    TDataSet* ds = grid_->DataSet();
    if (!field || !ds)
        return {};
    try {
        const auto active = ds->ActivateDisplayRow(index.row());
        if (!active)
            return {};
        // A value shown as an error mark says why when the mouse rests on it, and a text
        // the column cuts shows whole.
        if (role == Qt::ToolTipRole) {
            if (const QString why = field->ErrorText(); !why.isEmpty())
                return why;
            const QString text = field->DisplayText();
            const int room = grid_->columnWidth(index.column()) - 2 * (grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1);
            return grid_->fontMetrics().horizontalAdvance(text) > room ? QVariant(text) : QVariant();
        }
        return role == Qt::EditRole ? field->Text() : field->DisplayText();
    } catch (...) {
        grid_->ReportPaintError(std::current_exception());
        return {};
    }
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    try {
        if (orientation == Qt::Vertical)
            return grid_->IndicatorText(section);
        if (section < grid_->ColumnCount())
            return grid_->Columns(section)->Title();
    } catch (...) {
        grid_->ReportPaintError(std::current_exception());
    }
    return {};
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    try {
        if (grid_->CanEditCell(index))
            f |= Qt::ItemIsEditable;
    } catch (...) {
        grid_->ReportPaintError(std::current_exception());
    }
    return f;
}

void TGridModel::Reset(int rows)
{
    // A reset closes the cell editor. Were the focus in it, hiding it would hand the
    // focus on as Tab does, moving the current cell (and dropping a row just inserted);
    // the grid takes the focus instead and reopens the editor where the cursor is.
    const QScopedValueRollback resetting(grid_->resetting_, true);
    if (grid_->editor_ && QApplication::focusWidget() == grid_->editor_)
        grid_->setFocus();
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void TGridModel::UpdateAll()
{
    if (rows_ > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    grid_->verticalHeader()->viewport()->update();
}

} // namespace fw
