#include "host/CompanyCheck.h"

#include "host/Company.h"
#include "platform/db/Database.h"
#include "platform/ui/MessageDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <atomic>

namespace pelmaris {

namespace {

// The findings shown at most; the engine lists up to a hundred per table.
constexpr int kShownProblems = 5;
constexpr int kSteps = 1000;

} // namespace

QString DamagedCompanyText(const QString& file)
{
    return QStringLiteral("Baza de date a firmei este deteriorata:\r%1\r"
                          "Datele ei nu mai pot fi citite corect. Firma nu va mai fi deschisa la pornire; "
                          "refaceti-o dintr-o copie de siguranta.")
        .arg(QDir::toNativeSeparators(file));
}

fw::TIntegrityReport CheckCompany(QWidget* parent, const QString& directory)
{
    const QString file = CompanyDatabaseFile(directory);
    QProgressDialog progress(QStringLiteral("Se verifica baza de date a firmei..."), QStringLiteral("Renunta"), 0,
                             kSteps, parent);
    progress.setWindowTitle(QStringLiteral("Verificare firma"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);

    std::atomic<bool> stop = false;
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&stop] { stop = true; });
    QPointer<QProgressDialog> shown = &progress;
    fw::TIntegrityReport report;
    // The check reads the whole file: on a thread of its own, the window stays alive and
    // the user can stop it.
    QThread* worker = QThread::create([&] {
        QString lastTable;
        report = fw::CheckDatabaseIntegrity(directory, [&](qint64 done, qint64 total, const QString& table) {
            // Asked often while a large table is checked: the window hears only of news.
            if (table != lastTable || table.isEmpty()) {
                lastTable = table;
                const int value = total > 0 ? int(done * kSteps / total) : kSteps;
                const QString label = table.isEmpty() ? QStringLiteral("Verificarea s-a incheiat.")
                                                      : QStringLiteral("Se verifica tabela %1...").arg(table);
                QMetaObject::invokeMethod(
                    &progress,
                    [shown, value, label] {
                        if (shown && !shown->wasCanceled()) {
                            shown->setLabelText(label);
                            shown->setValue(value);
                        }
                    },
                    Qt::QueuedConnection);
            }
            return !stop.load();
        });
    });
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    progress.reset();
    QCoreApplication::removePostedEvents(&progress);

    const QString shownFile = QDir::toNativeSeparators(file);
    if (report.Stopped) {
        fw::MessageDlg(QStringLiteral("Verificarea firmei a fost intrerupta."), fw::TMsgDlgType::Information);
    } else if (report.Ok) {
        fw::MessageDlg(QStringLiteral("Baza de date a firmei este in regula:\r%1").arg(shownFile),
                       fw::TMsgDlgType::Information);
    } else {
        QStringList shownProblems = report.Problems.mid(0, kShownProblems);
        if (report.Problems.size() > kShownProblems)
            shownProblems << QStringLiteral("... (%1 probleme in total)").arg(report.Problems.size());
        fw::MessageDlg(DamagedCompanyText(file) + QStringLiteral("\r\rProbleme gasite:\r")
                           + shownProblems.join(QLatin1Char('\r')),
                       fw::TMsgDlgType::Error);
    }
    return report;
}

} // namespace pelmaris
