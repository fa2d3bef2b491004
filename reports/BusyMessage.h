#pragma once

// A small borderless window that tells the user what the program is busy with.

#include "platform/ui/Form.h"

class QFrame;
class QLabel;

namespace corvanel {

class TBusyMessageForm final : public fw::TForm {
public:
    explicit TBusyMessageForm(QWidget* owner);

    QFrame* Panel;     // the lowered frame filling the window
    QLabel* TextLabel;  // the text
    QLabel* Picture;   // at the right
    int DesignWidth;   // the width the window was made with

    static constexpr int kPictureWidth = 24;
};

// Shows the message window with the text, widened (and centred again) when the text needs
// it; HideBusyMessage removes it. Without a window HideBusyMessage does nothing.
void ShowBusyMessage(QWidget* owner, const QString& text);
void HideBusyMessage();

// The window while it is shown, or null.
TBusyMessageForm* BusyMessageForm();

} // namespace corvanel
