// "Analize laborator": a lot's results shown against their norms, a result entered and
// judged, the lot held and released from the window.
#include "quality/LabResultsDialog.h"
#include "data/LotStatus.h"
#include "data/Messages.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/RequirementCompany.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace corvanel;

namespace {

template <typename T>
T* Find(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QStringList Rows(QTableWidget* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount() - 1; ++c) // the date is today's
            cells << grid->item(r, c)->text();
        rows << cells.join('|');
    }
    return rows;
}

TEST(LabResultsWindow, AResultTypedWithACommaIsJudgedAndStopsTheLotWhichCanBeReleased)
{
    fw::TMessageRecorder messages;
    reqtest::RequirementCompany c;
    c.company.Article("01", ".A", "Lapte crud");
    c.company.Lot("01", ".A", "_MP", 4, "L1");
    c.company.Add(fw::NormeCalitateDB, {{"01", ".A", "GRASIME", 3.2, QVariant(), QVariant()}});
    TLabResultsDialog window(c.production.Context, nullptr);
    Find<QLineEdit>(window, "GroupEdit")->setText("01");
    Find<QLineEdit>(window, "ArticleEdit")->setText(".A");
    Find<QLineEdit>(window, "LotEdit")->setText("L1");
    Find<QPushButton>(window, "ShowButton")->click();
    EXPECT_EQ(Find<QLabel>(window, "StandingLabel")->text(), "Eliberat");

    QComboBox* parameter = Find<QComboBox>(window, "ParameterCombo");
    parameter->setCurrentIndex(parameter->findData("GRASIME"));
    // At the limit: conforms. Just under it: the lot stops, and the user is told.
    for (const char* typed : {"3,2", "3.1"}) {
        Find<QLineEdit>(window, "ValueEdit")->setText(typed);
        Find<QPushButton>(window, "AddButton")->click();
    }
    QTableWidget* grid = Find<QTableWidget>(window, "ResultsGrid");
    EXPECT_EQ(reqtest::J(Rows(grid)), "GRASIME|3.2|%|3.2|||da | GRASIME|3.1|%|3.2|||nu");
    EXPECT_EQ(Find<QLabel>(window, "StandingLabel")->text(), "Neconform: In afara normei: GRASIME=3.1");
    EXPECT_EQ(messages.Texts(), QStringList{msg::LabResultsWritten(1, {"01/.A L1"})});

    // Released only with a reason.
    Find<QPushButton>(window, "ReleaseButton")->click();
    EXPECT_EQ(messages.Texts().last(), msg::LotStateNeedsReason());
    Find<QLineEdit>(window, "ReasonEdit")->setText("Contraproba: 3.4");
    Find<QPushButton>(window, "ReleaseButton")->click();
    EXPECT_EQ(Find<QLabel>(window, "StandingLabel")->text(), "Eliberat: Contraproba: 3.4");
    // A value that is no number is refused before anything is written.
    Find<QLineEdit>(window, "ValueEdit")->setText("mult");
    Find<QPushButton>(window, "AddButton")->click();
    EXPECT_EQ(messages.Texts().last(), msg::LabBadValue("mult", "GRASIME", ""));
    EXPECT_EQ(grid->rowCount(), 2);
}

} // namespace
