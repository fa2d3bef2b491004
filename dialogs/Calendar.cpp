#include "dialogs/Calendar.h"

#include "dialogs/SelectionLook.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvanel {

struct TCalendarForm::Ui {
    QLabel* title = nullptr;
    QCalendarWidget* calendar = nullptr;
};

TCalendarForm::TCalendarForm(QWidget* owner) : fw::TForm(owner), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("CalendarForm"));
    SetCaption(QStringLiteral("Selecteaza data"));
    UseDialogFrame(this);

    Ui& u = *ui_;
    const auto monthButton = [this](const char* name, Qt::ArrowType arrow, int months) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, fw::GuardedSlot(this, [this, months] { ChangeMonth(months); }));
        return button;
    };
    u.title = new QLabel(this);
    u.title->setObjectName(QStringLiteral("TitleLabel"));
    u.title->setAlignment(Qt::AlignCenter);
    QFont bold = u.title->font();
    bold.setBold(true);
    u.title->setFont(bold);
    // As wide as the longest title, so that the buttons stay put from month to month.
    int titleWidth = 0;
    for (int month = 1; month <= 12; ++month)
        titleWidth = std::max(titleWidth, u.title->fontMetrics().horizontalAdvance(MonthTitle(2000, month)));
    u.title->setMinimumWidth(titleWidth + 8);

    u.calendar = new QCalendarWidget(this);
    u.calendar->setObjectName(QStringLiteral("Calendar"));
    u.calendar->setLocale(QLocale::system());
    u.calendar->setFirstDayOfWeek(Qt::Monday);
    u.calendar->setNavigationBarVisible(false);
    u.calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    u.calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    u.calendar->setGridVisible(true);
    connect(u.calendar, &QCalendarWidget::currentPageChanged, this,
            [this](int year, int month) { ui_->title->setText(MonthTitle(year, month)); });
    // A double click on a day (or Enter in the month) chooses it.
    connect(u.calendar, &QCalendarWidget::activated, this,
            fw::GuardedSlot(this, [this] { SetModalResult(fw::TModalResult::OK); }));

    auto* title = new QHBoxLayout;
    title->addWidget(monthButton("PrevMonthBtn", Qt::LeftArrow, -1));
    title->addWidget(u.title, 1);
    title->addWidget(monthButton("NextMonthBtn", Qt::RightArrow, 1));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(title);
    layout->addWidget(u.calendar, 1);
    layout->addWidget(fw::DialogButtons(
        this, {{QDialogButtonBox::Ok, QStringLiteral("OK")}, {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}}));

    SetKeyPreview(true);
    OnKeyDown = [this](fw::TForm*, int& key, Qt::KeyboardModifiers) { turnPageWithKeys(key); };
    SetDate(QDate::currentDate());
    setFixedSize(sizeHint());
    u.calendar->setFocus();
}

TCalendarForm::~TCalendarForm() = default;

QDate TCalendarForm::Date() const { return ui_->calendar->selectedDate(); }

void TCalendarForm::SetDate(const QDate& date)
{
    ui_->calendar->setSelectedDate(date);
    ui_->calendar->setCurrentPage(date.year(), date.month());
    ui_->title->setText(MonthTitle(date.year(), date.month()));
}

void TCalendarForm::ChangeMonth(int months) { SetDate(Date().addMonths(months)); }

QString TCalendarForm::MonthTitle(int year, int month)
{
    return QLocale::system().standaloneMonthName(month, QLocale::LongFormat) + QStringLiteral(", ") +
           QString::number(year);
}

void TCalendarForm::turnPageWithKeys(int& key)
{
    if (key == fw::vk::Prior || key == fw::vk::Next) {
        ChangeMonth(key == fw::vk::Prior ? -1 : 1);
        key = 0;
    }
}

} // namespace corvanel
