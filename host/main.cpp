// pelmaris [directory] [--demo] [--quit-after <ms>] [--screenshot <dir>]
#include "host/CommandLine.h"
#include "host/Host.h"
#include "host/MainForm.h"
#include "host/QtRomanian.h"
#include "host/Screenshots.h"
#include "platform/ui/Guard.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {

// The program's icon: a white P on a dairy blue square.
QIcon ProgramIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x2a, 0x6f, 0xb5));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(44);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("P"));
    return QIcon(pixmap);
}

} // namespace

int main(int argc, char** argv)
{
    if (pelmaris::AsksForHelp(argc, argv))
        return pelmaris::PrintHelp(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmaris"));
    // Installed, the menu entry's icon; else one drawn here.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pelmaris"), ProgramIcon()));
    QGuiApplication::setDesktopFileName(QStringLiteral("ro.vendrako.pelmaris"));
    pelmaris::InstallRomanianTexts(&app);

    pelmaris::TCommandLine commandLine;
    QCommandLineParser& parser = commandLine.Parser;
    const QCommandLineOption& demo = commandLine.Demo;
    const QCommandLineOption& quitAfter = commandLine.QuitAfter;
    const QCommandLineOption& screenshot = commandLine.Screenshot;
    parser.process(app);

    pelmaris::TPelmarisHost host;
    host.Start();
    host.MainForm()->ShowOnScreen();
    if (parser.isSet(demo))
        host.OpenDemoCompany(true);
    else
        host.OpenStartupCompany(parser.positionalArguments().value(0));

    if (parser.isSet(screenshot)) {
        const QString dir = parser.value(screenshot);
        QTimer::singleShot(300, &app, [&host, dir] {
            fw::Guarded(host.MainForm(), [&] { pelmaris::SaveScreenshots(host, dir); });
        });
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
