#include "cli/Program.h"

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "host/QtRomanian.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Beep.h"

#include <QCoreApplication>
#include <QApplication>
#include <algorithm>
#include <memory>

namespace corvanel::cli {

namespace {

const QString kProgram = ToolName;

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
    // A widgets application, since charts are drawn through a graphics scene.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

int RunCommand(const TCommand& command, const QStringList& arguments)
{
    QCommandLineParser parser;
    const TCommandLine line = ParseCommandLine(command, arguments, parser);
    if (line.Outcome == TCommandLine::Refused) {
        Err(line.Error);
        return ExitRefused;
    }
    if (line.Outcome == TCommandLine::Help) {
        Out(CommandHelp(command));
        return ExitDone;
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
