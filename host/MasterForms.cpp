#include "host/MasterForms.h"

#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

#include <QVBoxLayout>

namespace pelmaris {

fw::TTable* TMasterForm::AddMaster(const TMasterTable& rules, const QString& order, TMasterBinding** binding)
{
    fw::TTable* table = AddTable(rules.Table, order, false);
    auto* made = new TMasterBinding(table, rules, this);
    if (binding)
        *binding = made;
    return table;
}

TClassesForm::TClassesForm(QWidget* owner) : TMasterForm(owner, QStringLiteral("Clase si grupe de articole"))
{
    setObjectName(QStringLiteral("ClassesForm"));
    classes_ = AddMaster(ClassesTable(), QStringLiteral("Cod_material"));
    BindAccountChecks(classes_, {QStringLiteral("CONT_SINT")});
    fw::TDataSource* classSource = AddSource(classes_);
    groups_ = AddMaster(GroupsTable(), QStringLiteral("Cod_material;Cod_grupa"));
    groups_->SetMasterSource(classSource);
    groups_->SetMasterFields(QStringLiteral("Cod_material"));
    BindAccountChecks(groups_, {QStringLiteral("Cont_sint")});
    fw::TDataSource* groupSource = AddSource(groups_);

    AddCaption(Body(), QStringLiteral("Clase de materiale"));
    AddGrid(Body(), classSource, true,
            {{"Cod_material", QStringLiteral("Cod clasa"), 80},
             {"Denumire", QStringLiteral("Denumire"), 320},
             {"CONT_SINT", QStringLiteral("Cont"), 80}},
            2);
    AddNavigator(Body(), classSource, true);
    AddCaption(Body(), QStringLiteral("Grupele clasei"));
    AddGrid(Body(), groupSource, true,
            {{"Cod_grupa", QStringLiteral("Cod grupa"), 80},
             {"Denumire", QStringLiteral("Denumire"), 320},
             {"Cont_sint", QStringLiteral("Cont"), 80}},
            3);
    AddNavigator(Body(), groupSource, true);
}

TCatalogForm::TCatalogForm(QWidget* owner) : TMasterForm(owner, QStringLiteral("Catalog de articole"))
{
    setObjectName(QStringLiteral("CatalogForm"));
    groups_ = AddTable(fw::GrupDB, QStringLiteral("Cod_grupa"), true);
    fw::TDataSource* groupSource = AddSource(groups_);
    TMasterBinding* binding = nullptr;
    articles_ = AddMaster(ArticlesTable(), QStringLiteral("Grupa;Cod"), &binding);
    articles_->SetMasterSource(groupSource);
    articles_->SetMasterFields(QStringLiteral("Cod_grupa"));
    BindArticleChecks(articles_);
    binding->CheckRow = [binding](fw::TTable* table) {
        if (table->FieldByName(QStringLiteral("Grupa"))->AsString().isEmpty())
            binding->Refuse(QStringLiteral("Adaugati mai intai grupa articolului (Nomenclatoare, Clase si grupe)!"));
    };
    SetDisplayFormat(articles_, {"Pret_vinzare"}, QStringLiteral("#,##0.00"));
    SetDisplayFormat(articles_, {"CantReteta", "Coef_TVA", "ZileValabilitate", "Stock_minim"},
                     QStringLiteral("#,##0.##"));
    fw::TDataSource* articleSource = AddSource(articles_);

    AddCaption(Body(), QStringLiteral("Grupe de articole"));
    AddGrid(Body(), groupSource, false,
            {{"Cod_grupa", QStringLiteral("Grupa"), 60},
             {"Denumire", QStringLiteral("Denumire"), 300},
             {"Cod_material", QStringLiteral("Clasa"), 60},
             {"Cont_sint", QStringLiteral("Cont"), 60}},
            1);
    AddCaption(Body(), QStringLiteral("Articolele grupei"));
    AddGrid(Body(), articleSource, true,
            {{"Cod", QStringLiteral("Cod"), 85},
             {"Denumire", QStringLiteral("Denumire"), 250},
             {"Unitate_masura", QStringLiteral("U.M."), 40},
             {"Pret_vinzare", QStringLiteral("Pret vanzare"), 85},
             {"Moneda", QStringLiteral("Moneda"), 55},
             {"Coef_TVA", QStringLiteral("TVA %"), 50},
             {"CantReteta", QStringLiteral("Cant. reteta"), 80},
             {"ZileValabilitate", QStringLiteral("Valabilitate (zile)"), 115},
             {"Stock_minim", QStringLiteral("Stoc minim"), 75},
             {"Cont_marfa", QStringLiteral("Cont marfa"), 75},
             {"Cont_cheltuieli", QStringLiteral("Cont cheltuieli"), 95},
             {"Cont_venituri", QStringLiteral("Cont venituri"), 90},
             {"Cont_TVA_Intrari", QStringLiteral("Cont TVA intrari"), 105},
             {"Cont_TVA_Iesiri", QStringLiteral("Cont TVA iesiri"), 100},
             {"Cont_adaos", QStringLiteral("Cont adaos"), 75},
             {"Cont_accize", QStringLiteral("Cont accize"), 80},
             {"Descriere", QStringLiteral("Descriere"), 250}},
            4);
    AddNavigator(Body(), articleSource, true);
}

TListForm::TListForm(QWidget* owner, const TListSpec& list) : TMasterForm(owner, list.Caption)
{
    setObjectName(list.ObjectName);
    table_ = AddMaster(list.Rules, list.Rules.Key, &binding_);
    fw::TDataSource* source = AddSource(table_);
    AddGrid(Body(), source, true, list.Columns);
    AddNavigator(Body(), source, true);
}

TWarehousesForm::TWarehousesForm(QWidget* owner)
    : TListForm(owner, {QStringLiteral("Gestiuni"),
                        QStringLiteral("WarehousesForm"),
                        WarehousesTable(),
                        {{"Cod", QStringLiteral("Cod"), 60},
                         {"Denumire", QStringLiteral("Denumire"), 260},
                         {"Responsabil", QStringLiteral("Responsabil"), 220}}})
{
}

TSuppliersForm::TSuppliersForm(QWidget* owner)
    : TListForm(owner, {QStringLiteral("Furnizori"),
                        QStringLiteral("SuppliersForm"),
                        SuppliersTable(),
                        {{"Cod_furnizor", QStringLiteral("Cod"), 80},
                         {"Nume_furnizor", QStringLiteral("Nume furnizor"), 300},
                         {"Cod_fiscal", QStringLiteral("Cod fiscal"), 100},
                         {"Localitate", QStringLiteral("Localitate"), 110},
                         {"Adresa", QStringLiteral("Adresa"), 200},
                         {"Telefon", QStringLiteral("Telefon"), 100}}})
{
}

TCurrenciesForm::TCurrenciesForm(QWidget* owner)
    : TListForm(owner, {QStringLiteral("Valute"),
                        QStringLiteral("CurrenciesForm"),
                        CurrenciesTable(),
                        {{"Valuta", QStringLiteral("Cod"), 60},
                         {"Denumire", QStringLiteral("Denumire"), 220},
                         {"Curs", QStringLiteral("Curs (lei)"), 100}}})
{
    // Prices in a currency are turned into lei by its rate: a rate of nothing would
    // make them nothing.
    TMasterBinding* binding = Binding();
    binding->CheckRow = [binding](fw::TTable* table) {
        if (table->FieldByName(QStringLiteral("Curs"))->AsFloat() <= 0)
            binding->Refuse(QStringLiteral("Cursul valutei trebuie sa fie mai mare decat zero!"));
    };
    SetDisplayFormat(Table(), {"Curs"}, QStringLiteral("#,##0.0000"));
}

} // namespace pelmaris
