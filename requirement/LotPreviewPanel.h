#pragma once

// Under the requirement grid: the lots the current row would be drawn from.

#include "platform/core/Formats.h"
#include "requirement/LotPreview.h"

#include <QWidget>
#include <memory>

namespace corvanel {

class TLotPreviewPanel final : public QWidget {
public:
    explicit TLotPreviewPanel(QWidget* parent);
    ~TLotPreviewPanel() override;

    // Shows the lots of a row's material (`material` names it in the caption).
    void showLots(const QString& material, const TLotPreview& preview, const fw::TFormatSettings& formats);
    // No row: the caption says what the panel is for, and no lots.
    void clearLots();

private:
    struct Ui;
    std::unique_ptr<Ui> ui_;
};

} // namespace corvanel
