#pragma once

// A second process for tests where two programs meet on one file: the test executable
// runs itself again, running only the test `ChildProcess.Role` of its folder, which looks
// up the role it was given and plays it. Lines go both ways: the child prints what it
// has done and may wait for a line from its parent.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

class TChildProcess {
public:
    // Starts the child in `role` with its arguments. `unprivileged`: it runs as the user
    // "nobody" when this process is the superuser (for whom permissions do not bind),
    // and as the same user otherwise.
    // `test`: the test of this executable the child runs (ChildProcess.Role unless named).
    TChildProcess(const QString& role, const QStringList& arguments, bool unprivileged = false,
                  const QString& test = QStringLiteral("ChildProcess.Role"));
    ~TChildProcess();

    // Waits for the child to print `line` by itself; false on a timeout or when it ended.
    bool WaitFor(const QString& line, int timeoutMs = 30000);
    // Sends a line to the child's standard input.
    void Send(const QString& line);
    // Waits for the end of the child; its exit code, -1 when it did not end in time
    // (it is killed then) or crashed.
    int Finish(int timeoutMs = 60000);
    // Every line the child printed so far.
    const QStringList& Lines() const { return lines_; }

private:
    void ReadLines();
    QProcess process_;
    QStringList lines_;
    QByteArray partial_;
    qsizetype matched_ = 0;
};

// Whether permissions bind this process (false for the superuser, unless a child of it
// runs as "nobody").
bool PermissionsBind();

// In the child: the role and its arguments (an empty role outside a child).
QString ChildRole();
QStringList ChildArguments();
// In the child: prints a line for the parent at once.
void TellParent(const QString& line);
// In the child: waits for the next line from the parent.
QString WaitForParent();

} // namespace testsupport
