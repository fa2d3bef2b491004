#include "dialogs/Calendar.h"

#include "dialogs/SelectionLook.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvanel {

TCalendarForm::TCalendarForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("CalendarForm"));
    SetCaption(QStringLiteral("Selecteaza data"));
    UseDialogFrame(this);

    PrevMonthBtn = new QToolButton(this);
    PrevMonthBtn->setObjectName(QStringLiteral("PrevMonthBtn"));
    PrevMonthBtn->setArrowType(Qt::LeftArrow);
    PrevMonthBtn->setFocusPolicy(Qt::NoFocus);
    NextMonthBtn = new QToolButton(this);
    NextMonthBtn->setObjectName(QStringLiteral("NextMonthBtn"));
    NextMonthBtn->setArrowType(Qt::RightArrow);
    NextMonthBtn->setFocusPolicy(Qt::NoFocus);
    TitleLabel = new QLabel(this);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    TitleLabel->setAlignment(Qt::AlignCenter);
    QFont bold = TitleLabel->font();
    bold.setBold(true);
    TitleLabel->setFont(bold);
    // As wide as the longest title, so that the buttons stay put from month to month.
    int titleWidth = 0;
    for (int month = 1; month <= 12; ++month)
        titleWidth = std::max(titleWidth, TitleLabel->fontMetrics().horizontalAdvance(MonthTitle(2000, month)));
    TitleLabel->setMinimumWidth(titleWidth + 8);

    Calendar = new QCalendarWidget(this);
    Calendar->setObjectName(QStringLiteral("Calendar"));
    Calendar->setLocale(QLocale::system());
    Calendar->setFirstDayOfWeek(Qt::Monday);
    Calendar->setNavigationBarVisible(false);
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    Calendar->setGridVisible(true);

    OkBtn = NewButton(this, "OkBtn", QStringLiteral("OK"));
    OkBtn->setDefault(true);
    CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("&Renunta"));
    SetButtonModalResult(OkBtn, fw::TModalResult::OK);
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);

    auto* title = new QHBoxLayout;
    title->addWidget(PrevMonthBtn);
    title->addWidget(TitleLabel, 1);
    title->addWidget(NextMonthBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(title);
    layout->addWidget(Calendar, 1);
    layout->addLayout(ButtonRow({OkBtn, CancelBtn}));

    connect(PrevMonthBtn, &QToolButton::clicked, this, fw::GuardedSlot(this, [this] { ChangeMonth(-1); }));
    connect(NextMonthBtn, &QToolButton::clicked, this, fw::GuardedSlot(this, [this] { ChangeMonth(1); }));
    connect(Calendar, &QCalendarWidget::currentPageChanged, this,
            [this](int year, int month) { TitleLabel->setText(MonthTitle(year, month)); });
    // A double click on a day (or Enter in the month) chooses it.
    connect(Calendar, &QCalendarWidget::activated, this,
            fw::GuardedSlot(this, [this] { SetModalResult(fw::TModalResult::OK); }));
    SetKeyPreview(true);
    OnKeyDown = [this](fw::TForm*, int& key, Qt::KeyboardModifiers) { FormKeyDown(key); };

    SetDate(QDate::currentDate());
    setFixedSize(sizeHint());
    Calendar->setFocus();
}

QDate TCalendarForm::Date() const { return Calendar->selectedDate(); }

void TCalendarForm::SetDate(const QDate& date)
{
    Calendar->setSelectedDate(date);
    Calendar->setCurrentPage(date.year(), date.month());
    TitleLabel->setText(MonthTitle(date.year(), date.month()));
}

void TCalendarForm::ChangeMonth(int months) { SetDate(Date().addMonths(months)); }

QString TCalendarForm::MonthTitle(int year, int month)
{
    return QLocale::system().standaloneMonthName(month, QLocale::LongFormat) + QStringLiteral(", ") +
           QString::number(year);
}

void TCalendarForm::FormKeyDown(int& key)
{
    if (key == fw::vk::Prior || key == fw::vk::Next) {
        ChangeMonth(key == fw::vk::Prior ? -1 : 1);
        key = 0;
    }
}

} // namespace corvanel
