// The traceability report on a real company: what each page holds, read from the page model.
#include "ProductionFixture.h"
#include "Company.h"
#include "DbFixture.h"
#include "Named.h"
#include "dialogs/CodeList.h"
#include "platform/core/Exceptions.h"
#include "platform/report/ReportPainter.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"
#include "reports/PrintSettings.h"
#include "reports/BusyMessage.h"
#include "reports/TraceabilityReport.h"

#include <QApplication>

#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

QStringList Named(const TReportDocument& doc, const QString& name, int page = -1)
{
    QStringList out;
    for (int p = 0; p < doc.PageCount(); ++p)
        if (page < 0 || p == page)
            for (const TPageText* text : doc.Pages[size_t(p)].TextsNamed(name))
                out << text->Text;
    return out;
}

TDateTime Day(int year, int month, int day) { return DateToDateTime(QDate(year, month, day)); }

class TraceabilityReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.Formats.DecimalSeparator = '.';
        context.Formats.ThousandSeparator = ',';
        context.Formats.ShortDateFormat = "dd/mm/yyyy";
        context.Formats.DateSeparator = '/';
        PresetTraceabilityPrintSettings(PrintSettingsOf(context));

        company.Add(fw::FirmDataDB, {{"Lactate Izvoare SRL", "Sânpetru, Brașov", "RO18452736"}});
        company.Add(fw::GestDB, {{"PF1", "Vana 1"}, {"PF2", "Vana 2"}, {"A\"B", "Vana cu ghilimele"}});
        company.Add(fw::FurnDB, {{"FERMA1", "Ferma Izvoare"}, {"FERMA2", "Ferma Dealul Mare"}});
        company.Add(fw::GrupDB, {{"MP", "01", "Materii prime"}, {"PF", "02", "Produse finite"}, {"SF", "04", "Semifabricate"}});
        Catalog("01", ".LAPTE", "Lapte crud de vacă", "l", 2, "");
        Catalog("01", ".SARE", "Sare alimentară", "kg", {}, "");
        Catalog("02", "TELEMEA", "Telemea de vacă", "kg", 60, "Maturată în saramură");
        Catalog("02", "CAS", "Caș proaspăt", "kg", 10, "Caș nematurat");
        Catalog("02", "IAURT", "Iaurt 3%", "buc", 0, "Iaurt natural");
        Catalog("02", "UNT", "Unt 80%", "buc", {}, "Unt nesărat");
        Catalog("04", ";MAIA", "Maia de iaurt", "kg", 3, "");
        // Receipt 1001: registered on the 2nd, document dated the 1st; its consumption
        // document carries the document date.
        Receipt(1, Day(2026, 3, 2), 1001, Day(2026, 3, 1), "FERMA1",
                {{"PF1", "02", "TELEMEA", "T-01", 100.0}, {"PF1", "02", "CAS", "T-01", 50.0},
                 {"PF1", "04", ";MAIA", "T-01", 10.0}, {"PF2", "02", "TELEMEA", "T-01", 30.0}});
        Consumption(501, 1001, Day(2026, 3, 1), {{"01", ".SARE", "SA-1", 5.0}, {"01", ".LAPTE", "LC-1", 650.0}});
        // A consumption document of another date with the same number belongs to no one here.
        Consumption(502, 1001, Day(2026, 2, 1), {{"01", ".LAPTE", "LC-OLD", 1.0}});
        // Receipt 1002 has no consumption document.
        Receipt(2, Day(2026, 3, 5), 1002, Day(2026, 3, 5), "FERMA2",
                {{"PF1", "02", "IAURT", "I-01", 200.0}, {"PF1", "02", "UNT", "I-01", 10.0}});
        Receipt(3, Day(2026, 3, 20), 1003, Day(2026, 3, 20), "FERMA1", {{"A\"B", "02", "TELEMEA", "Q-01", 5.0}});
        Receipt(4, Day(2026, 4, 10), 1004, Day(2026, 4, 10), "FERMA1", {{"PF1", "02", "CAS", "X-01", 7.0}});

        production.Connect(company);
    }

    void Catalog(const QString& group, const QString& code, const QString& name, const QString& unit, const QVariant& days,
                 const QString& description)
    {
        QVariantList row{group, code, name, 100.0, description, unit};
        while (row.size() < 18)
            row << QVariant();
        row << days;
        company.Add(fw::CatalogDB, {row});
    }
    struct Line {
        const char* Warehouse;
        const char* Group;
        const char* Article;
        const char* Lot;
        double Quantity;
    };
    void Receipt(double counter, TDateTime registered, double number, TDateTime dated, const QString& supplier,
                 const std::vector<Line>& lines)
    {
        company.Add(fw::DocInDB, {{counter, DateTimeToDate(registered), number, "NIR", DateTimeToDate(dated), supplier}});
        double n = 0;
        for (const Line& l : lines)
            company.Add(fw::ItemInDB, {{counter, ++n, l.Warehouse, l.Group, l.Article, l.Lot, l.Quantity, 1.0, "RON", 1.0}});
    }
    struct Material {
        const char* Group;
        const char* Article;
        const char* Lot;
        double Quantity;
    };
    // A consumption document as the requirement's generation writes it.
    void Consumption(double counter, double number, TDateTime dated, const std::vector<Material>& lines)
    {
        company.Add(fw::DocOutDB, {{counter, DateTimeToDate(dated), number, "BMC", DateTimeToDate(dated)}});
        double n = 0;
        for (const Material& m : lines) {
            QVariantList row{counter, ++n, "_MP", m.Group, m.Article, m.Quantity};
            while (row.size() < 17)
                row << QVariant();
            row << m.Lot;
            company.Add(fw::ItemOutDB, {row});
        }
    }
    std::unique_ptr<TTraceabilityReport> Open(TDateTime from = Day(2026, 3, 1), TDateTime to = Day(2026, 3, 31),
                                            const QStringList& warehouses = {}, const QStringList& suppliers = {})
    {
        return OpenTraceabilityReport(context, nullptr, from, to, JoinCodeList(warehouses), JoinCodeList(suppliers));
    }

    TestCompany company;
    testsupport::TProduction production;
    TProductionContext& context = production.Context;
    TMessageRecorder messages;
};

TEST_F(TraceabilityReport, EachLotOnItsOwnNumberedPageWithItsTotalsAndRawMaterials)
{
    auto form = Open();
    ASSERT_NE(form, nullptr) << messages.Texts().join('|').toStdString();
    // Nothing restricts warehouses or suppliers: both selection lines are empty.
    EXPECT_EQ(form->Receipts->SQL().at(10), "");
    EXPECT_EQ(form->Receipts->SQL().at(11), "");
    const TReportDocument doc = form->Report->Generate();
    ASSERT_EQ(doc.PageCount(), 3);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(Named(doc, "NrCrt", p), QStringList{QString::number(p + 1)});
        EXPECT_EQ(Named(doc, "Pagina", p), QStringList{"Pagina " + QString::number(p + 1)});
    }
    EXPECT_EQ(Named(doc, "Period", 2), QStringList{"în perioada 01/03/2026 - 31/03/2026"});
    EXPECT_EQ(Named(doc, "FirmDenumire", 2), QStringList{"Lactate Izvoare SRL"});
    EXPECT_EQ(Named(doc, "LotCaption"), (QStringList{"LOT: T-01", "LOT: I-01", "LOT: Q-01"}));
    EXPECT_EQ(Named(doc, "Data_inregistrarii"), (QStringList{"02.03.2026", "05.03.2026", "20.03.2026"}));
    EXPECT_EQ(Named(doc, "Provenienta"),
              (QStringList{"Provenienta: Ferma Izvoare", "Provenienta: Ferma Dealul Mare", "Provenienta: Ferma Izvoare"}));
    EXPECT_EQ(Named(doc, "Gestiune", 0), (QStringList{"Vana 1", "Vana 2"}));
    EXPECT_EQ(Named(doc, "DenGrupa", 0), (QStringList{"Produse finite:", "Semifabricate:", "Produse finite:"}));

    // Shelf life: 60 days, none (no expiry), 0 days (the registration date).
    EXPECT_EQ(Named(doc, "Articol", 0),
              (QStringList{"Caș proaspăt - expira la 12/03/2026", "Telemea de vacă - expira la 01/05/2026",
                           "Maia de iaurt - expira la 05/03/2026", "Telemea de vacă - expira la 01/05/2026"}));
    EXPECT_EQ(Named(doc, "Articol", 1), (QStringList{"Iaurt 3% - expira la 05/03/2026", "Unt 80%"}));
    EXPECT_EQ(Named(doc, "Cantitate", 0), (QStringList{"50.00", "100.00", "10.00", "30.00"}));

    // Totals count group "02" only and start again after each footer.
    EXPECT_EQ(Named(doc, "TotalGestiune"),
              (QStringList{"Total cantitate de produse finite/vana(sarja) Vana 1",
                           "Total cantitate de produse finite/vana(sarja) Vana 2",
                           "Total cantitate de produse finite/vana(sarja) Vana 1",
                           "Total cantitate de produse finite/vana(sarja) Vana cu ghilimele"}));
    EXPECT_EQ(Named(doc, "TotalGestiuneTotal"), (QStringList{"150.00", "30.00", "210.00", "5.00"}));
    EXPECT_EQ(Named(doc, "TotalLot"), (QStringList{"Total cantitate de produse finite/lot T-01",
                                                   "Total cantitate de produse finite/lot I-01",
                                                   "Total cantitate de produse finite/lot Q-01"}));
    EXPECT_EQ(Named(doc, "TotalLotTotal"), (QStringList{"180.00", "210.00", "5.00"}));
    EXPECT_EQ(Named(doc, "TotalGeneralTotal"), QStringList{"395.00"});
    EXPECT_EQ(Named(doc, "TotalGeneralTotal", 2), QStringList{"395.00"});

    // Raw materials: found by the receipt's number and document date, in their order;
    // the receipt without a consumption document shows the caption with empty columns.
    EXPECT_EQ(Named(doc, "MateriiPrime").size(), 5);
    EXPECT_EQ(Named(doc, "MPDenumire", 0),
              (QStringList{"Lapte crud de vacă", "Sare alimentară", "Lapte crud de vacă", "Sare alimentară",
                           "Lapte crud de vacă", "Sare alimentară"}));
    EXPECT_EQ(Named(doc, "MPLot", 0).mid(0, 2), (QStringList{"LC-1", "SA-1"}));
    EXPECT_EQ(Named(doc, "MPUM", 0).mid(0, 2), (QStringList{"l", "kg"}));
    EXPECT_EQ(Named(doc, "MPCantitate", 0).mid(0, 2), (QStringList{"650", "5"}));
    EXPECT_EQ(Named(doc, "MateriiPrime", 1).size(), 1);
    EXPECT_TRUE(Named(doc, "MPDenumire", 1).isEmpty());

    // The page footer names the last article printed on the page.
    EXPECT_EQ(Named(doc, "FisaProdusului", 0), QStringList{"Fisa Produsului Telemea de vacă"});
    EXPECT_EQ(Named(doc, "Descriere", 1), QStringList{"Unt nesărat"});

    // For a person to look at.
    ASSERT_TRUE(ExportPdf(doc, LookDir() + "/traceability.pdf"));
    ASSERT_TRUE(ExportPng(doc, 0, LookDir() + "/traceability-page1.png", 120));

    // Printing from the preview generates again: the lots are numbered from 1 again.
    EXPECT_EQ(Named(form->Report->Generate(), "NrCrt"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(messages.Count(), 0);
}

// The raw materials' statement stays prepared from receipt to receipt and run to run; what
// it reads is what the company holds at each run.
TEST_F(TraceabilityReport, RawMaterialsWrittenBetweenTwoRunsShowInTheSecond)
{
    auto form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(Named(form->Report->Generate(), "MPLot", 1).isEmpty());
    Consumption(503, 1002, Day(2026, 3, 5), {{"01", ".SARE", "SA-2", 2.0}});
    const TReportDocument doc = form->Report->Generate();
    EXPECT_EQ(Named(doc, "MPLot", 1), QStringList{"SA-2"});
    EXPECT_EQ(Named(doc, "MPCantitate", 1), QStringList{"2"});
    EXPECT_EQ(Named(doc, "MPLot", 0).mid(0, 2), (QStringList{"LC-1", "SA-1"}));
}

TEST_F(TraceabilityReport, ALinesOwnExpiryDateStandsBeforeTheShelfLife)
{
    // Receipt 1005 of the 25th: the curd's supplier date is before its 10 days (4 April),
    // the butter has no shelf life but a date of its own.
    company.Add(fw::DocInDB, {{5.0, QDate(2026, 3, 25), 1005.0, "NIR", QDate(2026, 3, 25), "FERMA2"}});
    const auto line = [](double n, const char* article, double quantity, const QDate& own) {
        QVariantList row{5.0, n, "PF1", "02", article, "Z-01", quantity, 1.0, "RON", 1.0};
        while (row.size() < 18)
            row << QVariant();
        row << own;
        return row;
    };
    company.Add(fw::ItemInDB, {line(1, "CAS", 4.0, QDate(2026, 3, 30)), line(2, "UNT", 2.0, QDate(2026, 6, 1))});
    auto form = Open();
    ASSERT_NE(form, nullptr) << messages.Texts().join('|').toStdString();
    const TReportDocument doc = form->Report->Generate();
    ASSERT_EQ(doc.PageCount(), 4);
    EXPECT_EQ(Named(doc, "Articol", 3), (QStringList{"Caș proaspăt - expira la 30/03/2026", "Unt 80% - expira la 01/06/2026"}));
    // The lines without a date of their own keep the registration day plus the shelf life.
    EXPECT_EQ(Named(doc, "Articol", 1), (QStringList{"Iaurt 3% - expira la 05/03/2026", "Unt 80%"}));
    // Run again in another date format: no date of the run before is kept.
    form->Report->FormatSettings.ShortDateFormat = "yyyy-mm-dd";
    const TReportDocument again = form->Report->Generate();
    EXPECT_EQ(Named(again, "Articol", 3), (QStringList{"Caș proaspăt - expira la 2026-03-30", "Unt 80% - expira la 2026-06-01"}));
}

TEST_F(TraceabilityReport, SelectionsBindEachCodeOfTheirLists)
{
    struct Case {
        const char* name;
        QStringList warehouses;
        QStringList suppliers;
        TDateTime from;
        TDateTime to;
        QStringList lots;
    };
    const std::vector<Case> cases = {
        {"a code with a quote selects exactly that warehouse", {"A\"B"}, {}, Day(2026, 3, 1), Day(2026, 3, 31),
         {"LOT: Q-01"}},
        {"two warehouses", {"PF2", "A\"B"}, {}, Day(2026, 3, 1), Day(2026, 3, 31), {"LOT: T-01", "LOT: Q-01"}},
        {"one supplier", {}, {"FERMA2"}, Day(2026, 3, 1), Day(2026, 3, 31), {"LOT: I-01"}},
        {"a code that is SQL text matches nothing", {"PF1') OR ('1'='1"}, {}, Day(2026, 1, 1), Day(2026, 12, 31), {}},
        {"the period's ends count, whatever their time of day", {}, {}, Day(2026, 3, 5) + 0.75, Day(2026, 3, 20) + 0.25,
         {"LOT: I-01", "LOT: Q-01"}},
        {"a period without receipts gives no pages", {}, {}, Day(2025, 1, 1), Day(2025, 12, 31), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = Open(c.from, c.to, c.warehouses, c.suppliers);
        ASSERT_NE(form, nullptr);
        const TReportDocument doc = form->Report->Generate();
        EXPECT_EQ(Named(doc, "LotCaption"), c.lots);
        EXPECT_EQ(doc.PageCount(), c.lots.size());
    }
    auto form = Open(Day(2026, 3, 1), Day(2026, 3, 31), {"PF1", "PF2"}, {"FERMA1"});
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Receipts->SQL().at(10), "(I.Cod_gestiune IN (:Gest1,:Gest2)) AND");
    EXPECT_EQ(form->Receipts->SQL().at(11), "(D.Furnizor IN (:Furn1)) AND");
}

TEST_F(TraceabilityReport, DatabaseErrorsAreReportedInTheAddOnsWords)
{
    // The report's query cannot be read: the user is told, and there is no report.
    RawColumn(company.Dir(), "DROP TABLE Grup");
    EXPECT_EQ(Open(), nullptr);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date!\r<")) << messages.Last().Text.toStdString();
    EXPECT_TRUE(messages.Last().Text.endsWith(">!"));
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(dynamic_cast<TBusyMessageForm*>(window), nullptr); // the busy message went too
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(TraceabilityReport, AnotherUsersUnfinishedWritingNeitherBlocksNorShows)
{
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "another-user");
        other.setDatabaseName(company.Dir() + "/tables.sqlite");
        ASSERT_TRUE(other.open());
        QSqlQuery q(other);
        ASSERT_TRUE(q.exec("BEGIN IMMEDIATE"));
        ASSERT_TRUE(q.exec("INSERT INTO Doc_in (Contor, Data_inregistrarii, Numar, Furnizor) VALUES (9, '2026-03-10', 9, 'FERMA1')"));
        ASSERT_TRUE(q.exec("INSERT INTO Item_in (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Lot, Cantitate)"
                           " VALUES (9, 1, 'PF1', '02', 'CAS', 'U-01', 1)"));
        // A reader that waited for the lock would end in "database is locked".
        auto form = Open();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(Named(form->Report->Generate(), "LotCaption"), (QStringList{"LOT: T-01", "LOT: I-01", "LOT: Q-01"}));
        EXPECT_EQ(messages.Count(), 0);
        q.exec("ROLLBACK");
        other.close();
    }
    QSqlDatabase::removeDatabase("another-user");
}

TEST_F(TraceabilityReport, RawMaterialsThatCannotBeReadStopTheReportWithTheAddOnsWords)
{
    auto form = Open();
    ASSERT_NE(form, nullptr);
    RawColumn(company.Dir(), "DROP TABLE Item_out");
    try {
        form->Report->Generate();
        ADD_FAILURE() << "the report was made without its raw materials";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith("Eroare de acces la baza de date!\r<"));
    }
}

TEST_F(TraceabilityReport, ARawMaterialListLongerThanAPageContinuesOnTheNext)
{
    std::vector<Material> many;
    std::vector<QByteArray> lots;
    lots.reserve(150);
    many.reserve(150);
    for (int i = 0; i < 150; ++i)
        lots.push_back(QByteArray("L-") + QByteArray::number(1000 + i));
    for (int i = 0; i < 150; ++i)
        many.push_back({"01", ".LAPTE", lots[size_t(i)].constData(), 1.0});
    Consumption(503, 1003, Day(2026, 3, 20), many);
    auto form = Open(Day(2026, 3, 20), Day(2026, 3, 20));
    ASSERT_NE(form, nullptr);
    const TReportDocument doc = form->Report->Generate();
    ASSERT_GE(doc.PageCount(), 3);
    QStringList printed = Named(doc, "MPLot");
    EXPECT_EQ(printed.size(), 150);
    EXPECT_EQ(printed.first(), "L-1000");
    EXPECT_EQ(printed.last(), "L-1149");
    // Every page keeps its texts above the page footer, and the totals follow the list.
    for (const TReportPage& page : doc.Pages) {
        const double footerTop = page.TextsNamed("Pagina").front()->Rect.top();
        for (const TPageText& text : page.Texts)
            EXPECT_TRUE(!text.Name.startsWith("MP") || text.Rect.bottom() < footerTop) << text.Text.toStdString();
        // The rules of a list cut at the page's end stop there as well.
        for (const TPageLine& line : page.Lines)
            EXPECT_TRUE(line.From.y() != line.To.y() ? std::max(line.From.y(), line.To.y()) < footerTop : true);
    }
    EXPECT_EQ(Named(doc, "TotalLotTotal", doc.PageCount() - 1), QStringList{"5.00"});
}

TEST(WorkMessage, WidensForALongTextAndGoesAway)
{
    QPointer<TBusyMessageForm> form;
    {
        const TBusyMessage message(nullptr, "Selectez datele...");
        form = message.Form();
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->size(), QSize(325, 39));
        EXPECT_EQ(testsupport::Named<QLabel>(form, "TextLabel")->text(), "Selectez datele...");
        form->grab().save(LookDir() + "/work-message.png");
    }
    EXPECT_EQ(form, nullptr);
    const QString longText = QString("Selectez datele pentru raportul de trasabilitate al produselor finite ").repeated(2);
    {
        const TBusyMessage message(nullptr, longText);
        form = message.Form();
        const int need = testsupport::Named<QLabel>(form, "TextLabel")->fontMetrics().horizontalAdvance(longText)
                         + TBusyMessageForm::kPictureWidth + 18;
        const QRect screen = form->screen()->availableGeometry();
        EXPECT_EQ(form->width(), std::min(need, screen.width()));
        EXPECT_EQ(form->height(), 39);
        EXPECT_NEAR(form->geometry().center().x(), screen.center().x(), 1);
    }
    EXPECT_EQ(form, nullptr);
}

} // namespace
