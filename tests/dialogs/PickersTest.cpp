// The warehouse and supplier pickers and the code list they hand to the traceability report.
#include "ProductionFixture.h"
#include "Company.h"
#include "Named.h"
#include "dialogs/CodeList.h"
#include "dialogs/SupplierPicker.h"
#include "dialogs/WarehousePicker.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

TEST(CodeList, RoundTripsEveryCodeWhateverItHolds)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{}, ""},
        {{"K1"}, "\"K1\""},
        {{"A1", "B2"}, "\"A1\",\"B2\""},
        {{"A\"1"}, "\"A\"\"1\""},              // a quote inside is doubled
        {{"a,b", "\"\"", ""}, "\"a,b\",\"\"\"\"\"\",\"\""}, // commas, only quotes, an empty code
        {{") OR 1=1 --"}, "\") OR 1=1 --\""},
    };
    for (const auto& [codes, list] : cases) {
        EXPECT_EQ(JoinCodeList(codes), list);
        EXPECT_EQ(ParseCodeList(list), codes) << qPrintable(list);
    }
}

TEST(CodeList, RefusesWhatItNeverWrites)
{
    for (const char* list : {"K1", "\"K1", "\"K1\"\"", "\"A\" ,\"B\"", "\"A\",", ",\"A\"", "\"A\"\"B\"x"})
        EXPECT_THROW(ParseCodeList(QString::fromLatin1(list)), EDatabaseError) << list;
}

class Pickers : public ::testing::Test {
protected:
    void SetUp() override
    {
        company.Add(fw::GestDB, {{"G1", "Materii prime"}, {"G2", "Lactate"}, {"G3", "Vana 1"}});
        company.Add(fw::FurnDB, {{"F\"1", "Ferma \"Deal\""}, {"F2", "Lactate Sud"}});
    }
    // Clicks a row of the picker's grid, with Ctrl to add it to the choice.
    static void ClickRow(TCodePickerDlg* dlg, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        auto* grid = Named<QTableView>(dlg, "Grid");
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
    }

    TestCompany company;
    testsupport::TProduction production;
    const TProductionContext& context = production.Context;
    TMessageRecorder messages;
};

TEST_F(Pickers, TheListFollowsTheBoxAndTheChosenRows)
{
    // What the user does: B clicks the box, a digit clicks that row (after "+" with
    // Ctrl), then "&Deschide" (O), "&Inchide" (I) or the close box (X).
    const std::vector<std::tuple<const char*, bool, QString>> cases = {
        {"O", true, ""},                  // all
        {"BO", true, ""},                 // box cleared, nothing chosen: all
        {"B0+1BO", true, ""},             // chosen, then the box ticked again
        {"B1O", true, "\"G2\""},          // one code, no comma
        {"B2+0+1+0O", true, "\"G3\",\"G2\""}, // in the order chosen; Ctrl+click undoes one
        {"B20O", true, "\"G1\""},         // a plain click starts the choice anew
        {"B0I", false, "kept"},
        {"B0X", false, "kept"},
    };
    for (const auto& [script, result, expected] : cases) {
        QString list = "kept";
        TModalHook hook([&, script = script](TForm* form) {
            auto* dlg = dynamic_cast<TWarehousePickerDlg*>(form);
            bool ctrl = false;
            for (const char* a = script; *a; ++a) {
                if (*a >= '0' && *a <= '9')
                    ClickRow(dlg, *a - '0', ctrl ? Qt::ControlModifier : Qt::NoModifier);
                ctrl = *a == '+';
                if (*a == 'B')
                    Named<QCheckBox>(dlg, "AllCheck")->click();
                else if (*a == 'O')
                    Named<QPushButton>(dlg, "OkButton")->click();
                else if (*a == 'I')
                    Named<QPushButton>(dlg, "CancelButton")->click();
                else if (*a == 'X')
                    dlg->close();
            }
            return TModalResult::None;
        });
        EXPECT_EQ(ExecuteWarehousePicker(context, nullptr, list), result) << script;
        EXPECT_EQ(list, expected) << script;
        EXPECT_EQ(hook.Calls(), 1);
    }
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(Pickers, TheSupplierQueryIsReadOnlyOnceTheBoxIsClearedAndAQuotedCodeComesBackWhole)
{
    QString list;
    TModalHook hook([&](TForm* form) {
        auto* dlg = dynamic_cast<TSupplierPickerDlg*>(form);
        EXPECT_FALSE(Named<fw::TQuery>(dlg, "SupplierQuery")->Active()); // nothing is read while "all" holds
        Named<QCheckBox>(dlg, "AllCheck")->click();
        EXPECT_TRUE(Named<QTableView>(dlg, "Grid")->isEnabled());
        ClickRow(dlg, 0);
        Named<QPushButton>(dlg, "OkButton")->click();
        return TModalResult::None;
    });
    ASSERT_TRUE(ExecuteSupplierPicker(context, nullptr, list));
    EXPECT_EQ(list, "\"F\"\"1\"");
}

TEST_F(Pickers, AnErrorReadingTheWarehousesIsReportedAndLeavesTheGridOff)
{
    // Another workstation's schema without the warehouse table.
    {
        TQuery drop;
        drop.SetDatabaseName("TVELDA");
        drop.SetSQL({"DROP TABLE Gest"});
        drop.ExecSQL();
    }
    QString list = "kept";
    TModalHook hook([&](TForm* form) {
        auto* dlg = static_cast<TWarehousePickerDlg*>(form);
        Named<QCheckBox>(dlg, "AllCheck")->click();
        EXPECT_EQ(messages.Count(), 1);
        EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
        EXPECT_FALSE(Named<QTableView>(dlg, "Grid")->isEnabled());
        EXPECT_EQ(context.Screen->Cursor(), TCursor::Default);
        Named<QPushButton>(dlg, "OkButton")->click();
        return TModalResult::None;
    });
    EXPECT_TRUE(ExecuteWarehousePicker(context, nullptr, list));
    EXPECT_EQ(list, ""); // nothing could be chosen: no restriction
}

TEST_F(Pickers, LookWithTheirColumnsWhole)
{
    // The longest codes each column may hold, in wide letters: none is clipped.
    company.Add(fw::GestDB, {{"_WWM", "Depozit"}});
    company.Add(fw::FurnDB, {{"PRODUCTIEWWMM", "Sectia de productie"}});
    for (const QString& name : {QStringLiteral("selgest"), QStringLiteral("selfurn")}) {
        std::unique_ptr<TCodePickerDlg> dlg;
        if (name == "selgest")
            dlg = std::make_unique<TWarehousePickerDlg>(context, nullptr);
        else
            dlg = std::make_unique<TSupplierPickerDlg>(context, nullptr);
        dlg->show();
        EXPECT_TRUE(dlg->grab().save(LookDir() + "/" + name + "-all.png"));
        Named<QCheckBox>(dlg.get(), "AllCheck")->click();
        ClickRow(dlg.get(), 0);
        ClickRow(dlg.get(), 1, Qt::ControlModifier);
        QApplication::processEvents();
        const auto* grid = Named<QTableView>(dlg.get(), "Grid");
        EXPECT_FALSE(grid->horizontalScrollBar()->isVisible()) << qPrintable(name);
        const QString longest = name == "selgest" ? "_WWM" : "PRODUCTIEWWMM";
        EXPECT_GT(grid->columnWidth(0), grid->fontMetrics().horizontalAdvance(longest)) << qPrintable(name);
        const auto* hint = Named<QLabel>(dlg.get(), "HintLabel");
        EXPECT_GE(hint->height(), hint->heightForWidth(hint->width())) << qPrintable(name);
        EXPECT_TRUE(dlg->grab().save(LookDir() + "/" + name + ".png"));
    }
}

} // namespace
