#include "platform/ui/DBGridHeader.h"

#include <QPainter>

namespace fw {

void TGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    const QString title = model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();
    painter->save();
    painter->setClipRect(rect);
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(rect.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
    painter->restore();
}

} // namespace fw
