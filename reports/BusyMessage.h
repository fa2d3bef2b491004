#pragma once

// A small borderless window that tells the user what the program is busy with.

#include "platform/ui/Form.h"

#include <QPointer>

class QFrame;
class QLabel;

namespace corvanel {

class TBusyMessageForm final : public fw::TForm {
public:
    explicit TBusyMessageForm(QWidget* owner);

    QFrame* Panel;     // the lowered frame filling the window
    QLabel* TextLabel; // the text
    QLabel* Picture;   // at the right
    int DesignWidth;   // the width the window was made with

    static constexpr int kPictureWidth = 24;
};

// The message window with the text while this lives: shown at once, widened (and centred
// again) when the text needs it, removed however the work it stands for ends.
class TBusyMessage final {
public:
    TBusyMessage(QWidget* owner, const QString& text);
    ~TBusyMessage();
    TBusyMessage(const TBusyMessage&) = delete;
    TBusyMessage& operator=(const TBusyMessage&) = delete;

    TBusyMessageForm* Form() const { return form_.data(); }

private:
    QPointer<TBusyMessageForm> form_; // also gone with its owner
};

} // namespace corvanel
