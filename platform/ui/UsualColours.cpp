#include "platform/ui/UsualColours.h"

#include <QApplication>
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

} // namespace fw
