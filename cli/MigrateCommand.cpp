// corvanel migrate: a company's tables copied from its SQLite file into another database
// (a PostgreSQL server's, typically), whole, compared table by table, or not at all.
#include "cli/Command.h"
#include "cli/Console.h"
#include "host/Company.h"
#include "host/CompanyMove.h"
#include "platform/config/FileLock.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/ServerDatabase.h"
#include "platform/schema/CompanyMigration.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace corvanel::cli {

namespace {

QString Shown(const QString& dir) { return QDir::toNativeSeparators(dir); }

void Begun(const QString& table) { Out(QStringLiteral("copiez %1\n").arg(table)); }

void Print(const std::vector<fw::TMigratedTable>& tables)
{
    for (const fw::TMigratedTable& t : tables)
        Out(QStringLiteral("%1: %2 randuri\n").arg(t.Name).arg(t.Rows));
}

ERefused NoSqliteCompany(const QString& dir)
{
    return ERefused(QStringLiteral("Directorul <%1> nu contine o firma intr-un fisier SQLite.").arg(Shown(dir)));
}

QString NowOnServerText(const QString& dir, const QString& server)
{
    return QStringLiteral("Firma din directorul <%1> este acum pe server, in %2; fisierul ei local a ramas ca %3.")
        .arg(Shown(dir), server, pelmaris::OldDatabaseFile);
}

// The company itself moves: nobody may have it open, and a move cut short before is
// settled first.
int Move(const QString& from, const QString& to)
{
    fw::TServerDatabase server;
    try {
        server = fw::TServerDatabase::FromConnectionString(to);
    } catch (const fw::EDatabaseError& e) {
        throw ERefused(e.Message());
    }
    if (server.Database.isEmpty())
        throw ERefused(QStringLiteral("Sirul de conectare nu numeste baza de date (dbname=)."));
    if (!QFileInfo(from).isDir())
        throw NoSqliteCompany(from);
    const auto alone = pelmaris::TakeCompanyForRemaking(from);
    if (!alone)
        throw EInUse(QStringLiteral("Firma din directorul <%1> este deschisa in alt program: nu a fost mutata.").arg(Shown(from)));
    if (pelmaris::FinishInterruptedMove(from) == pelmaris::TInterruptedMove::Finished) {
        const std::optional<fw::TServerDatabase> now = fw::TServerDatabase::Read(from);
        fw::MessageDlg(QStringLiteral("Mutarea intrerupta a fost incheiata. ") + NowOnServerText(from, now ? now->Describe() : QString()),
                       fw::TMsgDlgType::Information);
        return ExitDone;
    }
    const QDir dir(from);
    if (QFileInfo::exists(dir.filePath(fw::TServerDatabase::FileName())))
        throw ERefused(QStringLiteral("Directorul <%1> numeste deja o baza de date (%2).").arg(Shown(from), fw::TServerDatabase::FileName()));
    if (!QFileInfo(dir.filePath(fw::DatabaseFileName())).isFile())
        throw NoSqliteCompany(from);
    // The file of an earlier move is somebody's only copy of what the company held then.
    if (QFileInfo::exists(dir.filePath(pelmaris::OldDatabaseFile)))
        throw ERefused(QStringLiteral("Directorul <%1> contine deja fisierul %2, de la o mutare anterioara: mutati-l in alta "
                                      "parte, apoi incercati din nou.")
                           .arg(Shown(from), pelmaris::OldDatabaseFile));
    Print(pelmaris::MoveCompanyToServer(from, server, Begun));
    fw::MessageDlg(NowOnServerText(from, server.Describe()), fw::TMsgDlgType::Information);
    return ExitDone;
}

int Run(const TArgs& args)
{
    const QString from = QDir::cleanPath(QDir(Required(args, QStringLiteral("from"))).absolutePath());
    const QString to = Required(args, QStringLiteral("to"));
    // A connection string moves the company itself to the server; a directory receives a
    // copy, the company staying where it was.
    if (to.contains(QLatin1Char('=')))
        return Move(from, to);
    if (!QFileInfo(QDir(from).filePath(fw::DatabaseFileName())).isFile())
        throw NoSqliteCompany(from);
    const QString target = QDir::cleanPath(QDir(to).absolutePath());
    if (!QFileInfo(target).isDir())
        throw ERefused(QStringLiteral("Directorul <%1> nu exista!").arg(Shown(target)));
    if (from == target)
        throw ERefused(QStringLiteral("Firma nu poate fi copiata in propriul ei director."));
    Print(fw::MigrateCompany(from, target, Begun));
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
        "fisierul local ramane ca tables.sqlite.vechi (nimeni nu trebuie sa aiba firma deschisa); o mutare\n"
        "intrerupta dupa ce serverul a primit firma se incheie la o noua mutare sau la deschiderea firmei.\n"
        "Fie un director care numeste deja o baza de date (firma.pgsql): acolo se face o copie. Parola nu\n"
        "se da aici: o ia clientul serverului din ~/.pgpass sau din PGPASSWORD. Tabelele sunt afisate pe\n"
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
