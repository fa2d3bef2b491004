#pragma once

// A small borderless window that tells the user what the program is busy with.

#include "platform/ui/Form.h"

#include <QPointer>
#include <memory>

namespace corvanel {

class TBusyMessageForm final : public fw::TForm {
public:
    explicit TBusyMessageForm(QWidget* owner);
    ~TBusyMessageForm() override;

    // Shows the text, the window widened (and centred again) where the text needs more
    // than the width it was made with.
    void showText(const QString& text);

    static constexpr int kDesignWidth = 325;
    static constexpr int kPictureWidth = 24;

private:
    struct Ui;
    std::unique_ptr<Ui> ui_;
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
