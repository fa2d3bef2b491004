#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace fw {

namespace {
TQtMessagePresenter& QtPresenter()
{
    static TQtMessagePresenter presenter;
    return presenter;
}

TMessagePresenter* currentPresenter = nullptr;
} // namespace

TModalResult MessageDlg(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons, TModalResult defaultButton)
{
    TMessagePresenter* presenter = currentPresenter ? currentPresenter : &QtPresenter();
    return presenter->Present(TMessage{text, kind, buttons, defaultButton});
}

bool ConfirmDeleteRecord()
{
    return MessageDlg(QStringLiteral("Stergeti inregistrarea?"), TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo) ==
           TModalResult::Yes;
}

TMessagePresenter* SetMessagePresenter(TMessagePresenter* presenter)
{
    TMessagePresenter* previous = currentPresenter;
    currentPresenter = presenter;
    return previous;
}

QString MessageCaption(TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::Warning:
        return QStringLiteral("Atentie");
    case TMsgDlgType::Error:
        return QStringLiteral("Eroare");
    case TMsgDlgType::Information:
        return QStringLiteral("Informatie");
    case TMsgDlgType::Confirmation:
        return QStringLiteral("Confirmare");
    }
    return {};
}

QString MessageDisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

std::unique_ptr<QMessageBox> TQtMessagePresenter::CreateBox(const TMessage& message)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (message.Kind) {
    case TMsgDlgType::Warning:
        icon = QMessageBox::Warning;
        break;
    case TMsgDlgType::Error:
        icon = QMessageBox::Critical;
        break;
    case TMsgDlgType::Information:
        icon = QMessageBox::Information;
        break;
    case TMsgDlgType::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    auto box = std::make_unique<QMessageBox>(icon, MessageCaption(message.Kind), MessageDisplayText(message.Text),
                                             QMessageBox::NoButton, QApplication::activeWindow());
    // Plain text: messages quote user data ("<" + code + ">"), which must not turn into markup.
    box->setTextFormat(Qt::PlainText);
    if (message.Buttons == TMsgDlgButtons::YesNo) {
        QPushButton* yes = box->addButton(QStringLiteral("Da"), QMessageBox::YesRole);
        QPushButton* no = box->addButton(QStringLiteral("Nu"), QMessageBox::NoRole);
        box->setDefaultButton(message.Default == TModalResult::No ? no : yes);
        box->setEscapeButton(no);
    } else {
        QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
    }
    return box;
}

TModalResult TQtMessagePresenter::Present(const TMessage& message)
{
    const bool yesNo = message.Buttons == TMsgDlgButtons::YesNo;
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        qWarning("Message box on the offscreen platform, answered without showing: %s", qPrintable(message.Text));
        return yesNo ? TModalResult::No : TModalResult::OK;
    }
    const std::unique_ptr<QMessageBox> box = CreateBox(message);
    box->exec();
    if (!yesNo)
        return TModalResult::OK;
    return box->buttonRole(box->clickedButton()) == QMessageBox::YesRole ? TModalResult::Yes : TModalResult::No;
}

TMessageRecorder::TMessageRecorder() : previous_(SetMessagePresenter(this)) {}

TMessageRecorder::~TMessageRecorder() { SetMessagePresenter(previous_); }

TModalResult TMessageRecorder::Present(const TMessage& message)
{
    messages_.push_back(message);
    if (message.Buttons == TMsgDlgButtons::OK)
        return TModalResult::OK;
    if (answers_.empty())
        return defaultAnswer_;
    const TModalResult answer = answers_.front();
    answers_.pop_front();
    return answer;
}

QStringList TMessageRecorder::Texts() const
{
    QStringList texts;
    for (const TMessage& m : messages_)
        texts << m.Text;
    return texts;
}

} // namespace fw
