#include "platform/ui/Form.h"

#include "platform/ui/Application.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>

namespace fw {

namespace {
TModalHook* currentHook = nullptr;

bool OffscreenPlatform() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }

TModalResult FromDialogCode(int code)
{
    switch (code) {
    case QDialog::Accepted:
        return TModalResult::OK;
    case QDialog::Rejected:
        return TModalResult::Cancel;
    default:
        return TModalResult(code);
    }
}
} // namespace

TForm::TForm(QWidget* owner) : QDialog(owner), owner_(owner)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

TForm::~TForm()
{
    if (loop_)
        loop_->exit();
}

void TForm::SetKeyPreview(bool preview)
{
    if (preview == keyPreview_)
        return;
    keyPreview_ = preview;
    // At application level, because the keys go to whichever control has the focus,
    // including ones created after this call (a grid's cell editor).
    if (preview)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void TForm::PrepareFirstShow()
{
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // Enter reaches a button only when it was made the default one; QDialog would
    // otherwise let every push button take Enter away from grids and edits.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (!button->isDefault())
            button->setAutoDefault(false);
    }
    if (position_ == TPosition::Designed || subWindow_)
        return;
    if (!testAttribute(Qt::WA_Resized))
        resize(sizeHint().expandedTo(minimumSize()));
    QRect area;
    if (position_ == TPosition::OwnerFormCenter && owner_)
        area = owner_->window()->frameGeometry();
    else if (QScreen* s = (owner_ ? owner_->screen() : QGuiApplication::primaryScreen()))
        area = s->availableGeometry();
    if (area.isValid()) {
        QRect frame = geometry();
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
}

QMdiArea* TForm::FindMDIArea() const
{
    QWidget* main = nullptr;
    if (TApplication* application = TApplication::Find(owner_ ? static_cast<const QObject*>(owner_.data()) : this))
        main = application->MainForm();
    if (!main && owner_)
        main = owner_->window();
    if (!main)
        return nullptr;
    if (auto* window = qobject_cast<QMainWindow*>(main)) {
        if (auto* area = qobject_cast<QMdiArea*>(window->centralWidget()))
            return area;
    }
    return main->findChild<QMdiArea*>();
}

void TForm::Show()
{
    if (formStyle_ == TFormStyle::MDIChild && !subWindow_) {
        if (QMdiArea* area = FindMDIArea()) {
            // Our own sub-window, not addSubWindow(widget): that one deletes on close,
            // and whether a form is freed is the form's close action to say.
            auto* sub = new QMdiSubWindow;
            sub->setWidget(this);
            sub->setWindowTitle(windowTitle());
            sub->setWindowIcon(windowIcon());
            area->addSubWindow(sub);
            sub->resize(sub->sizeHint().expandedTo(size() + (sub->size() - sub->contentsRect().size())));
            subWindow_ = sub;
            if (position_ != TPosition::Designed) {
                QRect frame = sub->geometry();
                frame.moveCenter(area->viewport()->rect().center());
                sub->move(frame.topLeft());
            }
            connect(this, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
        }
    }
    PrepareFirstShow();
    if (subWindow_) {
        show();
        subWindow_->show();
        if (QMdiArea* area = subWindow_->mdiArea())
            area->setActiveSubWindow(subWindow_);
    } else {
        show();
        raise();
        activateWindow();
    }
}

TModalResult TForm::ShowModal()
{
    modalResult_ = TModalResult::None;
    freeAfterModal_ = false;
    inModal_ = true;
    PrepareFirstShow();
    if (TModalHook* hook = currentHook) {
        ++hook->calls_;
        show();
        TModalResult answer = TModalResult::None;
        try {
            answer = hook->handler_(this);
        } catch (...) {
            inModal_ = false;
            hide();
            throw;
        }
        if (inModal_) {
            SetModalResult(answer == TModalResult::None ? TModalResult::Cancel : answer);
            if (inModal_) {
                qWarning("TForm::ShowModal: the form refused to close after the test hook; ended by force");
                modalResult_ = TModalResult::Cancel;
                inModal_ = false;
                hide();
            }
        }
    } else if (OffscreenPlatform()) {
        // Nobody could ever answer: end at once instead of hanging a headless run.
        qWarning("TForm::ShowModal without a TModalHook on the offscreen platform: answered Cancel");
        inModal_ = false;
        modalResult_ = TModalResult::Cancel;
    } else {
        setWindowModality(Qt::ApplicationModal);
        show();
        raise();
        activateWindow();
        QEventLoop loop;
        loop_ = &loop;
        QPointer<TForm> self(this);
        loop.exec(QEventLoop::DialogExec);
        if (!self)
            return TModalResult::Cancel;
        loop_ = nullptr;
        setWindowModality(Qt::NonModal);
    }
    const TModalResult result = modalResult_;
    if (freeAfterModal_) {
        freeAfterModal_ = false;
        Release();
    }
    return result;
}

void TForm::SetModalResult(TModalResult result)
{
    modalResult_ = result;
    if (!inModal_ || result == TModalResult::None)
        return;
    if (!CloseRequested())
        modalResult_ = TModalResult::None;
}

void TForm::SetButtonModalResult(QAbstractButton* button, TModalResult result)
{
    connect(button, &QAbstractButton::clicked, this, GuardedSlot(this, [this, result] { SetModalResult(result); }));
}

void TForm::done(int result) { SetModalResult(FromDialogCode(result)); }

void TForm::accept() { SetModalResult(TModalResult::OK); }

void TForm::reject() { SetModalResult(TModalResult::Cancel); }

bool TForm::Close() { return close(); }

void TForm::Release()
{
    if (subWindow_)
        subWindow_->deleteLater(); // the form is its child and goes with it
    else
        deleteLater();
}

void TForm::BringToFront()
{
    if (subWindow_) {
        if (subWindow_->isMinimized())
            subWindow_->showNormal();
        show();
        subWindow_->show();
        if (QMdiArea* area = subWindow_->mdiArea())
            area->setActiveSubWindow(subWindow_);
        subWindow_->raise();
        return;
    }
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

bool TForm::IsMinimized() const { return subWindow_ ? subWindow_->isMinimized() : isMinimized(); }

bool TForm::CloseRequested()
{
    TCloseAction action = closeAction_;
    bool agreed = false;
    Guarded(this, [&] {
        bool canClose = true;
        if (OnCloseQuery)
            OnCloseQuery(this, canClose);
        if (!canClose)
            return;
        if (OnClose)
            OnClose(this, action);
        agreed = action != TCloseAction::None;
    });
    if (!agreed)
        return false;
    if (action == TCloseAction::Minimize && !inModal_) {
        if (subWindow_)
            subWindow_->showMinimized();
        else
            showMinimized();
        return false; // minimised, not closed
    }
    if (inModal_) {
        if (modalResult_ == TModalResult::None)
            modalResult_ = TModalResult::Cancel;
        inModal_ = false;
        freeAfterModal_ = action == TCloseAction::Free;
        hide();
        if (loop_)
            loop_->exit();
        return true;
    }
    if (subWindow_)
        subWindow_->hide();
    hide();
    if (action == TCloseAction::Free)
        Release();
    return true;
}

void TForm::closeEvent(QCloseEvent* event)
{
    // The close box, close(), or the MDI child window being closed: all ask the form.
    event->setAccepted(CloseRequested());
}

void TForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && OnShow)
        Guarded(this, [this] { OnShow(this); });
}

bool TForm::eventFilter(QObject* watched, QEvent* event)
{
    if (keyPreview_ && event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == this || isAncestorOf(widget)) {
            // A key the focused control ignores travels up to its parents as the same
            // event: the form sees it once, at its first stop.
            const bool travelling = event == lastPreviewed_ && lastPreviewReceiver_ && widget != lastPreviewReceiver_ &&
                                    widget->isAncestorOf(lastPreviewReceiver_);
            if (!travelling) {
                lastPreviewed_ = event;
                lastPreviewReceiver_ = widget;
                if (PreviewKey(static_cast<QKeyEvent*>(event)))
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TForm::PreviewKey(QKeyEvent* event)
{
    bool consumed = false;
    Guarded(this, [&] {
        if (OnKeyDown) {
            const int original = VirtualKey(event);
            int key = original;
            OnKeyDown(this, key, event->modifiers());
            if (original != 0 && key == 0) {
                consumed = true;
                return;
            }
        }
        if (OnKeyPress) {
            QChar ch = KeyChar(event);
            if (!ch.isNull()) {
                OnKeyPress(this, ch);
                consumed = ch.isNull();
            }
        }
    });
    return consumed;
}

TModalHook::TModalHook(THandler handler) : handler_(std::move(handler)), previous_(currentHook)
{
    currentHook = this;
}

TModalHook::~TModalHook() { currentHook = previous_; }

} // namespace fw
