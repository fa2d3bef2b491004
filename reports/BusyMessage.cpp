#include "reports/BusyMessage.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace corvanel {

namespace {

// An hourglass drawn in the caption colours.
QPixmap HourGlassPicture(const QColor& color)
{
    QPixmap pixmap(16, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 1.5));
    p.drawLine(2, 1, 14, 1);
    p.drawLine(2, 19, 14, 19);
    const QPointF glass[] = {{3, 2}, {13, 2}, {8, 10}, {13, 18}, {3, 18}, {8, 10}};
    p.drawPolygon(glass, 6);
    p.setBrush(color);
    const QPointF sand[] = {{5.5, 17.5}, {10.5, 17.5}, {8, 13}};
    p.drawPolygon(sand, 3);
    return pixmap;
}

} // namespace

TBusyMessageForm::TBusyMessageForm(QWidget* owner) : fw::TForm(owner), DesignWidth(325)
{
    setObjectName(QStringLiteral("BusyMessageForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    SetPosition(fw::TPosition::ScreenCenter);

    Panel = new QFrame(this);
    Panel->setFrameShape(QFrame::Panel);
    Panel->setFrameShadow(QFrame::Sunken);
    Panel->setAutoFillBackground(true);
    QPalette pal = Panel->palette();
    const QColor caption(0x00, 0x54, 0xa6); // the active caption's blue
    pal.setColor(QPalette::Window, caption);
    pal.setColor(QPalette::WindowText, Qt::white);
    Panel->setPalette(pal);

    TextLabel = new QLabel(Panel);
    TextLabel->setObjectName(QStringLiteral("TextLabel"));
    QFont bold = TextLabel->font();
    bold.setBold(true);
    TextLabel->setFont(bold);
    TextLabel->setAlignment(Qt::AlignCenter);
    // The window is widened for a long text by TBusyMessage, not by the layout.
    TextLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Picture = new QLabel(Panel);
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setFixedWidth(kPictureWidth);
    Picture->setAlignment(Qt::AlignCenter);
    Picture->setPixmap(HourGlassPicture(Qt::white));

    auto* inner = new QHBoxLayout(Panel);
    inner->setContentsMargins(4, 2, 2, 2);
    inner->addWidget(TextLabel, 1);
    inner->addWidget(Picture);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel);
    resize(DesignWidth, 39);
}

TBusyMessage::TBusyMessage(QWidget* owner, const QString& text) : form_(new TBusyMessageForm(owner))
{
    TBusyMessageForm* form = form_;
    form->Show();
    const int textWidth = QFontMetrics(form->TextLabel->font()).horizontalAdvance(text);
    if (textWidth > form->DesignWidth - TBusyMessageForm::kPictureWidth) {
        const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
        const int width = std::min(textWidth + TBusyMessageForm::kPictureWidth + 18, area.width());
        form->setGeometry(area.left() + (area.width() - width) / 2, form->y(), width, form->height());
    }
    form->TextLabel->setText(text);
    form->repaint();
}

TBusyMessage::~TBusyMessage()
{
    if (!form_)
        return;
    form_->hide();
    if (QWidget* owner = form_->Owner())
        owner->repaint();
    delete form_.data();
}

} // namespace corvanel
