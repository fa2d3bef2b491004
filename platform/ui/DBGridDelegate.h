#pragma once

// How a data grid's cells are drawn and edited (internal to the grid). The grid paints the
// cells itself, through its paint hook; the editor is a line edit the grid writes into the
// field itself, so that a value the field refuses keeps the user in the cell.

#include <QStyledItemDelegate>

namespace fw {

class TDBGridNormal;

class TGridDelegate final : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TDBGridNormal* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex&) const override;
    // The grid writes the text into the field itself (CommitEdit).
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override;

private:
    TDBGridNormal* grid_;
};

} // namespace fw
