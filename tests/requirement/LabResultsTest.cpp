// Laboratory results: values read and judged against their norms (a limit itself conforms),
// a laboratory's CSV written whole or not at all, and a lot out of norm no longer drawn.
#include "data/LabResults.h"
#include "data/Messages.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace reqtest;

namespace {

TEST(LabNorms, AValueAtItsLimitConformsAndWordsAreReadInAnyCase)
{
    const TLabNorm germs{std::nullopt, 100000.0, {}, true};
    const TLabNorm fat{3.2, std::nullopt, {}, true};
    const TLabNorm range{6.6, 6.8, {}, true};
    const TLabNorm inhibitors{std::nullopt, std::nullopt, "negativ", true};
    const struct {
        const char* parameter;
        const char* text;
        const TLabNorm* norm;
        int verdict; // 1 conforms, 0 does not, -1 not read
    } cases[] = {
        {"NTG", "100000", &germs, 1},   {"NTG", "100000.5", &germs, 0}, {"NTG", "1e5", &germs, 1},
        {"GRASIME", "3.2", &fat, 1},    {"GRASIME", "3.19", &fat, 0},   {"GRASIME", "3,2", &fat, -1},
        {"PH", "6.6", &range, 1},       {"PH", "6.8", &range, 1},       {"PH", "6.81", &range, 0},
        {"PH", "6.59", &range, 0},      {"INHIBITORI", "Negativ", &inhibitors, 1},
        {"INHIBITORI", "POZITIV", &inhibitors, 0},                      {"INHIBITORI", "absent", &inhibitors, -1},
        {"LISTERIA", "prezent", &inhibitors, 0},                        {"NTG", "", &germs, -1},
        {"NTG", "1 000", &germs, -1},
    };
    for (const auto& c : cases) {
        const TLabParameter* parameter = FindLabParameter(c.parameter);
        ASSERT_NE(parameter, nullptr) << c.parameter;
        const std::optional<TLabValue> value = ReadLabValue(*parameter, c.text);
        EXPECT_EQ(value ? int(Conforms(*c.norm, *value)) : -1, c.verdict) << c.parameter << " " << c.text;
    }
    // Without a norm any value conforms.
    EXPECT_TRUE(Conforms({}, {1e9, {}}));
}

// Raw milk .A (group 01) keeps the group's norms for germs and inhibitors and its own for
// somatic cells; its lots L1 (4) and L2 (6); product P takes 7 of it.
struct LabCompany : RequirementCompany {
    LabCompany()
    {
        company.Article("02", "P", "Produs", 1.0);
        company.Article("01", ".A", "Lapte crud");
        company.RecipeRow("P", ".A", "01", 7);
        company.Lot("01", ".A", "_MP", 4, "L1");
        company.Lot("01", ".A", "_MP", 6, "L2");
        company.Add(fw::NormeCalitateDB, {{"01", QVariant(), "NTG", QVariant(), 100000.0, QVariant()},
                                          {"01", QVariant(), "INHIBITORI", QVariant(), QVariant(), "negativ"},
                                          {"01", QVariant(), "NCS", QVariant(), 500000.0, QVariant()},
                                          {"01", ".A", "NCS", QVariant(), 400000.0, QVariant()}});
        Receipt(1, {{"02", "P", 1}});
    }
    QStringList Import(const QByteArray& csv)
    {
        return RecordLabResults(*dm, ReadLabCsv(*dm->ProductionDatabase->GetConnection(), csv), "MPO",
                                QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    }
};

const QByteArray Header = "Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data\n";

TEST(DataModuleLabResults, AFileWithABadRowWritesNothingAndNamesEachBadRow)
{
    LabCompany c;
    const QStringList before = c.Dump();
    try {
        c.Import(Header + "01;.A;L1;NTG;90000;2026-12-06\n"
                          "01;.A;L9;NTG;90000;2026-12-06\n"
                          "01;.A;L1;NTG;90,5;2026-12-06\n"
                          "01;.A;L1;INHIBITORI;absent;2026-12-06\n"
                          "01;.A;L2;CULOARE;alb;2026-12-06\n"
                          "01;.A;L2;NTG;1;06.12.2026\n"
                          "01;.B;L2;NTG;1;2026-12-06\n"
                          "01;.A;L2;NTG\n");
        ADD_FAILURE() << "imported";
    } catch (const ELabImportRefused& e) {
        EXPECT_EQ(e.Message(), msg::LabImportRefused({
                                   msg::LabRow(3, msg::LotNotFound("L9", "01/.A")),
                                   msg::LabRow(4, msg::LabBadValue("90,5", "NTG", "")),
                                   msg::LabRow(5, msg::LabBadValue("absent", "INHIBITORI", "negativ / pozitiv")),
                                   msg::LabRow(6, msg::LabUnknownParameter("CULOARE")),
                                   msg::LabRow(7, msg::LabBadDate("06.12.2026")),
                                   msg::LabRow(8, msg::LabUnknownArticle("01/.B")),
                                   msg::LabRow(9, msg::LabRowFieldCount(4, 6)),
                               }));
    }
    EXPECT_EQ(c.Dump(), before);
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM AnalizeLot"), QStringList{"0"});
    for (const QByteArray& refused : {QByteArray("Lot;Parametru\n01;.A\n"), Header})
        EXPECT_THROW(c.Import(refused), ELabImportRefused);
}

TEST(DataModuleLabResults, AResultOutOfNormMakesTheLotNonConformingAndItIsNoLongerDrawn)
{
    fw::TMessageRecorder messages;
    LabCompany c;
    // L1: germs at the limit, inhibitors negative, but 410,000 cells above the article's own
    // 400,000 (the group's 500,000 would let it pass). L2: all within.
    EXPECT_EQ(c.Import(Header + "01;.A;L1;NTG;100000;2026-12-06\r\n"
                                "01;.A;L1;INHIBITORI;NEGATIV;2026-12-06\r\n"
                                "01;.A;L1;NCS;410000;2026-12-06\r\n"
                                "01;.A;L2;NCS;400000;2026-12-06\r\n"),
              QStringList{"01/.A L1"});
    const TLotStanding l1 = LotStandingOf(*c.dm->ProductionDatabase->GetConnection(), {"01", ".A", "L1"});
    EXPECT_EQ(l1.State, "Neconform");
    EXPECT_EQ(l1.Reason, "In afara normei: NCS=410000");
    EXPECT_EQ(J(c.Joined("SELECT Lot, Stare, Agent, Moment FROM IstoricStareLot")), "L1|Neconform|MPO|2026-12-07 10:00:00");
    // A second result out of norm of a lot already non-conforming records no second change.
    EXPECT_EQ(c.Import(Header + "01;.A;L1;NTG;250000;2026-12-07\n"), QStringList{"01/.A L1"});
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM IstoricStareLot"), QStringList{"1"});

    EXPECT_EQ(LabResultsCsv(*c.dm->ProductionDatabase->GetConnection(), {"01", ".A", "L1"}),
              "Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Unitate;Minim;Maxim;Asteptat;Conform;Data;Agent\n"
              "01;.A;L1;NTG;100000;germeni/ml;;100000;;da;2026-12-06;MPO\n"
              "01;.A;L1;INHIBITORI;negativ;;;;negativ;da;2026-12-06;MPO\n"
              "01;.A;L1;NCS;410000;celule/ml;;400000;;nu;2026-12-06;MPO\n"
              "01;.A;L1;NTG;250000;germeni/ml;;100000;;nu;2026-12-07;MPO\n");
    // Only L2 is left to draw: 6 cannot give 7, and the row is left out.
    PrepareRequirement(*c.dm, 1);
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    EXPECT_EQ(J(c.Lots()), "L1=4.0 | L2=6.0");
}

} // namespace
