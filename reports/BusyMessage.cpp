#include "reports/BusyMessage.h"

#include "platform/ui/UsualColours.h"

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

struct TBusyMessageForm::Ui {
    QLabel* text = nullptr;
};

TBusyMessageForm::TBusyMessageForm(QWidget* owner) : fw::TForm(owner), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("BusyMessageForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    SetPosition(fw::TPosition::ScreenCenter);

    const QColor caption(0x00, 0x54, 0xa6); // the active caption's blue
    QFrame* panel = fw::SunkenPanel(this, caption, Qt::white);

    QLabel*& text = ui_->text;
    text = new QLabel(panel);
    text->setObjectName(QStringLiteral("TextLabel"));
    QFont bold = text->font();
    bold.setBold(true);
    text->setFont(bold);
    text->setAlignment(Qt::AlignCenter);
    // The window is widened for a long text by showText(), not by the layout.
    text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setFixedWidth(kPictureWidth);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(HourGlassPicture(Qt::white));

    auto* inner = new QHBoxLayout(panel);
    inner->setContentsMargins(4, 2, 2, 2);
    inner->addWidget(text, 1);
    inner->addWidget(picture);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    resize(kDesignWidth, 39);
}

TBusyMessageForm::~TBusyMessageForm() = default;

void TBusyMessageForm::showText(const QString& text)
{
    const int textWidth = QFontMetrics(ui_->text->font()).horizontalAdvance(text);
    if (textWidth > kDesignWidth - kPictureWidth) {
        const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect area = shownOn ? shownOn->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
        const int width = std::min(textWidth + kPictureWidth + 18, area.width());
        setGeometry(area.left() + (area.width() - width) / 2, y(), width, height());
    }
    ui_->text->setText(text);
    repaint();
}

TBusyMessage::TBusyMessage(QWidget* owner, const QString& text) : form_(new TBusyMessageForm(owner))
{
    form_->Show();
    form_->showText(text);
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
