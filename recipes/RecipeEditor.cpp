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

TRecipeEditorForm::TRecipeEditorForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context)
{
    setObjectName(QStringLiteral("RecipeEditorForm"));
    SetCaption(QStringLiteral("Reteta"));
    SetFormStyle(fw::TFormStyle::MDIChild);
    SetPosition(fw::TPosition::ScreenCenter);
    SetKeyPreview(true);
    BuildControls();

    OnClose = [this](fw::TForm*, fw::TCloseAction& action) { FormClose(action); };
    OnKeyDown = [this](fw::TForm*, int& key, Qt::KeyboardModifiers shift) { FormKeyDown(key, shift); };
    // The product grid holds the focus when the editor first shows.
    OnShow = [this](fw::TForm*) {
        if (!focusedOnce_) {
            focusedOnce_ = true;
            ProductGrid->setFocus();
        }
    };
    // The label follows the search text also when the data module ends the search.
    context_.Data->Recipes().SetProductSearchView(this, [this] { SearchLabel->setText(context_.ProductSearchText); });
    FormCreate();
}

TRecipeEditorForm::~TRecipeEditorForm()
{
    SetKeyPreview(false);
    if (context_.Data)
        context_.Data->Recipes().RemoveProductSearchView(this);
}

void TRecipeEditorForm::BuildControls()
{
    TProductionData* dm = context_.Data;

    ProductGrid = new fw::TDBGridNormal;
    ProductGrid->setObjectName(QStringLiteral("ProductGrid"));
    ProductGrid->SetReadOnly(true);
    ProductGrid->SetOptions((fw::DefaultGridOptions() & ~fw::TDBGridOptions(fw::TDBGridOption::Editing)) |
                               fw::TDBGridOption::RowSelect | fw::TDBGridOption::AlwaysShowSelection);
    ProductGrid->SetDataSource(dm->Recipes().ProductSource());
    AddFittedColumn(ProductGrid, QStringLiteral("Grupa"), QStringLiteral("Grupa"), 43);
    AddFittedColumn(ProductGrid, QStringLiteral("Cod"), QStringLiteral("Cod produs finit"), 77);
    AddFittedColumn(ProductGrid, QStringLiteral("Denumire"), QStringLiteral("Denumire produs finit"), 364);
    ProductGrid->horizontalHeader()->setStretchLastSection(true);
    ProductGrid->OnEnter = [this](fw::TDBGridNormal*) { ProductGridEnter(); };

    OrderLabel = new QLabel(QStringLiteral("Sorteaza produsele finite dupa:"));
    OrderLabel->setObjectName(QStringLiteral("OrderLabel"));
    OrderCombo = new QComboBox;
    OrderCombo->setObjectName(QStringLiteral("OrderCombo"));
    OrderCombo->addItems({kOrderByCode, kOrderByName});
    OrderCombo->setToolTip(QStringLiteral("Alege ordinea de sortare"));
    OrderLabel->setBuddy(OrderCombo);
    // Only a pick by the user changes the order; setting the item from code does not.
    connect(OrderCombo, &QComboBox::activated, this, fw::GuardedSlot(this, [this] { OrderComboChange(); }));

    SearchLabel = new QLabel;
    SearchLabel->setObjectName(QStringLiteral("SearchLabel"));
    SearchLabel->setFrameShape(QFrame::StyledPanel);
    SearchLabel->setFrameShadow(QFrame::Sunken);
    QFont bold = SearchLabel->font();
    bold.setBold(true);
    SearchLabel->setFont(bold);
    SearchLabel->setMinimumHeight(SearchLabel->fontMetrics().height() + 8);

    YieldLabel = new QLabel(QStringLiteral("Cantitatea de produs finit"));
    YieldLabel->setObjectName(QStringLiteral("YieldLabel"));
    YieldLabelEnd = new QLabel(QStringLiteral("rezultata conform retetarului :"));
    YieldLabelEnd->setObjectName(QStringLiteral("YieldLabelEnd"));
    YieldEdit = new fw::TDBEdit;
    YieldEdit->setObjectName(QStringLiteral("YieldEdit"));
    YieldEdit->SetDataSource(dm->Recipes().ProductSource());
    YieldEdit->SetDataField(QStringLiteral("CantReteta"));
    YieldEdit->installEventFilter(this); // to see the text as the user leaves the box
    YieldEdit->OnExit = [this](fw::TDBEdit*) { YieldEditExit(); };
    YieldLabelEnd->setBuddy(YieldEdit);

    Navigator = new fw::TDBNavigator;
    Navigator->setObjectName(QStringLiteral("Navigator"));
    Navigator->SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior"), QStringLiteral("Urmator"),
                               QStringLiteral("Ultimul"), QStringLiteral("Adaugare"), QStringLiteral("Stergere"),
                               QStringLiteral("Editare"), QStringLiteral("Salvare"), QStringLiteral("Anulare"),
                               QStringLiteral("Refresh")});
    Navigator->SetConfirmDelete(false);
    // Refresh reads the product list again too, on the recipe lines as well: a product added
    // in the catalog meanwhile shows; the current product stays.
    Navigator->OnClick = [this](fw::TDBNavigator*, TNavigateBtn button) {
        if (button == TNavigateBtn::Refresh && NavigatorSource != context_.Data->Recipes().ProductSource())
            context_.Data->Recipes().ProductTable()->Refresh();
    };

    auto* side = new QVBoxLayout;
    side->addWidget(OrderLabel);
    side->addWidget(OrderCombo);
    side->addSpacing(8);
    side->addWidget(SearchLabel);
    side->addStretch(1);
    side->addWidget(YieldLabel);
    side->addWidget(YieldLabelEnd);
    side->addWidget(YieldEdit);
    side->addSpacing(8);
    side->addWidget(Navigator);

    // As wide as the navigator with all its buttons, so that the product list keeps its
    // width whichever grid the navigator serves.
    auto* sidePanel = new QWidget;
    sidePanel->setLayout(side);
    side->setContentsMargins(0, 0, 0, 0);
    const int sideWidth = std::max(side->sizeHint().width(), Navigator->sizeHint().width());
    sidePanel->setFixedWidth(sideWidth);

    ProductPanel = new QFrame;
    ProductPanel->setObjectName(QStringLiteral("ProductPanel"));
    auto* upper = new QHBoxLayout(ProductPanel);
    upper->setContentsMargins(0, 0, 0, 0);
    upper->addWidget(ProductGrid, 1);
    upper->addWidget(sidePanel);
    ProductGrid->setMinimumWidth(kLeastProductWidth);
    // The panel beside the products is never squeezed over itself.
    ProductPanel->setMinimumHeight(std::max(upper->minimumSize().height(), GridHeight(ProductGrid, kLeastRows)));

    RecipeGrid = new fw::TDBGridNormal;
    RecipeGrid->setObjectName(QStringLiteral("RecipeGrid"));
    RecipeGrid->SetOptions((fw::DefaultGridOptions() & ~fw::TDBGridOptions(fw::TDBGridOption::ConfirmDelete)) |
                              fw::TDBGridOption::AlwaysShowEditor | fw::TDBGridOption::Tabs);
    RecipeGrid->SetDataSource(dm->Recipes().RetetaSource());
    RecipeGrid->AddColumn(QStringLiteral("Cod_Grupa"));
    AddFittedColumn(RecipeGrid, QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod materie prima"), 88);
    AddFittedColumn(RecipeGrid, QStringLiteral("Cant_MatPrim"), QStringLiteral("Cantitate materie prima"), 112);
    AddFittedColumn(RecipeGrid, QStringLiteral("DenMat_Prim"), QStringLiteral("Denumire materie prima"), 418);
    RecipeGrid->horizontalHeader()->setStretchLastSection(true);
    RecipeGrid->setMinimumHeight(GridHeight(RecipeGrid, kLeastRows));
    RecipeGrid->OnEnter = [this](fw::TDBGridNormal*) { RecipeGridEnter(); };
    RecipeGrid->OnKeyPress = [this](fw::TDBGridNormal*, QChar& key) { RecipeGridKeyPress(key); };
    RecipeGrid->OnDblClick = [this](fw::TDBGridNormal*) { RecipeGridDblClick(); };

    RecipeMenu = new fw::TPopupMenu(this);
    RecipeMenu->SetName(QStringLiteral("RecipeMenu"));
    CopyItem = RecipeMenu->Add(QStringLiteral("CopyItem"), QStringLiteral("Copiaza reteta"), 0,
                                     [this](fw::TMenuItem*) { CopyItemClick(); });
    PasteItem = RecipeMenu->Add(QStringLiteral("PasteItem"), QStringLiteral("Lipeste reteta"), 0,
                                      [this](fw::TMenuItem*) { PasteItemClick(); });
    CancelCopyItem = RecipeMenu->Add(QStringLiteral("CancelCopyItem"), QStringLiteral("Renunta la copiere"), 0,
                                       [this](fw::TMenuItem*) { CancelCopyItemClick(); });
    SetCopyMarked(false);
    fw::AttachPopupMenu(RecipeGrid, RecipeMenu);

    Splitter = new QSplitter(Qt::Vertical);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(ProductPanel);
    Splitter->addWidget(RecipeGrid);
    Splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Splitter);

    // Wide enough for every column of both grids and the panel beside the products; tall
    // enough for a screenful of products and of recipe lines.
    const int upperWidth = GridWidth(ProductGrid) + upper->spacing() + sideWidth;
    const int upperHeight = std::max(side->sizeHint().height(), GridHeight(ProductGrid, 8));
    const int lowerHeight = GridHeight(RecipeGrid, 7);
    const QMargins m = layout->contentsMargins();
    resize(std::max(upperWidth, GridWidth(RecipeGrid)) + m.left() + m.right(),
           upperHeight + Splitter->handleWidth() + lowerHeight + m.top() + m.bottom());
    Splitter->setSizes({upperHeight, lowerHeight});
}

// ---------------------------------------------------------------- opening and closing

void TRecipeEditorForm::FormCreate()
{
    TProductionData* dm = context_.Data;
    {
        fw::THourGlass wait(context_.Screen);
        try {
            context_.Settings.Load();
            OrderCombo->setCurrentIndex(0);
            // The list in the order the sort list shows, whatever order the last editor left.
            dm->Recipes().ProductTable()->SetIndexFieldNames(QString());
            dm->Recipes().ProductTable()->Open();
            dm->Recipes().RecipeMaterialTable()->Open();
            dm->Recipes().RetetaTable()->Open();
            opened_ = true;
        } catch (const fw::EDatabaseError& e) {
            // Nothing half open stays behind for the next editor.
            try {
                CloseTables();
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

bool TRecipeEditorForm::FinishPendingEdits()
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

void TRecipeEditorForm::CloseTables()
{
    TProductionData* dm = context_.Data;
    dm->Recipes().ProductTable()->Close();
    dm->Recipes().RecipeMaterialTable()->Close();
    dm->Recipes().RetetaTable()->Close();
}

void TRecipeEditorForm::FormClose(fw::TCloseAction& action)
{
    action = fw::TCloseAction::Free;
    fw::THourGlass wait(context_.Screen);
    // A recipe line or a yield typed and not yet saved is saved as leaving it would; when
    // that is refused the user stays with his data.
    if (!FinishPendingEdits()) {
        action = fw::TCloseAction::None;
        return;
    }
    closing_ = true;
    try {
        CloseTables();
    } catch (const fw::EDatabaseError& e) {
        ShowDatabaseError(e);
    }
    context_.Data->Recipes().RemoveProductSearchView(this);
    // Choosing the command again while this editor is being freed opens a new one.
    if (context_.RecipeEditor == this)
        context_.RecipeEditor = nullptr;
}

// ---------------------------------------------------------------- navigator and order

void TRecipeEditorForm::SetNavigatorSource(fw::TDataSource* source)
{
    NavigatorSource = source;
    Navigator->SetDataSource(source);
}

void TRecipeEditorForm::ProductGridEnter()
{
    SetNavigatorSource(context_.Data->Recipes().ProductSource());
    Navigator->SetVisibleButtons(
        {TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next, TNavigateBtn::Last, TNavigateBtn::Refresh});
    context_.Data->Recipes().ClearProductSearch();
}

void TRecipeEditorForm::RecipeGridEnter()
{
    SetNavigatorSource(context_.Data->Recipes().RetetaSource());
    Navigator->SetVisibleButtons({TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next,
                                        TNavigateBtn::Last, TNavigateBtn::Insert, TNavigateBtn::Delete,
                                        TNavigateBtn::Edit, TNavigateBtn::Post, TNavigateBtn::Cancel,
                                        TNavigateBtn::Refresh});
    context_.Data->Recipes().ClearProductSearch();
}

void TRecipeEditorForm::OrderComboChange()
{
    context_.Data->Recipes().ProductTable()->SetIndexFieldNames(OrderCombo->currentText());
    ProductGrid->setFocus();
    context_.Data->Recipes().ClearProductSearch();
}

// ---------------------------------------------------------------- the product search

void TRecipeEditorForm::FormKeyDown(int& key, Qt::KeyboardModifiers)
{
    // Only keys typed over the product list search it: a yield being typed, or a pick in
    // the sort list, must not move the list away from the product being worked on.
    const QWidget* focus = QApplication::focusWidget();
    if (NavigatorSource != context_.Data->Recipes().ProductSource() || !focus ||
        (focus != ProductGrid && !ProductGrid->isAncestorOf(focus)))
        return;
    if (key == fw::vk::Back)
        context_.ProductSearchText.chop(1);
    else if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == fw::vk::Space)
        context_.ProductSearchText += QChar(key);
    else
        return;
    SearchLabel->setText(context_.ProductSearchText);
    SearchMove moving(context_);
    // The text is matched against the first field of the list's order, the group.
    context_.Data->Recipes().ProductTable()->FindNearest({context_.ProductSearchText});
}

// ---------------------------------------------------------------- picking a raw material

void TRecipeEditorForm::RecipeGridKeyPress(QChar& key)
{
    if (key != QChar(10))
        return;
    const fw::TField* column = RecipeGrid->SelectedField();
    const QString name = column ? column->FieldName() : QString();
    if (name != QLatin1String("Cod_MatPrim") && name != QLatin1String("DenMat_Prim") &&
        name != QLatin1String("Cod_Grupa"))
        return;
    key = QChar(0);
    fw::TTable* recipe = context_.Data->Recipes().RetetaTable();
    fw::TField* group = recipe->FieldByName(QStringLiteral("Cod_Grupa"));
    fw::TField* material = recipe->FieldByName(QStringLiteral("Cod_MatPrim"));
    QString chosenGroup = group->AsString();
    QString chosenCode = material->AsString();
    if (!ExecuteCatalogLookup(context_, this, chosenGroup, chosenCode))
        return;
    // On an empty recipe this starts the first line.
    recipe->Edit();
    group->SetAsString(chosenGroup);
    material->SetAsString(chosenCode); // the raw-material check may refuse it
}

void TRecipeEditorForm::RecipeGridDblClick()
{
    QChar key(10);
    RecipeGridKeyPress(key);
}

// ---------------------------------------------------------------- the yield

bool TRecipeEditorForm::eventFilter(QObject* watched, QEvent* event)
{
    // Seen before the box writes the field and shows its value again: "0.0" is checked as
    // typed, not as the number it became.
    if (watched == YieldEdit && event->type() == QEvent::FocusOut)
        typedYield_ = YieldEdit->text();
    return fw::TForm::eventFilter(watched, event);
}

void TRecipeEditorForm::YieldEditExit()
{
    if (closing_)
        return;
    if (typedYield_.isEmpty() || typedYield_ == QLatin1String("0")) {
        fw::MessageDlg(msg::EmptyYield(),
                       fw::TMsgDlgType::Warning);
        YieldEdit->setFocus();
    }
}

// ---------------------------------------------------------------- copying a recipe

void TRecipeEditorForm::SetCopyMarked(bool marked)
{
    CopyItem->SetEnabled(!marked);
    PasteItem->SetEnabled(marked);
    CancelCopyItem->SetEnabled(marked);
}

void TRecipeEditorForm::CopyItemClick()
{
    CopySourceCode = context_.Data->Recipes().RetetaTable()->FieldByName(QStringLiteral("Cod"))->AsString();
    SetCopyMarked(true);
}

void TRecipeEditorForm::PasteItemClick()
{
    TProductionData* dm = context_.Data;
    fw::TTable* recipe = dm->Recipes().RetetaTable();
    fw::TQuery* source = dm->Recipes().RecipeRowsQuery();
    // A line being typed is finished first, as leaving it would; a refusal stops here.
    recipe->CheckBrowseMode();
    CopyItem->SetEnabled(true);
    fw::THourGlass wait(context_.Screen);
    const QString target = dm->Recipes().ProductTable()->FieldByName(QStringLiteral("Cod"))->AsString();
    source->Close();
    source->ParamByName(QStringLiteral("From"))->SetAsString(CopySourceCode);
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
    SetCopyMarked(false);
    if (!failure.isEmpty())
        ShowDatabaseError(fw::EDatabaseError(failure));
}

void TRecipeEditorForm::CancelCopyItemClick() { SetCopyMarked(false); }

} // namespace corvanel
