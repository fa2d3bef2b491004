#include "host/DemoTool.h"

#include "host/DemoCompany.h"
#include "host/ToolExitStatus.h"
#include "platform/core/Exceptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace pelmaris {

namespace {

// Making the demo takes a second or two; this long means the tool hangs.
constexpr int ToolWaitMs = 120000;

} // namespace

QString DemoToolFile() { return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("corvanel")); }

QString DemoWithoutProductionText(const QString& tool)
{
    return QStringLiteral("Firma demonstrativa a fost creata fara documentele de consum ale productiei: programul <%1> "
                          "nu a fost gasit.")
        .arg(QDir::toNativeSeparators(tool));
}

TDemoOutcome RemakeDemoCompany(const QString& directory, const QString& tool)
{
    if (!QFileInfo(tool).isExecutable())
        return CreateDemoCompany(directory) ? TDemoOutcome::MadeWithoutProduction : TDemoOutcome::InUse;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(tool, {QStringLiteral("demo"), directory});
    const bool finished = process.waitForStarted() && process.waitForFinished(ToolWaitMs);
    const QString said = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (!finished) {
        process.kill();
        process.waitForFinished();
        throw fw::EInOutError(QStringLiteral("Programul <%1> nu a putut fi pornit sau nu s-a terminat.\r%2")
                                  .arg(QDir::toNativeSeparators(tool), process.errorString()));
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == ExitDone)
        return TDemoOutcome::Made;
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == ExitInUse)
        return TDemoOutcome::InUse;
    throw fw::EInOutError(said.isEmpty() ? QStringLiteral("Programul <%1> s-a oprit cu starea %2.")
                                               .arg(QDir::toNativeSeparators(tool))
                                               .arg(process.exitCode())
                                         : said);
}

} // namespace pelmaris
