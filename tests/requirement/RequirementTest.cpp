// The requirement of a receipt and the consumption document made from it, against a real
// company database.
#include "platform/db/Connection.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

TEST(Requirement, TermsAreRoundedThenSummedPerGroupAndMaterialAndProductsWithoutYieldNamed)
{
    TMessageRecorder messages;
    RequirementCompany c;
    for (const auto& [code, yield] : {std::pair{"P04", 10.0}, {"P06", 10.0}, {"P25", 1.0}, {"P35", 1.0}, {"IAURT", 100.0}})
        c.company.Article("02", code, code, yield);
    c.company.Article("05", "IAURT", "Iaurt la galeata", 50.0); // the same code in another group
    c.company.Article("02", "TELEMEA", "Telemea", 0.0);
    c.company.Article("02", "CAS", "Cas");                      // no yield at all
    for (const auto& [product, material, group, quantity] :
         {std::tuple{"P04", ".A", "01", 4.0}, {"P06", ".B", "01", 6.0}, {"P25", ".C", "01", 2.5}, {"P25", ".Z", "00", 1.0},
          {"P35", ".D", "01", 3.5}, {"IAURT", ".L", "01", 10.0}, {"TELEMEA", ".S", "01", 5.0}, {"CAS", ".S", "01", 1.0}})
        c.company.RecipeRow(product, material, group, quantity);
    c.Receipt(1, {{"02", "P04", 1}, {"02", "P04", 1}, {"02", "P06", 1}, {"02", "P06", 1}, {"02", "P25", 1},
                  {"02", "P35", 1}, {"02", "IAURT", 100}, {"02", "TELEMEA", 9}, {"02", "CAS", 9}, {"02", "UNT", 9}});
    c.Receipt(2, {{"02", "P35", 100}});

    const TPreparedRequirement prepared = PrepareRequirement(*c.dm, 1);
    EXPECT_TRUE(prepared.ReceiptFound);
    // 0.4 + 0.4 -> 0, 0.6 + 0.6 -> 2, 2.5 -> 2, 3.5 -> 4, the yogurt by its own group's
    // yield, nothing from the products without yield (.S, which only they need, is not
    // listed, as the warning says); by group, then code.
    EXPECT_EQ(J(c.Requirement()), "00/.Z=1 | 01/.A=0 | 01/.B=2 | 01/.C=2 | 01/.D=4 | 01/.L=10");
    EXPECT_EQ(J(PreparationWarnings(prepared)),
              "Produsele de mai jos nu au cantitatea rezultata conform retetarului (este zero sau necompletata in "
              "catalog), asa ca materiile lor prime nu au fost incluse in necesar:\r02  CAS  Cas\r02  TELEMEA  Telemea | "
              "Necesarul materiilor prime de mai jos a fost rotunjit la zero cu zecimalele din setari (Zecimale necesar), "
              "asa ca nu vor fi consumate:\r01  .A  ");
    PrepareRequirement(*c.dm, 3); // no such receipt: nothing of the earlier rows survives
    EXPECT_TRUE(c.Requirement().isEmpty());
    CloseRequirement(*c.dm);
    EXPECT_FALSE(c.dm->Requirement().TempTable()->Exists());
    EXPECT_EQ(messages.Count(), 0);
}

TEST(Requirement, TermsAreRoundedToTheSettingsDecimalsAndWhatWentToZeroIsNamed)
{
    // 200 kg of cream: 0.005 kg of culture and 1.2 kg of kefir grains per 100 kg, so 0.01
    // and 2.4; 1 kg of milk per kg.
    for (const auto& [decimals, rows, warned] :
         {std::tuple{0, "01/.CULT=0 | 01/.GRAU=2 | 01/.LAPTE=200", true}, {3, "01/.CULT=0.01 | 01/.GRAU=2.4 | 01/.LAPTE=200", false}}) {
        SCOPED_TRACE(decimals);
        TMessageRecorder messages;
        RequirementCompany c;
        testsupport::TempDir iniDir;
        c.production.Context.Settings.FixedDirectory = iniDir.Path(); // no settings file: this holds
        c.production.Context.Settings.RequirementDecimals = decimals;
        c.company.Article("02", "SMANTANA", "Smantana", 100.0);
        c.company.Article("01", ".CULT", "Cultura starter");
        for (const auto& [material, quantity] : {std::pair{".CULT", 0.005}, {".GRAU", 1.2}, {".LAPTE", 100.0}})
            c.company.RecipeRow("SMANTANA", material, "01", quantity);
        c.Receipt(1, {{"02", "SMANTANA", 200}});
        const TPreparedRequirement prepared = PrepareRequirement(*c.dm, 1);
        QStringList figures; // whatever the locale's decimal separator
        for (TDataSet* t = c.dm->Requirement().TempTable(); !t->Eof(); t->Next())
            figures << t->FieldByName("Cod_grupa")->AsString() + "/" + t->FieldByName("Cod_MatPrim")->AsString() + "=" +
                           QString::number(t->FieldByName("Cant")->AsFloat());
        EXPECT_EQ(J(figures), rows);
        const QString warning = "Necesarul materiilor prime de mai jos a fost rotunjit la zero cu zecimalele din setari "
                                "(Zecimale necesar), asa ca nu vor fi consumate:\r01  .CULT  Cultura starter";
        EXPECT_EQ(PreparationWarnings(prepared), warned ? QStringList{warning} : QStringList{});
    }
}

// Only the embedded engine keeps text in a number column, as another program may leave it.
TEST(UnreadableTerms, AreNamedOnceAfterPreparing)
{
    TMessageRecorder messages;
    RequirementCompany c;
    if (testsupport::OnServer())
        GTEST_SKIP() << "a server's number columns hold numbers only";
    c.company.Article("02", "IAURT", "Iaurt", 100.0);
    c.company.Article("02", "BRANZA", "Branza", 10.0);
    c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
    c.company.RecipeRow("IAURT", ".SARE", "01", 1);
    c.company.RecipeRow("BRANZA", ".LAPTE", "01", 50);
    c.Receipt(1, {{"02", "IAURT", 200}, {"02", "BRANZA", 10}, {"02", "IAURT", 100}});
    auto company = fw::Connection::Open(c.company.Dir());
    company->Exec("UPDATE Reteta SET Cant_MatPrim = 'abc' WHERE Cod_MatPrim = '.SARE'");
    company->Exec("UPDATE Item_in SET Cantitate = '2,5' WHERE Contor_secundar = 3");
    company->Exec("UPDATE CATALOG SET CantReteta = 'zece' WHERE Cod = 'BRANZA'");
    const TPreparedRequirement prepared = PrepareRequirement(*c.dm, 1);
    EXPECT_EQ(PreparationWarnings(prepared),
              QStringList{"Valorile de mai jos nu sunt numere, asa ca necesarul nu le-a putut citi; corectati-le si calculati "
                          "din nou necesarul:\r"
                          "Cantitatea din reteta produsului 02  IAURT pentru 01  .SARE: <abc>\r"
                          "Cantitatea rezultata conform retetarului a produsului 02  BRANZA: <zece>\r"
                          "Cantitatea de pe linia 3 a documentului (02  IAURT): <2,5>"});
    CloseRequirement(*c.dm);
}

struct Lot {
    const char *Group, *Warehouse;
    double Quantity;
    const char* Name;
};
struct DrawCase {
    const char* Name;
    std::vector<Lot> Lots;          // of material .A
    std::vector<TLine> Rows;        // the requirement as the user left it
    const char *Lines, *LotsAfter;
    bool Asked = false;
};

TEST(Consumption, LotsAreDrawnInTheirOrderUnderTheStockRule)
{
    const std::vector<DrawCase> cases = {
        {"the first lot covers", {{"01", "_MP", 12, "L1"}}, {{"01", ".A", 10}}, "1 01/.A L1 10.0", "L1=2.0"},
        {"within the tolerance the lot goes", {{"01", "_MP", 10.0000005, "L1"}, {"01", "_MP", 3, "L2"}}, {{"01", ".A", 10}},
         "1 01/.A L1 10.0", "L2=3.0"},
        {"several lots", {{"01", "_MP", 4, "L1"}, {"01", "_MP", 0, "L2"}, {"01", "_MP", 3, "L3"}, {"01", "_MP", 8, "L4"}},
         {{"01", ".A", 10}}, "1 01/.A L1 4.0 | 2 01/.A L3 3.0 | 3 01/.A L4 3.0", "L2=0.0 | L4=5.0"},
        {"a negative quantity goes into the first lot", {{"01", "_MP", 5, "L1"}, {"01", "_MP", 5, "L2"}},
         {{"01", ".A", -3}}, "1 01/.A L1 -3.0", "L1=8.0 | L2=5.0"},
        {"a short row is left out, the others written", {{"01", "_MP", 4, "L1"}, {"04", "_MP", 5, "L2"}},
         {{"01", ".A", 10}, {"04", ".A", 2}}, "1 04/.A L2 2.0", "L1=4.0 | L2=3.0", true},
        {"the group is part of the material", {{"04", "_MP", 5, "L1"}, {"01", "_MP", 5, "L2"}},
         {{"01", ".A", 3}, {"04", ".A", 2}}, "1 01/.A L2 3.0 | 2 04/.A L1 2.0", "L1=3.0 | L2=2.0"},
        {"only lots the stock rule counts",
         {{"01", "PF", 50, "L1"}, {"01", "_MP", 2, "L2"}, {"01", "MAG", 50, "L3"}, {"01", "_FRG", 9, "L4"}},
         {{"01", ".A", 6}}, "1 01/.A L2 2.0 | 2 01/.A L4 4.0", "L1=50.0 | L3=50.0 | L4=5.0"},
        {"an empty group matches lots without one", {{"", "_MP", 5, "L1"}, {"01", "_MP", 5, "L2"}}, {{"", ".A", 1}},
         "1 /.A L1 1.0", "L1=4.0 | L2=5.0"},
        {"lots giving the row exactly are emptied", {{"01", "_MP", 6, "L1"}, {"01", "_MP", 4, "L2"}, {"01", "_MP", 1, "L3"}},
         {{"01", ".A", 10}}, "1 01/.A L1 6.0 | 2 01/.A L2 4.0", "L3=1.0"},
        {"lots short of the row by less than the tolerance give what they hold",
         {{"01", "_MP", 6, "L1"}, {"01", "_MP", 3.9999995, "L2"}}, {{"01", ".A", 10}}, "1 01/.A L1 6.0 | 2 01/.A L2 3.9999995", ""},
        // 10 - 8 = 2 on hand for 5, though the first lot alone covers the row.
        {"a lot below nothing in another warehouse makes a covered row short",
         {{"01", "_MP", 10, "L1"}, {"01", "_FRG", -8, "L2"}, {"04", "_MP", 5, "L3"}}, {{"01", ".A", 5}, {"04", ".A", 2}},
         "1 04/.A L3 2.0", "L1=10.0 | L2=-8.0 | L3=3.0", true},
    };
    for (const DrawCase& k : cases) {
        SCOPED_TRACE(k.Name);
        TMessageRecorder messages; // "Da"
        RequirementCompany c;
        for (const Lot& l : k.Lots)
            c.company.Lot(l.Group, ".A", l.Warehouse, l.Quantity, l.Name);
        c.company.Article("01", ".A", "A");
        c.company.Article("04", ".A", "A");
        c.Receipt(1, {});
        PrepareRequirement(*c.dm, 1);
        for (const TLine& r : k.Rows)
            c.dm->Requirement().TempTable()->AppendRecord({r.Group, r.Code, r.Quantity});
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
        EXPECT_EQ(J(c.Lines()), k.Lines);
        EXPECT_EQ(J(c.Lots()), k.LotsAfter);
        EXPECT_EQ(c.Strings("SELECT Contor FROM Doc_out"), QStringList{"8.0"});
        EXPECT_EQ(messages.Texts(), k.Asked ? QStringList{NegativeQuestion} : QStringList{});
    }
}

// The raw-material warehouses are those whose code begins with the prefix, read as a range
// of codes: the codes either side of its bounds, a prefix beyond ASCII and the last one
// before the surrogates. The figure shows, and the draw takes, those lots alone.
TEST(Consumption, OnlyWarehousesBeginningWithThePrefixCount)
{
    struct Case {
        char16_t Prefix;
        std::vector<std::pair<QString, double>> Warehouses; // lot Ln is the nth
        double OnHand;
        const char* LotsAfter;
    };
    const std::vector<Case> cases = {
        {u'_', {{"^MP", 1}, {"_", 2}, {"__MP", 4}, {"`MP", 8}, {"a_", 16}, {QStringLiteral("_\u0100"), 32}, {"`", 64}}, 38,
         "L1=1.0 | L4=8.0 | L5=16.0 | L7=64.0"},
        {u'\u015E', {{QStringLiteral("\u015EM"), 1}, {QStringLiteral("\u015F"), 2}, {QStringLiteral("\u015C"), 4}, {QStringLiteral("\u015E"), 8}}, 9, "L2=2.0 | L3=4.0"},
        {u'\uD7FF', {{QStringLiteral("\uD7FF1"), 1}, {QStringLiteral("\uE000"), 2}, {QStringLiteral("\uD7FE"), 4}}, 1, "L2=2.0 | L3=4.0"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(int(k.Prefix));
        TMessageRecorder messages;
        RequirementCompany c;
        testsupport::TempDir iniDir;
        c.production.Context.Settings.FixedDirectory = iniDir.Path(); // no settings file: this holds
        c.production.Context.Settings.RawWarehousePrefix = QChar(k.Prefix);
        c.company.Article("01", ".A", "A");
        int n = 0;
        for (const auto& [warehouse, quantity] : k.Warehouses)
            c.company.Lot("01", ".A", warehouse, quantity, "L" + QString::number(++n));
        c.Receipt(1, {});
        PrepareRequirement(*c.dm, 1);
        TTable* temp = c.dm->Requirement().TempTable();
        temp->AppendRecord({"01", ".A", k.OnHand});
        EXPECT_EQ(temp->FieldByName("StocExist")->AsFloat(), k.OnHand);
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
        EXPECT_EQ(J(c.Lots()), k.LotsAfter);
        EXPECT_EQ(messages.Count(), 0);
    }
}

TEST(Consumption, HeaderAndLineCarryTheReceiptTheLotAndTheCatalog)
{
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("01", ".LAPTE", "Lapte crud"); // accounts 371, 607, 4427, 446, 378, 707
    c.company.Lot("01", ".LAPTE", "_FRG", 100, "LC-1");
    c.company.Article("02", "IAURT", "Iaurt", 100.0);
    c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
    c.Receipt(5, {{"02", "IAURT", 200}});
    PrepareRequirement(*c.dm, 5);
    ASSERT_EQ(GenerateConsumption(*c.dm, 5, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    EXPECT_TRUE(c.production.Context.ReceiptsNeedRefresh);
    EXPECT_EQ(c.Strings("SELECT NewCounterOut FROM COUNTER"), QStringList{"8.0"});
    // Signed by the first user in the table's order; no customer, no due date.
    EXPECT_EQ(J(c.Joined("SELECT Data_inregistrarii, Numar, Tip, Data, Agent, Client, Data_scadenta, Explicatie FROM Doc_out")),
              "2026-12-07|125.0|BMC|2026-12-07|ADM|NULL|NULL|Consum coresp. ABC 125/" +
                  DateToStr(DateToDateTime(QDate(2026, 12, 7)), c.production.Context.Formats).toStdString());
    const QStringList line{"Contor", "Contor_secundar", "Cod_gestiune", "Cod_grupa", "Cod_articol", "Cantitate",
                           "Pret_achizitie", "Pret_vinzare", "Pret_vz_echiv_USD", "TVA", "Cont_marfa", "Cont_cheltuieli",
                           "Cont_TVA_Iesiri", "Cont_accize", "Acciza", "Cod_bare", "Cont_adaos",
                           "Cont_venituri", "Lot", "Agent"};
    EXPECT_EQ(J(c.Joined("SELECT " + line.join(", ") + " FROM Item_out")),
              "8.0|1.0|_FRG|01|.LAPTE|26.0|2.5|2.5|0.0|0.0|371|607|4427|446|NULL|NULL|378|707|LC-1|ADM");
    EXPECT_EQ(messages.Count(), 0);
}

TEST(Consumption, TheHeaderGoesUnderTheAgentGivenAndEachLineUnderItsLots)
{
    RequirementCompany c;
    c.company.Article("01", ".A", "A");
    c.company.Lot("01", ".A", "_MP", 10, "L1"); // entered by ADM
    c.Receipt(1, {});
    PrepareRequirement(*c.dm, 1);
    c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", 2.0});
    ASSERT_EQ(GenerateConsumption(*c.dm, 1, "ION"), std::optional<double>(8.0));
    EXPECT_EQ(c.Strings("SELECT Agent FROM Doc_out"), QStringList{"ION"});
    EXPECT_EQ(c.Strings("SELECT Agent FROM Item_out"), QStringList{"ADM"});
}

TEST(Consumption, NoRowLeftToDrawWritesNoDocumentAndSaysSo)
{
    const QString nothing = "Nu exista niciun material de consumat: documentul de iesire nu a fost generat.";
    // Nothing required, or every row short and left out after "Da".
    for (const auto& [quantity, told] : {std::pair{0.0, QStringList{nothing}}, {10.0, QStringList{NegativeQuestion, nothing}}}) {
        TMessageRecorder messages;
        RequirementCompany c;
        c.company.Article("01", ".A", "A");
        c.company.Lot("01", ".A", "_MP", 4, "L1");
        c.Receipt(1, {});
        PrepareRequirement(*c.dm, 1);
        c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", quantity});
        const QStringList before = c.Dump();
        for (int click = 0; click < 2; ++click)
            EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
        ASSERT_EQ(messages.Texts(), told + told);
        EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
        EXPECT_EQ(c.Dump(), before); // no header, the counter as it was
    }
}

TEST(Consumption, ACounterBehindTheDocumentsNeverHandsOutANumberInUse)
{
    // Documents 1, 8 and 12 exist (written by another program); the counter says 7, nothing,
    // or there is no counter row at all.
    for (const char* counter : {"UPDATE COUNTER SET NewCounterOut = 7", "UPDATE COUNTER SET NewCounterOut = NULL",
                                "DELETE FROM COUNTER"}) {
        SCOPED_TRACE(counter);
        TMessageRecorder messages;
        RequirementCompany c;
        c.company.Article("01", ".A", "A");
        c.company.Lot("01", ".A", "_MP", 5, "L1");
        c.company.Add(fw::DocOutDB, {{1.0}, {8.0}, {12.0}});
        fw::Connection::Open(c.company.Dir())->Exec(counter);
        c.Receipt(1, {});
        PrepareRequirement(*c.dm, 1);
        c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", 2.0});
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(13.0));
        EXPECT_EQ(c.Strings("SELECT NewCounterOut FROM COUNTER"), QStringList{"13.0"});
        EXPECT_EQ(c.Strings("SELECT Contor FROM Item_out"), QStringList{"13.0"});
        EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    }
}

TEST(Consumption, AStopWritesNothing)
{
    const QString notSaved = "Salvati documentul de intrare inainte de a genera consumul!";
    // No number, no date (told before anything is asked), or "Nu" to the question.
    for (const auto& [number, date, answer, told] :
         {std::tuple{QVariant(), QVariant(QDate(2026, 1, 2)), TModalResult::Yes, notSaved},
          {QVariant(7.0), QVariant(), TModalResult::Yes, notSaved}, {QVariant(7.0), QVariant(QDate(2026, 1, 2)), TModalResult::No, NegativeQuestion}}) {
        TMessageRecorder messages;
        messages.SetDefaultAnswer(answer);
        RequirementCompany c;
        c.company.Article("01", ".A", "A");
        c.company.Lot("01", ".A", "_MP", 1, "L1");
        c.Receipt(1, {}, number, date);
        PrepareRequirement(*c.dm, 1);
        c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", 5.0});
        const QStringList before = c.Dump();
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
        EXPECT_EQ(messages.Texts(), QStringList{told});
        EXPECT_EQ(c.Dump(), before);
    }
}

TEST(Consumption, ASecondDocumentOfAReceiptIsAskedFirstNoBeingTheDefault)
{
    const QString again = "Documentul de intrare are deja documentul de consum nr. 125 din 07.12.2026. Generati inca unul?";
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("01", ".A", "A");
    c.company.Lot("01", ".A", "_MP", 10, "L1");
    c.Receipt(1, {});
    PrepareRequirement(*c.dm, 1);
    c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", 2.0});
    ASSERT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    EXPECT_EQ(messages.Count(), 0);

    // Refused: nothing written. Accepted: a second document, asked once more for a third.
    messages.Answer(TModalResult::No);
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    EXPECT_EQ(messages.Texts(), QStringList{again});
    EXPECT_EQ(messages.Last().Default, TModalResult::No);
    EXPECT_EQ(J(c.Lots()), "L1=8.0");
    messages.Clear();
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(9.0));
    EXPECT_EQ(J(c.Lots()), "L1=6.0");
    messages.Answer(TModalResult::No);
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    EXPECT_EQ(messages.Texts(), (QStringList{again, "Documentul de intrare are deja documentele de consum nr. 125 din "
                                                    "07.12.2026. Generati inca unul?"}));
    EXPECT_EQ(c.Strings("SELECT Contor FROM Doc_out ORDER BY Contor"), (QStringList{"8.0", "9.0"}));
}

} // namespace
