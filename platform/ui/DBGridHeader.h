#pragma once

// A data grid's column titles (internal to the grid).

#include <QHeaderView>

namespace fw {

// Titles with the same narrow margins as the cells: a column sized for its data should not
// lose the end of its title to the style's wider header padding.
class TGridHeader final : public QHeaderView {
public:
    explicit TGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

} // namespace fw
