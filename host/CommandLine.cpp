#include "host/CommandLine.h"

#include "host/QtRomanian.h"

#include <QCoreApplication>

namespace pelmaris {

TCommandLine::TCommandLine()
    : Demo(QStringLiteral("demo"), QStringLiteral("Creeaza din nou firma demonstrativa si o deschide (daca alt program o are deschisa, o deschide asa cum este).")),
      QuitAfter(QStringLiteral("quit-after"), QStringLiteral("Inchide programul dupa <ms> milisecunde."),
                QStringLiteral("ms")),
      Screenshot(QStringLiteral("screenshot"),
                 QStringLiteral("Salveaza imagini ale ferestrelor in directorul <dir>."), QStringLiteral("dir"))
{
    Parser.setApplicationDescription(QStringLiteral("Pelmaris - gestiunea stocurilor pe loturi"));
    Parser.addHelpOption();
    Parser.addOptions({Demo, QuitAfter, Screenshot});
    Parser.addPositionalArgument(QStringLiteral("director"),
                                 QStringLiteral("Directorul firmei de deschis (implicit, ultima firma folosita)."),
                                 QStringLiteral("[director]"));
}

bool AsksForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all")
            return true;
    }
    return false;
}

int PrintHelp(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelmaris"));
    InstallRomanianTexts(&application);
    TCommandLine commandLine;
    // Prints the help and ends the process.
    commandLine.Parser.process(application);
    return 0;
}

} // namespace pelmaris
