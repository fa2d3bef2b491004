#include "cli/Console.h"

#include <cstdio>
#include <unistd.h>

namespace corvanel::cli {

namespace {

void Write(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void Out(const QString& text) { Write(stdout, text); }

void Err(const QString& text) { Write(stderr, text); }

TTextPresenter::TTextPresenter() : previous_(fw::SetMessagePresenter(this)) {}

TTextPresenter::~TTextPresenter() { fw::SetMessagePresenter(previous_); }

fw::TModalResult TTextPresenter::Present(const fw::TMessage& message)
{
    QString text = fw::MessageCaption(message.Kind) + QStringLiteral(": ") + fw::MessageDisplayText(message.Text);
    fw::TModalResult result = fw::TModalResult::OK;
    if (message.Buttons == fw::TMsgDlgButtons::YesNo) {
        result = answer_;
        for (const auto& [opening, answer] : answers_)
            if (message.Text.startsWith(opening))
                result = answer;
        refused_ = refused_ || result != fw::TModalResult::Yes;
        text += result == fw::TModalResult::Yes ? QStringLiteral(" Da") : QStringLiteral(" Nu");
    }
    Err(text + QLatin1Char('\n'));
    return result;
}

TProgress::TProgress(QString what, qint64 total)
    : what_(std::move(what)), total_(total), terminal_(isatty(STDERR_FILENO))
{
    since_.start();
}

TProgress::~TProgress()
{
    if (shown_)
        Err(QStringLiteral("\n"));
}

void TProgress::Step(qint64 done, const QString& detail)
{
    done = std::min(done, total_);
    // A few times a second is enough for the eye and costs the work nothing.
    if (!terminal_ || (since_.elapsed() < 200 && done < total_))
        return;
    since_.restart();
    QString text = QStringLiteral("%1: %2 din %3").arg(what_).arg(done).arg(total_);
    if (!detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(detail);
    Show(text);
}

void TProgress::Say(const QString& text)
{
    if (terminal_)
        Show(text);
}

void TProgress::Show(const QString& text)
{
    // Back to the start of the line and clear it, so a shorter text leaves nothing behind.
    Err(QStringLiteral("\r\x1b[K") + text);
    shown_ = true;
}

} // namespace corvanel::cli
