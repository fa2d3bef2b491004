// "Calcul necesar tehnic" end to end: the host's receipt window, the add-on library built
// beside it, the demo company, whose latest receipt needs more kefir grains than in stock.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/core/Readable.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace pelmaris;

TEST(RequirementCommand, ConsumesTheReceiptTheHostStandsOnAndTheHostShowsIt)
{
    fw::TMessageRecorder messages; // "Da" to the question about the kefir grains
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host.OpenDemo());
    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    QAction* command = host.Command("&Document", "Calcul necesar tehnic");
    ASSERT_NE(command, nullptr);
    auto stock = [&](const char* code) {
        return testsupport::RawColumn(host->CompanyDir(), QStringLiteral("SELECT SUM(Cantitate) FROM Stoc WHERE Cod_articol = '%1'")
                                                              .arg(QLatin1String(code)))
            .value(0)
            .toDouble();
    };
    const double milk = stock(".LAPTE"), grains = stock(".CULTK");

    QStringList seen; // what each run of the command showed
    fw::TModalHook hook([&](fw::TForm* form) {
        EXPECT_EQ(form->Owner(), docIn);
        seen << form->findChild<QLabel*>("NumberLabel")->text();
        fw::TDataSet* rows = form->findChild<fw::TDBGridNormal*>("RequirementGrid")->DataSet();
        if (!rows->Locate("Cod_MatPrim", {".CULTK"}))
            return fw::TModalResult::Cancel;
        seen << QString::number(rows->FieldByName("StocFin")->AsFloat());
        form->grab().save(testsupport::LookDir() + "/host-requirement.png");
        form->findChild<QPushButton*>("GenerateButton")->click();
        return fw::TModalResult::None;
    });
    // The receipt computed is the one the window stands on at the click.
    ASSERT_TRUE(docIn->Headers()->Locate("Numar", {1007.0}));
    command->trigger();
    ASSERT_TRUE(docIn->Headers()->Locate("Numar", {1008.0})); // 3,000 kefirs need 2.4 kg of grains, 2 once rounded, of the 0.7 1005 left
    command->trigger();
    EXPECT_EQ(seen, (QStringList{"1007", "1008", "-1.3"}));
    // The culture rounded away to whole kilograms is named first; the yoghurt's culture
    // made 46 days before, and the milk, are past their shelf lives ("Da").
    ASSERT_EQ(messages.Count(), 4) << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(messages.Texts().at(0).endsWith("\r01  .CULTI  Culturi starter iaurt"));
    EXPECT_TRUE(messages.Texts().at(2).startsWith("Documentul de consum ar folosi loturi expirate:"));
    EXPECT_TRUE(messages.Texts().at(3).startsWith("OK. Documentul de iesire"));

    // Among the outgoing documents, after the two sales and the demo's eight consumptions;
    // the milk left the stock, the grains did not; the receipt view names the document;
    // nothing is left in the private directory.
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT Contor FROM Doc_out WHERE Tip = 'BMC' AND Numar = 1008"),
              QVariantList{11.0});
    EXPECT_DOUBLE_EQ(milk - stock(".LAPTE"), 1800 * 13 / 100.0 + 3000 * 15.5 / 100.0);
    EXPECT_DOUBLE_EQ(stock(".CULTK"), grains);
    EXPECT_EQ(docIn->Headers()->FieldByName("Consum")->AsString(),
              "BMC 1008 din " + fw::DateText(docIn->Headers()->FieldByName("Data")->AsDate())); // not its counter, 11; the window's date form
    EXPECT_TRUE(testsupport::RawColumn(PrivateDir(), "SELECT name FROM sqlite_master WHERE name = 'temp'").isEmpty());
    host->MainForm()->resize(1400, 600);
    docIn->MDISubWindow()->showMaximized();
    QApplication::processEvents();
    host->MainForm()->grab().save(testsupport::LookDir() + "/host-receipts-consumed.png");
}
