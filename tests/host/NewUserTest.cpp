// A new user's first day: a new, empty company, a class and a group, two articles, a
// warehouse and a supplier, a receipt, and its stock; a picture of each window is left in
// the look folder (named after the screen) for a person to check.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "TempDir.h"
#include "host/Browsers.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "host/MasterForms.h"
#include "platform/db/Table.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QScreen>
#include <gtest/gtest.h>

using namespace pelmaris;

namespace {

void Set(fw::TTable* table, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    for (const auto& [field, value] : values)
        table->FieldByName(QString::fromLatin1(field))->SetValue(value);
}

void Add(fw::TTable* table, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    table->Append();
    Set(table, values);
    table->Post();
}

} // namespace

TEST(NewUser, FromAnEmptyCompanyToTheStockOfTheFirstReceipt)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    TMainForm* main = host->MainForm();
    main->ShowOnScreen();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const auto picture = [&](const char* name) {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        main->grab().save(QStringLiteral("%1/host-nou-%2x%3-%4.png")
                              .arg(testsupport::LookDir())
                              .arg(screen.width())
                              .arg(screen.height())
                              .arg(QString::fromLatin1(name)));
    };

    // The user agrees to make the empty folder a company.
    messages.Answer(fw::TModalResult::Yes);
    ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("Lactate Noi"))));
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts().first().contains(QStringLiteral("Creati o firma noua")));
    messages.Clear();

    auto* classes = static_cast<TClassesForm*>(host->ShowClasses());
    Add(classes->Classes(), {{"Cod_material", "MP"}, {"Denumire", "Materii prime"}, {"CONT_SINT", "301"}});
    Add(classes->Groups(), {{"Cod_grupa", "01"}, {"Denumire", "Lapte și smântână"}, {"Cont_sint", "301"}});
    picture("clase");

    auto* catalog = static_cast<TCatalogForm*>(host->ShowCatalog());
    Add(catalog->Articles(), {{"Cod", ".LAPTE"}, {"Denumire", "Lapte crud de vacă"}, {"Unitate_masura", "l"},
                              {"Moneda", "RON"}, {"Cont_marfa", "301"}});
    Add(catalog->Articles(), {{"Cod", ".SMANT"}, {"Denumire", "Smântână crudă"}, {"Unitate_masura", "kg"},
                              {"Moneda", "RON"}, {"Cont_marfa", "301"}});
    picture("articole");
    // The grid shows both new rows (the first added to an empty table too).
    EXPECT_EQ(catalog->Grids().at(1)->model()->rowCount(), 2);

    Add(static_cast<TListForm*>(host->ShowWarehouses())->Table(),
        {{"Cod", "_FRG"}, {"Denumire", "Frigorifer materii prime"}, {"Responsabil", "Vasile Nistor"}});
    picture("gestiuni");
    Add(static_cast<TListForm*>(host->ShowSuppliers())->Table(),
        {{"Cod_furnizor", "FERMA1"}, {"Nume_furnizor", "Agroferma Valea Mureșului SRL"}, {"Localitate", "Sânpetru"}});
    picture("furnizori");

    TDocInForm* receipts = host->ShowDocIn();
    ASSERT_NE(receipts, nullptr);
    Add(receipts->Headers(), {{"Numar", 1.0}, {"Furnizor", "FERMA1"}, {"Explicatie", "Lapte crud, aviz 12"}});
    Add(receipts->Lines(), {{"Cod_gestiune", "_FRG"}, {"Cod_grupa", "01"}, {"Cod_articol", ".LAPTE"}, {"Lot", "LC-001"},
                            {"Cantitate", 1200.0}, {"Pret_achizitie_lei", 2.2}});
    picture("receptie");
    EXPECT_EQ(receipts->HeaderGrid()->model()->rowCount(), 1);
    EXPECT_EQ(receipts->LineGrid()->model()->rowCount(), 1);

    auto* stock = static_cast<TStockForm*>(host->ShowStock());
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(stock->Stock()->RecordCount(), 1);
    EXPECT_EQ(stock->Stock()->FieldByName(QStringLiteral("Denumire"))->AsString(), QStringLiteral("Lapte crud de vacă"));
    EXPECT_EQ(stock->Stock()->FieldByName(QStringLiteral("Cantitate"))->AsFloat(), 1200.0);
    EXPECT_EQ(stock->TotalText(), "Valoarea stocului: " + fw::FormatFloat("#,##0.00", 2640) + " lei");
    picture("stoc");
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}
