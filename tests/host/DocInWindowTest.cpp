// The incoming-document window as a user works in it: a saved document stays current and
// visible, and typing goes into the row the user sees as current.
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/db/DbMessages.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace pelmaris;

namespace {

class DocInWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString dir = host.NewDir(QStringLiteral("firma"));
        hosttest::MakeSmallCompany(dir);
        // Documents whose counters sort before and after the ones the window will add.
        auto docs = testsupport::OpenTable(dir, fw::DocInDB);
        for (double contor : {5.0, 90.0})
            docs->AppendRecord({contor, QDate(2026, 1, 5), contor, "NIR", QDate(2026, 1, 5)});
        docs.reset();
        for (double line : {1.0, 2.0})
            AddReceiptLine(dir, {5.0, line, "_FRG", "01", ".LAPTE", "L" + QString::number(line), 10.0 * line});
        auto counter = testsupport::OpenTable(dir, fw::CounterDB);
        counter->Edit();
        counter->FieldByName("NewCounterIn")->SetAsFloat(6); // the next document takes 7
        counter->Post();
        counter.reset();
        ASSERT_TRUE(host->OpenCompany(dir, false));
        form = host->ShowDocIn();
        ASSERT_NE(form, nullptr);
        QApplication::setActiveWindow(form->window());
    }
    // Each character to whichever control has the focus then.
    static void Type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    fw::TMessageRecorder messages;
    hosttest::THost host;
    TDocInForm* form = nullptr;
};

TEST_F(DocInWindow, SavedDocumentIsCurrentAndVisibleWhereverItsCounterSorts)
{
    fw::TDBGridNormal* grid = form->HeaderGrid();
    fw::TTable* headers = form->Headers();
    for (const auto* button : {"insert", "append"}) {
        SCOPED_TRACE(button);
        if (QString::fromLatin1(button) == "insert") {
            headers->First();
            form->HeaderNavigator()->BtnClick(fw::TNavigateBtn::Insert);
        } else {
            headers->Append();
        }
        headers->FieldByName("Numar")->SetAsFloat(700);
        form->HeaderNavigator()->BtnClick(fw::TNavigateBtn::Post);
        ASSERT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
        EXPECT_EQ(headers->FieldByName("Numar")->AsFloat(), 700.0);
        EXPECT_EQ(grid->currentIndex().row(), headers->CurrentDisplayRow());
        EXPECT_EQ(grid->model()->data(grid->currentIndex().siblingAtColumn(0)).toString(), "700");
        EXPECT_EQ(grid->model()->headerData(grid->currentIndex().row(), Qt::Vertical).toString(), QString(QChar(0x25B6)));
        EXPECT_TRUE(form->HeaderNavigator()->ButtonEnabled(fw::TNavigateBtn::Last));
        // A line typed next belongs to the document shown as current.
        form->LineNavigator()->BtnClick(fw::TNavigateBtn::Insert);
        EXPECT_EQ(form->Lines()->FieldByName("Contor")->AsFloat(), headers->FieldByName("Contor")->AsFloat());
        form->Lines()->Cancel();
    }
}

TEST_F(DocInWindow, TypingGoesIntoTheRowShownAsCurrentStartingInItsFirstColumn)
{
    fw::TDBGridNormal* grid = form->LineGrid();
    form->Headers()->Locate("Contor", {5.0});
    grid->setFocus();
    ASSERT_EQ(form->Lines()->RecordCount(), 2);
    form->Lines()->First();

    // "+" and then a click on the row below the new one: the new row goes, the clicked one is current.
    form->LineNavigator()->BtnClick(fw::TNavigateBtn::Insert);
    ASSERT_EQ(form->Lines()->State(), fw::TDataSetState::Insert);
    EXPECT_EQ(grid->SelectedField()->FieldName(), "Cod_gestiune"); // the first column a user may type in
    grid->setFocus();
    const QRect below = grid->visualRect(grid->model()->index(2, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, below.center());
    EXPECT_EQ(form->Lines()->State(), fw::TDataSetState::Browse);
    EXPECT_EQ(form->Lines()->FieldByName("Lot")->AsString(), "L2");
    EXPECT_EQ(grid->currentIndex().row(), form->Lines()->CurrentDisplayRow());
    const QString column = grid->SelectedField()->FieldName();
    Type("X");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // Typed into the row and column the user sees as current, nowhere else.
    EXPECT_EQ(form->Lines()->FieldByName("Lot")->AsString(), "L2");
    EXPECT_EQ(form->Lines()->FieldByName(column)->AsString(), "X");
    form->Lines()->Cancel();
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(),
                                     "SELECT Cod_grupa FROM Item_in ORDER BY rowid"),
              (QVariantList{"01", "01"}));
}

TEST_F(DocInWindow, LookOfANewLineAndOfAnotherUsersChange)
{
    // A line being typed in a Romanian locale, and the message another user's change brings.
    fw::TFormatSettings saved = fw::DefaultFormatSettings();
    fw::DefaultFormatSettings().DecimalSeparator = QLatin1Char(',');
    fw::DefaultFormatSettings().ThousandSeparator = QLatin1Char('.');
    form->Headers()->Locate("Contor", {5.0});
    form->LineGrid()->setFocus();
    form->Lines()->Last();
    QTest::keyClick(form->LineGrid(), Qt::Key_Down); // Down on the last row starts a new one
    form->LineGrid()->setFocus();
    Type("_FRG");
    form->Lines()->FieldByName("Cantitate")->SetText(QStringLiteral("1234,5"));
    const QString dir = testsupport::LookDir();
    host->MainForm()->resize(1280, 640);
    form->ShowFitted();
    EXPECT_TRUE(host->MainForm()->grab().save(dir + QStringLiteral("/host-docin-new-line.png")));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pelmaris"), fw::dbmsg::PostConflict().replace('\r', '\n'),
                    QMessageBox::Ok, form);
    box.show();
    EXPECT_TRUE(box.grab().save(dir + QStringLiteral("/host-record-changed.png")));
    form->Lines()->Cancel();
    fw::DefaultFormatSettings() = saved;
}

} // namespace

TEST(DocInWindowOpening, CurrentRowIsWhollyInSight)
{
    fw::TMessageRecorder messages;
    hosttest::THost host;
    host->MainForm()->ShowOnScreen();
    QApplication::processEvents();
    const QString dir = host.NewDir(QStringLiteral("firma"));
    hosttest::MakeSmallCompany(dir);
    // More documents than the grid has rows, so that the last one, made current on
    // opening, is reached only by scrolling.
    auto docs = testsupport::OpenTable(dir, fw::DocInDB);
    for (int contor = 1; contor <= 60; ++contor)
        docs->AppendRecord({double(contor), QDate(2026, 1, 5), double(contor), "NIR", QDate(2026, 1, 5)});
    docs.reset();
    ASSERT_TRUE(host->OpenCompany(dir, false));
    TDocInForm* form = host->ShowDocIn();
    ASSERT_NE(form, nullptr);
    QApplication::processEvents();
    fw::TDBGridNormal* grid = form->HeaderGrid();
    const QRect row = grid->visualRect(grid->currentIndex());
    EXPECT_EQ(grid->model()->data(grid->currentIndex().siblingAtColumn(0)).toString(), "60");
    EXPECT_TRUE(grid->viewport()->rect().contains(row))
        << row.top() << ".." << row.bottom() << " of " << grid->viewport()->height();
    EXPECT_EQ(messages.Count(), 0);
}
