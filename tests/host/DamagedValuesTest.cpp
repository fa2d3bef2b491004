// Values out of range in the host's windows: shown as an error mark that says why, and a
// computed value no field can hold refused with what happened.
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "host/Browsers.h"
#include "platform/db/Connection.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/MessageDlg.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

TEST(DamagedValues, TheStockWindowShowsALotBeyondANumberAsAnErrorMarkAndSaysWhy)
{
    fw::TMessageRecorder messages;
    THost host;
    const QString company = host.NewDir(QStringLiteral("firma"));
    MakeSmallCompany(company);
    testsupport::OpenTable(company, fw::StocDB)->AppendRecord({10.0, ".LAPTE", "01", "_FRG", 2.0, "LC-1"});
    fw::Connection::Open(company)->Exec("UPDATE Stoc SET Cantitate = 9e999");
    ASSERT_TRUE(host->OpenCompany(company, false));
    auto* stock = static_cast<pelmaris::TStockForm*>(host->ShowStock());
    ASSERT_NE(stock, nullptr);
    const QAbstractItemModel* grid = stock->Grids().front()->model();
    const QString why = "Valoarea campului Cantitate din tabela Stoc.DB (inregistrarea cu Cod_grupa = 01, Cod_articol = "
                        ".LAPTE) nu poate fi citita: este deteriorata sau in afara domeniului campului.\rIntroduceti din "
                        "nou valoarea corecta a campului sau refaceti firma dintr-o copie de siguranta.";
    // The quantity, and the value computed from it.
    for (int column : {6, 8}) {
        EXPECT_EQ(grid->data(grid->index(0, column)).toString(), "#EROARE") << column;
        EXPECT_EQ(grid->data(grid->index(0, column), Qt::ToolTipRole).toString(), why) << column;
    }
    EXPECT_EQ(grid->data(grid->index(0, 5)).toString(), "LC-1");
    EXPECT_EQ(stock->TotalText(), "Valoarea stocului: #EROARE lei");
    stock->grab().save(testsupport::LookDir() + QStringLiteral("/host-stoc-eroare.png"));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST(DamagedValues, AComputedVatBeyondANumberIsRefusedWithWhatHappened)
{
    TReceipts r;
    r.NewHeader(1);
    r.lines.Append();
    r.Fill("_FRG", ".LAPTE", 1e200, "L1", 1e200);
    try {
        r.lines.Post();
        ADD_FAILURE() << "posted";
    } catch (const fw::Exception& e) {
        EXPECT_EQ(e.Message(), "Valoarea calculata pentru campul TVA este in afara domeniului numerelor: una dintre valorile "
                               "din care se calculeaza este prea mare.\rVerificati valorile inregistrarii.");
    }
    r.lines.Cancel();
    EXPECT_TRUE(r.Lots().isEmpty());
}

} // namespace
