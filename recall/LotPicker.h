#pragma once

// The lot picker of the recall window: the lots of one article, each with the day it first
// came in, how much came in and how much is left in stock.

#include "platform/ui/Form.h"
#include "recall/LotRecall.h"

#include <vector>

class QPushButton;
class QTableWidget;

namespace corvanel {

struct TProductionContext;

class TLotPickerDlg final : public fw::TForm {
public:
    // Shows the lots given; dates and numbers in the context's formats.
    TLotPickerDlg(const TProductionContext& context, const std::vector<TLotSummary>& lots, QWidget* owner);

    QTableWidget* LotGrid;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

    // The lot of the current row; empty when there is none.
    QString ChosenLot() const;
};

// Reads the lots of an article and lets the user choose one; true when a lot was chosen,
// which is then written into `lot` (left as it was otherwise). EDatabaseError when the lots
// cannot be read.
bool ExecuteLotPicker(TProductionContext& context, QWidget* owner, const QString& group, const QString& article,
                      QString& lot);

} // namespace corvanel
