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
#include "platform/ui/DialogButtons.h"
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

struct TCatalogLookupForm::Ui {
    TDBGridNormal* classGrid = nullptr;
    TDBGridNormal* groupGrid = nullptr;
    TDBGridNormal* articleGrid = nullptr;
    QComboBox* orderCombo = nullptr; // display order of the articles
    QLineEdit* searchEdit = nullptr; // incremental search in the current order
    QPushButton* okButton = nullptr;
    QPushButton* editButton = nullptr; // down while edit mode is on
    QMenuBar* menuBar = nullptr;
    TMenuItem* documentMenu = nullptr; // "&Document", shown only in edit mode
    TMenuItem* indexPricesItem = nullptr;
    QTimer* refreshTimer = nullptr; // brings in other users' changes while the form is open
};

TCatalogLookupForm::TCatalogLookupForm(TProductionContext& context, QWidget* owner)
    : TForm(owner), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("CatalogLookupForm"));
    SetCaption(QStringLiteral("Selectie de articole"));
    SetPosition(TPosition::ScreenCenter);
    buildDataSets();
    buildControls();
    openTables();
}

TCatalogLookupForm::~TCatalogLookupForm()
{
    // Details first: a master closing under an edited detail would post it, and a refused
    // post cannot be reported from here. Whatever is still being edited is dropped.
    for (TTable* table : {articles_, groups_, classes_, currencies_})
        table->Close();
}

void TCatalogLookupForm::buildDataSets()
{
    classes_ = NewTable(context_.Session(), this, QStringLiteral("ClassTable"), MaterialeDB,
                        {QStringLiteral("Cod_material"), QStringLiteral("Denumire"), QStringLiteral("CONT_SINT")});
    classes_->SetReadOnly(true);
    classSource_ = NewSource(this, QStringLiteral("ClassSource"), classes_);

    groups_ = NewTable(context_.Session(), this, QStringLiteral("GroupTable"), GrupDB,
                       {QStringLiteral("Cod_material"), kCodGrupa, QStringLiteral("Denumire"), QStringLiteral("Cont_sint")});
    groups_->SetReadOnly(true);
    groups_->SetIndexFieldNames(QStringLiteral("Cod_material"));
    groups_->SetMasterSource(classSource_);
    groups_->SetMasterFields(QStringLiteral("Cod_material"));
    groupSource_ = NewSource(this, QStringLiteral("GroupSource"), groups_);

    articles_ = NewTable(context_.Session(), this, QStringLiteral("ArticleTable"), CatalogDB, CatalogFields());
    articles_->SetIndexFieldNames(CatalogOrders().at(0));
    articles_->SetMasterSource(groupSource_);
    articles_->SetMasterFields(kCodGrupa);
    articles_->FieldByName(QStringLiteral("Grupa"))->SetVisible(false);
    articles_->FieldByName(QStringLiteral("Unitate_masura"))->SetDisplayLabel(QStringLiteral("U.M."));
    TField* price = articles_->FieldByName(QStringLiteral("Pret_vinzare"));
    price->SetDisplayLabel(QStringLiteral("Pret vinzare"));
    price->SetDisplayFormat(QStringLiteral("#,##0.00"));
    TField* excise = articles_->FieldByName(QStringLiteral("Coef_accize"));
    excise->SetDisplayLabel(QStringLiteral("Coef. accize"));
    excise->SetDisplayFormat(QStringLiteral("#.##%"));
    excise->SetEditFormat(QStringLiteral("#.##"));
    for (const auto& [name, label] : AccountFields()) {
        TField* account = articles_->FieldByName(name);
        account->SetDisplayLabel(label);
        account->OnValidate = [this](TField* f) { checkAccount(f); };
    }
    articles_->FieldByName(QStringLiteral("Moneda"))->OnValidate = [this](TField* f) { checkCurrency(f); };
    articles_->OnNewRecord = [this](TDataSet*) { fillNewArticle(); };
    articles_->BeforePost = [this](TDataSet*) { checkArticle(); };
    articleSource_ = NewSource(this, QStringLiteral("ArticleSource"), articles_);

    currencies_ = NewTable(context_.Session(), this, QStringLiteral("CurrencyTable"), ValutaDB, {QStringLiteral("Valuta")});
    currencies_->SetReadOnly(true);
}

void TCatalogLookupForm::buildControls()
{
    Ui& u = *ui_;
    // The highlight colour behind white captions.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    u.classGrid = NewGrid(this, QStringLiteral("ClassGrid"), classSource_);
    u.classGrid->AddColumn(QStringLiteral("Cod_material"), QStringLiteral("Cod clasa"), 70);
    u.classGrid->AddColumn(QStringLiteral("Denumire"), QString(), 539);

    u.groupGrid = NewGrid(this, QStringLiteral("GroupGrid"), groupSource_);
    u.groupGrid->AddColumn(kCodGrupa, QStringLiteral("Cod grupa"), 70);
    u.groupGrid->AddColumn(QStringLiteral("Denumire"), QString(), 400);
    u.groupGrid->OnKeyDown = [this](TDBGridNormal*, int& key, Qt::KeyboardModifiers) {
        if (key == vk::Space && !EditMode()) {
            key = 0;
            invertGroupMarks();
        }
    };
    u.groupGrid->OnDblClick = [this](TDBGridNormal*) { invertGroupMarks(); };

    u.articleGrid = NewGrid(this, QStringLiteral("ArticleGrid"), articleSource_);
    u.articleGrid->AddColumn(QStringLiteral("Cod"), QStringLiteral("Cod mat."), 70);
    // Narrower texts than the group's, so that the unit, the expense account and the price
    // are in sight without scrolling.
    u.articleGrid->AddColumn(QStringLiteral("Denumire"), QString(), 300);
    u.articleGrid->AddColumn(QStringLiteral("Descriere"), QString(), 200);
    u.articleGrid->AddColumn(QStringLiteral("Unitate_masura"));
    u.articleGrid->AddColumn(QStringLiteral("Cont_cheltuieli"), QString(), 92);
    // The rest of what edit mode changes and checks, the sale price first, which indexing
    // changes; all reachable by scrolling to the right.
    for (const QString& name : CatalogFields().mid(5)) {
        if (!u.articleGrid->ColumnByFieldName(name))
            u.articleGrid->AddColumn(name);
    }
    u.articleGrid->OnKeyDown = [this](TDBGridNormal*, int& key, Qt::KeyboardModifiers) { markArticleWithSpace(key); };
    u.articleGrid->OnDblClick = [this](TDBGridNormal*) { SetModalResult(TModalResult::OK); };

    makeMenu();
    auto* top = new QHBoxLayout;
    top->addWidget(u.classGrid, 1);
    top->addLayout(makeSideColumn());
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(u.menuBar);
    layout->addLayout(top, 3);
    layout->addWidget(u.groupGrid, 3);
    layout->addWidget(u.articleGrid, 5);

    OnCloseQuery = [this](TForm*, bool& canClose) { saveEditedArticle(canClose); };
    OnClose = [this](TForm*, TCloseAction& action) { keepLayouts(action); };
    u.refreshTimer = new QTimer(this);
    u.refreshTimer->setObjectName(QStringLiteral("RefreshTimer"));
    u.refreshTimer->setInterval(kRefreshMilliseconds);
    connect(u.refreshTimer, &QTimer::timeout, this, GuardedSlot(this, [this] { refreshQuietly(); }));

    // Only the form's own background and captions are in the highlight colour; the
    // controls keep the usual one behind their headers and menus.
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QLabel*>(control))
            KeepUsualColours(control);
    resize(QSize(850, 587).expandedTo(minimumSizeHint()));
    u.articleGrid->setFocus();
}

// Beside the classes: the order and the search of the articles, the buttons.
QLayout* TCatalogLookupForm::makeSideColumn()
{
    Ui& u = *ui_;
    auto* orderLabel = new QLabel(QStringLiteral("Or&dine de afisare:"), this);
    orderLabel->setObjectName(QStringLiteral("OrderLabel"));
    u.orderCombo = new QComboBox(this);
    u.orderCombo->setObjectName(QStringLiteral("OrderCombo"));
    u.orderCombo->addItems({QStringLiteral("dupa Cod"), QStringLiteral("dupa Denumire"), QStringLiteral("dupa Descriere")});
    orderLabel->setBuddy(u.orderCombo);
    connect(u.orderCombo, &QComboBox::currentIndexChanged, this, GuardedSlot(this, [this] { applyArticleOrder(); }));
    auto* searchLabel = new QLabel(QStringLiteral("&Cauta:"), this);
    searchLabel->setObjectName(QStringLiteral("SearchLabel"));
    u.searchEdit = new QLineEdit(this);
    u.searchEdit->setObjectName(QStringLiteral("SearchEdit"));
    u.searchEdit->setMaxLength(30);
    searchLabel->setBuddy(u.searchEdit);
    connect(u.searchEdit, &QLineEdit::textChanged, this, GuardedSlot(this, [this] { searchArticles(); }));

    QDialogButtonBox* buttons = DialogButtons(this, {{QDialogButtonBox::Ok, QStringLiteral("OK")},
                                                     {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}});
    buttons->setOrientation(Qt::Vertical);
    u.okButton = buttons->button(QDialogButtonBox::Ok);
    u.okButton->setDefault(true);
    u.editButton = new QPushButton(QStringLiteral("&Editeaza"), this);
    u.editButton->setObjectName(QStringLiteral("EditButton"));
    u.editButton->setCheckable(true);
    connect(u.editButton, &QPushButton::clicked, this, GuardedSlot(this, [this] { toggleEditMode(); }));

    auto* side = new QVBoxLayout;
    side->addWidget(orderLabel);
    side->addWidget(u.orderCombo);
    side->addSpacing(6);
    side->addWidget(searchLabel);
    side->addWidget(u.searchEdit);
    side->addStretch(1);
    side->addWidget(buttons);
    side->addWidget(u.editButton);
    // The side column takes what its texts need.
    const int sideWidth = std::max({u.orderCombo->sizeHint().width(), u.editButton->sizeHint().width(),
                                    u.searchEdit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 10});
    for (QWidget* w : std::initializer_list<QWidget*>{u.orderCombo, u.searchEdit, u.okButton,
                                                      buttons->button(QDialogButtonBox::Cancel), u.editButton})
        w->setMinimumWidth(sideWidth);
    // As wide as the column, as the edit button below them (a vertical box keeps its width).
    buttons->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return side;
}

void TCatalogLookupForm::makeMenu()
{
    Ui& u = *ui_;
    u.menuBar = new QMenuBar(this);
    u.menuBar->setObjectName(QStringLiteral("MenuBar"));
    auto* menu = new TMainMenu(this);
    menu->setObjectName(QStringLiteral("Menu"));
    u.documentMenu = menu->Add(QStringLiteral("DocumentMenu"), QStringLiteral("&Document"));
    u.documentMenu->SetHint(QStringLiteral("Functii specifice pentru catalogul de articole"));
    u.indexPricesItem = u.documentMenu->Add(QStringLiteral("IndexPricesItem"), QStringLiteral("Indexeaza &preturile"), 0,
                                            [this](TMenuItem*) { indexGroupPrices(); });
    u.indexPricesItem->SetHint(
        QStringLiteral("Indexeaza preturile pentru grupa de artcole curenta cu un coeficient dat."));
    MergeMenu(u.menuBar, menu);
}

void TCatalogLookupForm::openTables()
{
    // Without a layout file the lookup still works; only the layouts are not kept.
    try {
        layoutFile_ = std::make_unique<TLookupLayoutFile>(LookupLayoutFileName);
    } catch (const EInOutError&) {
        layoutFile_.reset();
    }
    try {
        classes_->Open();
        groups_->Open();
        articles_->Open();
        currencies_->Open();
    } catch (const EDatabaseError& error) {
        ReportCatalogError(error);
        Abort();
    }
    setEditMode(false);
    ui_->orderCombo->setCurrentIndex(0);
    if (groups_->IsEmpty()) {
        setEditMode(true);
        MessageDlg(msg::AddArticles(), TMsgDlgType::Warning, TMsgDlgButtons::OK);
    }
    ui_->refreshTimer->start();
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
    if (!classes_->Locate(QStringLiteral("Cod_material"), {groups.FieldByName(QStringLiteral("Cod_material"))->Value()}))
        return;
    groups_->Locate(kCodGrupa, {group});
}

void TCatalogLookupForm::ShowArticle(const QString& article)
{
    articles_->SetIndexFieldNames(CatalogOrders().at(0));
    {
        // The box shows the order without setting it once more.
        const QSignalBlocker quiet(ui_->orderCombo);
        ui_->orderCombo->setCurrentIndex(0);
    }
    articles_->FindKey({groups_->FieldByName(kCodGrupa)->Value(), article});
}

QString TCatalogLookupForm::CurrentGroup() const { return groups_->FieldByName(kCodGrupa)->AsString(); }

QString TCatalogLookupForm::CurrentArticle() const { return articles_->FieldByName(QStringLiteral("Cod"))->AsString(); }

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
    if (form->ShowModal() == TModalResult::Cancel || !form)
        return false;
    group = form->CurrentGroup();
    article = form->CurrentArticle();
    return true;
}

// ---------------------------------------------------------------- order and search

void TCatalogLookupForm::applyArticleOrder()
{
    const int item = ui_->orderCombo->currentIndex();
    if (item < 0 || item >= CatalogOrders().size())
        return;
    try {
        articles_->SetIndexFieldNames(CatalogOrders().at(item));
    } catch (...) {
        // The article being edited could not be saved: the box shows the order in force.
        const QSignalBlocker quiet(ui_->orderCombo);
        ui_->orderCombo->setCurrentIndex(int(CatalogOrders().indexOf(articles_->IndexFieldNames())));
        throw;
    }
    // The articles stay those of the current group in the new order.
    articles_->SetMasterSource(groupSource_);
    articles_->SetMasterFields(kCodGrupa);
}

void TCatalogLookupForm::searchArticles()
{
    const QString text = ui_->searchEdit->text();
    if (text.isEmpty())
        return;
    articles_->FindNearest({groups_->FieldByName(kCodGrupa)->Value(), text});
}

// ---------------------------------------------------------------- edit mode

bool TCatalogLookupForm::EditMode() const { return ui_->articleGrid->Options().testFlag(TDBGridOption::Editing); }

void TCatalogLookupForm::setEditMode(bool on)
{
    TDBGridOptions options = ui_->articleGrid->Options();
    options.setFlag(TDBGridOption::Editing, on);
    options.setFlag(TDBGridOption::AlwaysShowEditor, on);
    options.setFlag(TDBGridOption::RowSelect, !on);
    ui_->articleGrid->SetOptions(options);
    ui_->articleGrid->SetReadOnly(!on);
    ui_->groupGrid->SetReadOnly(!on);
    ui_->okButton->setEnabled(!on);
    ui_->editButton->setChecked(on);
    // Prices are changed only by a user who chose to edit the catalog.
    ui_->documentMenu->SetVisible(on);
    ui_->indexPricesItem->SetVisible(on);
    ui_->menuBar->setVisible(on);
    ui_->articleGrid->setFocus();
}

void TCatalogLookupForm::toggleEditMode()
{
    if (!EditMode()) {
        setEditMode(true);
        return;
    }
    // A refused save keeps edit mode on and the user on the row.
    try {
        for (TTable* table : {articles_, groups_}) {
            if (table->Active())
                table->CheckBrowseMode();
        }
    } catch (...) {
        ui_->editButton->setChecked(true);
        throw;
    }
    setEditMode(false);
}

// ---------------------------------------------------------------- rules on articles

void TCatalogLookupForm::fillNewArticle()
{
    // The usual accounts and VAT of an article; fixed, not read from any settings.
    const std::pair<const char*, QVariant> defaults[] = {
        {"Cont_marfa", QStringLiteral("371")},      {"Cont_cheltuieli", QStringLiteral("607")},
        {"Cont_TVA_Intrari", QStringLiteral("4426")}, {"Cont_TVA_Iesiri", QStringLiteral("4427")},
        {"Coef_TVA", 19.0},                          {"Cont_venituri", QStringLiteral("707")},
        {"Cont_adaos", QStringLiteral("378")},       {"Cont_accize", QStringLiteral("446")}};
    for (const auto& [name, value] : defaults)
        articles_->FieldByName(QString::fromLatin1(name))->SetValue(value);
    // Typing starts with the code.
    ui_->articleGrid->SetSelectedField(articles_->FieldByName(QStringLiteral("Cod")));
}

void TCatalogLookupForm::checkArticle()
{
    if (IsBlank(articles_->FieldByName(QStringLiteral("Cod")))
        || IsBlank(articles_->FieldByName(QStringLiteral("Denumire"))))
        Refuse(msg::CodeAndNameRequired());
}

void TCatalogLookupForm::checkAccount(TField* account)
{
    if (!IsValidAccountSymbol(account->AsString()))
        Refuse(msg::AccountFormat());
}

void TCatalogLookupForm::checkCurrency(TField* currency)
{
    const QString code = currency->AsString();
    if (!currencies_->FindKey({code}))
        Refuse(msg::UnknownCurrency(code));
}

// ---------------------------------------------------------------- grids

void TCatalogLookupForm::markArticleWithSpace(int& key)
{
    if (key != vk::Space || EditMode())
        return;
    key = 0;
    // Space marks and moves on, as Shift+Down does in a grid that marks rows.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
    QCoreApplication::sendEvent(ui_->articleGrid, &down);
}

void TCatalogLookupForm::invertGroupMarks()
{
    if (EditMode())
        return;
    WithControlsDisabled(articles_, [this] {
        try {
            THourGlass wait(context_.Screen);
            articles_->First();
            while (!articles_->Eof()) {
                const TBookmark row = articles_->GetBookmark();
                ui_->articleGrid->SelectRow(row, !ui_->articleGrid->IsRowSelected(row));
                articles_->Next();
            }
        } catch (const std::bad_alloc&) {
            MessageDlg(msg::TooManyArticlesMarked(), TMsgDlgType::Warning,
                       TMsgDlgButtons::OK);
        }
        articles_->First();
    });
}

// ---------------------------------------------------------------- price indexing

void TCatalogLookupForm::indexGroupPrices()
{
    // An article being edited is saved first: the new prices must not be overwritten by it.
    articles_->CheckBrowseMode();
    if (groups_->IsEmpty() || articles_->IsEmpty()) {
        fw::MessageBeep(fw::TBeep::Error);
        return;
    }
    double percentage = 0;
    if (!AskPercentage(this, groups_->FieldByName(QStringLiteral("Denumire"))->AsString(), percentage))
        return;
    repaint();
    const std::optional<double> factor = IndexFactor(percentage);
    if (!factor)
        return;
    const QString group = groups_->FieldByName(kCodGrupa)->AsString();
    // The grid shows the new prices at once; after a failure it shows what is stored.
    WithControlsDisabled(articles_, [&] {
        RunThen([&] { IndexGroupPrices(context_, this, group, *factor); }, [this] { articles_->Refresh(); });
    });
}

// ---------------------------------------------------------------- refresh

void TCatalogLookupForm::RefreshTables()
{
    for (TTable* table : {groups_, articles_, currencies_}) {
        if (table->Active() && table->State() == TDataSetState::Browse)
            WithControlsDisabled(table, [table] { table->Refresh(); });
    }
}

void TCatalogLookupForm::refreshQuietly()
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
    Guarded(this, [this] { refreshQuietly(); });
}

// ---------------------------------------------------------------- closing

void TCatalogLookupForm::saveEditedArticle(bool& canClose)
{
    // What the user typed into an article is saved, not lost with the window; a refused
    // save keeps the window open on the row.
    if (articles_->Active())
        articles_->CheckBrowseMode();
    canClose = true;
}

void TCatalogLookupForm::keepLayouts(TCloseAction& action)
{
    ui_->refreshTimer->stop();
    // A hint of the lookup's own menu would stay on the host's status line after it.
    if (context_.Application)
        context_.Application->SetHint(QString());
    if (layoutFile_) {
        try {
            layoutFile_->Rewrite(GridLayouts({ui_->groupGrid, ui_->articleGrid}));
        } catch (const Exception&) {
            // The layouts are a convenience: the window closes all the same.
        }
        layoutFile_.reset();
    }
    action = TCloseAction::Hide;
}

} // namespace corvanel
