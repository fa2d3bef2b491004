// "Calcul necesar tehnic" end to end: the host's receipt window, the add-on library built
// beside it, the demo company. The latest receipt needs more kefir grains than the stock
// holds.
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/db/Table.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace pelmaris;

namespace {

double Sum(const QString& dir, const QString& sql) { return testsupport::RawColumn(dir, sql).value(0).toDouble(); }

TEST(RequirementCommand, ConsumesTheReceiptTheHostStandsOnAndTheHostShowsIt)
{
    fw::TMessageRecorder messages; // the question about the short kefir grains is answered "Da"
    hosttest::THost host{QStringLiteral(REAL_ADDON_FILE)};
    host->MainForm()->show();
    ASSERT_TRUE(host->OpenDemoCompany(true));
    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    QAction* command = hosttest::FindAction(hosttest::SubMenu(host->MainForm()->menuBar(), "&Document"),
                                            "Calcul necesar tehnic");
    ASSERT_NE(command, nullptr);
    fw::TTable* receipts = docIn->Headers();
    const QString dir = host->CompanyDir();
    const QString milk = QStringLiteral("SELECT SUM(Cantitate) FROM Stoc WHERE Cod_articol = '.LAPTE'");
    const double milkBefore = Sum(dir, milk);
    const double grainsBefore = Sum(dir, QStringLiteral("SELECT SUM(Cantitate) FROM Stoc WHERE Cod_articol = '.CULTK'"));

    // The receipt the window stands on at the click is the one computed.
    ASSERT_TRUE(receipts->Locate(QStringLiteral("Numar"), {1007.0}));
    QString number;
    {
        fw::TModalHook hook([&](fw::TForm* form) {
            number = form->findChild<QLabel*>(QStringLiteral("NrDocLbl"))->text();
            return fw::TModalResult::Cancel;
        });
        command->trigger();
    }
    EXPECT_EQ(number, QStringLiteral("1007"));

    receipts->Last(); // 1008: kefir and yogurt
    QStringList shown;
    {
        fw::TModalHook hook([&](fw::TForm* form) {
            EXPECT_EQ(form->Owner(), docIn);
            auto* grid = form->findChild<fw::TDBGridNormal*>(QStringLiteral("NecesarGrid"));
            fw::TDataSet* rows = grid->DataSet();
            for (rows->First(); !rows->Eof(); rows->Next())
                shown << rows->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString() + QLatin1Char('=')
                             + QString::number(rows->FieldByName(QStringLiteral("StocFin"))->AsFloat());
            form->grab().save(testsupport::LookDir() + QStringLiteral("/host-requirement.png"));
            form->findChild<QPushButton*>(QStringLiteral("GenDocOutBTN"))->click();
            return fw::TModalResult::None;
        });
        command->trigger();
        EXPECT_EQ(hook.Calls(), 1);
    }
    // 3,000 kefirs need 2.4 kg of grains, rounded to 2, of the 1.7 kg in stock.
    EXPECT_TRUE(shown.contains(QStringLiteral(".CULTK=-0.3"))) << shown.join(QLatin1Char(' ')).toStdString();
    ASSERT_EQ(messages.Count(), 2) << messages.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(messages.Texts().at(0).startsWith(QStringLiteral("Atentie, creati stocuri negative! ")));
    EXPECT_TRUE(messages.Texts().at(1).startsWith(QStringLiteral("OK. Documentul de iesire")));

    // The document is among the outgoing ones, the milk left the stock, the grains did not.
    EXPECT_EQ(testsupport::RawColumn(dir, QStringLiteral("SELECT Contor FROM Doc_out WHERE Tip = 'BMC' AND Numar = 1008")),
              QVariantList{3.0});
    EXPECT_DOUBLE_EQ(milkBefore - Sum(dir, milk), 1800 * 13 / 100.0 + 3000 * 15.5 / 100.0);
    EXPECT_DOUBLE_EQ(Sum(dir, QStringLiteral("SELECT SUM(Cantitate) FROM Stoc WHERE Cod_articol = '.CULTK'")), grainsBefore);
    // The host's receipt view was computed again: it names the consumption document.
    EXPECT_EQ(receipts->FieldByName(QStringLiteral("Numar"))->AsFloat(), 1008.0);
    EXPECT_EQ(receipts->FieldByName(QStringLiteral("Consum"))->AsString(), QStringLiteral("BMC 3"));
    host->MainForm()->resize(1400, 600);
    docIn->MDISubWindow()->showMaximized();
    QApplication::processEvents();
    host->MainForm()->grab().save(testsupport::LookDir() + QStringLiteral("/host-receipts-consumed.png"));
    ASSERT_NE(host->ShowDocOut(), nullptr);
    QApplication::processEvents();
    host->MainForm()->grab().save(testsupport::LookDir() + QStringLiteral("/host-consumption-document.png"));
    // Nothing of the requirement is left in the user's private directory.
    EXPECT_TRUE(testsupport::RawColumn(PrivateDir(),
                                       QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'temp'"))
                    .isEmpty());
}

} // namespace
