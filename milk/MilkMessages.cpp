#include "milk/MilkMessages.h"

namespace corvanel::msg {

QString MilkUnknownFarmer(const QString& farmer)
{
    return QStringLiteral("Furnizorul <%1> nu exista. Alegeti un furnizor din lista furnizorilor.").arg(farmer);
}

QString MilkNoQuantity(const QString& farmer)
{
    return QStringLiteral("Livrarea furnizorului <%1> nu are cantitate. Scrieti litrii sau kilogramele (mai mult de 0).")
        .arg(farmer);
}

QString MilkBadDensity(const QString& farmer)
{
    return QStringLiteral("Densitatea livrarii furnizorului <%1> trebuie sa fie mai mare decat 0.").arg(farmer);
}

QString MilkArticleNotSet()
{
    return QStringLiteral("Articolul laptelui crud nu este ales. Alegeti grupa, articolul si gestiunea in Setari, pagina Lapte.");
}

QString MilkUnknownArticle(const QString& article)
{
    return QStringLiteral("Articolul laptelui crud <%1> nu exista in catalog. Corectati-l in Setari, pagina Lapte.").arg(article);
}

QString MilkNoDeliveries() { return QStringLiteral("Nu este aleasa nicio livrare."); }

QString MilkDeliveriesRecorded(int count, const QStringList& nonConforming)
{
    QString text = QStringLiteral("Au fost inregistrate %1 livrari.").arg(count);
    if (!nonConforming.isEmpty())
        text += QStringLiteral("\nLoturi neconforme (nu vor fi folosite): %1").arg(nonConforming.join(QStringLiteral(", ")));
    return text;
}

QString MilkInhibitorsReason() { return QStringLiteral("Substante inhibitoare: pozitiv"); }

QString MilkNonConformingDelivery(const QString& lot, const QString& farmer, const QString& standing)
{
    return QStringLiteral("Livrarea <%1> a furnizorului <%2> este %3 si nu poate fi golita in tanc. Nu s-a scris nimic.")
        .arg(lot, farmer, standing);
}

QString MilkAlreadyInTank(const QString& lot, const QString& farmer, const QString& tankLot)
{
    return QStringLiteral("Livrarea <%1> a furnizorului <%2> a fost deja golita in tancul <%3>. Nu s-a scris nimic.")
        .arg(lot, farmer, tankLot);
}

QString MilkDeliveryLotGone(const QString& lot, const QString& farmer)
{
    return QStringLiteral("Lotul livrarii <%1> a furnizorului <%2> nu mai este in stoc. Nu s-a scris nimic.").arg(lot, farmer);
}

QString MilkUnknownDelivery(double receipt, double line)
{
    return QStringLiteral("Livrarea %1/%2 nu exista (poate a fost stearsa). Cititi din nou livrarile zilei.")
        .arg(receipt, 0, 'f', 0)
        .arg(line, 0, 'f', 0);
}

QString MilkTankWritten(const QString& tankLot, int deliveries)
{
    return QStringLiteral("A fost facut lotul de tanc <%1> din %2 livrari.").arg(tankLot).arg(deliveries);
}

QString MilkBadMonth(const QString& text)
{
    return QStringLiteral("Luna <%1> nu este de forma AAAA-LL (de exemplu 2026-11).").arg(text);
}

QString MilkBadClasses(const QString& key, const QString& value)
{
    return QStringLiteral("Clasele <%1> = <%2> nu se pot citi. Scrieti perechi prag:deducere despartite prin ';' "
                          "(de exemplu 100000:0.05;300000:0.10), cu pragurile crescatoare.")
        .arg(key, value);
}

} // namespace corvanel::msg
