#include "cli/Program.h"

#include "cli/Command.h"
#include "cli/Console.h"
#include "host/QtRomanian.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Beep.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <algorithm>
#include <memory>

namespace corvanel::cli {

namespace {

const QString kProgram = QStringLiteral("corvanel");

const QString kStatuses =
    QStringLiteral("Starea la iesire:\n"
                   "  0  comanda a fost facuta\n"
                   "  1  a oprit-o raspunsul la o intrebare (fara --yes); nu s-a scris nimic\n"
                   "  2  eroare de baza de date sau de fisier (mesajul pe iesirea de erori); nu s-a scris nimic\n"
                   "  3  comanda nu se poate face asa cum a fost ceruta (argumente gresite; firma, documentul\n"
                   "     sau grupa nu exista; documentul de intrare nu este salvat; nimic de raportat)\n"
                   "  4  firma este deschisa in alt program (firma demonstrativa nu a fost creata din nou)\n");

bool IsHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") || argument == QLatin1String("-?");
}

QString ProgramHelp()
{
    QString text = QStringLiteral("%1 - productie produse lactate, fara fereastra\n\n"
                                  "Utilizare: %1 <comanda> [optiuni]\n\nComenzi:\n")
                       .arg(kProgram);
    qsizetype width = 0;
    for (const TCommand* command : Commands())
        width = std::max(width, command->Name.size());
    for (const TCommand* command : Commands())
        text += QStringLiteral("  %1  %2\n").arg(command->Name.leftJustified(width), command->Summary);
    text += QStringLiteral("\n\"%1 <comanda> --help\" descrie comanda si optiunile ei.\n\n").arg(kProgram) + kStatuses;
    return text;
}

QString CommandHelp(const TCommand& command)
{
    QString text = QStringLiteral("Utilizare: %1 %2\n\n%3\n\nOptiuni:\n").arg(kProgram, command.Usage, command.Details);
    std::vector<TOption> options = command.Options;
    options.push_back({QStringLiteral("help"), QString(), QStringLiteral("Afiseaza acest ajutor.")});
    for (const TOption& option : options) {
        QString name = QStringLiteral("--") + option.Name;
        if (!option.ValueName.isEmpty())
            name += QLatin1Char(' ') + option.ValueName;
        text += QStringLiteral("  %1  %2\n").arg(name.leftJustified(22), option.Description);
    }
    return text + QLatin1Char('\n') + kStatuses;
}

const TCommand* FindCommand(const QString& name)
{
    for (const TCommand* command : Commands()) {
        if (command->Name == name)
            return command;
    }
    return nullptr;
}

// What the tool says goes through the message presenter. Qt's own remarks on the
// platform it runs on (no runtime directory, a plugin that cannot raise windows) mean
// nothing to the user of a command and would be taken for its errors.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Err(text + QLatin1Char('\n'));
}

std::unique_ptr<QCoreApplication> MakeApplication(bool needsFonts, int& argc, char** argv)
{
    qInstallMessageHandler(QtMessage);
    if (!needsFonts)
        return std::make_unique<QCoreApplication>(argc, argv);
    // Text is measured and drawn with the fonts of a GUI application, which needs a
    // platform. The tool shows no window, so it takes the one that needs no display,
    // whatever the environment names: a user never sets anything, no X server is asked.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int RunCommand(const TCommand& command, const QStringList& arguments)
{
    QCommandLineParser parser;
    for (const TOption& option : command.Options)
        parser.addOption(QCommandLineOption(option.Name, option.Description, option.ValueName));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QString()));
    if (!parser.parse(QStringList{kProgram} + arguments)) {
        Err(QStringLiteral("%1\n\"%2 %3 --help\" descrie optiunile.\n")
                .arg(parser.errorText(), kProgram, command.Name));
        return ExitRefused;
    }
    // An option given twice is a mistake in the command line, not a choice of the last one.
    const QStringList given = parser.optionNames();
    for (const QString& name : given) {
        if (given.count(name) > 1) {
            Err(QStringLiteral("Optiunea --%1 este data de mai multe ori.\n\"%2 %3 --help\" descrie optiunile.\n")
                    .arg(name, kProgram, command.Name));
            return ExitRefused;
        }
    }
    if (parser.isSet(QStringLiteral("help"))) {
        Out(CommandHelp(command));
        return ExitDone;
    }
    const QStringList extra = parser.positionalArguments();
    if (extra.size() != (command.Argument.isEmpty() ? 0 : 1)) {
        Err((extra.isEmpty() ? QStringLiteral("Lipseste %1.").arg(command.Argument)
                             : QStringLiteral("Argument neasteptat: '%1'.").arg(extra.constLast())) +
            QStringLiteral("\n\"%1 %2 --help\" descrie comanda.\n").arg(kProgram, command.Name));
        return ExitRefused;
    }
    TTextPresenter presenter;
    // The add-on beeps with its messages; a tool on a terminal says them instead.
    fw::BeepObserver = [](fw::TBeep) {};
    try {
        return command.Run(parser);
    } catch (const ERefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return ExitRefused;
    } catch (const EInUse& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return ExitInUse;
    } catch (const fw::EAbort&) {
        // A check refused and has said why.
        return ExitRefused;
    } catch (const fw::Exception& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return ExitFailed;
    } catch (const std::exception& e) {
        fw::MessageDlg(QString::fromUtf8(e.what()), fw::TMsgDlgType::Error);
        return ExitFailed;
    }
}

} // namespace

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
    if (!date.isValid() || text.size() != 10)
        throw ERefused(QStringLiteral("'%1' nu este o data valida pentru --%2 (AAAA-LL-ZZ, de exemplu 2026-12-31).")
                           .arg(text, option));
    return date;
}

QStringList List(const TArgs& args, const QString& option)
{
    return args.value(option).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

int Main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (name.isEmpty() || IsHelp(name)) {
        // Without a command the help is what was asked for only when asked.
        (name.isEmpty() ? Err : Out)(ProgramHelp());
        return name.isEmpty() ? ExitRefused : ExitDone;
    }
    const TCommand* command = FindCommand(name);
    if (!command) {
        Err(QStringLiteral("Comanda necunoscuta: '%1'.\n\"%2 --help\" le arata pe toate.\n").arg(name, kProgram));
        return ExitRefused;
    }
    const auto application = MakeApplication(command->NeedsFonts && command->NeedsFonts(arguments), argc, argv);
    QCoreApplication::setApplicationName(kProgram);
    pelmaris::InstallRomanianTexts(application.get());
    return RunCommand(*command, arguments);
}

} // namespace corvanel::cli
