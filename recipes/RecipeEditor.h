#pragma once

// The recipe editor: the products of the catalog above, the recipe of the current one
// below, the recipe's yield, a search by group typed over the product list, raw materials
// picked from the catalog, and the copying of one product's recipe onto another.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/db/DataSet.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"

class QComboBox;
class QFrame;
class QLabel;
class QSplitter;

namespace fw {
class TDBEdit;
class TDBGridNormal;
class TDBNavigator;
} // namespace fw

namespace corvanel {

struct TProductionContext;

class TRecipeEditorForm final : public fw::TForm {
public:
    // Creates the editor and opens its tables; when they cannot be opened the user is told,
    // the editor releases itself and Opened() is false.
    TRecipeEditorForm(TProductionContext& context, QWidget* owner);
    ~TRecipeEditorForm() override;

    bool Opened() const { return opened_; }

    // The product whose recipe "Copiaza reteta" marked; empty until the first copy.
    QString CopySourceCode;
    // The data source the navigator serves; null until a grid first takes the focus.
    fw::TDataSource* NavigatorSource = nullptr;

    QSplitter* Splitter;
    QFrame* ProductPanel; // the upper panel
    fw::TDBGridNormal* ProductGrid;
    QLabel* OrderLabel;
    QComboBox* OrderCombo;
    QLabel* SearchLabel; // the product search text
    QLabel* YieldLabel;
    QLabel* YieldLabelEnd;
    fw::TDBEdit* YieldEdit; // the recipe's yield
    fw::TDBNavigator* Navigator;
    fw::TDBGridNormal* RecipeGrid;
    fw::TPopupMenu* RecipeMenu;
    fw::TMenuItem* CopyItem;
    fw::TMenuItem* PasteItem;
    fw::TMenuItem* CancelCopyItem;

    void SetNavigatorSource(fw::TDataSource* source);

    void FormCreate();
    void FormClose(fw::TCloseAction& action);
    void FormKeyDown(int& key, Qt::KeyboardModifiers shift);
    void ProductGridEnter();
    void RecipeGridEnter();
    void OrderComboChange();
    void RecipeGridKeyPress(QChar& key);
    void RecipeGridDblClick();
    void YieldEditExit();
    void CopyItemClick();
    void PasteItemClick();
    void CancelCopyItemClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    // Saves what is being edited (the recipe line, then the product's yield); false when a
    // check or the database refused it, and the user was told.
    bool FinishPendingEdits();
    void CloseTables();
    void SetCopyMarked(bool marked);

    TProductionContext& context_;
    bool opened_ = false;
    bool closing_ = false;
    bool focusedOnce_ = false;
    QString typedYield_; // the yield box's text as the user left it
};

} // namespace corvanel
