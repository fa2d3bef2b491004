#pragma once

// A small borderless window that tells the user what the program is busy with.

#include "platform/ui/Form.h"

class QFrame;
class QLabel;

namespace corvanel {

class TMessageForm final : public fw::TForm {
public:
    explicit TMessageForm(QWidget* owner);

    QFrame* Panel;     // the lowered frame filling the window
    QLabel* MsgPanel;  // the text
    QLabel* Picture;   // at the right
    int DesignWidth;   // the width the window was made with

    static constexpr int kPictureWidth = 24;
};

// Shows the message window with the text, widened (and centred again) when the text needs
// it; HideWorkMessage removes it. Without a window HideWorkMessage does nothing.
void ShowWorkMessage(QWidget* owner, const QString& text);
void HideWorkMessage();

// The window while it is shown, or null.
TMessageForm* WorkMessageForm();

} // namespace corvanel
