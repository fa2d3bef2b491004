// The requirement of a receipt and the consumption document made from it, against a real
// company database: how the requirement is computed, and what the document takes from
// which lot.
#include "RequirementCompany.h"
#include "platform/core/Formats.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "shell/AddOnFormats.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {


TEST(Requirement, EachTermIsRoundedThenSummedPerGroupAndMaterial)
{
    TMessageRecorder messages;
    RequirementCompany c;
    for (const auto& [code, yield] : {std::pair{"P04", 10.0}, {"P06", 10.0}, {"P25", 1.0}, {"P35", 1.0}, {"IAURT", 100.0}})
        c.company.Article("02", code, code, yield);
    c.company.Article("05", "IAURT", "Iaurt la galeata", 50.0); // same code, another group and yield
    c.company.RecipeRow("P04", ".A", "01", 4);                  // 0.4 per piece
    c.company.RecipeRow("P06", ".B", "01", 6);                  // 0.6
    c.company.RecipeRow("P25", ".C", "01", 2.5);
    c.company.RecipeRow("P25", ".Z", "00", 1);
    c.company.RecipeRow("P35", ".D", "01", 3.5);
    c.company.RecipeRow("IAURT", ".L", "01", 10);
    c.Receipt(1, {{"02", "P04", 1}, {"02", "P04", 1}, {"02", "P06", 1}, {"02", "P06", 1}, {"02", "P25", 1},
                  {"02", "P35", 1}, {"02", "IAURT", 100}});
    c.Receipt(2, {{"02", "P35", 100}}); // another receipt counts for nothing

    const TPreparedRequirement prepared = PrepareRequirement(*c.dm, 1);
    EXPECT_TRUE(prepared.ReceiptFound);
    EXPECT_TRUE(prepared.LeftOut.empty());
    // 0.4 + 0.4 -> 0, 0.6 + 0.6 -> 2, 2.5 -> 2, 3.5 -> 4; the yogurt counted by its own
    // group's yield only; rows by group, then code.
    EXPECT_EQ(c.Requirement(), (QStringList{"00/.Z=1", "01/.A=0", "01/.B=2", "01/.C=2", "01/.D=4", "01/.L=10"}));

    // Prepared again for a receipt without recipes: nothing of the earlier rows survives.
    c.Receipt(3, {{"02", "FARA", 5}});
    PrepareRequirement(*c.dm, 3);
    EXPECT_TRUE(c.Requirement().isEmpty());
    CloseRequirement(*c.dm);
    EXPECT_FALSE(c.dm->TempTable->Exists());
    EXPECT_EQ(messages.Count(), 0);
}

TEST(Requirement, ProductsWithoutYieldAreNamedAndCountForNothing)
{
    RequirementCompany c;
    c.company.Article("02", "TELEMEA", "Telemea", 0.0);
    c.company.Article("02", "CAS", "Cas proaspat");    // no yield at all
    c.company.Article("02", "UNT", "Unt");            // no yield, but no recipe either
    c.company.Article("02", "LAPTE", "Lapte", 1000.0);
    c.company.RecipeRow("TELEMEA", ".SARE", "01", 5);
    c.company.RecipeRow("CAS", ".CHEAG", "01", 1);
    c.company.RecipeRow("LAPTE", ".LAPTE", "01", 1010);
    c.Receipt(1, {{"02", "TELEMEA", 200}, {"02", "UNT", 10}, {"02", "LAPTE", 1000}, {"02", "CAS", 50}, {"02", "CAS", 5}});

    const TPreparedRequirement prepared = PrepareRequirement(*c.dm, 1);
    ASSERT_EQ(prepared.LeftOut.size(), 2u);
    EXPECT_EQ(LeftOutMessage(prepared.LeftOut),
              "Produsele de mai jos nu au cantitatea rezultata conform retetarului (este zero sau necompletata in "
              "catalog), asa ca materiile lor prime nu au fost incluse in necesar:\r02  CAS  Cas proaspat\r02  TELEMEA  Telemea");
    EXPECT_EQ(c.Requirement(), (QStringList{"01/.CHEAG=0", "01/.LAPTE=1010", "01/.SARE=0"}));
}

// One requirement row or a few against lots of the same material; what each line takes and
// what the lots hold afterwards.
struct Lot {
    const char* Group;
    const char* Code;
    const char* Warehouse;
    double Quantity;
    const char* Name;
};
struct Row {
    const char* Group;
    const char* Code;
    double Quantity;
};
struct DrawCase {
    const char* Name;
    std::vector<Lot> Lots;
    std::vector<Row> Rows;
    QStringList Lines;
    QStringList LotsAfter;
    bool Asked = false;
};

TEST(Consumption, LotsAreDrawnInTheirOrderUnderTheStockRule)
{
    const std::vector<DrawCase> cases = {
        {"first lot covers", {{"01", ".A", "_MP", 12, "L1"}}, {{"01", ".A", 10}}, {"1 01/.A L1 10.0"}, {"L1=2.0"}},
        {"within the tolerance the lot goes",
         {{"01", ".A", "_MP", 10.0000005, "L1"}, {"01", ".A", "_MP", 3, "L2"}},
         {{"01", ".A", 10}},
         {"1 01/.A L1 10.0"},
         {"L2=3.0"}},
        {"several lots",
         {{"01", ".A", "_MP", 4, "L1"}, {"01", ".A", "_MP", 0, "L2"}, {"01", ".A", "_MP", 3, "L3"}, {"01", ".A", "_MP", 8, "L4"}},
         {{"01", ".A", 10}},
         {"1 01/.A L1 4.0", "2 01/.A L3 3.0", "3 01/.A L4 3.0"},
         {"L2=0.0", "L4=5.0"}},
        {"a negative quantity goes back into the first lot",
         {{"01", ".A", "_MP", 5, "L1"}, {"01", ".A", "_MP", 5, "L2"}},
         {{"01", ".A", -3}},
         {"1 01/.A L1 -3.0"},
         {"L1=8.0", "L2=5.0"}},
        {"nothing required", {{"01", ".A", "_MP", 5, "L1"}}, {{"01", ".A", 0}}, {}, {"L1=5.0"}},
        {"a short row is left out, the others written",
         {{"01", ".A", "_MP", 4, "L1"}, {"01", ".B", "_MP", 5, "L2"}},
         {{"01", ".A", 10}, {"01", ".B", 2}},
         {"1 01/.B L2 2.0"},
         {"L1=4.0", "L2=3.0"},
         true},
        {"every row left out: a header alone", {{"01", ".A", "_MP", 4, "L1"}}, {{"01", ".A", 10}}, {}, {"L1=4.0"}, true},
        {"the group is part of the material",
         {{"04", ".A", "_MP", 5, "L1"}, {"01", ".A", "_MP", 5, "L2"}},
         {{"01", ".A", 3}, {"04", ".A", 2}},
         {"1 01/.A L2 3.0", "2 04/.A L1 2.0"},
         {"L1=3.0", "L2=2.0"}},
        {"only lots the stock rule counts",
         {{"01", ".A", "PF", 50, "L1"}, {"01", ".A", "_MP", 2, "L2"}, {"01", ".A", "MAG", 50, "L3"}, {"01", ".A", "_FRG", 9, "L4"}},
         {{"01", ".A", 6}},
         {"1 01/.A L2 2.0", "2 01/.A L4 4.0"},
         {"L1=50.0", "L3=50.0", "L4=5.0"}},
        {"an empty group matches lots without group",
         {{"", ".A", "_MP", 5, "L1"}, {"01", ".A", "_MP", 5, "L2"}},
         {{"", ".A", 1}},
         {"1 /.A L1 1.0"},
         {"L1=4.0", "L2=5.0"}},
    };
    for (const DrawCase& k : cases) {
        SCOPED_TRACE(k.Name);
        TMessageRecorder messages; // the question is answered "Da"
        RequirementCompany c;
        for (const Lot& l : k.Lots)
            c.company.Lot(l.Group, l.Code, l.Warehouse, l.Quantity, l.Name);
        c.Materials({{"01", ".A"}, {"01", ".B"}, {"04", ".A"}});
        c.Receipt(1, {});
        PrepareRequirement(*c.dm, 1);
        for (const Row& r : k.Rows)
            c.dm->TempTable->AppendRecord({r.Group, r.Code, r.Quantity});

        EXPECT_EQ(GenerateConsumption(*c.dm, 1), std::optional<double>(8.0));
        EXPECT_EQ(J(c.Lines()), J(k.Lines));
        EXPECT_EQ(J(c.Lots()), J(k.LotsAfter));
        EXPECT_EQ(c.Strings("SELECT Contor FROM Doc_out"), QStringList{"8"});
        EXPECT_EQ(messages.Texts(), k.Asked ? QStringList{NegativeQuestion} : QStringList{});
        CloseRequirement(*c.dm);
    }
}

TEST(Consumption, HeaderAndLinesCarryTheReceiptTheLotAndTheCatalog)
{
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("01", ".LAPTE", "Lapte crud"); // accounts 371, 607, 4427, 446, 378, 707
    c.company.Lot("01", ".LAPTE", "_FRG", 100, "LC-1");
    c.company.Article("02", "IAURT", "Iaurt", 100.0);
    c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
    c.Receipt(5, {{"02", "IAURT", 200}});

    PrepareRequirement(*c.dm, 5);
    ASSERT_EQ(GenerateConsumption(*c.dm, 5), std::optional<double>(8.0));
    EXPECT_TRUE(DocInNeedsRefresh);
    EXPECT_EQ(c.Strings("SELECT NewCounterOut FROM COUNTER"), QStringList{"8"});
    // The first user in the table's order signs the document.
    EXPECT_EQ(c.Strings("SELECT Contor || '|' || Data_inregistrarii || '|' || Numar || '|' || Tip || '|' || Data || '|' || "
                        "Agent || '|' || coalesce(Client, '-') || '|' || coalesce(Data_scadenta, '-') FROM Doc_out"),
              QStringList{"8.0|2026-12-07|125.0|BMC|2026-12-07|ADM|-|-"});
    EXPECT_EQ(c.Strings("SELECT Explicatie FROM Doc_out"),
              QStringList{"Consum coresp. ABC 125/" + DateToStr(DateToDateTime(QDate(2026, 12, 7)), FormatSettings())});
    EXPECT_EQ(c.Strings("SELECT Contor || '|' || Contor_secundar || '|' || Cod_gestiune || '|' || Cod_grupa || '|' || "
                        "Cod_articol || '|' || Cantitate || '|' || Pret_achizitie || '|' || Pret_vinzare || '|' || "
                        "Pret_vz_echiv_USD || '|' || TVA || '|' || Cont_marfa || '|' || Cont_cheltuieli || '|' || "
                        "Cont_TVA_Iesiri || '|' || Cont_accize || '|' || coalesce(Acciza, '-') || '|' || Cont_adaos || "
                        "'|' || Cont_venituri || '|' || Lot || '|' || Agent || '|' || coalesce(Cod_bare, '-') FROM Item_out"),
              QStringList{"8.0|1.0|_FRG|01|.LAPTE|26.0|2.5|2.5|0.0|0.0|371|607|4427|446|-|378|707|LC-1|ADM|-"});
    EXPECT_EQ(c.Lots(), QStringList{"LC-1=74.0"});
    EXPECT_EQ(messages.Count(), 0);
}

TEST(Consumption, AReceiptWithoutNumberOrDateIsNotConsumed)
{
    for (const auto& [number, date] : {std::pair{QVariant(), QVariant(QDate(2026, 1, 2))}, {QVariant(7.0), QVariant()}}) {
        TMessageRecorder messages;
        RequirementCompany c;
        c.Materials({{"01", ".A"}});
        c.company.Lot("01", ".A", "_MP", 1, "L1"); // short: the question would come after
        c.Receipt(1, {}, number, date);
        PrepareRequirement(*c.dm, 1);
        c.dm->TempTable->AppendRecord({"01", ".A", 5.0});
        const QStringList before = c.Dump();
        EXPECT_EQ(GenerateConsumption(*c.dm, 1), std::nullopt);
        EXPECT_EQ(messages.Texts(), QStringList{"Salvati documentul de intrare inainte de a genera consumul!"});
        EXPECT_EQ(c.Dump(), before);
        EXPECT_FALSE(DocInNeedsRefresh);
    }
}

TEST(Consumption, NoToTheQuestionWritesNothing)
{
    TMessageRecorder messages;
    messages.Answer(TModalResult::No);
    RequirementCompany c;
    c.Materials({{"01", ".A"}});
    c.company.Lot("01", ".A", "_MP", 1, "L1");
    c.Receipt(1, {});
    PrepareRequirement(*c.dm, 1);
    c.dm->TempTable->AppendRecord({"01", ".A", 5.0});
    const QStringList before = c.Dump();
    EXPECT_EQ(GenerateConsumption(*c.dm, 1), std::nullopt);
    EXPECT_EQ(messages.Texts(), QStringList{NegativeQuestion});
    EXPECT_EQ(c.Dump(), before);
}

} // namespace
