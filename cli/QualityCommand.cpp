// corvanel quality: a laboratory's results brought in from its CSV, the results listed, or a
// finished lot's certificate of analysis written as PDF.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/LabResults.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/OutputFile.h"
#include "platform/report/ReportPainter.h"
#include "quality/CertificateReport.h"
#include "recall/LotRecall.h"
#include "reports/PrintSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

namespace corvanel::cli {

namespace {

// A laboratory's file is a few thousand rows: anything far larger is no such file.
constexpr qint64 kLargestLabFile = qint64(64) * 1024 * 1024;

QByteArray ReadLabFile(const QString& name)
{
    QFile file(name);
    if (!QFileInfo(name).isFile() || QFileInfo(name).size() > kLargestLabFile || !file.open(QIODevice::ReadOnly))
        throw ERefused(QStringLiteral("Fisierul %1 nu poate fi citit ca fisier CSV al laboratorului.").arg(name));
    return file.readAll();
}

void WriteWhole(const QString& name, const QString& text)
{
    if (name == QLatin1String("-")) {
        Out(text);
        return;
    }
    fw::CheckOutputFile(name);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw fw::EInOutError(msg::FileNotWritten(name));
}

// --article GROUP/CODE with --lot L, or neither (every result).
TLotId ListedLot(const TArgs& args)
{
    if (!args.isSet(QStringLiteral("article")) && !args.isSet(QStringLiteral("lot")))
        return {};
    const QString text = Required(args, QStringLiteral("article"));
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == text.size() - 1)
        throw ERefused(msg::LotStateNeedsLot());
    return {text.left(slash), text.mid(slash + 1), Required(args, QStringLiteral("lot"))};
}

// The certificate of --article's --lot, written whole to --pdf.
int WriteCertificate(const TArgs& args)
{
    const TLotId lot = ListedLot(args);
    if (lot.Lot.isEmpty())
        throw ERefused(msg::LotStateNeedsLot());
    const QString pdf = Required(args, QStringLiteral("pdf"));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    TCompanySession company(Required(args, QStringLiteral("company")));
    fw::CheckOutputFile(pdf);
    TProductionContext& context = company.Context();
    TCertificate certificate;
    try {
        TLotWalk walk(context.Session(), KRBPROD);
        const std::vector<TLotKey> found = walk.FindLots(lot.Lot, lot.Group, lot.Code);
        if (found.empty())
            throw ERefused(msg::LotNotFound(lot.Lot, lot.Group + QLatin1Char('/') + lot.Code));
        certificate = ReadCertificate(walk, *company.DataModule().ProductionDatabase->GetConnection(), found.front());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
    }
    PresetA4Arial8(PrintSettingsOf(context), QPageLayout::Portrait);
    UseFourDigitYearDates(context.Formats);
    TCertificateReport report(context, certificate, nullptr);
    if (!fw::ExportPdf(report.Report->Generate(), pdf))
        throw ERefused(QStringLiteral("Raportul nu are nicio pagina: fisierul nu a fost scris."));
    return ExitDone;
}

int Run(const TArgs& args)
{
    const QString action = args.positionalArguments().constFirst();
    if (action == QLatin1String("certificate"))
        return WriteCertificate(args);
    if (action != QLatin1String("import") && action != QLatin1String("list"))
        throw ERefused(QStringLiteral("Alegeti una dintre actiunile import, list si certificate."));
    const QString csv = Required(args, QStringLiteral("csv"));
    TCompanySession company(Required(args, QStringLiteral("company")));
    TProductionData& dm = company.DataModule();
    fw::Connection& engine = *dm.ProductionDatabase->GetConnection();
    if (action == QLatin1String("list")) {
        const TLotId lot = ListedLot(args);
        WriteWhole(csv, LabResultsCsv(engine, lot));
        return ExitDone;
    }
    const QByteArray text = ReadLabFile(csv);
    try {
        const std::vector<TLabResult> results = ReadLabCsv(engine, text);
        const QStringList nonConforming = RecordLabResults(dm, results, dm.Requirement().AgentInitials());
        fw::MessageDlg(msg::LabResultsWritten(int(results.size()), nonConforming), fw::TMsgDlgType::Information);
    } catch (const ELabImportRefused& e) {
        throw ERefused(e.Message());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::LabResultsNotWritten(e.Message()));
    }
    return ExitDone;
}

} // namespace

extern const TCommand QualityCommand{
    .Name = QStringLiteral("quality"),
    .Summary = QStringLiteral("Importa rezultatele de laborator dintr-un CSV, le listeaza cu normele lor sau scrie buletinul de analiza"),
    .Usage = QStringLiteral("quality (import | list | certificate) --company DIR [--csv FILE] [--article GRUPA/COD --lot L] "
                            "[--pdf FILE]"),
    .Details = QStringLiteral(
        "import: citeste CSV-ul laboratorului (UTF-8, campuri despartite prin \";\", capul de tabel\n"
        "Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data), valoarea cu punct zecimal sau cu cuvintele\n"
        "parametrului (negativ/pozitiv, absent/prezent), data AAAA-LL-ZZ. Fiecare rezultat este judecat\n"
        "fata de norma articolului (sau a grupei lui); o valoare egala cu limita este conforma. Un lot cu\n"
        "un rezultat in afara normei devine \"Neconform\": nu se mai consuma. Se scriu toate\n"
        "randurile sau niciunul: un rand gresit refuza fisierul (starea 3), numind fiecare rand gresit.\n"
        "list: scrie rezultatele (ale unui lot, cu --article si --lot) cu normele si verdictul lor, ca CSV,\n"
        "in FILE (\"-\": pe iesirea standard).\n"
        "certificate: scrie in FILE (PDF, A4) buletinul de analiza al lotului: rezultatele lui fata de\n"
        "norme (parametru, valoare, unitate, norma, verdict) si, pentru fiecare lot de materie prima din\n"
        "care s-a facut direct (un pas inapoi, ca in corvanel recall --backward), furnizorul, starea si\n"
        "rezultatele lui. Un lot care nu exista este refuzat (starea 3)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("csv"), QStringLiteral("FILE"), QStringLiteral("CSV-ul citit (import) sau scris (list; - pentru iesirea standard).")},
            {QStringLiteral("article"), QStringLiteral("GRUPA/COD"), QStringLiteral("Articolul lotului listat.")},
            {QStringLiteral("lot"), QStringLiteral("L"), QStringLiteral("Lotul listat.")},
            {QStringLiteral("pdf"), QStringLiteral("FILE"), QStringLiteral("Buletinul de analiza scris (certificate).")},
        },
    .NeedsFonts = GivesPdf,
    .Run = Run,
    .Argument = QStringLiteral("import|list|certificate"),
};

} // namespace corvanel::cli
