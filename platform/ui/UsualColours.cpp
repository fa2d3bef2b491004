#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QFrame>
#include <QPalette>
#include <QWidget>

namespace fw {

void KeepUsualColours(QWidget* control)
{
    const QPalette usual = QApplication::palette(control);
    QPalette own = control->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText})
            own.setColor(group, role, usual.color(group, role));
    control->setPalette(own);
}

QFrame* SunkenPanel(QWidget* parent, const QColor& face, const QColor& text)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, face);
    pal.setColor(QPalette::WindowText, text);
    panel->setPalette(pal);
    return panel;
}

} // namespace fw
