#include "catalog/CatalogLookup.h"

#include "catalog/LookupLayoutFile.h"
#include "catalog/PercentageDialog.h"
#include "catalog/PriceIndexing.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Beep.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageDlg.h"
#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <new>

namespace corvanel {

using namespace fw;

namespace {

constexpr int kRefreshMilliseconds = 30 * 1000;

const QString kCodGrupa = QStringLiteral("Cod_grupa");

// The catalog fields the lookup works with, in its order.
const QStringList& CatalogFields()
{
    static const QStringList fields{
        QStringLiteral("Grupa"),           QStringLiteral("Cod"),           QStringLiteral("Denumire"),
        QStringLiteral("Descriere"),       QStringLiteral("Unitate_masura"), QStringLiteral("Pret_vinzare"),
        QStringLiteral("Moneda"),          QStringLiteral("Coef_TVA"),      QStringLiteral("Coef_accize"),
        QStringLiteral("Cont_marfa"),      QStringLiteral("Cont_cheltuieli"), QStringLiteral("Cont_TVA_Intrari"),
        QStringLiteral("Cont_TVA_Iesiri"), QStringLiteral("Cont_accize"),   QStringLiteral("Cont_adaos"),
        QStringLiteral("Cont_venituri"),   QStringLiteral("Stock_minim")};
    return fields;
}

// The seven accounts of an article with their labels.
const std::vector<std::pair<QString, QString>>& AccountFields()
{
    static const std::vector<std::pair<QString, QString>> fields{
        {QStringLiteral("Cont_marfa"), QStringLiteral("Cont marfa")},
        {QStringLiteral("Cont_cheltuieli"), QStringLiteral("Cont cheltuieli")},
        {QStringLiteral("Cont_TVA_Intrari"), QStringLiteral("Cont TVA intrari")},
        {QStringLiteral("Cont_TVA_Iesiri"), QStringLiteral("Cont TVA iesiri")},
        {QStringLiteral("Cont_accize"), QStringLiteral("Cont accize")},
        {QStringLiteral("Cont_adaos"), QStringLiteral("Cont adaos")},
        {QStringLiteral("Cont_venituri"), QStringLiteral("Cont venituri")}};
    return fields;
}

// The orders of the article list, by the items of the display-order box.
const QStringList& CatalogOrders()
{
    static const QStringList orders{QStringLiteral("Grupa;Cod"), QStringLiteral("Grupa;Denumire"),
                                    QStringLiteral("Grupa;Descriere")};
    return orders;
}

[[noreturn]] void Refuse(const QString& warning)
{
    MessageDlg(warning, TMsgDlgType::Warning, TMsgDlgButtons::OK);
    Abort();
}

void ReportCatalogError(const EDatabaseError& error)
{
    MessageDlg(msg::CatalogDatabaseError(error.Message()),
               TMsgDlgType::Error, TMsgDlgButtons::OK);
}

bool IsBlank(const TField* field) { return field->IsNull() || field->AsString().isEmpty(); }

TTable* NewTable(TSession* session, QObject* owner, const QString& name, const QString& file,
               const QStringList& fields)
{
    auto* table = new TTable(owner);
    table->setObjectName(name);
    table->SetSession(session);
    table->SetDatabaseName(TVELDA);
    table->SetTableName(file);
    DeclareFields(*table, CompanyTable(file), fields);
    return table;
}

TDataSource* NewSource(QObject* owner, const QString& name, TDataSet* dataSet)
{
    auto* source = new TDataSource(owner);
    source->setObjectName(name);
    source->SetDataSet(dataSet);
    return source;
}

TDBGridNormal* NewGrid(QWidget* owner, const QString& name, TDataSource* source)
{
    auto* grid = new TDBGridNormal(owner);
    grid->setObjectName(name);
    grid->SetDataSource(source);
    grid->SetReadOnly(true);
    // The current row of each level stays marked while another one has the focus, so the
    // class, the group and the article being chosen are always in sight.
    grid->SetOptions((DefaultGridOptions() & ~TDBGridOptions(TDBGridOption::Editing)) | TDBGridOption::RowSelect |
                     TDBGridOption::AlwaysShowSelection);
    return grid;
}

// Runs `action`, then `always`, also when the action fails; the action's error is then the
// one that goes on.
template <typename Action, typename Always>
void RunThen(Action action, Always always)
{
    try {
        action();
    } catch (...) {
        try {
            always();
        } catch (...) {
        }
        throw;
    }
    always();
}

// Runs `action` on a dataset with its controls quiet, enabling them again on every path.
template <typename Action>
void WithControlsDisabled(TDataSet* dataSet, Action action)
{
    dataSet->DisableControls();
    RunThen(action, [dataSet] { dataSet->EnableControls(); });
}

} // namespace

bool IsValidAccountSymbol(const QString& text) { return fw::IsValidAccountSymbol(text); }

// ---------------------------------------------------------------- creation

TCatalogLookupForm::TCatalogLookupForm(TProductionContext& context, QWidget* owner)
    : TForm(owner), context_(context)
{
    setObjectName(QStringLiteral("CatalogLookupForm"));
    SetCaption(QStringLiteral("Selectie de articole"));
    SetPosition(TPosition::ScreenCenter);
    BuildDataSets();
    BuildControls();
    FormCreate();
}

TCatalogLookupForm::~TCatalogLookupForm()
{
    // Details first: a master closing under an edited detail would post it, and a refused
    // post cannot be reported from here. Whatever is still being edited is dropped.
    for (TTable* table : {ArticleTable, GroupTable, ClassTable, CurrencyTable})
        table->Close();
}

void TCatalogLookupForm::BuildDataSets()
{
    ClassTable = NewTable(context_.Session(), this, QStringLiteral("ClassTable"), MaterialeDB,
                          {QStringLiteral("Cod_material"), QStringLiteral("Denumire"), QStringLiteral("CONT_SINT")});
    ClassTable->SetReadOnly(true);
    ClassSource = NewSource(this, QStringLiteral("ClassSource"), ClassTable);

    GroupTable = NewTable(context_.Session(), this, QStringLiteral("GroupTable"), GrupDB,
                     {QStringLiteral("Cod_material"), kCodGrupa, QStringLiteral("Denumire"), QStringLiteral("Cont_sint")});
    GroupTable->SetReadOnly(true);
    GroupTable->SetIndexFieldNames(QStringLiteral("Cod_material"));
    GroupTable->SetMasterSource(ClassSource);
    GroupTable->SetMasterFields(QStringLiteral("Cod_material"));
    GroupSource = NewSource(this, QStringLiteral("GroupSource"), GroupTable);

    ArticleTable = NewTable(context_.Session(), this, QStringLiteral("ArticleTable"), CatalogDB, CatalogFields());
    ArticleTable->SetIndexFieldNames(CatalogOrders().at(0));
    ArticleTable->SetMasterSource(GroupSource);
    ArticleTable->SetMasterFields(kCodGrupa);
    ArticleTable->FieldByName(QStringLiteral("Grupa"))->SetVisible(false);
    ArticleTable->FieldByName(QStringLiteral("Unitate_masura"))->SetDisplayLabel(QStringLiteral("U.M."));
    TField* price = ArticleTable->FieldByName(QStringLiteral("Pret_vinzare"));
    price->SetDisplayLabel(QStringLiteral("Pret vinzare"));
    price->SetDisplayFormat(QStringLiteral("#,##0.00"));
    TField* excise = ArticleTable->FieldByName(QStringLiteral("Coef_accize"));
    excise->SetDisplayLabel(QStringLiteral("Coef. accize"));
    excise->SetDisplayFormat(QStringLiteral("#.##%"));
    excise->SetEditFormat(QStringLiteral("#.##"));
    for (const auto& [name, label] : AccountFields()) {
        TField* account = ArticleTable->FieldByName(name);
        account->SetDisplayLabel(label);
        account->OnValidate = [this](TField* f) { ArticleAccountValidate(f); };
    }
    ArticleTable->FieldByName(QStringLiteral("Moneda"))->OnValidate = [this](TField* f) { ArticleCurrencyValidate(f); };
    ArticleTable->OnNewRecord = [this](TDataSet*) { ArticleNewRecord(); };
    ArticleTable->BeforePost = [this](TDataSet*) { ArticleBeforePost(); };
    ArticleSource = NewSource(this, QStringLiteral("ArticleSource"), ArticleTable);

    CurrencyTable = NewTable(context_.Session(), this, QStringLiteral("CurrencyTable"), ValutaDB, {QStringLiteral("Valuta")});
    CurrencyTable->SetReadOnly(true);
}

void TCatalogLookupForm::BuildControls()
{
    // The highlight colour behind white captions.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    ClassGrid = NewGrid(this, QStringLiteral("ClassGrid"), ClassSource);
    ClassGrid->AddColumn(QStringLiteral("Cod_material"), QStringLiteral("Cod clasa"), 70);
    ClassGrid->AddColumn(QStringLiteral("Denumire"), QString(), 539);

    OrderLabel = new QLabel(QStringLiteral("Or&dine de afisare:"), this);
    OrderLabel->setObjectName(QStringLiteral("OrderLabel"));
    OrderCombo = new QComboBox(this);
    OrderCombo->setObjectName(QStringLiteral("OrderCombo"));
    OrderCombo->addItems({QStringLiteral("dupa Cod"), QStringLiteral("dupa Denumire"), QStringLiteral("dupa Descriere")});
    OrderLabel->setBuddy(OrderCombo);
    SearchLabel = new QLabel(QStringLiteral("&Cauta:"), this);
    SearchLabel->setObjectName(QStringLiteral("SearchLabel"));
    SearchEdit = new QLineEdit(this);
    SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
    SearchEdit->setMaxLength(30);
    SearchLabel->setBuddy(SearchEdit);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("&Renunta"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    EditBtn = new QPushButton(QStringLiteral("&Editeaza"), this);
    EditBtn->setObjectName(QStringLiteral("EditBtn"));
    EditBtn->setCheckable(true);

    GroupGrid = NewGrid(this, QStringLiteral("GroupGrid"), GroupSource);
    GroupGrid->AddColumn(kCodGrupa, QStringLiteral("Cod grupa"), 70);
    GroupGrid->AddColumn(QStringLiteral("Denumire"), QString(), 400);

    ArticleGrid = NewGrid(this, QStringLiteral("ArticleGrid"), ArticleSource);
    ArticleGrid->AddColumn(QStringLiteral("Cod"), QStringLiteral("Cod mat."), 70);
    // Narrower texts than the group's, so that the unit, the expense account and the price
    // are in sight without scrolling.
    ArticleGrid->AddColumn(QStringLiteral("Denumire"), QString(), 300);
    ArticleGrid->AddColumn(QStringLiteral("Descriere"), QString(), 200);
    ArticleGrid->AddColumn(QStringLiteral("Unitate_masura"));
    ArticleGrid->AddColumn(QStringLiteral("Cont_cheltuieli"), QString(), 92);
    // The rest of what edit mode changes and checks, the sale price first, which indexing
    // changes; all reachable by scrolling to the right.
    for (const QString& name : CatalogFields().mid(5)) {
        if (!ArticleGrid->ColumnByFieldName(name))
            ArticleGrid->AddColumn(name);
    }

    MenuBar = new QMenuBar(this);
    MenuBar->setObjectName(QStringLiteral("MenuBar"));
    Menu = new TMainMenu(this);
    Menu->setObjectName(QStringLiteral("Menu"));
    DocumentMenu = Menu->Add(QStringLiteral("DocumentMenu"), QStringLiteral("&Document"));
    DocumentMenu->SetHint(QStringLiteral("Functii specifice pentru catalogul de articole"));
    IndexPricesItem = DocumentMenu->Add(QStringLiteral("IndexPricesItem"), QStringLiteral("Indexeaza &preturile"), 0,
                                         [this](TMenuItem*) { IndexPricesClick(); });
    IndexPricesItem->SetHint(
        QStringLiteral("Indexeaza preturile pentru grupa de artcole curenta cu un coeficient dat."));
    MergeMenu(MenuBar, Menu);

    auto* side = new QVBoxLayout;
    side->addWidget(OrderLabel);
    side->addWidget(OrderCombo);
    side->addSpacing(6);
    side->addWidget(SearchLabel);
    side->addWidget(SearchEdit);
    side->addStretch(1);
    side->addWidget(ButtonOK);
    side->addWidget(ButtonCancel);
    side->addWidget(EditBtn);
    auto* top = new QHBoxLayout;
    top->addWidget(ClassGrid, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MenuBar);
    layout->addLayout(top, 3);
    layout->addWidget(GroupGrid, 3);
    layout->addWidget(ArticleGrid, 5);

    // The class grid is as wide as its columns; the side column takes what its texts need.
    const int sideWidth = std::max({OrderCombo->sizeHint().width(), EditBtn->sizeHint().width(),
                                    SearchEdit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 10});
    for (QWidget* w : {static_cast<QWidget*>(OrderCombo), static_cast<QWidget*>(SearchEdit),
                       static_cast<QWidget*>(ButtonOK), static_cast<QWidget*>(ButtonCancel),
                       static_cast<QWidget*>(EditBtn)})
        w->setMinimumWidth(sideWidth);

    connect(OrderCombo, &QComboBox::currentIndexChanged, this, GuardedSlot(this, [this] { OrderComboChange(); }));
    connect(SearchEdit, &QLineEdit::textChanged, this, GuardedSlot(this, [this] { SearchEditChange(); }));
    connect(EditBtn, &QPushButton::clicked, this, GuardedSlot(this, [this] { EditBtnClick(); }));
    SetButtonModalResult(ButtonOK, TModalResult::OK);
    SetButtonModalResult(ButtonCancel, TModalResult::Cancel);
    ArticleGrid->OnKeyDown = [this](TDBGridNormal*, int& key, Qt::KeyboardModifiers) { ArticleGridKeyDown(key); };
    ArticleGrid->OnDblClick = [this](TDBGridNormal*) { ArticleGridDblClick(); };
    GroupGrid->OnKeyDown = [this](TDBGridNormal*, int& key, Qt::KeyboardModifiers) { GroupGridKeyDown(key); };
    GroupGrid->OnDblClick = [this](TDBGridNormal*) { GroupGridDblClick(); };
    OnCloseQuery = [this](TForm*, bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](TForm*, TCloseAction& action) { FormClose(action); };

    RefreshTimer = new QTimer(this);
    RefreshTimer->setObjectName(QStringLiteral("RefreshTimer"));
    RefreshTimer->setInterval(kRefreshMilliseconds);
    connect(RefreshTimer, &QTimer::timeout, this, GuardedSlot(this, [this] { AutoRefresh(); }));

    // Only the form's own background and captions are in the highlight colour; the
    // controls keep the usual one behind their headers and menus.
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QLabel*>(control))
            KeepUsualColours(control);
    resize(QSize(850, 587).expandedTo(minimumSizeHint()));
    ArticleGrid->setFocus();
}

void TCatalogLookupForm::FormCreate()
{
    // Without a layout file the lookup still works; only the layouts are not kept.
    try {
        layoutFile_ = std::make_unique<TLookupLayoutFile>(LookupLayoutFileName);
    } catch (const EInOutError&) {
        layoutFile_.reset();
    }
    try {
        ClassTable->Open();
        GroupTable->Open();
        ArticleTable->Open();
        CurrencyTable->Open();
    } catch (const EDatabaseError& error) {
        ReportCatalogError(error);
        Abort();
    }
    SetEditMode(false);
    OrderCombo->setCurrentIndex(0);
    if (GroupTable->IsEmpty()) {
        SetEditMode(true);
        MessageDlg(msg::AddArticles(), TMsgDlgType::Warning, TMsgDlgButtons::OK);
    }
    RefreshTimer->start();
}

// ---------------------------------------------------------------- positioning

void TCatalogLookupForm::ShowGroup(const QString& group)
{
    if (group.isEmpty())
        return;
    // Groups are listed per class: the group's own row names its class.
    TTable groups;
    groups.SetSession(context_.Session());
    groups.SetDatabaseName(TVELDA);
    groups.SetTableName(GrupDB);
    groups.SetReadOnly(true);
    DeclareFields(groups, CompanyTable(GrupDB), {kCodGrupa, QStringLiteral("Cod_material")});
    groups.SetIndexFieldNames(kCodGrupa);
    groups.Open();
    if (!groups.FindKey({group}))
        return;
    if (!ClassTable->Locate(QStringLiteral("Cod_material"), {groups.FieldByName(QStringLiteral("Cod_material"))->Value()}))
        return;
    GroupTable->Locate(kCodGrupa, {group});
}

void TCatalogLookupForm::ShowArticle(const QString& article)
{
    ArticleTable->SetIndexFieldNames(CatalogOrders().at(0));
    ArticleTable->FindKey({GroupTable->FieldByName(kCodGrupa)->Value(), article});
}

bool ExecuteCatalogLookup(TProductionContext& context, QWidget* owner, QString& group, QString& article)
{
    QPointer<TCatalogLookupForm> form;
    const auto release = qScopeGuard([&form] { delete form.data(); });
    try {
        form = new TCatalogLookupForm(context, owner);
        form->ShowGroup(group);
        form->ShowArticle(article);
    } catch (const EAbort&) {
        return false;
    } catch (const EDatabaseError& error) {
        ReportCatalogError(error);
        return false;
    }
    form->SetPosition(TPosition::ScreenCenter);
    {
        const QSignalBlocker quiet(form->OrderCombo);
        form->OrderCombo->setCurrentIndex(0);
    }
    if (form->ShowModal() == TModalResult::Cancel || !form)
        return false;
    group = form->GroupTable->FieldByName(kCodGrupa)->AsString();
    article = form->ArticleTable->FieldByName(QStringLiteral("Cod"))->AsString();
    return true;
}

// ---------------------------------------------------------------- order and search

void TCatalogLookupForm::OrderComboChange()
{
    const int item = OrderCombo->currentIndex();
    if (item < 0 || item >= CatalogOrders().size())
        return;
    try {
        ArticleTable->SetIndexFieldNames(CatalogOrders().at(item));
    } catch (...) {
        // The article being edited could not be saved: the box shows the order in force.
        const QSignalBlocker quiet(OrderCombo);
        OrderCombo->setCurrentIndex(int(CatalogOrders().indexOf(ArticleTable->IndexFieldNames())));
        throw;
    }
    // The articles stay those of the current group in the new order.
    ArticleTable->SetMasterSource(GroupSource);
    ArticleTable->SetMasterFields(kCodGrupa);
}

void TCatalogLookupForm::SearchEditChange()
{
    const QString text = SearchEdit->text();
    if (text.isEmpty())
        return;
    ArticleTable->FindNearest({GroupTable->FieldByName(kCodGrupa)->Value(), text});
}

// ---------------------------------------------------------------- edit mode

bool TCatalogLookupForm::EditMode() const { return ArticleGrid->Options().testFlag(TDBGridOption::Editing); }

void TCatalogLookupForm::SetEditMode(bool on)
{
    TDBGridOptions options = ArticleGrid->Options();
    options.setFlag(TDBGridOption::Editing, on);
    options.setFlag(TDBGridOption::AlwaysShowEditor, on);
    options.setFlag(TDBGridOption::RowSelect, !on);
    ArticleGrid->SetOptions(options);
    ArticleGrid->SetReadOnly(!on);
    GroupGrid->SetReadOnly(!on);
    ButtonOK->setEnabled(!on);
    EditBtn->setChecked(on);
    // Prices are changed only by a user who chose to edit the catalog.
    DocumentMenu->SetVisible(on);
    IndexPricesItem->SetVisible(on);
    MenuBar->setVisible(on);
    ArticleGrid->setFocus();
}

void TCatalogLookupForm::EditBtnClick()
{
    if (!EditMode()) {
        SetEditMode(true);
        return;
    }
    // A refused save keeps edit mode on and the user on the row.
    try {
        for (TTable* table : {ArticleTable, GroupTable}) {
            if (table->Active())
                table->CheckBrowseMode();
        }
    } catch (...) {
        EditBtn->setChecked(true);
        throw;
    }
    SetEditMode(false);
}

// ---------------------------------------------------------------- rules on articles

void TCatalogLookupForm::ArticleNewRecord()
{
    // The usual accounts and VAT of an article; fixed, not read from any settings.
    const std::pair<const char*, QVariant> defaults[] = {
        {"Cont_marfa", QStringLiteral("371")},      {"Cont_cheltuieli", QStringLiteral("607")},
        {"Cont_TVA_Intrari", QStringLiteral("4426")}, {"Cont_TVA_Iesiri", QStringLiteral("4427")},
        {"Coef_TVA", 19.0},                          {"Cont_venituri", QStringLiteral("707")},
        {"Cont_adaos", QStringLiteral("378")},       {"Cont_accize", QStringLiteral("446")}};
    for (const auto& [name, value] : defaults)
        ArticleTable->FieldByName(QString::fromLatin1(name))->SetValue(value);
    // Typing starts with the code.
    ArticleGrid->SetSelectedField(ArticleTable->FieldByName(QStringLiteral("Cod")));
}

void TCatalogLookupForm::ArticleBeforePost()
{
    if (IsBlank(ArticleTable->FieldByName(QStringLiteral("Cod")))
        || IsBlank(ArticleTable->FieldByName(QStringLiteral("Denumire"))))
        Refuse(msg::CodeAndNameRequired());
}

void TCatalogLookupForm::ArticleAccountValidate(TField* sender)
{
    if (!IsValidAccountSymbol(sender->AsString()))
        Refuse(msg::AccountFormat());
}

void TCatalogLookupForm::ArticleCurrencyValidate(TField* sender)
{
    const QString code = sender->AsString();
    if (!CurrencyTable->FindKey({code}))
        Refuse(msg::UnknownCurrency(code));
}

// ---------------------------------------------------------------- grids

void TCatalogLookupForm::ArticleGridKeyDown(int& key)
{
    if (key != vk::Space || EditMode())
        return;
    key = 0;
    // Space marks and moves on, as Shift+Down does in a grid that marks rows.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
    QCoreApplication::sendEvent(ArticleGrid, &down);
}

void TCatalogLookupForm::ArticleGridDblClick() { SetModalResult(TModalResult::OK); }

void TCatalogLookupForm::GroupGridKeyDown(int& key)
{
    if (key != vk::Space || EditMode())
        return;
    key = 0;
    GroupGridDblClick();
}

void TCatalogLookupForm::GroupGridDblClick()
{
    if (EditMode())
        return;
    WithControlsDisabled(ArticleTable, [this] {
        try {
            THourGlass wait(context_.Screen);
            ArticleTable->First();
            while (!ArticleTable->Eof()) {
                const TBookmark row = ArticleTable->GetBookmark();
                ArticleGrid->SelectRow(row, !ArticleGrid->IsRowSelected(row));
                ArticleTable->Next();
            }
        } catch (const std::bad_alloc&) {
            MessageDlg(msg::TooManyArticlesMarked(), TMsgDlgType::Warning,
                       TMsgDlgButtons::OK);
        }
        ArticleTable->First();
    });
}

// ---------------------------------------------------------------- price indexing

void TCatalogLookupForm::IndexPricesClick()
{
    // An article being edited is saved first: the new prices must not be overwritten by it.
    ArticleTable->CheckBrowseMode();
    if (GroupTable->IsEmpty() || ArticleTable->IsEmpty()) {
        fw::MessageBeep(fw::TBeep::Error);
        return;
    }
    double percentage = 0;
    if (!AskPercentage(this, GroupTable->FieldByName(QStringLiteral("Denumire"))->AsString(), percentage))
        return;
    repaint();
    const std::optional<double> factor = IndexFactor(percentage);
    if (!factor)
        return;
    const QString group = GroupTable->FieldByName(kCodGrupa)->AsString();
    // The grid shows the new prices at once; after a failure it shows what is stored.
    WithControlsDisabled(ArticleTable, [&] {
        RunThen([&] { IndexGroupPrices(context_, this, group, *factor); }, [this] { ArticleTable->Refresh(); });
    });
}

// ---------------------------------------------------------------- refresh

void TCatalogLookupForm::RefreshTables()
{
    for (TTable* table : {GroupTable, ArticleTable, CurrencyTable}) {
        if (table->Active() && table->State() == TDataSetState::Browse)
            WithControlsDisabled(table, [table] { table->Refresh(); });
    }
}

void TCatalogLookupForm::AutoRefresh()
{
    try {
        RefreshTables();
        refreshFailed_ = false;
    } catch (const EDatabaseError& error) {
        if (refreshFailed_)
            return;
        refreshFailed_ = true;
        ReportCatalogError(error);
    }
}

void TCatalogLookupForm::changeEvent(QEvent* event)
{
    TForm::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        deactivated_ = true;
        return;
    }
    if (!deactivated_)
        return;
    deactivated_ = false;
    Guarded(this, [this] { AutoRefresh(); });
}

// ---------------------------------------------------------------- closing

void TCatalogLookupForm::FormCloseQuery(bool& canClose)
{
    // What the user typed into an article is saved, not lost with the window; a refused
    // save keeps the window open on the row.
    if (ArticleTable->Active())
        ArticleTable->CheckBrowseMode();
    canClose = true;
}

void TCatalogLookupForm::FormClose(TCloseAction& action)
{
    RefreshTimer->stop();
    // A hint of the lookup's own menu would stay on the host's status line after it.
    if (context_.Application)
        context_.Application->SetHint(QString());
    if (layoutFile_) {
        try {
            layoutFile_->Rewrite(GridLayouts({GroupGrid, ArticleGrid}));
        } catch (const Exception&) {
            // The layouts are a convenience: the window closes all the same.
        }
        layoutFile_.reset();
    }
    action = TCloseAction::Hide;
}

} // namespace corvanel
