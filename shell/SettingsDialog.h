#pragma once

// The dialog that shows and changes the production settings (the three code prefixes, and
// the lot settings below them).

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanel {

class TLotSettingsBox;
struct TProductionContext;

class TProductionSettingsForm final : public fw::TForm {
public:
    // Shows the settings as the file holds them now.
    TProductionSettingsForm(TProductionContext& context, QWidget* owner);

    QFrame* Frame;
    QLabel* WarehouseLabel;
    QLabel* MaterialLabel;
    QLabel* SemiFinishedLabel;
    QLineEdit* WarehousePrefixEdit;
    QLineEdit* MaterialPrefixEdit;
    QLineEdit* SemiFinishedPrefixEdit;
    TLotSettingsBox* LotSettings;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    void FormCreate();
    // Saves the three boxes; false, with a warning naming it, when one is empty.
    bool OKBtnClick();
    void FormClose(fw::TCloseAction& action);

private:
    TProductionContext& context_;
};

} // namespace corvanel
