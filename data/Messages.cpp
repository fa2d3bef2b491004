#include "data/Messages.h"

namespace corvanel::msg {

namespace {

const QString kDatabaseLead = QStringLiteral("Eroare de acces la baza de date!");

// A lead line and the lines under it, as one message.
QString Lines(const QString& lead, const QStringList& lines)
{
    return lines.isEmpty() ? QString() : (QStringList{lead} + lines).join(QLatin1Char('\r'));
}

} // namespace

QString DatabaseError(const QString& message) { return kDatabaseLead + QStringLiteral("\r<%1> !").arg(message); }

QString ReportDatabaseError(const QString& message) { return kDatabaseLead + QStringLiteral("\r<%1>!").arg(message); }

QString CatalogDatabaseError(const QString& message)
{
    return QStringLiteral("Eroare de acces la catalogul de articole!\r") + message + QStringLiteral(">");
}

QString NotARecipeMaterial(const QString& group, const QString& code)
{
    return QStringLiteral("Articolul <%1  %2>  nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din "
                          "catalog!!")
        .arg(group, code);
}

QString NotARequirementMaterial(const QString& code)
{
    return QStringLiteral("Articolul <%1> nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din stocul "
                          "existent!!")
        .arg(code);
}

QString IncompleteLine() { return QStringLiteral("Completati toate datele articolului!"); }

QString EmptyYield()
{
    return QStringLiteral("Atentie campul cantitate nu poate fi gol sau 0! Scrieti cantitatea corecta!");
}

QString PreparationFailed(const QString& message) { return QStringLiteral("Eroare de acces la baza de date.\r") + message; }

QString GenerationFailed(const QString& message)
{
    return QStringLiteral("Eroare de baza de date survenita in generarea documentului de iesire!\r") + message;
}

QString ConsumptionWritten(const QString& document)
{
    return QStringLiteral("OK. Documentul de iesire din gestiunea de materii prime/materiale a fost generat cu succes.\r"
                          "Documentul de consum: %1.")
        .arg(document);
}

QString LeftOutProducts(const QStringList& products)
{
    return Lines(QStringLiteral("Produsele de mai jos nu au cantitatea rezultata conform retetarului (este zero sau "
                                "necompletata in catalog), asa ca materiile lor prime nu au fost incluse in necesar:"),
                 products);
}

QString RoundedAwayMaterials(const QStringList& materials)
{
    return Lines(QStringLiteral("Necesarul materiilor prime de mai jos a fost rotunjit la zero cu zecimalele din setari "
                                "(Zecimale necesar), asa ca nu vor fi consumate:"),
                 materials);
}

QString ProductLine(const QString& group, const QString& code, const QString& name)
{
    return QStringLiteral("%1  %2  %3").arg(group, code, name);
}

QString UnreadableValues(const QStringList& values)
{
    return Lines(QStringLiteral("Valorile de mai jos nu sunt numere, asa ca necesarul nu le-a putut citi; "
                                "corectati-le si calculati din nou necesarul:"),
                 values);
}

QString UnreadableLineQuantity(const QString& line, const QString& product)
{
    return QStringLiteral("Cantitatea de pe linia %1 a documentului (%2): ").arg(line, product);
}

QString UnreadableRecipeQuantity(const QString& product, const QString& material)
{
    return QStringLiteral("Cantitatea din reteta produsului %1 pentru %2: ").arg(product, material);
}

QString UnreadableYield(const QString& product)
{
    return QStringLiteral("Cantitatea rezultata conform retetarului a produsului %1: ").arg(product);
}

QString NegativeStockQuestion()
{
    return QStringLiteral("Atentie, creati stocuri negative! \rRespectivele materiale nu vor fi incluse in documentul de "
                          "iesire.\rDoriti sa continuati?");
}

QString SecondConsumptionOpening() { return QStringLiteral("Documentul de intrare are deja "); }

QString SecondConsumptionQuestion(const QStringList& documents, bool several)
{
    const QString which = !several ? QStringLiteral("documentul de consum ") : QStringLiteral("documentele de consum ");
    return SecondConsumptionOpening() + which + documents.join(QStringLiteral(", ")) + QStringLiteral(". Generati inca unul?");
}

QString ExpiredLotsOpening() { return QStringLiteral("Documentul de consum ar folosi loturi expirate:"); }

QString ExpiredLotsQuestion(const QStringList& lots)
{
    return ExpiredLotsOpening() + QStringLiteral("\r") + lots.join(QStringLiteral("\r"))
           + QStringLiteral("\rContinuati?");
}

QString ExpiredLotLine(const QString& group, const QString& code, const QString& lot, const QString& warehouse,
                       const QString& expiry)
{
    return QStringLiteral("  lotul %1 al materialului %2 %3 din gestiunea %4, expirat la %5")
        .arg(lot, group, code, warehouse, expiry);
}

QString ReceiptNotSaved() { return QStringLiteral("Salvati documentul de intrare inainte de a genera consumul!"); }

QString NothingToConsume()
{
    return QStringLiteral("Nu exista niciun material de consumat: documentul de iesire nu a fost generat.");
}

QString ReversalQuestion(const QString& document)
{
    return QStringLiteral("Anulati documentul de consum %1? Cantitatile lui se intorc in loturile din care au fost luate.")
        .arg(document);
}

QString ReversalWritten(const QString& reversed, const QString& reversing)
{
    return QStringLiteral("OK. Documentul de consum %1 a fost anulat.\rDocumentul de stornare: %2.").arg(reversed, reversing);
}

QString NotAConsumptionDocument(const QString& counter)
{
    return QStringLiteral("Nu exista documentul de consum (BMC) cu contorul %1.").arg(counter);
}

QString AlreadyReversed(const QString& document, const QString& reversing)
{
    return QStringLiteral("Documentul de consum %1 a fost deja anulat prin documentul de stornare %2.").arg(document, reversing);
}

QString ReversingDocument(const QString& document, const QString& reversed)
{
    return QStringLiteral("Documentul %1 este stornarea documentului de consum %2 si nu poate fi anulat.").arg(document, reversed);
}

QString LotGoneWithoutGenealogy(const QString& document, const QString& article, const QString& lot, const QString& warehouse)
{
    return QStringLiteral("Documentul de consum %1 nu poate fi anulat: lotul %2 al articolului %3 din gestiunea %4 nu mai "
                          "exista in stoc, iar documentul a fost scris fara genealogie, deci lotul nu poate fi refacut.")
        .arg(document, lot, article, warehouse);
}

QString NothingToReverse()
{
    return QStringLiteral("Documentul de intrare nu are niciun document de consum care sa poata fi anulat.");
}

QString AddArticles() { return QStringLiteral("Adaugati articole în catalog!"); }

QString CodeAndNameRequired() { return QStringLiteral("Introduceti atît codul si denumirea!"); }

QString AccountFormat() { return QStringLiteral("Introduceti simbolul contului în format 999(9).99(9).99(9) !"); }

QString UnknownCurrency(const QString& code) { return QStringLiteral("<%1> nu exista în catalogul de valute!").arg(code); }

QString TooManyArticlesMarked() { return QStringLiteral("Memorie insuficienta! Selectati mai putine articole!"); }

QString PrefixRequired(const QString& codes)
{
    return QStringLiteral("Specificati caracterul cu care trebuie sa înceapa %1!").arg(codes);
}
QString UnknownSettingValue(const QString& file, const QString& section, const QString& key, const QString& value,
                            const QString& allowed)
{
    return QStringLiteral("Fisierul de setari <%1>, sectiunea [%2]: cheia %3 are valoarea \"%4\", pe care programul nu o "
                          "cunoaste.\rValorile permise: %5. Corectati valoarea in fisier; pana atunci programul nu "
                          "lucreaza cu setarile de productie.")
        .arg(file, section, key, value, allowed);
}
QString PercentageBelowFloor() { return QStringLiteral("Coeficientul nu poate fi mai mic de -100% !"); }
QString PercentageAboveCeiling() { return QStringLiteral("Coeficientul nu poate fi mai mare de 999999999.99% !"); }
QString PricesOutOfRange(const QString& groupCode)
{
    return QStringLiteral("Preturile de vînzare din grupa \"%1\" ar depasi cel mai mare numar care se poate pastra: "
                          "niciun pret nu a fost schimbat.")
        .arg(groupCode);
}

QString PricesIndexed(const QString& groupCode)
{
    return QStringLiteral("Preturile de vînzare pentru grupa \"%1\" au fost actualizate cu succes!").arg(groupCode);
}

QString BadCodeList(const QString& list) { return QStringLiteral("Lista de coduri nu este corecta: %1").arg(list); }

QString PeriodRefused(const QString& end, const QString& start)
{
    return QStringLiteral("Intervalul de timp nu este corect! %1 < %2").arg(end, start);
}

QString MarginsOutsidePrintable()
{
    return QStringLiteral("Cel putin o margine este prea mica pentru a intra în zona imprimabila!\r"
                          "Doriti ajustarea marginilor respective?");
}

QString SelectingData() { return QStringLiteral("Selectez datele..."); }

QString LotNotFound(const QString& lot, const QString& article)
{
    return article.isEmpty() ? QStringLiteral("Lotul <%1> nu exista.").arg(lot)
                             : QStringLiteral("Lotul <%1> al articolului <%2> nu exista.").arg(lot, article);
}

QString ChooseArticleFirst()
{
    return QStringLiteral("Alegeti intai articolul (CTRL-ENTER in campul lui alege din catalog).");
}

QString FileNotWritten(const QString& file) { return QStringLiteral("Fisierul %1 nu poate fi scris.").arg(file); }

QString LotStateNeedsLot()
{
    return QStringLiteral("Precizati lotul prin grupa, codul articolului si numele lotului.");
}

QString LotStateNeedsReason()
{
    return QStringLiteral("Precizati motivul schimbarii starii lotului: el ramane in istoricul lotului.");
}

QString LotAlreadyInState(const QString& lot, const QString& state)
{
    return QStringLiteral("Lotul <%1> este deja in starea \"%2\": nimic nu a fost schimbat.").arg(lot, state);
}

QString LotStateChanged(const QString& article, const QString& lot, const QString& state)
{
    return QStringLiteral("Lotul <%1> al articolului <%2> este acum in starea \"%3\".").arg(lot, article, state);
}

QString LotStateNotWritten(const QString& message)
{
    return QStringLiteral("Starea lotului nu a fost schimbata: baza de date a refuzat scrierea. Incercati din nou; daca "
                          "eroarea se repeta, verificati accesul la baza de date.\r<%1>")
        .arg(message);
}

QString AwaitingReleaseReason() { return QStringLiteral("lot nou, asteapta eliberarea"); }

QString ReleaseNeedsArticle() { return QStringLiteral("Precizati articolul prin grupa si cod (GRUPA/COD)."); }

QString ArticleNotInCatalog(const QString& article)
{
    return QStringLiteral("Articolul <%1> nu exista in nomenclator: verificati grupa si codul.").arg(article);
}

QString ReleaseAlreadySo(const QString& article, bool on)
{
    return on ? QStringLiteral("Loturile noi ale articolului <%1> asteapta deja eliberarea: nimic nu a fost schimbat.").arg(article)
              : QStringLiteral("Articolul <%1> nu cere eliberarea loturilor: nimic nu a fost schimbat.").arg(article);
}

QString ReleaseSettingChanged(const QString& article, bool on, const QString& since)
{
    return on ? QStringLiteral("Loturile articolului <%1> intrate din %2 sunt \"In asteptare\" pana la eliberare.")
                    .arg(article, since)
              : QStringLiteral("Loturile noi ale articolului <%1> nu mai asteapta eliberarea.").arg(article);
}

QString ReleaseSettingNotWritten(const QString& message)
{
    return QStringLiteral("Eliberarea obligatorie nu a fost schimbata: baza de date a refuzat scrierea. Incercati din nou; "
                          "daca eroarea se repeta, verificati accesul la baza de date.\r<%1>")
        .arg(message);
}

QString LabImportRefused(const QStringList& rows)
{
    return Lines(QStringLiteral("Fisierul laboratorului nu a fost importat: niciun rezultat nu a fost scris. Corectati "
                                "randurile de mai jos si importati-l din nou."),
                 rows);
}

QString LabRow(int line, const QString& problem) { return QStringLiteral("Randul %1: %2").arg(line).arg(problem); }

QString LabBadHeader(const QString& header)
{
    return QStringLiteral("Fisierul laboratorului nu are capul de tabel asteptat (%1): niciun rezultat nu a fost scris.")
        .arg(header);
}

QString LabNothingToImport()
{
    return QStringLiteral("Fisierul laboratorului nu are niciun rezultat: nimic nu a fost scris.");
}

QString LabRowFieldCount(int found, int expected)
{
    return QStringLiteral("are %1 campuri in loc de %2.").arg(found).arg(expected);
}

QString LabUnknownArticle(const QString& article) { return QStringLiteral("articolul <%1> nu exista.").arg(article); }

QString LabUnknownParameter(const QString& parameter)
{
    return QStringLiteral("parametrul <%1> nu este cunoscut.").arg(parameter);
}

QString LabBadValue(const QString& value, const QString& parameter, const QString& words)
{
    return words.isEmpty()
               ? QStringLiteral("valoarea <%1> a parametrului %2 nu este un numar scris cu punct zecimal.").arg(value, parameter)
               : QStringLiteral("valoarea <%1> a parametrului %2 nu este una dintre %3.").arg(value, parameter, words);
}

QString LabBadDate(const QString& date)
{
    return QStringLiteral("data <%1> nu este o data scrisa AAAA-LL-ZZ.").arg(date);
}

QString LabResultsWritten(int count, const QStringList& nonConforming)
{
    const QString written = QStringLiteral("Au fost scrise %1 rezultate de laborator.").arg(count);
    return nonConforming.isEmpty() ? written
                                   : written + QLatin1Char('\r')
                                         + Lines(QStringLiteral("Loturi devenite neconforme (nu se mai consuma si nu se "
                                                                "livreaza):"),
                                                 nonConforming);
}

QString OutOfNormReason(const QStringList& results)
{
    return QStringLiteral("In afara normei: %1").arg(results.join(QStringLiteral(", ")));
}

QString LabResultsNotWritten(const QString& message)
{
    return QStringLiteral("Rezultatele de laborator nu au fost scrise: baza de date a refuzat scrierea. Incercati din nou; "
                          "daca eroarea se repeta, verificati accesul la baza de date.\r<%1>")
        .arg(message);
}

} // namespace corvanel::msg
