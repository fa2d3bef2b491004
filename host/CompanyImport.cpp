#include "host/CompanyImport.h"

#include "paradox/ParadoxImport.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QProgressDialog>

namespace pelmaris {

namespace {

// Steps of the progress bar: rows are counted in millions, the bar in an int.
constexpr int kSteps = 1000;

QString Shown(const QString& dir) { return QDir::toNativeSeparators(QDir(dir).absolutePath()); }

} // namespace

bool AskParadoxImport(QWidget* parent, TParadoxImportRequest& request)
{
    request.From = QFileDialog::getExistingDirectory(parent, QStringLiteral("Alegeti directorul cu tabelele Paradox"));
    if (request.From.isEmpty())
        return false;
    request.To = QFileDialog::getExistingDirectory(parent, QStringLiteral("Alegeti directorul firmei noi (gol)"));
    if (request.To.isEmpty())
        return false;
    const QStringList pages{QStringLiteral("Cea din antetul fiecarei tabele"), QStringLiteral("1250 (Windows, Europa Centrala)"),
                            QStringLiteral("852 (DOS, Europa Centrala)")};
    bool ok = false;
    const QString page = QInputDialog::getItem(parent, QStringLiteral("Pagina de cod"),
                                               QStringLiteral("Pagina de cod a textelor, pentru tabelele care nu o spun:"),
                                               pages, 0, false, &ok);
    if (!ok)
        return false;
    request.CodePage = page == pages.at(1) ? 1250 : page == pages.at(2) ? 852 : 0;
    return true;
}

bool RunParadoxImport(QWidget* parent, const TParadoxImportRequest& request)
{
    QProgressDialog progress(QStringLiteral("Importul firmei..."), QStringLiteral("&Opreste"), 0, kSteps, parent);
    progress.setWindowTitle(QStringLiteral("Import firma Paradox"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    try {
        const paradox::TImportReport report = paradox::ImportParadoxCompany(
            request.From, request.To, {request.CodePage}, [&](const paradox::TImportProgress& p) {
                QString text = p.Saving ? QStringLiteral("Salvarea firmei...")
                                        : QStringLiteral("%1: %2 din %3 inregistrari").arg(p.Table).arg(p.TableDone).arg(p.TableRows);
                if (const QString rate = paradox::RateText(p); !rate.isEmpty() && !p.Saving)
                    text += QStringLiteral("\n") + rate;
                progress.setLabelText(text);
                progress.setValue(p.Rows > 0 ? int(p.Done * kSteps / p.Rows) : 0);
                return !progress.wasCanceled();
            });
        progress.close();
        QString text = QStringLiteral("Firma din directorul <%1> a fost importata in <%2>.").arg(Shown(request.From), Shown(request.To));
        if (!report.Notes.isEmpty())
            text += QStringLiteral("\r\r") + report.Notes.join(QLatin1Char('\r'));
        fw::MessageDlg(text, fw::TMsgDlgType::Information);
        return true;
    } catch (const paradox::EImportStopped& e) {
        progress.close();
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Information);
    } catch (const fw::Exception& e) {
        progress.close();
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
    }
    return false;
}

} // namespace pelmaris
