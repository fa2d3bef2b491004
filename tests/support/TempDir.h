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
