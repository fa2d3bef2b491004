#include "cli/CommandLine.h"

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

QStringList List(const TArgs& args, const QString& option)
{
    return args.value(option).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace corvanel::cli
