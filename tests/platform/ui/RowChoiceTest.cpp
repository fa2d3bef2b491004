// The choice of one row of a table: the row chosen is the row current at OK, whatever
// the texts; nothing can be confirmed without rows; Enter and a double click do what the
// choice asks.
#include "platform/ui/RowChoice.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace fw;

namespace {

TRowChoice Choice(int rows, bool okIsDefault, bool doubleClickChooses)
{
    TRowChoice choice{.Name = QStringLiteral("ChoiceDlg"),
                      .Caption = QStringLiteral("Alegeti"),
                      .GridName = QStringLiteral("Grid"),
                      .Headings = {QStringLiteral("Lot"), QStringLiteral("Cantitate")},
                      .RightAligned = {1},
                      .Current = rows - 1,
                      .OkCaption = QStringLiteral("&Alege"),
                      .OkIsDefault = okIsDefault,
                      .DoubleClickChooses = doubleClickChooses,
                      .Size = QSize(300, 200)};
    for (int row = 0; row < rows; ++row)
        choice.Rows.push_back({QStringLiteral("L-%1").arg(row), QStringLiteral("10")}); // equal quantities
    return choice;
}

} // namespace

TEST(RowChoice, TheRowCurrentAtOkIsChosenAndEnterOrADoubleClickDoWhatTheChoiceAsks)
{
    struct Case {
        const char* name;
        int rows;
        bool okIsDefault, doubleClickChooses;
        int clickRow;      // the row clicked first; -1 none
        bool doubleClick;  // else Enter in the grid
        TModalResult result;
        int chosen;
    };
    for (const Case& c : {Case{"Enter chooses the row clicked", 3, true, false, 1, false, TModalResult::OK, 1},
                          Case{"Enter is Renunta where choosing writes", 3, false, false, 0, false, TModalResult::Cancel, 0},
                          Case{"a double click chooses when asked", 3, false, true, 0, true, TModalResult::OK, 0},
                          Case{"a double click does not when not asked", 3, true, false, 0, true, TModalResult::Cancel, 0},
                          Case{"no rows: nothing to confirm", 0, true, false, -1, false, TModalResult::Cancel, -1}}) {
        SCOPED_TRACE(c.name);
        TRowChoiceDlg dlg(Choice(c.rows, c.okIsDefault, c.doubleClickChooses), nullptr);
        auto* grid = dlg.findChild<QTableWidget*>("Grid");
        ASSERT_NE(grid, nullptr);
        if (c.rows > 0)
            EXPECT_TRUE(grid->item(0, 1)->textAlignment() & Qt::AlignRight);
        EXPECT_EQ(dlg.findChild<QPushButton*>("OkButton")->isEnabled(), c.rows > 0);
        TModalHook hook([&](TForm*) {
            if (c.clickRow >= 0)
                grid->setCurrentCell(c.clickRow, 0);
            if (c.doubleClick && c.clickRow >= 0)
                emit grid->cellDoubleClicked(c.clickRow, 0);
            else
                QTest::keyClick(grid, Qt::Key_Return);
            return TModalResult::Cancel; // what the hook answers when nothing closed the dialog
        });
        EXPECT_EQ(dlg.ShowModal(), c.result);
        EXPECT_EQ(dlg.chosenRow(), c.chosen);
    }
}
