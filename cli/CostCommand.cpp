// corvanel cost: what each finished lot of a period cost in materials, as text, CSV, XLSX
// or the report "Costul loturilor fabricate" in PDF.
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
#include "reports/LotCostReport.h"

#include <cmath>

namespace corvanel::cli {

namespace {

QString Money(double value, const fw::TFormatSettings& formats)
{
    return std::isnan(value) ? QStringLiteral("-") : fw::FormatFloat(QStringLiteral("#,##0.00##"), value, formats);
}

// A line a lot, a line under it for each material.
QString Text(const std::vector<TLotCost>& costs, const TBatchPeriod& period, const fw::TFormatSettings& formats)
{
    const auto day = [&formats](const QDate& d) { return fw::DateToStr(fw::DateToDateTime(d), formats); };
    QString out = QStringLiteral("Costul materialelor loturilor fabricate din %1 - %2\n").arg(day(period.From), day(period.To));
    for (const TLotCost& c : costs) {
        const TBatchLine& b = c.Batch;
        out += QStringLiteral("\nReceptia nr. %1 din %2: %3 %4 %5, lot %6, %7 %8: %9 lei, %10 lei/%8\n")
                   .arg(QString::number(b.Number, 'f', 0), day(b.Date), b.Group, b.Code, b.Name, b.Lot,
                        fw::QuantityToStr(b.Quantity, formats), b.Unit.isEmpty() ? QStringLiteral("unitate") : b.Unit,
                        Money(c.MaterialCost, formats), Money(c.UnitCost, formats));
        for (const TMaterialCost& m : c.Materials)
            out += QStringLiteral("  %1 %2  %3  %4 lei  %5%%6\n")
                       .arg(m.Group, m.Code, fw::QuantityToStr(m.Quantity, formats), Money(m.Cost, formats),
                            fw::FormatFloat(QStringLiteral("0.0"), m.Share, formats),
                            m.Unpriced > 0 ? QStringLiteral("  (fara pret de achizitie)") : QString());
        if (c.Materials.empty())
            out += QStringLiteral("  nimic consumat\n");
    }
    if (costs.empty())
        out += QStringLiteral("\nNicio receptie de produse in perioada.\n");
    return out;
}

int Run(const TArgs& args)
{
    return RunPeriodTable<TLotCostReport, std::vector<TLotCost>>(
        args, [](TCompanySession& company, const TBatchPeriod& period) { return ReadLotCosts(company.Context().Session(), period); },
        [](const std::vector<TLotCost>& costs) { return std::vector<TSheet>{LotCostSheet(costs), LotMaterialSheet(costs)}; },
        &TLotCostReport::SetCosts, Text);
}

} // namespace

extern const TCommand CostCommand{
    .Name = QStringLiteral("cost"),
    .Summary = QStringLiteral("Costul materialelor fiecarui lot fabricat"),
    .Usage = QStringLiteral("cost --company DIR --from AAAA-LL-ZZ --to AAAA-LL-ZZ [--csv | --xlsx FISIER | --pdf FISIER]"),
    .Details = QStringLiteral(
        "Pentru fiecare linie a receptiilor de produse din perioada (data documentului): materialele\n"
        "consumate pentru ea, dupa genealogia documentelor de consum, fiecare lot la pretul lui de\n"
        "achizitie; costul materialelor, costul pe unitate si partea fiecarui material. Un consum\n"
        "stornat si stornarea lui nu se numara. Cu --csv: campurile separate prin \";\", o linie de\n"
        "antet (Contor;Numar;Data;Cod_grupa;Cod_articol;Lot;Cantitate;Cost_materiale;Cost_unitar;\n"
        "Denumire;Loturi_fara_pret), datele AAAA-LL-ZZ, numerele cu punct zecimal; Cost_unitar e gol\n"
        "cand cantitatea nu e pozitiva. Cu --xlsx: aceleasi coloane si o foaie cu materialele fiecarui\n"
        "lot, numerele ca numere si datele ca date. Cu --pdf: raportul \"Costul loturilor fabricate\"."),
    .Options =
        {
            CompanyOption(),
            FromDayOption(),
            ToDayOption(),
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie loturile in format CSV.")},
            {QStringLiteral("xlsx"), QStringLiteral("FISIER"), QStringLiteral("Scrie loturile si materialele in fisierul XLSX.")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie raportul in fisierul PDF.")},
        },
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli
