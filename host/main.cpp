// pelmaris [directory] [--demo] [--quit-after <ms>] [--screenshot <dir>]
#include "host/Host.h"
#include "host/MainForm.h"
#include "host/Screenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmaris"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pelmaris - gestiunea stocurilor pe loturi"));
    parser.addHelpOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Creeaza din nou firma demonstrativa si o deschide."));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Inchide programul dupa <ms> milisecunde."),
                                       QStringLiteral("ms"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Salveaza imagini ale ferestrelor in directorul <dir>."),
                                        QStringLiteral("dir"));
    parser.addOptions({demo, quitAfter, screenshot});
    parser.addPositionalArgument(QStringLiteral("director"), QStringLiteral("Directorul firmei de deschis."),
                                 QStringLiteral("[director]"));
    parser.process(app);

    pelmaris::TPelmarisHost host;
    host.Start();
    host.MainForm()->resize(1280, 800);
    host.MainForm()->show();
    if (parser.isSet(demo))
        host.OpenDemoCompany(true);
    else
        host.OpenStartupCompany(parser.positionalArguments().value(0));

    if (parser.isSet(screenshot)) {
        const QString dir = parser.value(screenshot);
        QTimer::singleShot(300, &app, [&host, dir] { pelmaris::SaveScreenshots(host, dir); });
    }
    if (parser.isSet(quitAfter)) {
        bool ok = false;
        const int ms = parser.value(quitAfter).toInt(&ok);
        QTimer::singleShot(ok ? ms : 0, &app, &QApplication::quit);
    }
    const int result = app.exec();
    host.Shutdown();
    return result;
}
