// The master-data windows: each adds and edits its rows, and refuses to delete or
// recode a row that other data refers to, telling where it is used; the article checks
// are the catalog lookup's; the account-symbol rule.
#include "DbFixture.h"
#include "HostFixture.h"
#include "host/Company.h"
#include "host/MasterForms.h"
#include "host/ReceiptLedger.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace pelmaris;
using hosttest::THost;

namespace {

// A company where one row of each master table is in use and another is not.
QString MakeCompany(THost& host)
{
    QString dir = host.NewDir(QStringLiteral("firma"));
    PrepareCompanyDatabase(dir, {fw::RecipeTable()});
    const auto fill = [&](const QString& table, const std::vector<QVariantList>& rows) {
        auto t = testsupport::OpenTable(dir, table);
        for (const QVariantList& row : rows)
            t->AppendRecord(row);
    };
    fill(fw::MaterialeDB, {{"MP", "Materii prime", "301"}, {"AMB", "Ambalaje", "381"}});
    fill(fw::GrupDB, {{"MP", "01", "Materii prime", "301"}, {"MP", "05", "Diverse", "301"}});
    fill(fw::CatalogDB, {{"01", ".LAPTE", "Lapte crud", QVariant(), QVariant(), "l", 2.2, "RON"},
                        {"01", ".SARE", "Sare", QVariant(), QVariant(), "kg", 1.2, "RON"},
                        {"01", ".APA", "Apa", QVariant(), QVariant(), "l", 0.1}});
    fill(fw::RetetaDB, {{"IAURT", ".SARE", 1.0, "01"}});
    fill(fw::GestDB, {{"_FRG", "Frigorifer"}, {"_GOL", "Depozit gol"}});
    fill(fw::FurnDB, {{"FERMA1", "Ferma 1"}, {"FERMA9", "Ferma 9"}});
    fill(fw::ValutaDB, {{"EUR", "Euro", 4.97}});
    fill(fw::DocInDB, {{1.0, QDate(2026, 3, 2), 101.0, "NIR", QDate(2026, 3, 2), "FERMA1"}});
    AddReceiptLine(dir, {1.0, 1.0, "_FRG", "01", ".LAPTE", "L1", 100.0, 2.2, "RON", 2.2});
    return dir;
}

fw::TDBNavigator* Navigator(QObject* form, int index)
{
    return static_cast<TDataForm*>(form)->Navigators().at(size_t(index));
}

} // namespace

TEST(MasterData, EachWindowRefusesToDeleteARowInUseAndDeletesOneThatIsNot)
{
    struct Case {
        const char* what;
        std::function<fw::TTable*(THost&)> table; // opens the window, gives the table
        int navigator;
        QString keyFields;
        QVariantList used;
        QString refusal;
        QVariantList unused;
    };
    const auto classes = [](THost& h) { return static_cast<TClassesForm*>(h->ShowClasses())->Classes(); };
    const auto groups = [](THost& h) {
        auto* form = static_cast<TClassesForm*>(h->ShowClasses());
        form->Classes()->Locate(QStringLiteral("Cod_material"), {"MP"});
        return form->Groups();
    };
    const auto articles = [](THost& h) { return static_cast<TCatalogForm*>(h->ShowCatalog())->Articles(); };
    const auto list = [](TDataForm* f) { return static_cast<TListForm*>(f)->Table(); };
    const Case cases[] = {
        {"class", classes, 0, "Cod_material", {"MP"}, "Clasa <MP> nu poate fi stearsa: apare in grupe.", {"AMB"}},
        {"group", groups, 1, "Cod_grupa", {"01"},
         "Grupa <01> nu poate fi stearsa: apare in catalogul de articole si in stoc.", {"05"}},
        {"article with stock", articles, 0, "Cod", {".LAPTE"},
         "Articolul <01  .LAPTE> nu poate fi sters: apare in stoc si in documente de intrare.", {".APA"}},
        {"material of a recipe", articles, 0, "Cod", {".SARE"}, "Articolul <01  .SARE> nu poate fi sters: apare in retete.",
         {}},
        {"warehouse", [&](THost& h) { return list(h->ShowWarehouses()); }, 0, "Cod", {"_FRG"},
         "Gestiunea <_FRG> nu poate fi stearsa: apare in stoc si in documente de intrare.", {"_GOL"}},
        {"supplier", [&](THost& h) { return list(h->ShowSuppliers()); }, 0, "Cod_furnizor", {"FERMA1"},
         "Furnizorul <FERMA1> nu poate fi sters: apare in documente de intrare.", {"FERMA9"}},
        {"currency", [&](THost& h) { return list(h->ShowCurrencies()); }, 0, "Valuta", {"RON"},
         "Valuta <RON> nu poate fi stearsa: apare in catalogul de articole si in documente de intrare.", {"EUR"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TMessageRecorder messages;
        THost host;
        ASSERT_TRUE(host->OpenCompany(MakeCompany(host), false));
        fw::TTable* table = c.table(host);
        ASSERT_NE(table, nullptr);
        const int before = table->RecordCount();
        ASSERT_TRUE(table->Locate(c.keyFields, c.used));
        // The navigator asks first, then the refusal says where the row is used.
        EXPECT_THROW(Navigator(table->parent(), c.navigator)->BtnClick(fw::TNavigateBtn::Delete),
                     fw::EAbort);
        EXPECT_EQ(messages.Texts(), (QStringList{QStringLiteral("Stergeti inregistrarea?"), c.refusal}));
        EXPECT_EQ(table->RecordCount(), before);
        if (!c.unused.isEmpty()) {
            ASSERT_TRUE(table->Locate(c.keyFields, c.unused));
            table->Delete();
            EXPECT_EQ(table->RecordCount(), before - 1);
        }
        QApplication::processEvents();
        EXPECT_EQ(table->GetConnection()->TransactionDepth(), 0);
    }
}

TEST(MasterData, RowsAreAddedAndEditedButAKeyInUseKeepsItsCode)
{
    fw::TMessageRecorder messages;
    THost host;
    ASSERT_TRUE(host->OpenCompany(MakeCompany(host), false));
    fw::TTable* stores = static_cast<TListForm*>(host->ShowWarehouses())->Table();
    const auto set = [&](const char* field, const QString& value) {
        stores->FieldByName(QString::fromLatin1(field))->SetAsString(value);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        QString refusal; // empty: saved
    } steps[] = {
        {"new", [&] { stores->Append(); set("Cod", "_AMB"); set("Denumire", "Depozit ambalaje"); }, {}},
        {"name only", [&] { stores->Append(); set("Denumire", "Fara cod"); },
         "Introduceti codul si denumirea gestiunii!"},
        {"code taken", [&] { stores->Append(); set("Cod", "_FRG"); set("Denumire", "Alt frigorifer"); },
         "Gestiunea cu codul <_FRG> exista deja!"},
        {"renamed", [&] { stores->Locate("Cod", {"_FRG"}); stores->Edit(); set("Denumire", "Frigorifer mare"); }, {}},
        {"recoded in use", [&] { stores->Locate("Cod", {"_FRG"}); stores->Edit(); set("Cod", "_FR2"); },
         "Codul gestiunii <_FRG> nu poate fi schimbat: apare in stoc si in documente de intrare."},
        {"recoded unused", [&] { stores->Locate("Cod", {"_GOL"}); stores->Edit(); set("Cod", "_GO2"); }, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        messages.Clear();
        s.act();
        if (s.refusal.isEmpty()) {
            stores->Post();
            EXPECT_EQ(messages.Count(), 0);
        } else {
            EXPECT_THROW(stores->Post(), fw::EAbort);
            EXPECT_EQ(messages.Texts(), QStringList{s.refusal});
            EXPECT_TRUE(stores->IsEditing()); // the row stays for the user to mend
            stores->Cancel();
        }
    }
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT Cod || ' ' || Denumire FROM Gest ORDER BY Cod"),
              (QVariantList{"_AMB Depozit ambalaje", "_FRG Frigorifer mare", "_GO2 Depozit gol"}));
}

// Closing a window saves the row being edited in it; a row its rules refuse keeps the
// window open, told why, with the row as the user left it.
TEST(MasterData, ClosingAWindowSavesTheRowBeingEditedOrStaysOpenOnARefusal)
{
    fw::TMessageRecorder messages;
    THost host;
    ASSERT_TRUE(host->OpenCompany(MakeCompany(host), false));
    auto* form = static_cast<TListForm*>(host->ShowCurrencies());
    fw::TTable* currencies = form->Table();
    currencies->Append();
    currencies->FieldByName(QStringLiteral("Valuta"))->SetAsString(QStringLiteral("USD"));
    currencies->FieldByName(QStringLiteral("Denumire"))->SetAsString(QStringLiteral("Dolar"));
    EXPECT_FALSE(form->Close()); // no rate yet
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Cursul valutei trebuie sa fie mai mare decat zero!")});
    EXPECT_TRUE(currencies->IsEditing());
    EXPECT_EQ(currencies->FieldByName(QStringLiteral("Valuta"))->AsString(), QStringLiteral("USD"));
    currencies->FieldByName(QStringLiteral("Curs"))->SetAsFloat(4.6);
    EXPECT_TRUE(form->Close());
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT Valuta || ' ' || Curs FROM Valuta ORDER BY Valuta"),
              (QVariantList{"EUR 4.97", "RON 1.0", "USD 4.6"}));
}

TEST(MasterData, ArticlesTakeTheCatalogDefaultsAndItsFieldChecks)
{
    fw::TMessageRecorder messages;
    THost host;
    ASSERT_TRUE(host->OpenCompany(MakeCompany(host), false));
    fw::TTable* articles = static_cast<TCatalogForm*>(host->ShowCatalog())->Articles();
    articles->Append();
    EXPECT_EQ(articles->FieldByName(QStringLiteral("Grupa"))->AsString(), QStringLiteral("01"));
    EXPECT_EQ(articles->FieldByName(QStringLiteral("Cont_marfa"))->AsString(), QStringLiteral("371"));
    EXPECT_EQ(articles->FieldByName(QStringLiteral("Cont_TVA_Intrari"))->AsString(), QStringLiteral("4426"));
    EXPECT_EQ(articles->FieldByName(QStringLiteral("Coef_TVA"))->AsFloat(), 19.0);

    struct Value {
        const char* field;
        const char* value;
        QString refusal;
    } values[] = {
        {"Cont_marfa", "371.02.003", {}},
        {"Cont_cheltuieli", "6021.01.02.03", "Introduceti simbolul contului în format 999(9).99(9).99(9) !"},
        {"Cont_venituri", "12345678901.1", "Introduceti simbolul contului în format 999(9).99(9).99(9) !"},
        {"Moneda", "EUR", {}},
        {"Moneda", "XYZ", "<XYZ> nu exista în catalogul de valute!"},
        {"Moneda", "", "<> nu exista în catalogul de valute!"}, // as the catalog lookup says
    };
    for (const Value& v : values) {
        SCOPED_TRACE(v.value);
        messages.Clear();
        fw::TField* field = articles->FieldByName(QString::fromLatin1(v.field));
        const QString before = field->AsString();
        if (v.refusal.isEmpty()) {
            field->SetAsString(QString::fromLatin1(v.value));
            EXPECT_EQ(field->AsString(), QString::fromLatin1(v.value));
        } else {
            EXPECT_THROW(field->SetAsString(QString::fromLatin1(v.value)), fw::EAbort);
            EXPECT_EQ(messages.Texts(), QStringList{v.refusal});
            EXPECT_EQ(field->AsString(), before);
        }
    }
    messages.Clear();
    articles->FieldByName(QStringLiteral("Cod"))->SetAsString(QStringLiteral(".ZAHAR"));
    EXPECT_THROW(articles->Post(), fw::EAbort);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Introduceti atît codul si denumirea!")});
    articles->FieldByName(QStringLiteral("Denumire"))->SetAsString(QStringLiteral("Zahăr tos"));
    articles->Post();
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(),
                                     "SELECT Denumire || ' ' || Moneda || ' ' || Cont_marfa FROM CATALOG WHERE Cod = '.ZAHAR'"),
              (QVariantList{QStringLiteral("Zahăr tos EUR 371.02.003")}));
}

TEST(MasterData, DeletionChecksWhatOtherUsersWroteAndSurvivesAFailingWrite)
{
    fw::TMessageRecorder messages;
    THost host;
    ASSERT_TRUE(host->OpenCompany(MakeCompany(host), false));
    fw::TTable* stores = static_cast<TListForm*>(host->ShowWarehouses())->Table();
    // Another workstation puts a lot into the empty warehouse after the window opened.
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-user"));
        other.setDatabaseName(QDir(host->CompanyDir()).filePath(fw::DatabaseFileName()));
        ASSERT_TRUE(other.open());
        ASSERT_TRUE(QSqlQuery(other).exec(QStringLiteral(
            "INSERT INTO Stoc (Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Lot) VALUES (5, '.APA', '01', '_GOL', 'A1')")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other-user"));
    ASSERT_TRUE(stores->Locate(QStringLiteral("Cod"), {"_GOL"}));
    EXPECT_THROW(stores->Delete(), fw::EAbort);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Gestiunea <_GOL> nu poate fi stearsa: apare in stoc.")});

    // A write the database refuses leaves no transaction open behind it.
    fw::TTable* suppliers = static_cast<TListForm*>(host->ShowSuppliers())->Table();
    suppliers->GetConnection()->Exec(QStringLiteral(
        "CREATE TRIGGER no_delete BEFORE DELETE ON Furn BEGIN SELECT RAISE(ABORT, 'stergere interzisa'); END"));
    ASSERT_TRUE(suppliers->Locate(QStringLiteral("Cod_furnizor"), {"FERMA9"}));
    EXPECT_THROW(suppliers->Delete(), fw::EDatabaseError);
    QApplication::processEvents();
    EXPECT_EQ(suppliers->GetConnection()->TransactionDepth(), 0);
    stores->Append();
    stores->FieldByName(QStringLiteral("Cod"))->SetAsString(QStringLiteral("_NOU"));
    stores->FieldByName(QStringLiteral("Denumire"))->SetAsString(QStringLiteral("Depozit nou"));
    stores->Post();
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT COUNT(*) FROM Gest WHERE Cod = '_NOU'"),
              (QVariantList{1}));
}

TEST(CompanyRules, AccountSymbols)
{
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"4426", true},
        {"371.02.003", true},
        {"4426.01", true},
        {"1234567890.1", true},                        // ten characters before the first dot
        {"12345678901", false},                        // eleven
        {"12345678901.1", false},
        {"371.02.003.4", false},                       // three dots
        {"371.12345678901234567890", true},            // an analytic part of twenty
        {"371.123456789012345678901", false},          // and of twenty-one
        {"371.01.123456789012345678901", false},
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(fw::IsValidAccountSymbol(QString::fromLatin1(text)), valid) << text;
}
