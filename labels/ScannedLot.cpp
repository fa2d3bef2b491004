#include "labels/ScannedLot.h"

#include "data/Queries.h"
#include "labels/Gs1.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyTables.h"

namespace corvanel {

using namespace fw;

namespace {

// The ways a catalog may hold a GTIN-14: as it is, and as the GTIN-13, -12 or -8 it is when
// it starts with that many zeros. A barcode that is not one of them is no match.
QStringList Spellings(const QString& gtin14)
{
    QStringList spellings{gtin14};
    for (const int length : {13, 12, 8})
        if (gtin14.left(14 - length).count(QLatin1Char('0')) == 14 - length)
            spellings << gtin14.right(length);
    while (spellings.size() < 4)
        spellings << gtin14;
    return spellings;
}

} // namespace

TScannedLot ReadScannedLot(TSession* session, const QString& scanned)
{
    const std::vector<gs1::TElement> elements = gs1::ParseScanned(scanned);
    TScannedLot read;
    const std::optional<QString> lot = gs1::Find(elements, gs1::AiLot);
    if (!lot)
        throw gs1::EInvalid(QStringLiteral("Codul citit nu contine lotul (10): %1").arg(gs1::HumanReadable(elements)));
    read.Lot = *lot;
    const std::optional<QString> gtin = gs1::Find(elements, gs1::AiGtin);
    if (!gtin)
        return read;
    TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL({QStringLiteral("SELECT Grupa, Cod FROM CATALOG"),
              QStringLiteral("WHERE (Cod_bare = :G1) OR (Cod_bare = :G2) OR (Cod_bare = :G3) OR (Cod_bare = :G4)"),
              QStringLiteral("ORDER BY Grupa, Cod")});
    const QStringList spellings = Spellings(*gtin);
    for (int i = 0; i < 4; ++i)
        q.ParamByName(QStringLiteral("G%1").arg(i + 1))->SetAsString(spellings.at(i));
    DeclareFields(q, CompanyTable(CatalogDB), {"Grupa", "Cod"});
    q.Open();
    QStringList found;
    for (; !q.Eof(); q.Next()) {
        read.Group = q.FieldByName(QStringLiteral("Grupa"))->AsString();
        read.Code = q.FieldByName(QStringLiteral("Cod"))->AsString();
        found << read.Group + QLatin1Char('/') + read.Code;
    }
    if (found.isEmpty())
        throw gs1::EInvalid(QStringLiteral("Niciun articol din catalog nu are codul de bare (GTIN) %1.").arg(*gtin));
    if (found.size() > 1)
        throw gs1::EInvalid(QStringLiteral("Mai multe articole au codul de bare (GTIN) %1: %2. Corectati catalogul.")
                                .arg(*gtin, found.join(QStringLiteral(", "))));
    return read;
}

} // namespace corvanel
