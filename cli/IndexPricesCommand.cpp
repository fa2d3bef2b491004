// corvanel index-prices: the sale prices of a catalog group changed by a percentage, as
// the catalog lookup's price indexing changes them.
#include "catalog/PriceIndexing.h"
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "data/Messages.h"
#include "platform/db/Query.h"
#include "platform/ui/MessageDlg.h"

#include <memory>

namespace corvanel::cli {

namespace {

int Run(const TArgs& args)
{
    const QString group = Required(args, QStringLiteral("group"));
    const std::optional<double> factor = IndexFactor(Number(args, QStringLiteral("percent")));
    if (!factor)
        return ExitRefused;
    TCompanySession company(Required(args, QStringLiteral("company")));
    const std::unique_ptr<fw::TQuery> update(NewIndexPricesQuery(company.Context().Session(), nullptr));
    // The lookup offers the command only on a group that has articles.
    if (UpdateGroupPrices(*update, group, *factor) == 0)
        throw ERefused(
            QStringLiteral("Grupa \"%1\" nu are articole in catalog: niciun pret nu a fost schimbat.").arg(group));
    fw::MessageDlg(msg::PricesIndexed(group), fw::TMsgDlgType::Information);
    return ExitDone;
}

} // namespace

extern const TCommand IndexPricesCommand{
    .Name = QStringLiteral("index-prices"),
    .Summary = QStringLiteral("Indexeaza preturile de vanzare ale unei grupe de articole"),
    .Usage = QStringLiteral("index-prices --company DIR --group G --percent P"),
    .Details =
        QStringLiteral("Inmulteste pretul de vanzare al fiecarui articol din grupa G cu P / 100 + 1, intr-o singura\n"
                       "tranzactie (toate sau niciunul); preturile necompletate raman necompletate. P este in\n"
                       "procente, cu punct zecimal (10 creste preturile cu 10%, -2.5 le scade), de la -100 la\n"
                       "999999999.99, ca in fereastra catalogului. Daca vreun pret ar depasi cel mai mare numar\n"
                       "care se poate pastra, nu se schimba niciunul."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("group"), QStringLiteral("G"), QStringLiteral("Codul grupei de articole.")},
            {QStringLiteral("percent"), QStringLiteral("P"), QStringLiteral("Procentul cu care se schimba preturile.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli
