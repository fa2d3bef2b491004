#include "platform/ui/DBNavigator.h"

#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace fw {

namespace {

const std::array<const char*, kNavigateBtnCount> kDefaultHints = {
    "Primul", "Anterior", "Urmator", "Ultimul", "Adaugare", "Stergere", "Editare", "Salvare", "Anulare", "Refresh"};

// Simple drawn glyphs: they look the same under every style and platform theme.
QIcon Glyph(TNavigateBtn button, const QColor& ink)
{
    const int size = 32; // drawn large, scaled down by the button
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    auto triangle = [&](bool right, double x) {
        QPainterPath path;
        if (right) {
            path.moveTo(x, 8);
            path.lineTo(x + 11, 16);
            path.lineTo(x, 24);
        } else {
            path.moveTo(x + 11, 8);
            path.lineTo(x, 16);
            path.lineTo(x + 11, 24);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (button) {
    case TNavigateBtn::First:
        p.drawLine(QPointF(9, 8), QPointF(9, 24));
        triangle(false, 13);
        break;
    case TNavigateBtn::Prior:
        triangle(false, 10);
        break;
    case TNavigateBtn::Next:
        triangle(true, 11);
        break;
    case TNavigateBtn::Last:
        triangle(true, 8);
        p.drawLine(QPointF(23, 8), QPointF(23, 24));
        break;
    case TNavigateBtn::Insert:
        p.drawLine(QPointF(16, 7), QPointF(16, 25));
        p.drawLine(QPointF(7, 16), QPointF(25, 16));
        break;
    case TNavigateBtn::Delete:
        p.drawLine(QPointF(7, 16), QPointF(25, 16));
        break;
    case TNavigateBtn::Edit: {
        QPainterPath path;
        path.moveTo(8, 22);
        path.lineTo(16, 10);
        path.lineTo(24, 22);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case TNavigateBtn::Post:
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(7, 17), QPointF(13, 23), QPointF(25, 9)}));
        break;
    case TNavigateBtn::Cancel:
        p.drawLine(QPointF(9, 9), QPointF(23, 23));
        p.drawLine(QPointF(23, 9), QPointF(9, 23));
        break;
    case TNavigateBtn::Refresh: {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(8, 8, 16, 16), 60 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(18, 4);
        head.lineTo(25, 9);
        head.lineTo(17, 13);
        head.closeSubpath();
        p.setBrush(ink);
        p.setPen(QPen(ink, 1.5));
        p.drawPath(head);
        break;
    }
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace

class TNavigatorLink final : public TDataLink {
public:
    explicit TNavigatorLink(TDBNavigator* navigator) : navigator_(navigator) {}
    void ActiveChanged() override { navigator_->UpdateButtons(); }
    void EditingChanged() override { navigator_->UpdateButtons(); }
    void DataSetChanged() override { navigator_->UpdateButtons(); }
    void DataSetScrolled(int) override { navigator_->UpdateButtons(); }

private:
    TDBNavigator* navigator_;
};

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent), link_(std::make_unique<TNavigatorLink>(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QColor ink = palette().color(QPalette::ButtonText);
    for (int i = 0; i < kNavigateBtnCount; ++i) {
        const auto which = TNavigateBtn(i);
        auto* button = new QToolButton(this);
        button->setIcon(Glyph(which, ink));
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->setToolTip(QString::fromUtf8(kDefaultHints[size_t(i)]));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        connect(button, &QToolButton::clicked, this, GuardedSlot(this, [this, which] { BtnClick(which); }));
        layout->addWidget(button);
        buttons_[size_t(i)] = button;
    }
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() = default;

TDataSource* TDBNavigator::DataSource() const { return link_->DataSource(); }

namespace {

// The grid of the navigator's window that shows the navigator's data, given the focus.
void FocusGridOf(const TDBNavigator* navigator)
{
    // The grid has no meta-object of its own: found among the table views by its C++ type.
    for (QTableView* view : navigator->window()->findChildren<QTableView*>()) {
        auto* grid = dynamic_cast<TDBGridNormal*>(view);
        if (grid && grid->DataSource() == navigator->DataSource() && grid->isVisible() && grid->isEnabled()) {
            grid->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

} // namespace

void TDBNavigator::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(std::initializer_list<TNavigateBtn> visible)
{
    for (QToolButton* button : buttons_)
        button->setVisible(false);
    for (TNavigateBtn which : visible)
        Button(which)->setVisible(true);
}

void TDBNavigator::SetButtonVisible(TNavigateBtn button, bool visible) { Button(button)->setVisible(visible); }

bool TDBNavigator::ButtonVisible(TNavigateBtn button) const { return !Button(button)->isHidden(); }

bool TDBNavigator::ButtonEnabled(TNavigateBtn button) const { return Button(button)->isEnabled(); }

QStringList TDBNavigator::Hints() const
{
    QStringList hints;
    for (QToolButton* button : buttons_)
        hints << button->toolTip();
    return hints;
}

void TDBNavigator::SetHints(const QStringList& hints)
{
    for (int i = 0; i < kNavigateBtnCount && i < hints.size(); ++i)
        buttons_[size_t(i)]->setToolTip(hints[i]);
}

void TDBNavigator::UpdateButtons()
{
    TDataSet* ds = link_->DataSet();
    const bool active = ds && ds->Active() && link_->DataSource()->Enabled();
    const bool editing = active && ds->IsEditing();
    const bool canModify = active && ds->CanModify();
    const bool bof = active && ds->Bof();
    const bool eof = active && ds->Eof();
    auto set = [this](TNavigateBtn which, bool enabled) { Button(which)->setEnabled(enabled); };
    set(TNavigateBtn::First, active && !bof);
    set(TNavigateBtn::Prior, active && !bof);
    set(TNavigateBtn::Next, active && !eof);
    set(TNavigateBtn::Last, active && !eof);
    set(TNavigateBtn::Insert, canModify);
    set(TNavigateBtn::Delete, canModify && !(bof && eof));
    set(TNavigateBtn::Edit, canModify && !editing);
    set(TNavigateBtn::Post, canModify && editing);
    set(TNavigateBtn::Cancel, canModify && editing);
    set(TNavigateBtn::Refresh, active);
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    TDataSet* ds = link_->DataSet();
    if (!ds || !ds->Active())
        return;
    if (BeforeAction)
        BeforeAction(this, button);
    switch (button) {
    case TNavigateBtn::First:
        ds->First();
        break;
    case TNavigateBtn::Prior:
        ds->Prior();
        break;
    case TNavigateBtn::Next:
        ds->Next();
        break;
    case TNavigateBtn::Last:
        ds->Last();
        break;
    case TNavigateBtn::Insert:
        // The buttons take no focus, so the keys would still go wherever the user was,
        // perhaps the grid of another table: the new row takes the focus, before it is
        // made, so that whatever the user leaves is settled first.
        FocusGridOf(this);
        ds->Insert();
        break;
    case TNavigateBtn::Delete:
        if (confirmDelete_ && !ConfirmDeleteRecord())
            return;
        ds->Delete();
        break;
    case TNavigateBtn::Edit:
        ds->Edit();
        break;
    case TNavigateBtn::Post:
        if (ds->IsEditing())
            ds->Post();
        break;
    case TNavigateBtn::Cancel:
        ds->Cancel();
        break;
    case TNavigateBtn::Refresh:
        ds->Refresh();
        break;
    }
    if (OnClick)
        OnClick(this, button);
}

} // namespace fw
