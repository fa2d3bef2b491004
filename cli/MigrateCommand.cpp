// corvanel migrate: a company's tables copied from its SQLite file into another database
// (a PostgreSQL server's, typically), whole, compared table by table, or not at all.
#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "host/Company.h"
#include "platform/config/FileLock.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/ServerDatabase.h"
#include "platform/schema/CompanyMigration.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvanel::cli {

namespace {

// What the company's SQLite file is kept as once its company lives on a server.
const QString kOldFile = QStringLiteral("tables.sqlite.vechi");

QString Shown(const QString& dir) { return QDir::toNativeSeparators(dir); }

// Copies, telling each table as it is begun and then how many rows each holds.
void Copy(const QString& from, const QString& to)
{
    const std::vector<fw::TMigratedTable> tables =
        fw::MigrateCompany(from, to, [](const QString& table) { Out(QStringLiteral("copiez %1\n").arg(table)); });
    for (const fw::TMigratedTable& t : tables)
        Out(QStringLiteral("%1: %2 randuri\n").arg(t.Name).arg(t.Rows));
}

int Run(const TArgs& args)
{
    const QString from = QDir::cleanPath(QDir(Required(args, QStringLiteral("from"))).absolutePath());
    const QString to = Required(args, QStringLiteral("to"));
    if (!QFileInfo(QDir(from).filePath(fw::DatabaseFileName())).isFile())
        throw ERefused(QStringLiteral("Directorul <%1> nu contine o firma intr-un fisier SQLite.").arg(Shown(from)));
    // A connection string moves the company itself to the server; a directory receives a
    // copy, the company staying where it was.
    const bool inPlace = to.contains(QLatin1Char('='));
    const QString target = inPlace ? from : QDir::cleanPath(QDir(to).absolutePath());
    if (!inPlace && !QFileInfo(target).isDir())
        throw ERefused(QStringLiteral("Directorul <%1> nu exista!").arg(Shown(target)));
    std::unique_ptr<fw::TFileLock> alone;
    if (inPlace) {
        fw::TServerDatabase server;
        try {
            server = fw::TServerDatabase::FromConnectionString(to);
        } catch (const fw::EDatabaseError& e) {
            throw ERefused(e.Message());
        }
        if (server.Database.isEmpty())
            throw ERefused(QStringLiteral("Sirul de conectare nu numeste baza de date (dbname=)."));
        // Nobody may be working on the company while it moves.
        alone = pelmaris::TakeCompanyForRemaking(from);
        if (!alone)
            throw EInUse(QStringLiteral("Firma din directorul <%1> este deschisa in alt program: nu a fost mutata.")
                             .arg(Shown(from)));
        // Copied next to the file first, so that a failure leaves the directory as it was.
        const QString staging = QDir(from).filePath(QStringLiteral(".migrare"));
        QDir(staging).removeRecursively();
        QDir().mkpath(staging);
        server.Write(staging);
        try {
            Copy(from, staging);
        } catch (...) {
            QDir(staging).removeRecursively();
            throw;
        }
        const QString file = QDir(from).filePath(fw::DatabaseFileName());
        QFile::remove(QDir(from).filePath(kOldFile));
        if (!QFile::rename(file, QDir(from).filePath(kOldFile)))
            throw fw::EInOutError(QStringLiteral("Fisierul <%1> nu a putut fi redenumit; firma a fost copiata pe server, "
                                                 "dar directorul o arata inca in fisierul local.")
                                      .arg(Shown(file)));
        QFile::rename(QDir(staging).filePath(fw::TServerDatabase::FileName()),
                      QDir(from).filePath(fw::TServerDatabase::FileName()));
        QDir(staging).removeRecursively();
        fw::MessageDlg(QStringLiteral("Firma din directorul <%1> este acum pe server, in %2; fisierul ei local a ramas ca %3.")
                           .arg(Shown(from), server.Describe(), kOldFile),
                       fw::TMsgDlgType::Information);
        return ExitDone;
    }
    if (from == target)
        throw ERefused(QStringLiteral("Firma nu poate fi copiata in propriul ei director."));
    Copy(from, target);
    fw::MessageDlg(QStringLiteral("Firma din directorul <%1> a fost copiata in <%2>.").arg(Shown(from), Shown(target)),
                   fw::TMsgDlgType::Information);
    return ExitDone;
}

} // namespace

extern const TCommand MigrateCommand{
    .Name = QStringLiteral("migrate"),
    .Summary = QStringLiteral("Muta tabelele unei firme pe un server PostgreSQL"),
    .Usage = QStringLiteral("migrate --from DIR --to CONEXIUNE"),
    .Details = QStringLiteral(
        "Copiaza toate tabelele firmei din directorul DIR (fisierul tables.sqlite) intr-o singura tranzactie,\n"
        "apoi compara fiecare tabela in ambele baze (randuri, sume, texte); la orice diferenta nu ramane\n"
        "nimic copiat. CONEXIUNE este fie un sir de conectare PostgreSQL (\"host=depozit dbname=fabrica\n"
        "user=ion schema=lactate\"): firma se muta pe server, directorul primeste fisierul firma.pgsql, iar\n"
        "fisierul local ramane ca tables.sqlite.vechi (nimeni nu trebuie sa aiba firma deschisa); fie un\n"
        "director care numeste deja o baza de date (firma.pgsql): acolo se face o copie. Parola nu se da\n"
        "aici: o ia clientul serverului din ~/.pgpass sau din PGPASSWORD. Tabelele sunt afisate pe\n"
        "masura ce sunt copiate."),
    .Options =
        {
            {QStringLiteral("from"), QStringLiteral("DIR"), QStringLiteral("Directorul firmei (fisierul ei SQLite).")},
            {QStringLiteral("to"), QStringLiteral("CONEXIUNE"),
             QStringLiteral("Sirul de conectare al serverului, sau directorul care numeste baza de date.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli
