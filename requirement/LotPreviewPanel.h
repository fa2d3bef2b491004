#pragma once

// Under the requirement grid: the lots the current row would be drawn from.

#include "platform/core/Formats.h"
#include "requirement/LotPreview.h"

#include <QWidget>

class QLabel;
class QTableWidget;

namespace corvanel {

class TLotPreviewPanel final : public QWidget {
public:
    explicit TLotPreviewPanel(QWidget* parent);

    QLabel* Caption;
    QTableWidget* LotsGrid;

    // Shows the lots of a row's material (`material` names it in the caption).
    void Show(const QString& material, const TLotPreview& preview, const fw::TFormatSettings& formats);
    void Clear();
};

} // namespace corvanel
