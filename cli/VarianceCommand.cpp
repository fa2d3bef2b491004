// corvanel variance: per receipt and product, what the recipes asked against what the
// consumption drew, as text, CSV or XLSX.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "cli/PeriodReportPdf.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "platform/core/Formats.h"
#include "platform/core/Readable.h"
#include "platform/db/OutputFile.h"
#include "reports/CostTables.h"
#include "reports/YieldVarianceReport.h"

#include <cmath>

namespace corvanel::cli {

namespace {

QString Figure(double value, const QString& mask, const fw::TFormatSettings& formats)
{
    return std::isnan(value) ? QStringLiteral("-") : fw::FormatFloat(mask, value, formats);
}

QString Text(const std::vector<TProductVariance>& variances, const TBatchPeriod& period, const fw::TFormatSettings& f)
{
    const auto day = [&f](const QDate& d) { return fw::DateToStr(fw::DateToDateTime(d), f); };
    const QString money = QStringLiteral("#,##0.00"), percent = QStringLiteral("0.0");
    QString out = QStringLiteral("Necesar fata de consum, receptii de produse din %1 - %2\n").arg(day(period.From), day(period.To));
    const auto line = [&](const QString& what, const TMaterialVariance& m) {
        return QStringLiteral("  %1  necesar %2  consumat %3  diferenta %4 (%5%)  valoare %6 lei (%7%)\n")
            .arg(what, fw::QuantityToStr(m.Planned, f), fw::QuantityToStr(m.Actual, f), fw::QuantityToStr(m.QuantityVariance(), f),
                 Figure(m.QuantityPercent(), percent, f), Figure(m.ValueVariance(), money, f), Figure(m.ValuePercent(), percent, f));
    };
    for (const TProductVariance& p : variances) {
        out += QStringLiteral("\nReceptia nr. %1 din %2: %3 %4 %5, %6 %7\n")
                   .arg(QString::number(p.Number, 'f', 0), day(p.Date), p.Group, p.Code, p.Name, fw::QuantityToStr(p.Quantity, f),
                        p.Unit);
        for (const TMaterialVariance& m : p.Materials)
            out += line(m.Group + QLatin1Char(' ') + m.Code, m);
        out += line(QStringLiteral("Total"), p.Total);
    }
    if (variances.empty())
        out += QStringLiteral("\nNicio receptie de produse in perioada.\n");
    return out;
}

int Run(const TArgs& args)
{
    return RunPeriodTable<TYieldVarianceReport, std::vector<TProductVariance>>(
        args,
        [&args](TCompanySession& company, const TBatchPeriod& period) {
            return ReadYieldVariances(company.Context().Session(), period, List(args, QStringLiteral("products")));
        },
        [](const std::vector<TProductVariance>& variances) { return std::vector<TSheet>{YieldVarianceSheet(variances)}; },
        &TYieldVarianceReport::SetVariances, Text,
        [&args](TYieldVarianceReport& report) { report.Products = List(args, QStringLiteral("products")); });
}

} // namespace

extern const TCommand VarianceCommand{
    .Name = QStringLiteral("variance"),
    .Summary = QStringLiteral("Necesarul retetelor fata de consumul efectiv, pe receptii si produse"),
    .Usage = QStringLiteral("variance --company DIR --from AAAA-LL-ZZ --to AAAA-LL-ZZ [--products A,B] [--csv | --xlsx FISIER | --pdf FISIER]"),
    .Details = QStringLiteral(
        "Pentru fiecare receptie de produse din perioada (data documentului) si fiecare produs al ei:\n"
        "necesarul dupa reteta, la randamentul produsului, fata de ce au consumat documentele de\n"
        "consum (fara cele stornate), pe materiale si in total, cu diferenta in cantitate, valoare si\n"
        "procente. Necesarul se evalueaza la pretul loturilor consumate pentru produs, altfel la pretul\n"
        "mediu al materialului consumat in perioada; fara niciunul, valoarea ramane necunoscuta (gol).\n"
        "Cu --csv: campurile separate prin \";\", o linie de antet, datele AAAA-LL-ZZ, numerele cu punct\n"
        "zecimal; totalul unui produs are Cod_material TOTAL. Cu --xlsx: aceleasi coloane, numerele ca\n"
        "numere si datele ca date. Cu --pdf: raportul \"Necesar fata de consum\"."),
    .Options =
        {
            CompanyOption(),
            FromDayOption(),
            ToDayOption(),
            {QStringLiteral("products"), QStringLiteral("A,B"), QStringLiteral("Codurile produselor (implicit toate).")},
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie diferentele in format CSV.")},
            {QStringLiteral("xlsx"), QStringLiteral("FISIER"), QStringLiteral("Scrie diferentele in fisierul XLSX.")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie raportul in fisierul PDF.")},
        },
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli
