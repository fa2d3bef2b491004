// The supplier's own expiry date typed on a receipt line: it goes with the lot into stock,
// follows the line when changed, and text that is no date is refused before anything is
// written.
#include "DbFixture.h"
#include "Engine.h"
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <gtest/gtest.h>

using namespace pelmaris;
using namespace testsupport;
using hosttest::TReceipts;

namespace {

QStringList StockExpiry(const QString& dir) { return RawTexts(dir, "SELECT Lot, Data_expirare FROM Stoc ORDER BY Lot"); }

} // namespace

TEST(ReceiptOwnExpiry, TheLinesDateGoesWithItsLotAndFollowsItsChanges)
{
    fw::TMessageRecorder messages;
    TReceipts r;
    r.NewHeader(101);
    r.lines.Append();
    r.Fill("_MP", ".SARE", 10, "CULT1");
    r.lines.FieldByName(QStringLiteral("Data_expirare"))->SetAsDate(QDate(2027, 3, 31));
    r.lines.Post();
    r.AddLine("_MP", ".SARE", 5, "CULT2"); // none typed: entry plus shelf life
    EXPECT_EQ(StockExpiry(r.Dir()), (QStringList{"CULT1 2027-03-31", "CULT2 NULL"}));
    EXPECT_EQ(RawTexts(r.Dir(), "SELECT Lot, Data_expirare FROM Item_in ORDER BY Lot"),
              (QStringList{"CULT1 2027-03-31", "CULT2 NULL"}));

    // Changed on the line, the lot follows; emptied, the lot has none again.
    r.lines.First();
    r.lines.Edit();
    r.lines.FieldByName(QStringLiteral("Data_expirare"))->SetAsDate(QDate(2027, 2, 28));
    r.lines.Post();
    EXPECT_EQ(StockExpiry(r.Dir()), (QStringList{"CULT1 2027-02-28", "CULT2 NULL"}));
    r.lines.Edit();
    r.lines.FieldByName(QStringLiteral("Data_expirare"))->Clear();
    r.lines.Post();
    EXPECT_EQ(StockExpiry(r.Dir()), (QStringList{"CULT1 NULL", "CULT2 NULL"}));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST(ReceiptOwnExpiry, TextThatIsNoDateIsRefusedAndNothingIsWritten)
{
    TReceipts r;
    r.NewHeader(101);
    r.lines.Append();
    r.Fill("_MP", ".SARE", 10, "CULT1");
    for (const char* typed : {"31.02.2027", "maine", "2027-13-01"}) {
        SCOPED_TRACE(typed);
        try {
            r.lines.FieldByName(QStringLiteral("Data_expirare"))->SetAsString(QString::fromLatin1(typed));
            ADD_FAILURE() << "accepted";
        } catch (const fw::EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' nu este o data valida pentru campul Data_expirare.").arg(typed));
        }
    }
    EXPECT_TRUE(r.lines.FieldByName(QStringLiteral("Data_expirare"))->IsNull());
    EXPECT_TRUE(RawColumn(r.Dir(), "SELECT Lot FROM Item_in").isEmpty());
    EXPECT_TRUE(RawColumn(r.Dir(), "SELECT Lot FROM Stoc").isEmpty());
}

// A company made before the date was kept: its tables get the column, empty, and its
// lots keep counting by their shelf life.
TEST(ReceiptOwnExpiry, ACompanyWithoutTheColumnGetsItEmptyWhenOpened)
{
    TempDir dir;
    auto held = UseTestEngine(dir.Path());
    for (const fw::TTableLayout& layout : fw::HostTables()) {
        if (layout.Name != fw::StocDB && layout.Name != fw::ItemInDB)
            continue;
        fw::TTableLayout old = layout;
        std::erase_if(old.Fields, [](const fw::TFieldDef& f) { return f.Name == QLatin1String("Data_expirare"); });
        std::erase_if(old.Indexes, [](const fw::TIndexDef& i) {
            return i.Fields.contains(QLatin1String("Data_expirare")) || i.Condition.contains(QLatin1String("Data_expirare"));
        });
        fw::CreateCompanyTable(dir.Path(), old);
    }
    fw::Connection::Open(dir.Path())->Exec(
        "INSERT INTO Stoc (Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Lot, Data_intrare) VALUES (4, '.SARE', '01', "
        "'_MP', 'S1', '2026-12-01')");
    EXPECT_FALSE(fw::TableHasColumn(dir.Path(), fw::StocDB, QStringLiteral("Data_expirare")));
    EXPECT_TRUE(fw::EnsureColumns(dir.Path()));
    EXPECT_TRUE(fw::TableHasColumn(dir.Path(), fw::StocDB, QStringLiteral("Data_expirare")));
    EXPECT_TRUE(fw::TableHasColumn(dir.Path(), fw::ItemInDB, QStringLiteral("Data_expirare")));
    EXPECT_EQ(StockExpiry(dir.Path()), QStringList{"S1 NULL"});
    // Asked again, nothing more to add.
    EXPECT_TRUE(fw::EnsureColumns(dir.Path()));
    held.reset();
    ForgetDatabase(dir.Path());
}
