// corvanel label: the GS1 labels of a finished lot, as a PDF.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "data/Messages.h"
#include "labels/LabelSheet.h"
#include "labels/LotLabel.h"
#include "platform/report/ReportPainter.h"

#include <QGuiApplication>

namespace corvanel::cli {

namespace {

// Enough for a day's pallets; a slip of the keyboard is not a thousand pages.
constexpr int MaxCopies = 1000;

int Copies(const TArgs& args)
{
    if (!args.isSet(QStringLiteral("copies")))
        return 1;
    const QString text = args.value(QStringLiteral("copies"));
    bool ok = false;
    const int copies = text.toInt(&ok);
    if (!ok || copies < 1 || copies > MaxCopies)
        throw ERefused(QStringLiteral("'%1' nu este un numar de etichete valid pentru --copies (intre 1 si %2).")
                           .arg(text)
                           .arg(MaxCopies));
    return copies;
}

TLabelSize Size(const TArgs& args)
{
    if (!args.isSet(QStringLiteral("size")))
        return TLabelSize::Label100x50;
    const QString name = args.value(QStringLiteral("size"));
    const std::optional<TLabelSize> size = LabelSizeNamed(name);
    if (!size)
        throw ERefused(QStringLiteral("'%1' nu este o marime de eticheta pentru --size (100x50, 100x150 sau A4).").arg(name));
    return *size;
}

int Run(const TArgs& args)
{
    const QString file = Required(args, QStringLiteral("pdf"));
    const QString article = Required(args, QStringLiteral("article"));
    const qsizetype slash = article.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == article.size() - 1)
        throw ERefused(QStringLiteral("'%1' nu este un articol pentru --article: scrieti GRUPA/COD, de exemplu 02/IAURT.")
                           .arg(article));
    const QString lot = Required(args, QStringLiteral("lot"));
    const int copies = Copies(args);
    const TLabelSize size = Size(args);
    std::optional<double> quantity;
    if (args.isSet(QStringLiteral("quantity")))
        quantity = Number(args, QStringLiteral("quantity"));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Etichetele nu pot fi desenate fara fonturi."));

    TCompanySession company(Required(args, QStringLiteral("company")));
    TLotLabel label;
    fw::TReportDocument document;
    try {
        label = ReadLotLabel(company.Context(), article.left(slash), article.mid(slash + 1), lot, quantity);
        document = LabelDocument(label, size, copies);
    } catch (const gs1::EInvalid& e) {
        throw ERefused(e.Message());
    } catch (const ELabelRefused& e) {
        throw ERefused(e.Message());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::ReportDatabaseError(e.Message()));
    }
    fw::ExportPdf(document, file);
    return ExitDone;
}

} // namespace

extern const TCommand LabelCommand{
    .Name = QStringLiteral("label"),
    .Summary = QStringLiteral("Etichetele GS1 ale unui lot de produs finit, in PDF"),
    .Usage = QStringLiteral("label --company DIR --article GRUPA/COD --lot LOT --pdf FISIER [--copies N] "
                            "[--size 100x50|100x150|A4] [--quantity Q]"),
    .Details = QStringLiteral(
        "Etichetele lotului: firma, denumirea produsului, lotul, data productiei (data intrarii lotului),\n"
        "data pina la care se consuma (data de expirare a lotului de pe linia de intrare, altfel data\n"
        "intrarii plus ZileValabilitate din catalog; lipseste cand nu e nici una), cantitatea neta, un\n"
        "cod de bare GS1-128 cu textul lui intre paranteze si un cod GS1 DataMatrix. Codurile contin (01) GTIN-ul din Cod_bare al catalogului\n"
        "(GTIN-8, 12, 13 sau 14, cu cifra de control verificata), (11) data productiei, (17) data\n"
        "expirarii, (3102) greutatea neta in kg pentru articolele vindute la greutate (unitatea kg sau g)\n"
        "si (10) lotul. Cantitatea neta este --quantity (a unui ambalaj), altfel cantitatea receptionata\n"
        "a lotului. Un GTIN gresit, un lot pe care GS1 nu il primeste (peste 20 de caractere, spatii,\n"
        "diacritice) sau un articol ori lot care nu exista sunt refuzate inainte de a scrie ceva (starea\n"
        "3). Marimi: 100x50 (implicit) si 100x150 mm cate o eticheta pe pagina, A4 cu zece etichete de\n"
        "100x50 mm pe foaie. Fisierul apare intreg sau deloc."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("article"), QStringLiteral("GRUPA/COD"), QStringLiteral("Articolul lotului.")},
            {QStringLiteral("lot"), QStringLiteral("LOT"), QStringLiteral("Lotul.")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie etichetele in fisierul PDF.")},
            {QStringLiteral("copies"), QStringLiteral("N"), QStringLiteral("Numarul de etichete (implicit 1).")},
            {QStringLiteral("size"), QStringLiteral("MARIME"),
             QStringLiteral("100x50 (implicit), 100x150 sau A4 (foi cu zece etichete).")},
            {QStringLiteral("quantity"), QStringLiteral("Q"),
             QStringLiteral("Cantitatea neta a unui ambalaj (implicit a lotului), cu punct zecimal.")},
        },
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli
