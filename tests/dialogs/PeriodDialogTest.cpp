// The period dialog, its date boxes and their calendar.
#include "data/ProductionContext.h"
#include "dialogs/Calendar.h"
#include "dialogs/DateEdit.h"
#include "dialogs/PeriodDialog.h"
#include "platform/ui/Beep.h"
#include "platform/ui/MessageDlg.h"
#include "support/Named.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using testsupport::Named;

namespace {

TDateTime Day(int year, int month, int day) { return DateToDateTime(QDate(year, month, day)); }

class Interval : public ::testing::Test {
protected:
    // Runs the dialog on the two dates with a hook acting as the user.
    bool Run(TDateTime& start, TDateTime& end, const std::function<void(TPeriodDlg*)>& user)
    {
        TModalHook hook([&](TForm* form) {
            auto* dlg = dynamic_cast<TPeriodDlg*>(form);
            EXPECT_NE(dlg, nullptr);
            if (dlg)
                user(dlg);
            return TModalResult::None;
        });
        return ExecutePeriodDialog(context.Formats, nullptr, start, end);
    }
    TProductionContext context;
    TMessageRecorder messages;
};

TEST_F(Interval, AStartAfterTheEndIsRefusedAndTheDialogStaysOpen)
{
    const QString refused = "Intervalul de timp nu este corect! 01.02.2026 < 05.02.2026";
    const auto click = [](TPeriodDlg* d) { Named<QPushButton>(d, "OkButton")->click(); };
    // Enter in the start box only moves on; in the end box it acts as OK.
    const auto enter = [](TPeriodDlg* d) {
        EXPECT_EQ(d->focusWidget(), Named<TDateEdit>(d, "FirstDateEdit"));
        QTest::keyClick(Named<TDateEdit>(d, "FirstDateEdit"), Qt::Key_Return);
        EXPECT_EQ(d->focusWidget(), Named<TDateEdit>(d, "LastDateEdit"));
        QTest::keyClick(Named<TDateEdit>(d, "LastDateEdit"), Qt::Key_Return);
    };
    const auto closeBox = [](TPeriodDlg* d) { d->close(); };
    // Days of February 2026, what the user does, whether the period is taken, the warning.
    const std::vector<std::tuple<const char*, int, int, std::function<void(TPeriodDlg*)>, bool, QString>> cases = {
        {"start after end, OK", 5, 1, click, false, refused},
        {"start after end, Enter", 5, 1, enter, false, refused},
        {"the same day", 5, 5, click, true, ""},
        {"a period, Enter", 1, 5, enter, true, ""},
        {"the close box", 1, 5, closeBox, false, ""},
    };
    for (const auto& [name, startDay, endDay, confirm, accepted, warning] : cases) {
        messages.Clear();
        // Moments, as the report passes them.
        TDateTime start = Day(2026, 2, startDay) + 0.75, end = Day(2026, 2, endDay) + 0.25;
        bool stayedOpen = false;
        const bool result = Run(start, end, [&, confirm = confirm](TPeriodDlg* d) {
            confirm(d);
            stayedOpen = d->InModal();
            if (stayedOpen)
                Named<QPushButton>(d, "CancelButton")->click();
        });
        EXPECT_EQ(result, accepted) << name;
        EXPECT_EQ(stayedOpen, !warning.isEmpty()) << name;
        EXPECT_EQ(messages.Texts(), warning.isEmpty() ? QStringList() : QStringList{warning}) << name;
        // Whole days come back; the caller's values stay when nothing was confirmed.
        EXPECT_EQ(start, Day(2026, 2, startDay) + (accepted ? 0 : 0.75)) << name;
        EXPECT_EQ(end, Day(2026, 2, endDay) + (accepted ? 0 : 0.25)) << name;
    }
}

TEST_F(Interval, AnImpossibleDateIsNeverAcceptedAsTheDateBeforeIt)
{
    // 31/02/2026 typed in the end box, then the dialog accepted three ways: it beeps and
    // stays with that box focused; a real date typed then is taken.
    const std::vector<std::pair<const char*, std::function<void(TPeriodDlg*)>>> ways = {
        {"Enter", [](TPeriodDlg* d) { QTest::keyClick(Named<TDateEdit>(d, "LastDateEdit"), Qt::Key_Return); }},
        {"Tab, Enter", [](TPeriodDlg* d) {
             QTest::keyClick(Named<TDateEdit>(d, "LastDateEdit"), Qt::Key_Tab);
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
         }},
        {"&Deschide", [](TPeriodDlg* d) { QTest::mouseClick(Named<QPushButton>(d, "OkButton"), Qt::LeftButton); }},
    };
    for (const auto& [name, accept] : ways) {
        int beeps = 0;
        fw::BeepObserver = [&](fw::TBeep kind) { beeps += kind == fw::TBeep::Error; };
        TDateTime start = Day(2026, 2, 1), end = Day(2026, 2, 5);
        const bool result = Run(start, end, [&, accept = accept, name = name](TPeriodDlg* d) {
            QApplication::setActiveWindow(d);
            auto* last = Named<TDateEdit>(d, "LastDateEdit");
            last->setFocus();
            last->selectAll();
            QTest::keyClicks(last, "31022026");
            accept(d);
            EXPECT_TRUE(d->InModal()) << name;
            EXPECT_GE(beeps, 1) << name;
            EXPECT_EQ(QApplication::focusWidget(), last) << name;
            last->selectAll();
            QTest::keyClicks(last, "10022026");
            QTest::keyClick(last, Qt::Key_Return);
            EXPECT_FALSE(d->InModal()) << name;
        });
        EXPECT_TRUE(result) << name;
        EXPECT_EQ(end, Day(2026, 2, 10)) << name;
        fw::BeepObserver = nullptr;
    }
    EXPECT_EQ(messages.Count(), 0);
}

class DateBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        box = new TDateEdit(context.Formats, &window);
        other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        box->SetDate(Day(2026, 2, 5));
        box->setFocus();
    }
    QString Text(TDateTime value) const { return DateToStr(value, context.Formats); }
    TProductionContext context;
    QWidget window;
    TDateEdit* box;
    QLineEdit* other;
    TMessageRecorder messages;
};

TEST_F(DateBox, TextThatIsNoDateBringsBackTheLastDateWithABeepWhenLeft)
{
    // What is typed over the whole box, and the date it makes (0: none).
    int beeps = 0;
    fw::BeepObserver = [&](fw::TBeep kind) { beeps += kind == fw::TBeep::Error; };
    for (const auto& [typed, date] : {std::pair("31022026", 0.0), std::pair("29022024", Day(2024, 2, 29)),
                                      std::pair("0000", 0.0)}) {
        box->SetDate(Day(2026, 2, 5));
        box->setFocus();
        const int before = beeps;
        box->selectAll();
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Tab);
        const bool refused = date == 0;
        EXPECT_EQ(beeps, before + (refused ? 1 : 0)) << typed;
        EXPECT_EQ(QApplication::focusWidget(), refused ? static_cast<QWidget*>(box) : other) << typed;
        EXPECT_EQ(box->text(), Text(refused ? Day(2026, 2, 5) : date)) << typed;
        EXPECT_EQ(box->Date(), refused ? Day(2026, 2, 5) : date) << typed;
    }
    fw::BeepObserver = nullptr;
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(DateBox, TheCalendarOpensOnTheBoxDateAndADoubleClickChoosesADay)
{
    QString titleAfterPageUp;
    TModalHook hook([&](TForm* form) {
        auto* cal = dynamic_cast<TCalendarForm*>(form);
        EXPECT_NE(cal, nullptr);
        EXPECT_EQ(cal->Date(), QDate(2026, 2, 5));
        auto* month = Named<QCalendarWidget>(cal, "Calendar");
        QTest::keyClick(month, Qt::Key_PageUp);
        titleAfterPageUp = Named<QLabel>(cal, "TitleLabel")->text();
        Named<QToolButton>(cal, "NextMonthBtn")->click();
        Named<QToolButton>(cal, "NextMonthBtn")->click();
        QTest::keyClick(month, Qt::Key_PageDown);
        EXPECT_EQ(cal->Date(), QDate(2026, 4, 5));
        // The current cell is the chosen day.
        auto* view = month->findChild<QTableView*>();
        const QRect cell = view->visualRect(view->currentIndex());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        return TModalResult::None; // the double click closed it already
    });
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(hook.Calls(), 1);
    EXPECT_EQ(titleAfterPageUp, QLocale::system().standaloneMonthName(1, QLocale::LongFormat) + ", 2026");
    EXPECT_EQ(box->Date(), Day(2026, 4, 5));
    EXPECT_EQ(box->text(), Text(Day(2026, 4, 5)));

    // Renuntat: the box keeps its date.
    TModalHook cancel([](TForm* form) {
        static_cast<TCalendarForm*>(form)->ChangeMonth(3);
        Named<QPushButton>(form, "CancelButton")->click();
        return TModalResult::None;
    });
    box->Button()->click();
    EXPECT_EQ(box->Date(), Day(2026, 4, 5));
}

TEST(DateFormat, TheFirstDateBoxSwitchesTheAddOnsDatesToFourDigitYears)
{
    TProductionContext context;
    TFormatSettings& fs = context.Formats;
    fs.ShortDateFormat = "m/d/yy"; // a system of another order and a short year
    fs.DateSeparator = '-';
    EXPECT_EQ(DateToStr(Day(2026, 2, 5), fs), "2-5-26");
    {
        TDateEdit box(fs);
        box.SetDate(Day(2026, 2, 5));
        EXPECT_EQ(box.text(), "05-02-2026");
    }
    // Seen in any date the add-on writes later, with the system's separator kept.
    EXPECT_EQ(DateToStr(Day(2026, 12, 31), fs), "31-12-2026");
}

TEST(DialogsLook, IntervalAndCalendar)
{
    TProductionContext context;
    TPeriodDlg dlg(context.Formats, nullptr);
    dlg.setPeriod(Day(2026, 2, 1), Day(2026, 2, 28));
    dlg.show();
    EXPECT_GE(dlg.width(), 539);
    EXPECT_GE(dlg.height(), 96);
    for (const char* name : {"FromLabel", "ToLabel", "FirstDateEdit", "LastDateEdit", "OkButton", "CancelButton"}) {
        const QWidget* w = Named(&dlg, name);
        EXPECT_GE(w->width(), w->sizeHint().width()) << name;
    }
    EXPECT_TRUE(dlg.grab().save(testsupport::LookDir() + "/interval.png"));

    TCalendarForm cal(Named<TDateEdit>(&dlg, "FirstDateEdit"));
    cal.SetDate(QDate(2026, 2, 5));
    cal.show();
    const QLabel* title = Named<QLabel>(&cal, "TitleLabel");
    EXPECT_GE(title->width(), title->sizeHint().width());
    EXPECT_TRUE(cal.grab().save(testsupport::LookDir() + "/calendar.png"));
}

} // namespace
