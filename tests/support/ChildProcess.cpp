#include "ChildProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <cstdio>
#include <grp.h>
#include <iostream>
#include <string>
#include <unistd.h>

namespace testsupport {

namespace {

const char* const RoleVariable = "CORVANEL_CHILD_ROLE";
const char* const ArgumentsVariable = "CORVANEL_CHILD_ARGS";
constexpr uid_t Nobody = 65534;

} // namespace

TChildProcess::TChildProcess(const QString& role, const QStringList& arguments, bool unprivileged, const QString& test)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(RoleVariable), role);
    environment.insert(QString::fromLatin1(ArgumentsVariable), arguments.join(QLatin1Char('\n')));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Somewhere every user may stand; the child makes its own sandbox.
    process_.setWorkingDirectory(QStringLiteral("/"));
    if (unprivileged && geteuid() == 0) {
        process_.setChildProcessModifier([] {
            if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0)
                _exit(126);
        });
    }
    process_.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + test});
}

TChildProcess::~TChildProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void TChildProcess::ReadLines()
{
    partial_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = partial_.indexOf('\n')) >= 0) {
        lines_ << QString::fromLocal8Bit(partial_.left(end));
        partial_.remove(0, end + 1);
    }
}

bool TChildProcess::WaitFor(const QString& line, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        ReadLines();
        for (; matched_ < lines_.size(); ++matched_) {
            if (lines_.at(matched_) == line) {
                ++matched_;
                return true;
            }
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
            return false;
        process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

void TChildProcess::Send(const QString& line)
{
    process_.write((line + QLatin1Char('\n')).toLocal8Bit());
    process_.waitForBytesWritten(5000);
}

int TChildProcess::Finish(int timeoutMs)
{
    process_.closeWriteChannel();
    const bool ended = process_.waitForFinished(timeoutMs);
    ReadLines();
    if (!ended) {
        process_.kill();
        process_.waitForFinished(5000);
        return -1;
    }
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

bool PermissionsBind() { return geteuid() != 0; }

QString ChildRole() { return qEnvironmentVariable(RoleVariable); }

QStringList ChildArguments()
{
    return qEnvironmentVariable(ArgumentsVariable).split(QLatin1Char('\n'), Qt::KeepEmptyParts);
}

void TellParent(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

QString WaitForParent()
{
    std::string line;
    std::getline(std::cin, line);
    return QString::fromStdString(line);
}

} // namespace testsupport
