#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A folder removed with the test.
class TempDir {
public:
    TempDir() : dir_(QDir::tempPath() + QStringLiteral("/corvanel-XXXXXX")) {}
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }
    QString SubDir(const QString& name) const
    {
        QDir(dir_.path()).mkpath(name);
        return dir_.filePath(name);
    }

private:
    QTemporaryDir dir_;
};

} // namespace testsupport

#include <QCoreApplication>

namespace testsupport {

// Where tests leave pictures of windows and pages for a person to look at: the folder
// named by CORVANEL_LOOK_DIR, else build/look.
inline QString LookDir()
{
    const QString fromEnvironment = qEnvironmentVariable("CORVANEL_LOOK_DIR");
    const QString dir = fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../look")
                                                  : fromEnvironment;
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

} // namespace testsupport
