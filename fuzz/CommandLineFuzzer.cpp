// The command line of corvanel: any arguments, read as the tool reads them, up to the
// point where a command would run. The commands here have the shapes of the tool's own
// (options with values, switches, --pdf, one argument) without their work, which needs a
// company. A line is refused with a message or runs with each option given once; option
// values are refused or read as exactly what they say.
#include "FuzzInput.h"
#include "cli/CommandLine.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

using corvanel::cli::TCommand;
using corvanel::cli::TOption;

int Idle(const corvanel::cli::TArgs&) { return 0; }

const std::vector<TCommand>& Commands()
{
    static const std::vector<TCommand> commands{
        {.Name = QStringLiteral("trace"),
         .Options = {corvanel::cli::CompanyOption(),
                     {QStringLiteral("from"), QStringLiteral("AAAA-LL-ZZ"), QString()},
                     {QStringLiteral("to"), QStringLiteral("AAAA-LL-ZZ"), QString()},
                     {QStringLiteral("counter"), QStringLiteral("N"), QString()},
                     {QStringLiteral("warehouses"), QStringLiteral("LISTA"), QString()},
                     {QStringLiteral("pdf"), QStringLiteral("FISIER"), QString()},
                     {QStringLiteral("yes"), QString(), QString()}},
         .NeedsFonts = corvanel::cli::GivesPdf,
         .Run = Idle},
        {.Name = QStringLiteral("demo"), .Options = {{QStringLiteral("yes"), QString(), QString()}}, .Run = Idle,
         .Argument = QStringLiteral("DIR")},
    };
    return commands;
}

void CheckValues(const TCommand& command, const QCommandLineParser& args)
{
    using corvanel::cli::ERefused;
    for (const TOption& option : command.Options) {
        if (option.ValueName.isEmpty() || !args.isSet(option.Name))
            continue;
        const QString text = args.value(option.Name);
        try {
            FUZZ_CHECK(!corvanel::cli::Required(args, option.Name).isEmpty());
        } catch (const ERefused&) {
            FUZZ_CHECK(text.isEmpty());
        }
        try {
            const QDate date = corvanel::cli::IsoDate(args, option.Name);
            FUZZ_CHECK(date.toString(Qt::ISODate) == text);
        } catch (const ERefused&) {
        }
        try {
            const double value = corvanel::cli::Number(args, option.Name);
            // A decimal point, never a comma; nothing else but digits, a sign, an exponent.
            static const QRegularExpression form(
                QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
            FUZZ_CHECK(std::isfinite(value) && form.match(text).hasMatch());
        } catch (const ERefused&) {
        }
        for (const QString& item : corvanel::cli::List(args, option.Name))
            FUZZ_CHECK(!item.isEmpty() && !item.contains(QLatin1Char(',')));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    // The command's name, then its arguments, apart by NUL bytes.
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList arguments;
    for (const QByteArray& a : raw.split('\0'))
        arguments << QString::fromLocal8Bit(a);
    const QString name = arguments.takeFirst();
    const bool pdf = corvanel::cli::GivesPdf(arguments);
    for (const TCommand& command : Commands()) {
        if (command.Name != name)
            continue;
        QCommandLineParser parser;
        const auto line = corvanel::cli::ParseCommandLine(command, arguments, parser);
        if (line.Outcome == corvanel::cli::TCommandLine::Refused) {
            FUZZ_CHECK(!line.Error.isEmpty());
            return 0;
        }
        if (line.Outcome == corvanel::cli::TCommandLine::Help)
            return 0;
        QStringList given = parser.optionNames();
        FUZZ_CHECK(given.removeDuplicates() == 0);
        FUZZ_CHECK(parser.positionalArguments().size() == (command.Argument.isEmpty() ? 0 : 1));
        // A PDF is drawn with fonts, which the tool makes ready only when it sees --pdf.
        const bool takesPdf = std::any_of(command.Options.begin(), command.Options.end(),
                                          [](const TOption& o) { return o.Name == QLatin1String("pdf"); });
        FUZZ_CHECK(!takesPdf || !parser.isSet(QStringLiteral("pdf")) || pdf);
        CheckValues(command, parser);
    }
    return 0;
}
