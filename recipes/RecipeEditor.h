#pragma once

// The recipe editor: the products of the catalog above, the recipe of the current one
// below, the recipe's yield, a search by group typed over the product list, raw materials
// picked from the catalog, and the copying of one product's recipe onto another.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

#include <memory>

namespace fw {
class TDataSource;
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
    const QString& copySource() const { return copySource_; }
    // The data source the navigator serves; null until a grid first takes the focus.
    fw::TDataSource* navigatorSource() const { return navigatorSource_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Ui;
    void buildControls();
    QWidget* makeSidePanel();
    void makeRecipeGrid();
    void layOut(QWidget* sidePanel);

    void openTables();
    void closeEditor(fw::TCloseAction& action);
    // Saves what is being edited (the recipe line, then the product's yield); false when a
    // check or the database refused it, and the user was told.
    bool finishPendingEdits();
    void closeTables();

    void navigateOver(fw::TDataSource* source);
    void serveProductList();
    void serveRecipeLines();
    void applyProductOrder();
    void searchProducts(int key);
    // Ctrl+Enter (or a double click) in a material column: the catalog, and its choice
    // written into the line; true when the key was taken.
    bool pickMaterialFromCatalog();
    void checkTypedYield();
    void showCopyMarked(bool marked);
    void markRecipeForCopy();
    void pasteMarkedRecipe();

    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
    QString copySource_;
    fw::TDataSource* navigatorSource_ = nullptr;
    bool opened_ = false;
    bool closing_ = false;
    bool focusedOnce_ = false;
    QString typedYield_; // the yield box's text as the user left it
};

} // namespace corvanel
