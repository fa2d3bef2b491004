#include "platform/config/Paths.h"

#include "platform/config/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace fw {

namespace {

bool IsSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

} // namespace

QString IncludeTrailingPathDelimiter(const QString& directory)
{
    if (directory.isEmpty())
        return directory;
    qsizetype end = directory.size();
    while (end > 0 && IsSeparator(directory[end - 1]))
        --end;
    if (end == directory.size())
        return directory + QDir::separator();
    // Keep the first separator of the run at the end and drop the rest.
    return directory.left(end + 1);
}

QString JoinPath(const QString& directory, const QString& fileName)
{
    return IncludeTrailingPathDelimiter(directory) + fileName;
}

QString ChangeFileExt(const QString& path, const QString& extension)
{
    qsizetype nameStart = path.size();
    while (nameStart > 0 && !IsSeparator(path[nameStart - 1]))
        --nameStart;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > nameStart)
        return path.left(dot) + extension;
    return path + extension;
}

QString ChooseHostIniFile(const QString& executable, const QString& configDirectory)
{
    QString beside = ChangeFileExt(executable, QStringLiteral(".INI"));
    // A link to nothing is there too: its reader says so, rather than another file being read.
    if (const QFileInfo info(beside); info.exists() || info.isSymLink())
        return beside;
    return JoinPath(configDirectory, QFileInfo(beside).fileName());
}

QString HostIniFileName()
{
    const QString storeDirectory = QFileInfo(TSettingsStore().FileName()).absolutePath();
    return ChooseHostIniFile(QCoreApplication::applicationFilePath(), storeDirectory);
}

} // namespace fw
