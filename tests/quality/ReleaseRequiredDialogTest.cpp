// "Eliberare obligatorie": an article added from the window makes its new lots wait, one
// taken off no longer does; a refusal is told and changes nothing.
#include "quality/ReleaseRequiredDialog.h"
#include "data/LotStatus.h"
#include "data/Messages.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/RequirementCompany.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace corvanel;

namespace {

// The grid's rows as "group/code since agent".
QStringList Articles(QDialog& window)
{
    QStringList rows;
    auto* grid = window.findChild<QTableWidget*>("ArticlesGrid");
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << grid->item(r, 0)->text() + "/" + grid->item(r, 1)->text() + " " + grid->item(r, 2)->text() + " "
                    + grid->item(r, 3)->text();
    return rows;
}

TEST(ReleaseRequiredWindow, AddsAndTakesOffAnArticleAndTellsARefusal)
{
    fw::TMessageRecorder messages;
    reqtest::RequirementCompany c;
    c.company.Article("01", ".A", "Cheag");
    c.company.Add(fw::StocDB, {{4.0, ".A", "01", "_MP", 2.5, "CH-1", "ADM", 1.0, 1.0, QDate::currentDate()}});
    TReleaseRequiredDialog window(c.production.Context, nullptr);
    auto* group = window.findChild<QLineEdit*>("GroupEdit");
    auto* code = window.findChild<QLineEdit*>("ArticleEdit");
    auto* add = window.findChild<QPushButton*>("AddButton");
    EXPECT_TRUE(Articles(window).isEmpty());

    group->setText("01");
    code->setText(".A");
    add->click();
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    EXPECT_EQ(reqtest::J(Articles(window)), ("01/.A " + today + " ADM").toStdString());
    EXPECT_EQ(LotStandingOf(*c.dm->ProductionDatabase->GetConnection(), {"01", ".A", "CH-1"}).State, "In asteptare");
    EXPECT_TRUE(group->text().isEmpty());

    // An article the catalog lacks: told, nothing added.
    group->setText("01");
    code->setText(".NU");
    add->click();
    EXPECT_EQ(messages.Texts(), QStringList{msg::ArticleNotInCatalog("01/.NU")});
    EXPECT_EQ(Articles(window).size(), 1);

    auto* grid = window.findChild<QTableWidget*>("ArticlesGrid");
    grid->selectRow(0);
    window.findChild<QPushButton*>("RemoveButton")->click();
    EXPECT_TRUE(Articles(window).isEmpty());
    EXPECT_EQ(LotStandingOf(*c.dm->ProductionDatabase->GetConnection(), {"01", ".A", "CH-1"}).State, "Eliberat");
}

} // namespace
