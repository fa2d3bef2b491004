#pragma once

#include "platform/ui/MessageDlg.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QEventLoop;
class QMdiArea;
class QMdiSubWindow;

namespace fw {

// Where a form appears the first time it is shown.
enum class TPosition { Designed, ScreenCenter, OwnerFormCenter };
// What closing does to a form: nothing (refused), hide it, free it (deleteLater) or
// minimise it.
enum class TCloseAction { None, Hide, Free, Minimize };
// A normal window, or a child window inside the main window's multiple-document area.
enum class TFormStyle { Normal, MDIChild };

// The base of every window. The owner is the QObject parent and the window the form
// belongs to; its application (error handler, main window) is found through it.
// Closing runs OnCloseQuery (may refuse) and OnClose (may change the close action).
// A form whose close action is Free is deleted after it closes; if it is referenced from
// a process-wide variable, its destructor clears that variable.
class TForm : public QDialog {
public:
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    // The owner given at creation (an MDI child's QObject parent becomes its sub-window).
    QWidget* Owner() const { return owner_; }
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TCloseAction CloseAction() const { return closeAction_; }
    void SetCloseAction(TCloseAction action) { closeAction_ = action; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style) { formStyle_ = style; }

    // Key preview: key presses anywhere in the form reach OnKeyDown and OnKeyPress before
    // the focused control; setting the key (or character) to 0 keeps it from the control.
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool preview);

    // Shows the form and waits until it closes; returns its modal result (Cancel when it
    // was closed by the close box or Escape). Under a TModalHook the hook acts instead of
    // the user and nothing waits; on the offscreen platform without a hook it answers
    // Cancel at once. Use this, never QDialog::exec(). A Free close action deletes the
    // form only after ShowModal has returned (deleteLater).
    TModalResult ShowModal();
    bool InModal() const { return inModal_; }
    TModalResult ModalResult() const { return modalResult_; }
    // On a modal form a result other than None closes the form (if it agrees to close);
    // on a non-modal form the value is only kept.
    void SetModalResult(TModalResult result);
    // Makes a button close the form with a result when clicked.
    void SetButtonModalResult(QAbstractButton* button, TModalResult result);

    // Shows the form without waiting; an MDIChild form goes into the multiple-document
    // area of its application's main window (a normal window when there is none).
    void Show();
    // Asks the form to close; false when OnCloseQuery or OnClose refused.
    bool Close();
    // Frees the form once the current event is over.
    void Release();
    // Raises and activates the form, restoring it first if it is minimised.
    void BringToFront();
    bool IsMinimized() const;
    // The child window that holds an MDIChild form while it is shown; null otherwise.
    QMdiSubWindow* MDISubWindow() const;

    // Events. All run under the guard; an error thrown by OnCloseQuery or OnClose (the
    // silent abort included) refuses the close.
    std::function<void(TForm*)> OnShow;                             // each time it is shown
    std::function<void(TForm*, bool& canClose)> OnCloseQuery;       // false keeps it open
    std::function<void(TForm*, TCloseAction& action)> OnClose;      // starts as CloseAction()
    std::function<void(TForm*, int& key, Qt::KeyboardModifiers shift)> OnKeyDown; // key codes: Keys.h
    std::function<void(TForm*, QChar& key)> OnKeyPress;

    // QDialog's own ways to end (Escape, accept(), reject(), done()) map onto the modal
    // result; outside a modal run they do nothing, so Escape never closes a plain window.
    void done(int result) override;
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PrepareFirstShow();
    QMdiArea* FindMDIArea() const;
    // Runs the close handlers; applies the action when they agree.
    bool CloseRequested();
    bool PreviewKey(QKeyEvent* event);

    QPointer<QWidget> owner_;
    TPosition position_ = TPosition::Designed;
    TCloseAction closeAction_ = TCloseAction::Hide;
    TFormStyle formStyle_ = TFormStyle::Normal;
    bool keyPreview_ = false;
    bool inModal_ = false;
    bool freeAfterModal_ = false;
    bool shownOnce_ = false;
    TModalResult modalResult_ = TModalResult::None;
    QEventLoop* loop_ = nullptr;
    QPointer<QMdiSubWindow> subWindow_;
    const QEvent* lastPreviewed_ = nullptr;
    QPointer<QWidget> lastPreviewReceiver_;
};

// For tests: while it lives, ShowModal shows the form without waiting and calls the
// handler, which acts on the form as a user would (clicks, typing) and returns an answer.
// When the form closed itself meanwhile (a button with a result), its own result is
// returned; otherwise the answer closes it (None counts as Cancel). Hooks nest; the
// innermost one answers, also for dialogs opened from inside the handler.
//   fw::TModalHook hook([](fw::TForm* f) { dynamic_cast<TMyDlg*>(f)->OkBtn->click(); return fw::TModalResult::None; });
class TModalHook final {
public:
    using THandler = std::function<TModalResult(TForm*)>;
    explicit TModalHook(THandler handler);
    TModalHook(const TModalHook&) = delete;
    TModalHook& operator=(const TModalHook&) = delete;
    ~TModalHook();

    int Calls() const { return calls_; }

private:
    friend class TForm;
    THandler handler_;
    TModalHook* previous_;
    int calls_ = 0;
};

} // namespace fw
