// corvanel expiring: the lots that have expired or expire within some days, as text, CSV
// or the report "Loturi care expira" in PDF.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/LotStatus.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "platform/core/Formats.h"
#include "platform/db/OutputFile.h"
#include "reports/ExpiringLotsReport.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "platform/core/Readable.h"

#include <QGuiApplication>

namespace corvanel::cli {

namespace {

struct TSelection {
    QDate Day;
    int Days = 7;
    QStringList Warehouses;
};

TSelection Selection(const TArgs& args)
{
    TSelection s;
    s.Day = args.isSet(QStringLiteral("date")) ? IsoDate(args, QStringLiteral("date")) : QDate::currentDate();
    if (args.isSet(QStringLiteral("days"))) {
        const double days = Number(args, QStringLiteral("days"));
        if (days < 0 || days > 36500 || days != static_cast<int>(days))
            throw ERefused(QStringLiteral("--days cere un numar intreg de zile, de la 0 la 36500."));
        s.Days = static_cast<int>(days);
    }
    s.Warehouses = List(args, QStringLiteral("warehouses"));
    return s;
}

std::vector<TExpiringLot> Read(TCompanySession& company, const TSelection& s)
{
    return ReadForReport([&] { return ReadExpiringLots(company.Context().Session(), s.Day, s.Days, s.Warehouses); });
}

// The warehouses a lot may lie in: those of the company's list, and any its stock names.
const QStringList& WarehousesWithStockSql()
{
    static const QStringList sql{QStringLiteral("SELECT Cod FROM \"Gest.db\""), QStringLiteral("UNION"),
                                 QStringLiteral("SELECT Cod_gestiune AS Cod FROM \"Stoc.DB\"")};
    return sql;
}

QString Iso(const QDate& date) { return date.toString(Qt::ISODate); }

int WriteCsv(const std::vector<TExpiringLot>& lots)
{
    QString out = CsvRecord({"Cod_gestiune", "Cod_grupa", "Cod_articol", "Denumire", "Unitate_masura", "Lot", "Data_intrare",
                             "Data_expirare", "Zile_ramase", "Cantitate", "Pret_achizitie", "Valoare", "Stare"});
    for (const TExpiringLot& l : lots)
        out += CsvRecord({l.Warehouse, l.Group, l.Code, l.Name, l.Unit, l.Lot, Iso(l.Entry), Iso(l.Expiry),
                          QString::number(l.DaysLeft), CsvNumber(l.Quantity), CsvNumber(l.Price), CsvNumber(l.Value),
                          l.State.isEmpty() ? LotStateName(TLotState::Released) : l.State});
    Out(out);
    return ExitDone;
}

// One line a lot under a line for each warehouse, and the warehouse's value.
int WriteText(const std::vector<TExpiringLot>& lots, const TSelection& s, const fw::TFormatSettings& formats)
{
    QString out = QStringLiteral("Loturi care expira pana la %1 (%2 zile de la %3) sau au expirat\n")
                      .arg(fw::DateToStr(fw::DateToDateTime(s.Day.addDays(s.Days)), formats), QString::number(s.Days),
                           fw::DateToStr(fw::DateToDateTime(s.Day), formats));
    double total = 0;
    for (size_t i = 0; i < lots.size(); ++i) {
        const TExpiringLot& l = lots[i];
        if (i == 0 || lots[i - 1].Warehouse != l.Warehouse)
            out += QStringLiteral("\nGestiunea %1\n").arg(l.Warehouse);
        const QString when = l.DaysLeft < 0 ? QStringLiteral("expirat de %1 zile").arg(-l.DaysLeft)
                                            : QStringLiteral("expira in %1 zile").arg(l.DaysLeft);
        out += QStringLiteral("  %1 %2 %3  lot %4  %5 %6  %7  %8 lei\n")
                   .arg(l.Group, l.Code, l.Name, l.LotText(), fw::QuantityToStr(l.Quantity, formats), l.Unit,
                        fw::DateToStr(fw::DateToDateTime(l.Expiry), formats) + QStringLiteral(", ") + when,
                        fw::FormatFloat(QStringLiteral("0.00"), l.Value, formats));
        total += l.Value;
        if (i + 1 == lots.size() || lots[i + 1].Warehouse != l.Warehouse) {
            out += QStringLiteral("  Valoare gestiune: %1 lei\n").arg(fw::FormatFloat(QStringLiteral("0.00"), total, formats));
            total = 0;
        }
    }
    if (lots.empty())
        out += QStringLiteral("\nNiciun lot.\n");
    Out(out);
    return ExitDone;
}

int WritePdf(TProductionContext& context, const std::vector<TExpiringLot>& lots, const TSelection& s, const QString& file)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    PresetExpiringLotsPrintSettings(PrintSettingsOf(context));
    UseFourDigitYearDates(context.Formats);
    TExpiringLotsReport report(context, nullptr);
    report.FirmName = ReadFirmName(context);
    report.Day = s.Day;
    report.Days = s.Days;
    report.SetLots(lots);
    if (!report.Report->ExportPdf(file))
        throw ERefused(QStringLiteral("Niciun lot nu a expirat si nici nu expira in zilele alese: raportul nu are nicio "
                                      "pagina, fisierul nu a fost scris."));
    return ExitDone;
}

int Run(const TArgs& args)
{
    const bool csv = args.isSet(QStringLiteral("csv"));
    if (csv && args.isSet(QStringLiteral("pdf")))
        throw ERefused(QStringLiteral("Alegeti cel mult una dintre optiunile --pdf FISIER si --csv."));
    const TSelection selection = Selection(args);
    const QString pdf = args.isSet(QStringLiteral("pdf")) ? Required(args, QStringLiteral("pdf")) : QString();
    TCompanySession company(Required(args, QStringLiteral("company")));
    RefuseUnknownCodes(company.Context(), selection.Warehouses, WarehousesWithStockSql(), QStringLiteral("warehouses"));
    if (!pdf.isEmpty())
        fw::CheckOutputFile(pdf);
    const std::vector<TExpiringLot> lots = Read(company, selection);
    if (!pdf.isEmpty())
        return WritePdf(company.Context(), lots, selection, pdf);
    return csv ? WriteCsv(lots) : WriteText(lots, selection, company.Context().Formats);
}

// Only a PDF is drawn, with fonts.
bool DrawsPdf(const QStringList& arguments)
{
    for (const QString& a : arguments)
        if (a == QLatin1String("--pdf") || a.startsWith(QLatin1String("--pdf=")))
            return true;
    return false;
}

} // namespace

extern const TCommand ExpiringCommand{
    .Name = QStringLiteral("expiring"),
    .Summary = QStringLiteral("Loturile din stoc care expira in curand sau au expirat"),
    .Usage = QStringLiteral("expiring --company DIR [--days N] [--date AAAA-LL-ZZ] [--warehouses A,B] [--csv | --pdf FISIER]"),
    .Details = QStringLiteral(
        "Loturile din stoc cu data de expirare (a lor sau ZileValabilitate din catalog) care au expirat\n"
        "sau expira in cel mult N zile (implicit 7) de la data aleasa (implicit azi), pe gestiuni si\n"
        "articole, cu cantitatea si valoarea la pret de achizitie. Un lot expira la data de expirare\n"
        "scrisa pe linia lui de intrare, iar fara ea la data intrarii plus zilele intregi de\n"
        "valabilitate, si se mai foloseste in ziua expirarii. Cu --csv: campurile separate prin\n"
        "\";\", o linie de antet, datele AAAA-LL-ZZ, numerele cu punct zecimal; Zile_ramase e negativ\n"
        "pentru loturile expirate. Cu --pdf scrie raportul \"Loturi care expira\" asa cum il tipareste\n"
        "programul (A4, Arial 8)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("days"), QStringLiteral("N"), QStringLiteral("Zilele de dupa data alese (implicit 7).")},
            {QStringLiteral("date"), QStringLiteral("AAAA-LL-ZZ"), QStringLiteral("Ziua de la care se numara (implicit azi).")},
            {QStringLiteral("warehouses"), QStringLiteral("A,B"), QStringLiteral("Codurile gestiunilor (implicit toate).")},
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie loturile in format CSV.")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie raportul in fisierul PDF.")},
        },
    .NeedsFonts = DrawsPdf,
    .Run = Run,
};

} // namespace corvanel::cli
