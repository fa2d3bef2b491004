// corvanel recall: a lot followed forward or backward, as text, CSV or PDF.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/db/OutputFile.h"
#include "platform/report/ReportPainter.h"
#include "recall/LotRecall.h"
#include "recall/MassBalance.h"
#include "recall/RecallDrill.h"
#include "recall/RecallOutput.h"
#include "recall/RecallReport.h"
#include "reports/PrintSettings.h"

#include <QGuiApplication>

namespace corvanel::cli {

namespace {

struct TArticle {
    QString Group;
    QString Code; // empty: any article holding the lot
};

// GROUP/CODE; the group may be empty ("/CODE"), for an article without group.
TArticle Article(const TArgs& args)
{
    if (!args.isSet(QStringLiteral("article")))
        return {};
    const QString text = Required(args, QStringLiteral("article"));
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0 || slash == text.size() - 1)
        throw ERefused(QStringLiteral("'%1' nu este un articol valid pentru --article (GRUPA/COD, de exemplu 01/.LAPTE).")
                           .arg(text));
    return {text.left(slash), text.mid(slash + 1)};
}

TRecallDirection Direction(const TArgs& args)
{
    const bool forward = args.isSet(QStringLiteral("forward"));
    if (forward == args.isSet(QStringLiteral("backward")))
        throw ERefused(QStringLiteral("Alegeti una dintre optiunile --forward si --backward."));
    return forward ? TRecallDirection::Forward : TRecallDirection::Backward;
}

void WritePdf(TProductionContext& context, const TRecall& recall, const QString& file)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    PresetRecallPrintSettings(PrintSettingsOf(context));
    UseFourDigitYearDates(context.Formats);
    TRecallReport report(context, recall, nullptr);
    if (!fw::ExportPdf(report.Report->Generate(), file))
        throw ERefused(QStringLiteral("Raportul nu are nicio pagina: fisierul nu a fost scris."));
}

int Run(const TArgs& args)
{
    const QString lot = Required(args, QStringLiteral("lot"));
    const TArticle article = Article(args);
    const TRecallDirection direction = Direction(args);
    const bool csv = args.isSet(QStringLiteral("csv"));
    const bool balance = args.isSet(QStringLiteral("balance"));
    if (int(csv) + int(balance) + int(args.isSet(QStringLiteral("pdf"))) > 1)
        throw ERefused(QStringLiteral("Alegeti cel mult una dintre optiunile --csv, --balance si --pdf FISIER."));
    const QString pdf = args.isSet(QStringLiteral("pdf")) ? Required(args, QStringLiteral("pdf")) : QString();
    TCompanySession company(Required(args, QStringLiteral("company")));
    if (!pdf.isEmpty())
        fw::CheckOutputFile(pdf);
    TProductionContext& context = company.Context();
    const auto notFound = [&] {
        return ERefused(msg::LotNotFound(lot, article.Code.isEmpty() ? QString() : article.Group + QLatin1Char('/') + article.Code));
    };
    const auto write = [&](const TRecall& recall) {
        if (csv)
            Out(RecallCsv(recall));
        else if (balance)
            Out(BalanceCsv(recall.Balances));
        else if (!pdf.isEmpty())
            WritePdf(context, recall, pdf);
        else
            Out(RecallText(recall, context.Formats));
    };
    TRecall recall;
    if (args.isSet(QStringLiteral("drill"))) {
        TDrill drill;
        drill.Lot = lot;
        drill.Group = article.Group;
        drill.Article = article.Code;
        drill.Direction = direction;
        drill.Operator = Required(args, QStringLiteral("operator")).trimmed();
        if (drill.Operator.isEmpty())
            throw ERefused(QStringLiteral("Lipseste optiunea --operator."));
        try {
            TLotWalk walk(context.Session(), KRBPROD);
            if (!RunDrill(walk, drill, recall, write))
                throw notFound();
            RecordDrill(context.Session(), KRBPROD, drill);
        } catch (const fw::EDatabaseError& e) {
            throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
        }
        // The report's own time and the total, which the report could not hold.
        Err(QStringLiteral("%1 inregistrat: %2\n").arg(DrillTitle(), DrillLines(drill).join(QStringLiteral("; "))));
        return ExitDone;
    }
    try {
        TLotWalk walk(context.Session(), KRBPROD);
        const std::vector<TLotKey> lots = walk.FindLots(lot, article.Group, article.Code);
        if (lots.empty())
            throw notFound();
        recall = walk.Follow(lots, direction);
        if (!csv)
            walk.Balance(recall);
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
    }
    write(recall);
    return ExitDone;
}

} // namespace

extern const TCommand RecallCommand{
    .Name = QStringLiteral("recall"),
    .Summary = QStringLiteral("Urmareste un lot: unde a ajuns sau din ce s-a facut"),
    .Usage = QStringLiteral("recall --company DIR --lot LOT [--article GRUPA/COD] (--forward | --backward) "
                            "[--csv | --balance | --pdf FISIER] [--drill --operator NUME]"),
    .Details = QStringLiteral(
        "Urmareste lotul LOT (al articolului dat, sau al fiecarui articol care are un lot cu acest nume).\n"
        "Cu --forward: documentele de consum care l-au folosit, loturile de produse facute din el (si mai\n"
        "departe, prin semifabricate) si documentele de iesire care le-au livrat. Cu --backward: loturile\n"
        "de materii prime din care s-a facut (si mai departe) si receptiile care le-au adus. Legaturile\n"
        "documentelor de consum generate fara genealogie sunt estimate dupa retete si marcate ca atare.\n"
        "Implicit scrie arborele ca text. Cu --csv scrie pe iesirea standard campurile\n"
        "Nivel;Tip;Numar;Data;Partener;Cod_grupa;Cod_articol;Lot;Cantitate;Estimat;Cota, cate o linie\n"
        "pentru fiecare lot atins si fiecare livrare (Nivel 1: direct din/in lotul urmarit; o livrare are\n"
        "nivelul lotului livrat), datele AAAA-LL-ZZ, numerele cu punct zecimal. Cota este partea lotului\n"
        "urmarit (inainte, in unitatea lui) sau partea lotului atins care a intrat in lotul urmarit\n"
        "(inapoi): un lot folosit in parte transmite aceeasi parte din ce s-a facut din el.\n"
        "Cu --balance scrie bilantul masic al lotului urmarit (si, inainte, al fiecarui lot finit atins):\n"
        "Cod_grupa;Cod_articol;Lot;Intrat;Consumat;Livrat;Stoc;Diferenta. Textul si raportul il contin.\n"
        "Cu --pdf scrie raportul \"Urmarire lot\" (A4, Arial 8). Cu --drill urmarirea este un exercitiu de\n"
        "retragere: timpul fiecarui pas (cautare, arbore, bilant, raport) este scris in raport si, cu\n"
        "totalul, pe iesirea de erori, iar exercitiul este pastrat in tabela Exercitii (vezi corvanel\n"
        "drills). Un lot care nu exista este refuzat (starea 3)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("lot"), QStringLiteral("LOT"), QStringLiteral("Lotul urmarit.")},
            {QStringLiteral("article"), QStringLiteral("GRUPA/COD"),
             QStringLiteral("Articolul lotului (implicit orice articol).")},
            {QStringLiteral("forward"), QString(), QStringLiteral("Unde a ajuns lotul.")},
            {QStringLiteral("backward"), QString(), QStringLiteral("Din ce s-a facut lotul.")},
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie in format CSV.")},
            {QStringLiteral("balance"), QString(), QStringLiteral("Scrie bilantul masic in format CSV.")},
            {QStringLiteral("drill"), QString(),
             QStringLiteral("Exercitiu de retragere: pasii cronometrati si inregistrati (cere --operator).")},
            {QStringLiteral("operator"), QStringLiteral("NUME"), QStringLiteral("Cine face exercitiul.")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie raportul in fisierul PDF.")},
        },
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli
