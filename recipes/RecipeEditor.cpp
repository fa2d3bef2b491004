#include "recipes/RecipeEditor.h"

#include "catalog/CatalogLookup.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace corvanel {

using fw::TNavigateBtn;

namespace {

const QString kOrderByCode = QStringLiteral("Grupa;Cod");
const QString kOrderByName = QStringLiteral("Grupa;Denumire");
// However small the window, each grid keeps this many rows in sight and the product list
// this width beside its panel; a smaller main window scrolls the editor instead.
constexpr int kLeastRows = 3;
constexpr int kLeastProductWidth = 240;

void ShowDatabaseError(const fw::EDatabaseError& error)
{
    fw::MessageDlg(msg::DatabaseError(error.Message()),
                   fw::TMsgDlgType::Error);
}

bool IsKeyViolation(const fw::EDatabaseError& error)
{
    return dynamic_cast<const fw::EKeyViolation*>(&error) != nullptr;
}

// A column at least as wide as designed, and never narrower than its title.
void AddFittedColumn(fw::TDBGridNormal* grid, const QString& field, const QString& title, int width)
{
    const int titleWidth = QFontMetrics(grid->horizontalHeader()->font()).horizontalAdvance(title) + 12;
    grid->AddColumn(field, title, std::max(width, titleWidth));
}

// The width a grid needs to show all its columns without a horizontal scroll bar.
int GridWidth(const fw::TDBGridNormal* grid)
{
    int width = grid->Options().testFlag(fw::TDBGridOption::Indicator) ? grid->verticalHeader()->width() : 0;
    for (int i = 0; i < grid->ColumnCount(); ++i)
        width += grid->Columns(i)->Width();
    return width + 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width() + 2;
}

// The height of a grid showing a number of rows under its titles.
int GridHeight(const fw::TDBGridNormal* grid, int rows)
{
    return grid->horizontalHeader()->sizeHint().height() + rows * grid->verticalHeader()->defaultSectionSize() +
           2 * grid->frameWidth() + grid->horizontalScrollBar()->sizeHint().height();
}

// Raised while the search moves the product list, lowered however the move ends.
class SearchMove final {
public:
    explicit SearchMove(TProductionContext& context) : context_(context) { context_.ProductSearchActive = true; }
    SearchMove(const SearchMove&) = delete;
    SearchMove& operator=(const SearchMove&) = delete;
    ~SearchMove() { context_.ProductSearchActive = false; }

private:
    TProductionContext& context_;
};

} // namespace

struct TRecipeEditorForm::Ui {
    QSplitter* splitter = nullptr;
    QFrame* productPanel = nullptr; // the upper panel
    fw::TDBGridNormal* productGrid = nullptr;
    QComboBox* orderCombo = nullptr;
    QLabel* searchLabel = nullptr; // the product search text
    fw::TDBEdit* yieldEdit = nullptr; // the recipe's yield
    fw::TDBNavigator* navigator = nullptr;
    fw::TDBGridNormal* recipeGrid = nullptr;
    fw::TMenuItem* copyItem = nullptr;
    fw::TMenuItem* pasteItem = nullptr;
    fw::TMenuItem* cancelCopyItem = nullptr;
};

TRecipeEditorForm::TRecipeEditorForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("RecipeEditorForm"));
    SetCaption(QStringLiteral("Reteta"));
    SetFormStyle(fw::TFormStyle::MDIChild);
    SetPosition(fw::TPosition::ScreenCenter);
    SetKeyPreview(true);
    buildControls();

    OnClose = [this](fw::TForm*, fw::TCloseAction& action) { closeEditor(action); };
    OnKeyDown = [this](fw::TForm*, int& key, Qt::KeyboardModifiers) { searchProducts(key); };
    // The product grid holds the focus when the editor first shows.
    OnShow = [this](fw::TForm*) {
        if (!focusedOnce_) {
            focusedOnce_ = true;
            ui_->productGrid->setFocus();
        }
    };
    // The label follows the search text also when the data module ends the search.
    context_.Data->Recipes().SetProductSearchView(this, [this] { ui_->searchLabel->setText(context_.ProductSearchText); });
    openTables();
}

TRecipeEditorForm::~TRecipeEditorForm()
{
    SetKeyPreview(false);
    if (context_.Data)
        context_.Data->Recipes().RemoveProductSearchView(this);
}

void TRecipeEditorForm::buildControls()
{
    Ui& u = *ui_;
    u.productGrid = new fw::TDBGridNormal;
    u.productGrid->setObjectName(QStringLiteral("ProductGrid"));
    u.productGrid->SetReadOnly(true);
    u.productGrid->SetOptions((fw::DefaultGridOptions() & ~fw::TDBGridOptions(fw::TDBGridOption::Editing)) |
                              fw::TDBGridOption::RowSelect | fw::TDBGridOption::AlwaysShowSelection);
    u.productGrid->SetDataSource(context_.Data->Recipes().ProductSource());
    AddFittedColumn(u.productGrid, QStringLiteral("Grupa"), QStringLiteral("Grupa"), 43);
    AddFittedColumn(u.productGrid, QStringLiteral("Cod"), QStringLiteral("Cod produs finit"), 77);
    AddFittedColumn(u.productGrid, QStringLiteral("Denumire"), QStringLiteral("Denumire produs finit"), 364);
    u.productGrid->horizontalHeader()->setStretchLastSection(true);
    u.productGrid->OnEnter = [this](fw::TDBGridNormal*) { serveProductList(); };
    makeRecipeGrid();
    layOut(makeSidePanel());
}

// The panel beside the products: their order, the search typed, the yield, the navigator.
QWidget* TRecipeEditorForm::makeSidePanel()
{
    Ui& u = *ui_;
    auto* orderLabel = new QLabel(QStringLiteral("Sorteaza produsele finite dupa:"));
    orderLabel->setObjectName(QStringLiteral("OrderLabel"));
    u.orderCombo = new QComboBox;
    u.orderCombo->setObjectName(QStringLiteral("OrderCombo"));
    u.orderCombo->addItems({kOrderByCode, kOrderByName});
    u.orderCombo->setToolTip(QStringLiteral("Alege ordinea de sortare"));
    orderLabel->setBuddy(u.orderCombo);
    // Only a pick by the user changes the order; setting the item from code does not.
    connect(u.orderCombo, &QComboBox::activated, this, fw::GuardedSlot(this, [this] { applyProductOrder(); }));

    u.searchLabel = new QLabel;
    u.searchLabel->setObjectName(QStringLiteral("SearchLabel"));
    u.searchLabel->setFrameShape(QFrame::StyledPanel);
    u.searchLabel->setFrameShadow(QFrame::Sunken);
    QFont bold = u.searchLabel->font();
    bold.setBold(true);
    u.searchLabel->setFont(bold);
    u.searchLabel->setMinimumHeight(u.searchLabel->fontMetrics().height() + 8);

    auto* yieldLabel = new QLabel(QStringLiteral("Cantitatea de produs finit"));
    yieldLabel->setObjectName(QStringLiteral("YieldLabel"));
    auto* yieldLabelEnd = new QLabel(QStringLiteral("rezultata conform retetarului :"));
    yieldLabelEnd->setObjectName(QStringLiteral("YieldLabelEnd"));
    u.yieldEdit = new fw::TDBEdit;
    u.yieldEdit->setObjectName(QStringLiteral("YieldEdit"));
    u.yieldEdit->SetDataSource(context_.Data->Recipes().ProductSource());
    u.yieldEdit->SetDataField(QStringLiteral("CantReteta"));
    u.yieldEdit->installEventFilter(this); // to see the text as the user leaves the box
    u.yieldEdit->OnExit = [this](fw::TDBEdit*) { checkTypedYield(); };
    yieldLabelEnd->setBuddy(u.yieldEdit);

    u.navigator = new fw::TDBNavigator;
    u.navigator->setObjectName(QStringLiteral("Navigator"));
    u.navigator->SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior"), QStringLiteral("Urmator"),
                           QStringLiteral("Ultimul"), QStringLiteral("Adaugare"), QStringLiteral("Stergere"),
                           QStringLiteral("Editare"), QStringLiteral("Salvare"), QStringLiteral("Anulare"),
                           QStringLiteral("Refresh")});
    u.navigator->SetConfirmDelete(false);
    // Refresh reads the product list again too, on the recipe lines as well: a product added
    // in the catalog meanwhile shows; the current product stays.
    u.navigator->OnClick = [this](fw::TDBNavigator*, TNavigateBtn button) {
        if (button == TNavigateBtn::Refresh && navigatorSource_ != context_.Data->Recipes().ProductSource())
            context_.Data->Recipes().ProductTable()->Refresh();
    };

    auto* side = new QVBoxLayout;
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(orderLabel);
    side->addWidget(u.orderCombo);
    side->addSpacing(8);
    side->addWidget(u.searchLabel);
    side->addStretch(1);
    side->addWidget(yieldLabel);
    side->addWidget(yieldLabelEnd);
    side->addWidget(u.yieldEdit);
    side->addSpacing(8);
    side->addWidget(u.navigator);
    auto* panel = new QWidget;
    panel->setLayout(side);
    // As wide as the navigator with all its buttons, so that the product list keeps its
    // width whichever grid the navigator serves.
    panel->setFixedWidth(std::max(side->sizeHint().width(), u.navigator->sizeHint().width()));
    return panel;
}

void TRecipeEditorForm::makeRecipeGrid()
{
    Ui& u = *ui_;
    u.recipeGrid = new fw::TDBGridNormal;
    u.recipeGrid->setObjectName(QStringLiteral("RecipeGrid"));
    u.recipeGrid->SetOptions((fw::DefaultGridOptions() & ~fw::TDBGridOptions(fw::TDBGridOption::ConfirmDelete)) |
                             fw::TDBGridOption::AlwaysShowEditor | fw::TDBGridOption::Tabs);
    u.recipeGrid->SetDataSource(context_.Data->Recipes().RetetaSource());
    u.recipeGrid->AddColumn(QStringLiteral("Cod_Grupa"));
    AddFittedColumn(u.recipeGrid, QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod materie prima"), 88);
    AddFittedColumn(u.recipeGrid, QStringLiteral("Cant_MatPrim"), QStringLiteral("Cantitate materie prima"), 112);
    AddFittedColumn(u.recipeGrid, QStringLiteral("DenMat_Prim"), QStringLiteral("Denumire materie prima"), 418);
    u.recipeGrid->horizontalHeader()->setStretchLastSection(true);
    u.recipeGrid->setMinimumHeight(GridHeight(u.recipeGrid, kLeastRows));
    u.recipeGrid->OnEnter = [this](fw::TDBGridNormal*) { serveRecipeLines(); };
    u.recipeGrid->OnKeyPress = [this](fw::TDBGridNormal*, QChar& key) {
        if (key == QChar(10) && pickMaterialFromCatalog())
            key = QChar(0);
    };
    u.recipeGrid->OnDblClick = [this](fw::TDBGridNormal*) { pickMaterialFromCatalog(); };

    auto* menu = new fw::TPopupMenu(this);
    menu->SetName(QStringLiteral("RecipeMenu"));
    u.copyItem = menu->Add(QStringLiteral("CopyItem"), QStringLiteral("Copiaza reteta"), 0,
                           [this](fw::TMenuItem*) { markRecipeForCopy(); });
    u.pasteItem = menu->Add(QStringLiteral("PasteItem"), QStringLiteral("Lipeste reteta"), 0,
                            [this](fw::TMenuItem*) { pasteMarkedRecipe(); });
    u.cancelCopyItem = menu->Add(QStringLiteral("CancelCopyItem"), QStringLiteral("Renunta la copiere"), 0,
                                 [this](fw::TMenuItem*) { showCopyMarked(false); });
    showCopyMarked(false);
    fw::AttachPopupMenu(u.recipeGrid, menu);
}

// The products with their panel above, the recipe below, a splitter between.
void TRecipeEditorForm::layOut(QWidget* sidePanel)
{
    Ui& u = *ui_;
    u.productPanel = new QFrame;
    u.productPanel->setObjectName(QStringLiteral("ProductPanel"));
    auto* upper = new QHBoxLayout(u.productPanel);
    upper->setContentsMargins(0, 0, 0, 0);
    upper->addWidget(u.productGrid, 1);
    upper->addWidget(sidePanel);
    u.productGrid->setMinimumWidth(kLeastProductWidth);
    // The panel beside the products is never squeezed over itself.
    u.productPanel->setMinimumHeight(std::max(upper->minimumSize().height(), GridHeight(u.productGrid, kLeastRows)));

    u.splitter = new QSplitter(Qt::Vertical);
    u.splitter->setObjectName(QStringLiteral("Splitter"));
    u.splitter->setChildrenCollapsible(false);
    u.splitter->addWidget(u.productPanel);
    u.splitter->addWidget(u.recipeGrid);
    u.splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(u.splitter);

    // Wide enough for every column of both grids and the panel beside the products; tall
    // enough for a screenful of products and of recipe lines.
    const int upperWidth = GridWidth(u.productGrid) + upper->spacing() + sidePanel->width();
    const int upperHeight = std::max(sidePanel->sizeHint().height(), GridHeight(u.productGrid, 8));
    const int lowerHeight = GridHeight(u.recipeGrid, 7);
    const QMargins m = layout->contentsMargins();
    resize(std::max(upperWidth, GridWidth(u.recipeGrid)) + m.left() + m.right(),
           upperHeight + u.splitter->handleWidth() + lowerHeight + m.top() + m.bottom());
    u.splitter->setSizes({upperHeight, lowerHeight});
}

// ---------------------------------------------------------------- opening and closing

void TRecipeEditorForm::openTables()
{
    TProductionData* dm = context_.Data;
    {
        fw::THourGlass wait(context_.Screen);
        try {
            context_.Settings.Load();
            ui_->orderCombo->setCurrentIndex(0);
            // The list in the order the sort list shows, whatever order the last editor left.
            dm->Recipes().ProductTable()->SetIndexFieldNames(QString());
            dm->Recipes().ProductTable()->Open();
            dm->Recipes().RecipeMaterialTable()->Open();
            dm->Recipes().RetetaTable()->Open();
            opened_ = true;
        } catch (const fw::EDatabaseError& e) {
            // Nothing half open stays behind for the next editor.
            try {
                closeTables();
            } catch (const fw::EDatabaseError&) {
            }
            ShowDatabaseError(e);
        } catch (const fw::EInOutError& e) {
            fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error); // the settings file, before any table
        }
    }
    if (!opened_) {
        context_.Data->Recipes().RemoveProductSearchView(this);
        Release();
    }
}

bool TRecipeEditorForm::finishPendingEdits()
{
    TProductionData* dm = context_.Data;
    try {
        // The recipe line first: saving the product would make it finish the line anyway.
        if (dm->Recipes().RetetaTable()->Active())
            dm->Recipes().RetetaTable()->CheckBrowseMode();
        if (dm->Recipes().ProductTable()->Active())
            dm->Recipes().ProductTable()->CheckBrowseMode();
        return true;
    } catch (const fw::EAbort&) {
        return false; // the check showed its warning
    } catch (const fw::EDatabaseError& e) {
        ShowDatabaseError(e);
        return false;
    }
}

void TRecipeEditorForm::closeTables()
{
    TProductionData* dm = context_.Data;
    dm->Recipes().ProductTable()->Close();
    dm->Recipes().RecipeMaterialTable()->Close();
    dm->Recipes().RetetaTable()->Close();
}

void TRecipeEditorForm::closeEditor(fw::TCloseAction& action)
{
    action = fw::TCloseAction::Free;
    fw::THourGlass wait(context_.Screen);
    // A recipe line or a yield typed and not yet saved is saved as leaving it would; when
    // that is refused the user stays with his data.
    if (!finishPendingEdits()) {
        action = fw::TCloseAction::None;
        return;
    }
    closing_ = true;
    try {
        closeTables();
    } catch (const fw::EDatabaseError& e) {
        ShowDatabaseError(e);
    }
    context_.Data->Recipes().RemoveProductSearchView(this);
    // Choosing the command again while this editor is being freed opens a new one.
    if (context_.RecipeEditor == this)
        context_.RecipeEditor = nullptr;
}

// ---------------------------------------------------------------- navigator and order

void TRecipeEditorForm::navigateOver(fw::TDataSource* source)
{
    navigatorSource_ = source;
    ui_->navigator->SetDataSource(source);
}

void TRecipeEditorForm::serveProductList()
{
    navigateOver(context_.Data->Recipes().ProductSource());
    ui_->navigator->SetVisibleButtons(
        {TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next, TNavigateBtn::Last, TNavigateBtn::Refresh});
    context_.Data->Recipes().ClearProductSearch();
}

void TRecipeEditorForm::serveRecipeLines()
{
    navigateOver(context_.Data->Recipes().RetetaSource());
    ui_->navigator->SetVisibleButtons({TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next,
                                       TNavigateBtn::Last, TNavigateBtn::Insert, TNavigateBtn::Delete,
                                       TNavigateBtn::Edit, TNavigateBtn::Post, TNavigateBtn::Cancel,
                                       TNavigateBtn::Refresh});
    context_.Data->Recipes().ClearProductSearch();
}

void TRecipeEditorForm::applyProductOrder()
{
    context_.Data->Recipes().ProductTable()->SetIndexFieldNames(ui_->orderCombo->currentText());
    ui_->productGrid->setFocus();
    context_.Data->Recipes().ClearProductSearch();
}

// ---------------------------------------------------------------- the product search

void TRecipeEditorForm::searchProducts(int key)
{
    const QWidget* productGrid = ui_->productGrid;
    // Only keys typed over the product list search it: a yield being typed, or a pick in
    // the sort list, must not move the list away from the product being worked on.
    const QWidget* focus = QApplication::focusWidget();
    if (navigatorSource_ != context_.Data->Recipes().ProductSource() || !focus ||
        (focus != productGrid && !productGrid->isAncestorOf(focus)))
        return;
    if (key == fw::vk::Back)
        context_.ProductSearchText.chop(1);
    else if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == fw::vk::Space)
        context_.ProductSearchText += QChar(key);
    else
        return;
    ui_->searchLabel->setText(context_.ProductSearchText);
    SearchMove moving(context_);
    // The text is matched against the first field of the list's order, the group.
    context_.Data->Recipes().ProductTable()->FindNearest({context_.ProductSearchText});
}

// ---------------------------------------------------------------- picking a raw material

bool TRecipeEditorForm::pickMaterialFromCatalog()
{
    const fw::TField* column = ui_->recipeGrid->SelectedField();
    const QString name = column ? column->FieldName() : QString();
    if (name != QLatin1String("Cod_MatPrim") && name != QLatin1String("DenMat_Prim") &&
        name != QLatin1String("Cod_Grupa"))
        return false;
    fw::TTable* recipe = context_.Data->Recipes().RetetaTable();
    fw::TField* group = recipe->FieldByName(QStringLiteral("Cod_Grupa"));
    fw::TField* material = recipe->FieldByName(QStringLiteral("Cod_MatPrim"));
    QString chosenGroup = group->AsString();
    QString chosenCode = material->AsString();
    if (!ExecuteCatalogLookup(context_, this, chosenGroup, chosenCode))
        return true;
    // On an empty recipe this starts the first line.
    recipe->Edit();
    group->SetAsString(chosenGroup);
    material->SetAsString(chosenCode); // the raw-material check may refuse it
    return true;
}

// ---------------------------------------------------------------- the yield

bool TRecipeEditorForm::eventFilter(QObject* watched, QEvent* event)
{
    // Seen before the box writes the field and shows its value again: "0.0" is checked as
    // typed, not as the number it became.
    if (ui_ && watched == ui_->yieldEdit && event->type() == QEvent::FocusOut)
        typedYield_ = ui_->yieldEdit->text();
    return fw::TForm::eventFilter(watched, event);
}

void TRecipeEditorForm::checkTypedYield()
{
    if (closing_)
        return;
    if (typedYield_.isEmpty() || typedYield_ == QLatin1String("0")) {
        fw::MessageDlg(msg::EmptyYield(),
                       fw::TMsgDlgType::Warning);
        ui_->yieldEdit->setFocus();
    }
}

// ---------------------------------------------------------------- copying a recipe

void TRecipeEditorForm::showCopyMarked(bool marked)
{
    ui_->copyItem->SetEnabled(!marked);
    ui_->pasteItem->SetEnabled(marked);
    ui_->cancelCopyItem->SetEnabled(marked);
}

void TRecipeEditorForm::markRecipeForCopy()
{
    copySource_ = context_.Data->Recipes().RetetaTable()->FieldByName(QStringLiteral("Cod"))->AsString();
    showCopyMarked(true);
}

void TRecipeEditorForm::pasteMarkedRecipe()
{
    TProductionData* dm = context_.Data;
    fw::TTable* recipe = dm->Recipes().RetetaTable();
    fw::TQuery* source = dm->Recipes().RecipeRowsQuery();
    // A line being typed is finished first, as leaving it would; a refusal stops here.
    recipe->CheckBrowseMode();
    ui_->copyItem->SetEnabled(true);
    fw::THourGlass wait(context_.Screen);
    const QString target = dm->Recipes().ProductTable()->FieldByName(QStringLiteral("Cod"))->AsString();
    source->Close();
    source->ParamByName(QStringLiteral("From"))->SetAsString(copySource_);
    source->Open();
    // Row by row: a row refused by a check (its warning shown) or already in the recipe is
    // skipped and the others still go in. A failure of the database is not a refusal: it
    // is reported once the rows are done, so that it never passes for an empty paste.
    QString failure;
    while (!source->Eof()) {
        try {
            recipe->AppendRecord({source->FieldByName(QStringLiteral("Cod_Grupa"))->Value(), target,
                                  source->FieldByName(QStringLiteral("Cod_MatPrim"))->Value(),
                                  source->FieldByName(QStringLiteral("Cant_MatPrim"))->Value()});
        } catch (const fw::EAbort&) {
        } catch (const fw::EDatabaseError& e) {
            if (!IsKeyViolation(e) && failure.isEmpty())
                failure = e.Message();
        }
        source->Next();
    }
    source->Close();
    showCopyMarked(false);
    if (!failure.isEmpty())
        ShowDatabaseError(fw::EDatabaseError(failure));
}

} // namespace corvanel
