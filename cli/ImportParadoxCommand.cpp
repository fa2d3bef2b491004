// corvanel import-paradox: a company brought over from the directory of Paradox tables the
// old program kept it in, into a new company, whole or not at all.
#include "cli/Command.h"
#include "cli/Console.h"
#include "paradox/ParadoxImport.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <optional>

namespace corvanel::cli {

namespace {

QString Shown(const QString& dir) { return QDir::toNativeSeparators(dir); }

int CodePage(const TArgs& args)
{
    if (!args.isSet(QStringLiteral("codepage")))
        return 0;
    bool ok = false;
    const int page = args.value(QStringLiteral("codepage")).toInt(&ok);
    if (!ok || page <= 0)
        throw ERefused(QStringLiteral("'%1' nu este o pagina de cod pentru --codepage (de exemplu 1250 sau 852).")
                           .arg(args.value(QStringLiteral("codepage"))));
    return page;
}

int Run(const TArgs& args)
{
    const QString from = Required(args, QStringLiteral("from"));
    const QString to = Required(args, QStringLiteral("to"));
    paradox::TImportOptions options;
    options.CodePage = CodePage(args);

    std::optional<TProgress> shown;
    QString table;
    paradox::TImportReport report;
    try {
        report = paradox::ImportParadoxCompany(from, to, options, [&](const paradox::TImportProgress& p) {
            if (!shown)
                shown.emplace(QStringLiteral("Import"), p.Rows);
            if (p.Saving) {
                shown->Say(QStringLiteral("salvarea firmei"));
            } else if (p.Table != table) {
                table = p.Table;
                shown->Say(QStringLiteral("import %1 (%2 inregistrari)").arg(p.Table).arg(p.TableRows));
            }
            shown->Step(p.Done, paradox::RateText(p));
            return true;
        });
    } catch (const paradox::EImportDirectoryRefused& e) {
        // The directories given cannot serve: the command cannot be done as asked. What
        // stands in the way in the source's files (EImportRefused) is a file error.
        throw ERefused(e.Message());
    }
    shown.reset();
    for (const paradox::TImportedTable& t : report.Tables)
        if (!t.File.isEmpty())
            Out(QStringLiteral("%1: %2 inregistrari din %3\n").arg(t.Name).arg(t.Rows).arg(t.File));
    for (const QString& note : report.Notes)
        Err(note + QLatin1Char('\n'));
    fw::MessageDlg(QStringLiteral("Firma din directorul <%1> a fost importata in <%2>.")
                       .arg(Shown(QDir(from).absolutePath()), Shown(QDir(to).absolutePath())),
                   fw::TMsgDlgType::Information);
    return ExitDone;
}

} // namespace

extern const TCommand ImportParadoxCommand{
    .Name = QStringLiteral("import-paradox"),
    .Summary = QStringLiteral("Aduce o firma dintr-un director de tabele Paradox"),
    .Usage = QStringLiteral("import-paradox --from DIR --to DIR [--codepage N]"),
    .Details = QStringLiteral(
        "Citeste tabelele firmei din directorul sursa (CATALOG.DB, Stoc.DB, Doc_in.DB, ... cu fisierele memo .MB;\n"
        "numele fara deosebire intre litere mari si mici) si le scrie intr-o firma noua in directorul tinta:\n"
        "fisierul SQLite al directorului, sau baza de date de pe server pe care o numeste fisierul lui de\n"
        "conectare. Totul se scrie intr-o singura tranzactie si se compara cu ce s-a citit inainte de a fi\n"
        "pastrat; la orice problema (un fisier deteriorat, un text mai lung decat campul, o valoare in afara\n"
        "domeniului) nu se scrie nimic, iar mesajul numeste fisierul, inregistrarea si campul (starea 2). KRBDEF.INI\n"
        "se copiaza intocmai. Tabelele si campurile pe care firma nu le are sunt afisate si lasate deoparte.\n"
        "Un director sursa fara nicio tabela a firmei sau un director tinta care nu este nou sau gol sunt refuzate\n"
        "inainte de a crea ceva (starea 3)."),
    .Options =
        {
            {QStringLiteral("from"), QStringLiteral("DIR"), QStringLiteral("Directorul cu tabelele Paradox.")},
            {QStringLiteral("to"), QStringLiteral("DIR"),
             QStringLiteral("Directorul firmei noi (creat daca lipseste; gol, sau numai cu fisierul de conectare).")},
            {QStringLiteral("codepage"), QStringLiteral("N"),
             QStringLiteral("Pagina de cod a textelor, pentru tabelele al caror antet nu o spune (1250, 852, ...).")},
        },
    .Run = Run,
};

} // namespace corvanel::cli
