// A report driven by a table, with a detail table that follows the report's current row.
#include "DbFixture.h"
#include "platform/db/Table.h"
#include "platform/report/DataSetReportData.h"
#include "platform/report/Report.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

TEST(DataSetReport, FootersSeeTheLastRowOfTheirGroupAndLinkedTablesFollow)
{
    TempDir dir;
    CreateTable(dir.Path(), "Item_in.DB",
                {{"Lot", TFieldType::String, 30}, {"Cod_gestiune", TFieldType::String, 4}, {"Cantitate", TFieldType::Float}},
                {}, {{"L1", "G2", 1.0}, {"L1", "G1", 2.0}, {"L2", "G2", 4.0}});
    CreateTable(dir.Path(), "Gest.db", {{"Cod", TFieldType::String, 4}, {"Denumire", TFieldType::String, 30}},
                {{"", "Cod", TIndexOption::Primary | TIndexOption::Unique}}, {{"G1", "Vana 1"}, {"G2", "Vana 2"}});
    TTable lines;
    lines.SetDatabaseName(dir.Path());
    lines.SetTableName("Item_in.DB");
    TDataSource source;
    source.SetDataSet(&lines);
    TTable warehouses;
    warehouses.SetDatabaseName(dir.Path());
    warehouses.SetTableName("Gest.db");
    warehouses.SetIndexFieldNames("Cod");
    warehouses.SetMasterSource(&source);
    warehouses.SetMasterFields("Cod_gestiune");
    lines.Open();
    warehouses.Open();

    TDataSetReportData data(&lines), gest(&warehouses);
    TReport report;
    report.SetData(&data);
    TReportGroup* lot = report.AddGroup("Lot");
    lot->Footer()->Height = 5;
    lot->Footer()->AddDataText("Denumire", 0, 0, 50, &gest)->Name = "LastWarehouse";
    report.Detail()->Height = 5;
    report.Detail()->AddDataText("Cantitate", 0, 0, 30);
    const TReportDocument doc = report.Generate();
    ASSERT_EQ(doc.PageCount(), 1);
    QStringList footers;
    for (const TPageText* t : doc.Pages[0].TextsNamed("LastWarehouse"))
        footers << t->Text;
    // The footer of lot L1 is printed while its last line (warehouse G1) is current.
    EXPECT_EQ(footers, (QStringList{"Vana 1", "Vana 2"}));
    EXPECT_EQ(doc.Pages[0].TextsNamed("Cantitate").size(), 3u);
}

} // namespace
