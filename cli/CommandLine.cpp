#include "cli/CommandLine.h"
#include "data/Messages.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace corvanel::cli {

TCommandLine ParseCommandLine(const TCommand& command, const QStringList& arguments, QCommandLineParser& parser)
{
    for (const TOption& option : command.Options)
        parser.addOption(QCommandLineOption(option.Name, option.Description, option.ValueName));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QString()));
    if (!parser.parse(QStringList{ToolName} + arguments)) {
        return {TCommandLine::Refused, QStringLiteral("%1\n\"%2 %3 --help\" descrie optiunile.\n")
                                          .arg(parser.errorText(), ToolName, command.Name)};
    }
    // An option given twice is a mistake in the command line, not a choice of the last one.
    const QStringList given = parser.optionNames();
    for (const QString& name : given) {
        if (given.count(name) > 1) {
            return {TCommandLine::Refused,
                    QStringLiteral("Optiunea --%1 este data de mai multe ori.\n\"%2 %3 --help\" descrie optiunile.\n")
                        .arg(name, ToolName, command.Name)};
        }
    }
    if (parser.isSet(QStringLiteral("help")))
        return {TCommandLine::Help, QString()};
    const QStringList extra = parser.positionalArguments();
    if (extra.size() != (command.Argument.isEmpty() ? 0 : 1)) {
        return {TCommandLine::Refused,
                (extra.isEmpty() ? QStringLiteral("Lipseste %1.").arg(command.Argument)
                             : QStringLiteral("Argument neasteptat: '%1'.").arg(extra.constLast())) +
            QStringLiteral("\n\"%1 %2 --help\" descrie comanda.\n").arg(ToolName, command.Name)};
    }
    return {TCommandLine::Run, QString()};
}

TOption CompanyOption()
{
    return {QStringLiteral("company"), QStringLiteral("DIR"), QStringLiteral("Directorul firmei.")};
}

TOption FromDayOption() { return {QStringLiteral("from"), QStringLiteral("AAAA-LL-ZZ"), QStringLiteral("Prima zi a perioadei.")}; }
TOption ToDayOption() { return {QStringLiteral("to"), QStringLiteral("AAAA-LL-ZZ"), QStringLiteral("Ultima zi a perioadei.")}; }

void RethrowInReportWords(const fw::EDatabaseError& error)
{
    throw fw::EDatabaseError(msg::ReportDatabaseError(error.Message()));
}

// The parser takes --pdf FILE and --pdf=FILE, and nothing else for it.
bool GivesPdf(const QStringList& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(), [](const QString& a) {
        return a == QLatin1String("--pdf") || a.startsWith(QLatin1String("--pdf="));
    });
}

QString Required(const TArgs& args, const QString& option)
{
    QString value = args.value(option);
    if (!args.isSet(option) || value.isEmpty())
        throw ERefused(QStringLiteral("Lipseste optiunea --%1.").arg(option));
    return value;
}

double Number(const TArgs& args, const QString& option)
{
    const QString text = Required(args, option);
    // "1,5" is no number here, neither 15 nor 1.5.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        throw ERefused(QStringLiteral("'%1' nu este un numar valid pentru --%2 (cu punct zecimal, de exemplu 12.5).")
                           .arg(text, option));
    return value;
}

QDate IsoDate(const TArgs& args, const QString& option)
{
    const QString text = Required(args, option);
    const QDate date = QDate::fromString(text, Qt::ISODate);
    // Written back the same, or it was not YYYY-MM-DD: Qt takes any mark between the parts.
    if (!date.isValid() || date.toString(Qt::ISODate) != text)
        throw ERefused(QStringLiteral("'%1' nu este o data valida pentru --%2 (AAAA-LL-ZZ, de exemplu 2026-12-31).")
                           .arg(text, option));
    return date;
}

TPeriod Period(const TArgs& args)
{
    const QDate from = IsoDate(args, QStringLiteral("from"));
    const QDate to = IsoDate(args, QStringLiteral("to"));
    // The dialog's warning shows the two dates bare; here they are named by their options.
    if (from > to)
        throw ERefused(QStringLiteral("Intervalul de timp nu este corect! Inceputul (--from %1) este dupa sfirsitul (--to %2).")
                           .arg(from.toString(QStringLiteral("dd.MM.yyyy")), to.toString(QStringLiteral("dd.MM.yyyy"))));
    return {from, to};
}

TOutput ChosenOutput(const TArgs& args)
{
    TOutput output;
    int chosen = 0;
    const auto take = [&](const char* option, TOutput::TKind kind) {
        const QString name = QString::fromLatin1(option);
        if (!args.optionNames().contains(name))
            return;
        ++chosen;
        output.Kind = kind;
        if (kind != TOutput::Csv)
            output.File = Required(args, name);
    };
    take("csv", TOutput::Csv);
    take("xlsx", TOutput::Xlsx);
    take("pdf", TOutput::Pdf);
    if (chosen > 1)
        throw ERefused(QStringLiteral("Alegeti cel mult una dintre optiunile --csv, --xlsx FISIER si --pdf FISIER."));
    return output;
}

QStringList List(const TArgs& args, const QString& option)
{
    return args.value(option).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace corvanel::cli
