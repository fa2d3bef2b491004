#pragma once

// What a data grid shows of its dataset (internal to the grid): the link through which the
// dataset's changes reach the grid, and the item model Qt's view reads the cells from.

#include "platform/db/DataSet.h"

#include <QAbstractTableModel>

namespace fw {

class TDBGridNormal;

class TGridDataLink final : public TDataLink {
public:
    explicit TGridDataLink(TDBGridNormal* grid) : grid_(grid) {}
    // Every change of state arrives here too; only opening, closing or another dataset
    // renews the columns (which closes the cell editor).
    void ActiveChanged() override;
    void LayoutChanged() override;
    void EditingChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int) override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    TDBGridNormal* grid_;
    bool active_ = false;
    TDataSet* dataSet_ = nullptr;
};

// Rows are the dataset's display rows; a cell is read by making its row the dataset's
// active record, so only the rows on screen are ever read.
class TGridModel final : public QAbstractTableModel {
public:
    explicit TGridModel(TDBGridNormal* grid);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Qt asks these while it paints: what fails is reported after the paint.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int Rows() const { return rows_; }
    // A new number of rows (or new columns): the view forgets what it showed.
    void Reset(int rows);
    // Repaints what is on screen; nothing is read for rows that are not.
    void UpdateAll();

private:
    TDBGridNormal* grid_;
    int rows_ = 0;
};

} // namespace fw
