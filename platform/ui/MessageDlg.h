#pragma once

#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

class QMessageBox;

namespace fw {

// What closed a modal window or message box. The numbers are the component model's.
enum class TModalResult : int { None = 0, OK = 1, Cancel = 2, Yes = 6, No = 7 };

enum class TMsgDlgType { Warning, Error, Information, Confirmation };
enum class TMsgDlgButtons { OK, YesNo };

// One message as it is asked for: the text exactly as given (a "\r" is a line break on
// screen), its kind and its buttons.
struct TMessage {
    QString Text;
    TMsgDlgType Kind = TMsgDlgType::Information;
    TMsgDlgButtons Buttons = TMsgDlgButtons::OK;
    // The button Enter presses in a Yes/No box: No where going on by mistake costs most.
    TModalResult Default = TModalResult::Yes;
};

// Shows a message box and returns the button pressed: OK for an OK box, Yes or No for a
// Yes/No box. Every message of both modules goes through here, so a test can record them.
TModalResult MessageDlg(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons = TMsgDlgButtons::OK,
                        TModalResult defaultButton = TModalResult::Yes);

// The question the grid and the navigator ask before deleting a record; true for "Da".
bool ConfirmDeleteRecord();

// What actually shows messages. The program uses the Qt one; a test installs a recorder.
class TMessagePresenter {
public:
    TMessagePresenter() = default;
    TMessagePresenter(const TMessagePresenter&) = delete;
    TMessagePresenter& operator=(const TMessagePresenter&) = delete;
    virtual ~TMessagePresenter() = default;
    virtual TModalResult Present(const TMessage& message) = 0;
};

// The box the user sees: a QMessageBox over the active window with the Romanian caption
// of its kind ("Atentie", "Eroare", "Informatie", "Confirmare") and buttons "OK" or
// "Da"/"Nu" (Escape answers "Nu").
// On the offscreen platform, where nobody could answer, it shows nothing and answers
// OK (No for a Yes/No box) with a warning on the console.
class TQtMessagePresenter final : public TMessagePresenter {
public:
    TModalResult Present(const TMessage& message) override;
    // The box as it would be shown, not yet executed.
    static std::unique_ptr<QMessageBox> CreateBox(const TMessage& message);
};

// Installs a presenter for the process (null restores the Qt one); returns the previous.
// The caller keeps ownership.
TMessagePresenter* SetMessagePresenter(TMessagePresenter* presenter);

// Caption and on-screen text of a message box: the caption of its kind, and the text
// with each "\r" (or "\r\n") turned into a line break.
QString MessageCaption(TMsgDlgType kind);
QString MessageDisplayText(const QString& text);

// For tests: records every message while it lives (installed on construction, previous
// presenter restored on destruction) and answers without showing anything. OK boxes are
// answered OK; Yes/No boxes take the next scripted answer, or the default (Yes).
class TMessageRecorder final : public TMessagePresenter {
public:
    TMessageRecorder();
    ~TMessageRecorder() override;

    TModalResult Present(const TMessage& message) override;

    // Answers for the coming Yes/No boxes, in order.
    void Answer(TModalResult result) { answers_.push_back(result); }
    void SetDefaultAnswer(TModalResult result) { defaultAnswer_ = result; }
    int PendingAnswers() const { return int(answers_.size()); }

    const std::vector<TMessage>& Messages() const { return messages_; }
    int Count() const { return int(messages_.size()); }
    const TMessage& Last() const { return messages_.back(); }
    QStringList Texts() const;
    void Clear() { messages_.clear(); }

private:
    TMessagePresenter* previous_;
    std::vector<TMessage> messages_;
    std::deque<TModalResult> answers_;
    TModalResult defaultAnswer_ = TModalResult::Yes;
};

} // namespace fw
