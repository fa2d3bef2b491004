#include "recipes/ZPFRetet.h"

#include "catalog/Catlook.h"
#include "data/ZPFData.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"
#include "shell/DLLAddOn.h"
#include "shell/ZPFIndic.h"

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

TZPFRetetaForm* ZPFRetetaForm = nullptr;

namespace {

const QString kOrderByCode = QStringLiteral("Grupa;Cod");
const QString kOrderByName = QStringLiteral("Grupa;Denumire");
// Neither the upper panel nor the recipe grid can be pushed smaller by the splitter.
constexpr int kSplitterMinSize = 100;

void ShowDatabaseError(const fw::EDatabaseError& error)
{
    fw::MessageDlg(DbAccessErrorText(error.Message()),
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
    SearchMove() { CatalogSearchActive = true; }
    SearchMove(const SearchMove&) = delete;
    SearchMove& operator=(const SearchMove&) = delete;
    ~SearchMove() { CatalogSearchActive = false; }
};

} // namespace

TZPFRetetaForm::TZPFRetetaForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("ZPFRetetaForm"));
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
            KRPCatalogGrid->setFocus();
        }
    };
    // The label follows the search text also when the data module ends the search.
    SetCatalogSearchView(this, [this] { Cautlbl->setText(CatalogSearchText); });
    FormCreate();
}

TZPFRetetaForm::~TZPFRetetaForm()
{
    SetKeyPreview(false);
    RemoveCatalogSearchView(this);
    if (ZPFRetetaForm == this)
        ZPFRetetaForm = nullptr;
}

void TZPFRetetaForm::BuildControls()
{
    TZPFDataModule* dm = ZPFDataModule;

    KRPCatalogGrid = new fw::TDBGridNormal;
    KRPCatalogGrid->setObjectName(QStringLiteral("KRPCatalogGrid"));
    KRPCatalogGrid->SetReadOnly(true);
    KRPCatalogGrid->SetOptions((fw::DefaultGridOptions() & ~fw::TDBGridOptions(fw::TDBGridOption::Editing)) |
                               fw::TDBGridOption::RowSelect | fw::TDBGridOption::AlwaysShowSelection);
    KRPCatalogGrid->SetDataSource(dm->CatalogSource);
    AddFittedColumn(KRPCatalogGrid, QStringLiteral("Grupa"), QStringLiteral("Grupa"), 43);
    AddFittedColumn(KRPCatalogGrid, QStringLiteral("Cod"), QStringLiteral("Cod produs finit"), 77);
    AddFittedColumn(KRPCatalogGrid, QStringLiteral("Denumire"), QStringLiteral("Denumire produs finit"), 364);
    KRPCatalogGrid->horizontalHeader()->setStretchLastSection(true);
    KRPCatalogGrid->OnEnter = [this](fw::TDBGridNormal*) { KRPCatalogGridEnter(); };

    Label1 = new QLabel(QStringLiteral("Sorteaza produsele finite dupa:"));
    Label1->setObjectName(QStringLiteral("Label1"));
    OrderCombo = new QComboBox;
    OrderCombo->setObjectName(QStringLiteral("OrderCombo"));
    OrderCombo->addItems({kOrderByCode, kOrderByName});
    OrderCombo->setToolTip(QStringLiteral("Alege ordinea de sortare"));
    Label1->setBuddy(OrderCombo);
    // Only a pick by the user changes the order; setting the item from code does not.
    connect(OrderCombo, &QComboBox::activated, this, fw::GuardedSlot(this, [this] { OrderComboChange(); }));

    Cautlbl = new QLabel;
    Cautlbl->setObjectName(QStringLiteral("Cautlbl"));
    Cautlbl->setFrameShape(QFrame::StyledPanel);
    Cautlbl->setFrameShadow(QFrame::Sunken);
    QFont bold = Cautlbl->font();
    bold.setBold(true);
    Cautlbl->setFont(bold);
    Cautlbl->setMinimumHeight(Cautlbl->fontMetrics().height() + 8);

    Label2 = new QLabel(QStringLiteral("Cantitatea de produs finit"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("rezultata conform retetarului :"));
    Label3->setObjectName(QStringLiteral("Label3"));
    CantRetetaCBox = new fw::TDBEdit;
    CantRetetaCBox->setObjectName(QStringLiteral("CantRetetaCBox"));
    CantRetetaCBox->SetDataSource(dm->CatalogSource);
    CantRetetaCBox->SetDataField(QStringLiteral("CantReteta"));
    CantRetetaCBox->installEventFilter(this); // to see the text as the user leaves the box
    CantRetetaCBox->OnExit = [this](fw::TDBEdit*) { CantRetetaCBoxExit(); };
    Label3->setBuddy(CantRetetaCBox);

    RetetaNavigator = new fw::TDBNavigator;
    RetetaNavigator->setObjectName(QStringLiteral("RetetaNavigator"));
    RetetaNavigator->SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior"), QStringLiteral("Urmator"),
                               QStringLiteral("Ultimul"), QStringLiteral("Adaugare"), QStringLiteral("Stergere"),
                               QStringLiteral("Editare"), QStringLiteral("Salvare"), QStringLiteral("Anulare"),
                               QStringLiteral("Refresh")});
    RetetaNavigator->SetConfirmDelete(false);

    auto* side = new QVBoxLayout;
    side->addWidget(Label1);
    side->addWidget(OrderCombo);
    side->addSpacing(8);
    side->addWidget(Cautlbl);
    side->addStretch(1);
    side->addWidget(Label2);
    side->addWidget(Label3);
    side->addWidget(CantRetetaCBox);
    side->addSpacing(8);
    side->addWidget(RetetaNavigator);

    // As wide as the navigator with all its buttons, so that the product list keeps its
    // width whichever grid the navigator serves.
    auto* sidePanel = new QWidget;
    sidePanel->setLayout(side);
    side->setContentsMargins(0, 0, 0, 0);
    const int sideWidth = std::max(side->sizeHint().width(), RetetaNavigator->sizeHint().width());
    sidePanel->setFixedWidth(sideWidth);

    Panel1 = new QFrame;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* upper = new QHBoxLayout(Panel1);
    upper->setContentsMargins(0, 0, 0, 0);
    upper->addWidget(KRPCatalogGrid, 1);
    upper->addWidget(sidePanel);
    Panel1->setMinimumHeight(kSplitterMinSize);

    KRPRetetaGrid = new fw::TDBGridNormal;
    KRPRetetaGrid->setObjectName(QStringLiteral("KRPRetetaGrid"));
    KRPRetetaGrid->SetOptions((fw::DefaultGridOptions() & ~fw::TDBGridOptions(fw::TDBGridOption::ConfirmDelete)) |
                              fw::TDBGridOption::AlwaysShowEditor | fw::TDBGridOption::Tabs);
    KRPRetetaGrid->SetDataSource(dm->RetetaSource);
    KRPRetetaGrid->AddColumn(QStringLiteral("Cod_Grupa"));
    AddFittedColumn(KRPRetetaGrid, QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod materie prima"), 88);
    AddFittedColumn(KRPRetetaGrid, QStringLiteral("Cant_MatPrim"), QStringLiteral("Cantitate materie prima"), 112);
    AddFittedColumn(KRPRetetaGrid, QStringLiteral("DenMat_Prim"), QStringLiteral("Denumire materie prima"), 418);
    KRPRetetaGrid->horizontalHeader()->setStretchLastSection(true);
    KRPRetetaGrid->setMinimumHeight(kSplitterMinSize);
    KRPRetetaGrid->OnEnter = [this](fw::TDBGridNormal*) { KRPRetetaGridEnter(); };
    KRPRetetaGrid->OnKeyPress = [this](fw::TDBGridNormal*, QChar& key) { KRPRetetaGridKeyPress(key); };
    KRPRetetaGrid->OnDblClick = [this](fw::TDBGridNormal*) { KRPRetetaGridDblClick(); };

    RetetaPopup = new fw::TPopupMenu(this);
    RetetaPopup->SetName(QStringLiteral("RetetaPopup"));
    RetetaPopCopy = RetetaPopup->Add(QStringLiteral("RetetaPopCopy"), QStringLiteral("Copiaza reteta"), 0,
                                     [this](fw::TMenuItem*) { RetetaPopCopyClick(); });
    RetetaPopPaste = RetetaPopup->Add(QStringLiteral("RetetaPopPaste"), QStringLiteral("Lipeste reteta"), 0,
                                      [this](fw::TMenuItem*) { RetetaPopPasteClick(); });
    RetetaPopCancel = RetetaPopup->Add(QStringLiteral("RetetaPopCancel"), QStringLiteral("Renunta la copiere"), 0,
                                       [this](fw::TMenuItem*) { RetetaPopCancelClick(); });
    SetCopyMarked(false);
    fw::AttachPopupMenu(KRPRetetaGrid, RetetaPopup);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(KRPRetetaGrid);
    Splitter1->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Splitter1);

    // Wide enough for every column of both grids and the panel beside the products; tall
    // enough for a screenful of products and of recipe lines.
    const int upperWidth = GridWidth(KRPCatalogGrid) + upper->spacing() + sideWidth;
    const int upperHeight = std::max(side->sizeHint().height(), GridHeight(KRPCatalogGrid, 8));
    const int lowerHeight = GridHeight(KRPRetetaGrid, 7);
    const QMargins m = layout->contentsMargins();
    resize(std::max(upperWidth, GridWidth(KRPRetetaGrid)) + m.left() + m.right(),
           upperHeight + Splitter1->handleWidth() + lowerHeight + m.top() + m.bottom());
    Splitter1->setSizes({upperHeight, lowerHeight});
}

// ---------------------------------------------------------------- opening and closing

void TZPFRetetaForm::FormCreate()
{
    TZPFDataModule* dm = ZPFDataModule;
    {
        fw::THourGlass wait(Screen);
        try {
            LoadProdSettings();
            OrderCombo->setCurrentIndex(0);
            // The list in the order the sort list shows, whatever order the last editor left.
            dm->CatalogTable->SetIndexFieldNames(QString());
            dm->CatalogTable->Open();
            dm->CatalogTable2->Open();
            dm->RetetaTable->Open();
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
        RemoveCatalogSearchView(this);
        Release();
    }
}

bool TZPFRetetaForm::FinishPendingEdits()
{
    TZPFDataModule* dm = ZPFDataModule;
    try {
        // The recipe line first: saving the product would make it finish the line anyway.
        if (dm->RetetaTable->Active())
            dm->RetetaTable->CheckBrowseMode();
        if (dm->CatalogTable->Active())
            dm->CatalogTable->CheckBrowseMode();
        return true;
    } catch (const fw::EAbort&) {
        return false; // the check showed its warning
    } catch (const fw::EDatabaseError& e) {
        ShowDatabaseError(e);
        return false;
    }
}

void TZPFRetetaForm::CloseTables()
{
    TZPFDataModule* dm = ZPFDataModule;
    dm->CatalogTable->Close();
    dm->CatalogTable2->Close();
    dm->RetetaTable->Close();
}

void TZPFRetetaForm::FormClose(fw::TCloseAction& action)
{
    action = fw::TCloseAction::Free;
    fw::THourGlass wait(Screen);
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
    RemoveCatalogSearchView(this);
    ZPFRetetaForm = nullptr;
}

// ---------------------------------------------------------------- navigator and order

void TZPFRetetaForm::SetNavigatorSource(fw::TDataSource* source)
{
    NavigatorSource = source;
    RetetaNavigator->SetDataSource(source);
}

void TZPFRetetaForm::KRPCatalogGridEnter()
{
    SetNavigatorSource(ZPFDataModule->CatalogSource);
    RetetaNavigator->SetVisibleButtons(
        {TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next, TNavigateBtn::Last, TNavigateBtn::Refresh});
    ClearCatalogSearch();
}

void TZPFRetetaForm::KRPRetetaGridEnter()
{
    SetNavigatorSource(ZPFDataModule->RetetaSource);
    RetetaNavigator->SetVisibleButtons({TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next,
                                        TNavigateBtn::Last, TNavigateBtn::Insert, TNavigateBtn::Delete,
                                        TNavigateBtn::Edit, TNavigateBtn::Post, TNavigateBtn::Cancel,
                                        TNavigateBtn::Refresh});
    ClearCatalogSearch();
}

void TZPFRetetaForm::OrderComboChange()
{
    ZPFDataModule->CatalogTable->SetIndexFieldNames(OrderCombo->currentText());
    KRPCatalogGrid->setFocus();
    ClearCatalogSearch();
}

// ---------------------------------------------------------------- the product search

void TZPFRetetaForm::FormKeyDown(int& key, Qt::KeyboardModifiers)
{
    // Only keys typed over the product list search it: a yield being typed, or a pick in
    // the sort list, must not move the list away from the product being worked on.
    const QWidget* focus = QApplication::focusWidget();
    if (NavigatorSource != ZPFDataModule->CatalogSource || !focus ||
        (focus != KRPCatalogGrid && !KRPCatalogGrid->isAncestorOf(focus)))
        return;
    if (key == fw::vk::Back)
        CatalogSearchText.chop(1);
    else if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == fw::vk::Space)
        CatalogSearchText += QChar(key);
    else
        return;
    Cautlbl->setText(CatalogSearchText);
    SearchMove moving;
    // The text is matched against the first field of the list's order, the group.
    ZPFDataModule->CatalogTable->FindNearest({CatalogSearchText});
}

// ---------------------------------------------------------------- picking a raw material

void TZPFRetetaForm::KRPRetetaGridKeyPress(QChar& key)
{
    if (key != QChar(10))
        return;
    const fw::TField* column = KRPRetetaGrid->SelectedField();
    const QString name = column ? column->FieldName() : QString();
    if (name != QLatin1String("Cod_MatPrim") && name != QLatin1String("DenMat_Prim") &&
        name != QLatin1String("Cod_Grupa"))
        return;
    key = QChar(0);
    fw::TTable* recipe = ZPFDataModule->RetetaTable;
    fw::TField* group = recipe->FieldByName(QStringLiteral("Cod_Grupa"));
    fw::TField* material = recipe->FieldByName(QStringLiteral("Cod_MatPrim"));
    QString chosenGroup = group->AsString();
    QString chosenCode = material->AsString();
    if (!ExecuteCatLookup(this, chosenGroup, chosenCode))
        return;
    // On an empty recipe this starts the first line.
    recipe->Edit();
    group->SetAsString(chosenGroup);
    material->SetAsString(chosenCode); // the raw-material check may refuse it
}

void TZPFRetetaForm::KRPRetetaGridDblClick()
{
    QChar key(10);
    KRPRetetaGridKeyPress(key);
}

// ---------------------------------------------------------------- the yield

bool TZPFRetetaForm::eventFilter(QObject* watched, QEvent* event)
{
    // Seen before the box writes the field and shows its value again: "0.0" is checked as
    // typed, not as the number it became.
    if (watched == CantRetetaCBox && event->type() == QEvent::FocusOut)
        typedYield_ = CantRetetaCBox->text();
    return fw::TForm::eventFilter(watched, event);
}

void TZPFRetetaForm::CantRetetaCBoxExit()
{
    if (closing_)
        return;
    if (typedYield_.isEmpty() || typedYield_ == QLatin1String("0")) {
        fw::MessageDlg(QStringLiteral("Atentie campul cantitate nu poate fi gol sau 0! Scrieti cantitatea corecta!"),
                       fw::TMsgDlgType::Warning);
        CantRetetaCBox->setFocus();
    }
}

// ---------------------------------------------------------------- copying a recipe

void TZPFRetetaForm::SetCopyMarked(bool marked)
{
    RetetaPopCopy->SetEnabled(!marked);
    RetetaPopPaste->SetEnabled(marked);
    RetetaPopCancel->SetEnabled(marked);
}

void TZPFRetetaForm::RetetaPopCopyClick()
{
    CopySourceCode = ZPFDataModule->RetetaTable->FieldByName(QStringLiteral("Cod"))->AsString();
    SetCopyMarked(true);
}

void TZPFRetetaForm::RetetaPopPasteClick()
{
    TZPFDataModule* dm = ZPFDataModule;
    fw::TTable* recipe = dm->RetetaTable;
    fw::TQuery* source = dm->ExtragReteta;
    // A line being typed is finished first, as leaving it would; a refusal stops here.
    recipe->CheckBrowseMode();
    RetetaPopCopy->SetEnabled(true);
    fw::THourGlass wait(Screen);
    const QString target = dm->CatalogTable->FieldByName(QStringLiteral("Cod"))->AsString();
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

void TZPFRetetaForm::RetetaPopCancelClick() { SetCopyMarked(false); }

} // namespace corvanel
