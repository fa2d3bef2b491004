#include "host/CompanyMove.h"

#include "host/Company.h"
#include "platform/config/AtomicFile.h"
#include "platform/config/FileLock.h"
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace pelmaris {

namespace {

const QString kStaging = QStringLiteral(".migrare");
const QString kIdFile = QStringLiteral("identificator");

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

QString NotFinishedText(const QString& what)
{
    return what + QStringLiteral(": firma este pe server, dar mutarea ei nu a fost incheiata. Se va incheia la urmatoarea "
                                 "deschidere a firmei sau la o noua mutare.");
}

void Rename(const QString& from, const QString& to)
{
    if (!QFile::rename(from, to))
        throw fw::EInOutError(
            NotFinishedText(QStringLiteral("Fisierul <%1> nu a putut fi redenumit <%2>").arg(Shown(from), QFileInfo(to).fileName())));
}

void RemoveStaging(const QString& staging)
{
    if (!QDir(staging).removeRecursively())
        throw fw::EInOutError(QStringLiteral("Directorul <%1> nu a putut fi sters.").arg(Shown(staging)));
}

QString ReadId(const QString& staging)
{
    QFile file(QDir(staging).filePath(kIdFile));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.read(64)).trimmed();
}

// Whether the server named in `named` committed the move; the user is told what stands
// in the way when it cannot be asked.
bool ServerTookIt(const QString& directory, const QString& named, const QString& id)
{
    try {
        return fw::HoldsMigration(named, id);
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(QStringLiteral("Mutarea pe server a firmei din directorul <%1> a fost intrerupta, iar serverul "
                                                "nu poate spune daca a primit-o; firma poate fi deschisa cand serverul "
                                                "raspunde.\r%2")
                                     .arg(Shown(directory), e.Message()));
    }
}

// The switch, step by step; a step already made is passed over, so that it can be run
// again after being cut short anywhere.
void Switch(const QString& directory, const QString& staging)
{
    const QDir dir(directory);
    const QString connection = fw::TServerDatabase::FileName();
    if (QFileInfo(QDir(staging).filePath(connection)).isFile())
        Rename(QDir(staging).filePath(connection), dir.filePath(connection));
    // The log may hold the latest commits of the file: it goes with it. The file last, so
    // that while it is there the switch is known to be unfinished.
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm"), QString()}) {
        const QString file = dir.filePath(fw::DatabaseFileName() + suffix);
        if (QFileInfo::exists(file))
            Rename(file, dir.filePath(OldDatabaseFile + suffix));
    }
    if (!QDir(staging).removeRecursively())
        throw fw::EInOutError(NotFinishedText(QStringLiteral("Directorul <%1> nu a putut fi sters").arg(Shown(staging))));
}

} // namespace

TStagedMove StageCompanyMove(const QString& directory, const fw::TServerDatabase& server)
{
    TStagedMove move{QDir(directory).filePath(kStaging), QUuid::createUuid().toString(QUuid::WithoutBraces)};
    // What a move cut short before its copy began left here belongs to nobody.
    RemoveStaging(move.Staging);
    if (!QDir().mkpath(move.Staging))
        throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(Shown(move.Staging)));
    server.Write(move.Staging);
    const QString idFile = QDir(move.Staging).filePath(kIdFile);
    if (!fw::SaveFileAtomically(idFile, move.Id.toLatin1() + '\n'))
        fw::RaiseUnableToWrite(idFile);
    return move;
}

std::vector<fw::TMigratedTable> MoveCompanyToServer(const QString& directory, const fw::TServerDatabase& server,
                                                    const std::function<void(const QString& table)>& progress)
{
    const TStagedMove move = StageCompanyMove(directory, server);
    std::vector<fw::TMigratedTable> copied;
    try {
        copied = fw::MigrateCompany(directory, move.Staging, progress, move.Id);
    } catch (const fw::EDatabaseError&) {
        // A commit whose answer was lost may have gone through: then the company is on the
        // server and the switch must be made. A server that cannot be asked did not answer
        // the copy either; the staging folder goes, so that the company opens as it was.
        bool took = false;
        try {
            took = fw::HoldsMigration(move.Staging, move.Id);
        } catch (const fw::EDatabaseError&) {
        }
        if (!took) {
            RemoveStaging(move.Staging);
            throw;
        }
    }
    Switch(directory, move.Staging);
    return copied;
}

TInterruptedMove FinishInterruptedMove(const QString& directory)
{
    const QDir dir(directory);
    const QString staging = dir.filePath(kStaging);
    if (!QFileInfo(staging).isDir())
        return TInterruptedMove::None;
    // The connection file is in the staging folder until the switch moves it out.
    const QString connection = fw::TServerDatabase::FileName();
    const QString named = QFileInfo(QDir(staging).filePath(connection)).isFile() ? staging
        : QFileInfo(dir.filePath(connection)).isFile()                           ? directory
                                                                                 : QString();
    const QString id = ReadId(staging);
    if (id.isEmpty() || named.isEmpty() || !ServerTookIt(directory, named, id)) {
        RemoveStaging(staging);
        return TInterruptedMove::Dropped;
    }
    Switch(directory, staging);
    return TInterruptedMove::Finished;
}

void SettleInterruptedMove(const QString& directory)
{
    if (!QFileInfo(QDir(directory).filePath(kStaging)).isDir())
        return;
    std::unique_ptr<fw::TFileLock> alone;
    try {
        alone = TakeCompanyForRemaking(directory);
    } catch (const fw::EInOutError&) {
        return; // a directory the user may not write: nothing here can be switched by them
    }
    if (alone)
        FinishInterruptedMove(directory);
}

} // namespace pelmaris
