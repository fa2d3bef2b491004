#include "platform/ui/Beep.h"

#include <QApplication>

namespace fw {

std::function<void(TBeep)> BeepObserver;

void MessageBeep(TBeep kind)
{
    if (BeepObserver) {
        BeepObserver(kind);
        return;
    }
    // The toolkit has one beep for every kind.
    QApplication::beep();
}

} // namespace fw
