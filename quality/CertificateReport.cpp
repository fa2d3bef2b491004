#include "quality/CertificateReport.h"

#include "reports/FirmName.h"
#include "reports/ReportColumns.h"
#include "reports/TableReport.h"

namespace corvanel {

using namespace fw;

namespace {

constexpr double kRow = 5; // mm

// The parameter takes what the page leaves.
enum TColumn { ColParameter, ColValue, ColUnit, ColNorm, ColVerdict, ColDate, ColumnCount };
constexpr double kWidths[ColumnCount] = {0, 25, 18, 35, 22, 22};

QString LotText(const TCertificateLot& lot)
{
    return QStringLiteral("lot %1, %2/%3 %4").arg(lot.Lot.Lot, lot.Lot.Group, lot.Lot.Code, lot.Name).trimmed();
}

} // namespace

QString CertificateTitle() { return QStringLiteral("Buletin de analiza"); }

TCertificateReport::TCertificateReport(TProductionContext& context, const TCertificate& certificate, QObject* owner)
    : QObject(owner),
      rows_({QStringLiteral("Lot"), QStringLiteral("Titlu"), QStringLiteral("Parametru"), QStringLiteral("Valoare"),
             QStringLiteral("UM"), QStringLiteral("Norma"), QStringLiteral("Verdict"), QStringLiteral("Data")})
{
    setObjectName(QStringLiteral("CertificateReport"));
    AddLot(0, QStringLiteral("Produs finit: %1; stare %2").arg(LotText(certificate.Product), certificate.Product.Standing),
           certificate.Product);
    int index = 1;
    for (const TCertificateLot& lot : certificate.Materials)
        AddLot(index++, QStringLiteral("Materie prima: %1; furnizor %2; stare %3").arg(LotText(lot), lot.Supplier, lot.Standing), lot);
    Report = NewTableReport(this, CertificateTitle(), &rows_, context);
    BuildReport(ReadFirmName(context), LotText(certificate.Product));
}

TCertificateReport::~TCertificateReport() = default;

void TCertificateReport::AddLot(int index, const QString& heading, const TCertificateLot& lot)
{
    // A lot the laboratory never analysed still shows, so that the reader sees it was not.
    if (lot.Results.empty())
        rows_.AddRow({index, heading, QStringLiteral("(nicio analiza inregistrata)"), QString(), QString(), QString(), QString(),
                      QString()});
    for (const TCertificateResult& r : lot.Results)
        rows_.AddRow({index, heading, r.Parameter, r.Value, r.Unit, r.Norm, r.Verdict, r.Date});
}

void TCertificateReport::BuildReport(const QString& firmName, const QString& subtitle)
{
    const std::vector<double> left = ColumnEdges(kWidths, Report->ContentWidth(), 50);
    const auto place = [&](TReportElement* e, int column, TReportAlignment alignment, int lastColumn = -1) {
        return PlaceInColumns(e, left, kRow, column, alignment, lastColumn);
    };
    AddTablePageHeader(
        *Report, CertificateTitle(), [firmName] { return firmName; }, [subtitle] { return subtitle; },
        QStringLiteral("Lot"),
        {QStringLiteral("Parametru"), QStringLiteral("Valoare"), QStringLiteral("U.M."), QStringLiteral("Norma"),
         QStringLiteral("Verdict"), QStringLiteral("Data")},
        left, kRow);

    TReportGroup* lot = Report->AddGroup(QStringLiteral("Lot"));
    TReportDataText* heading = lot->Header()->AddDataText(QStringLiteral("Titlu"), 0, 1);
    heading->Name = QStringLiteral("LotTitlu");
    heading->Bold = true;
    place(heading, ColParameter, TReportAlignment::Left, ColDate)->Top = 1;
    lot->Header()->Height = kRow + 1;

    TReportBand* detail = Report->Detail();
    const std::pair<const char*, TColumn> fields[] = {{"Parametru", ColParameter}, {"Valoare", ColValue}, {"UM", ColUnit},
                                                      {"Norma", ColNorm},         {"Verdict", ColVerdict}, {"Data", ColDate}};
    for (const auto& [field, column] : fields)
        place(detail->AddDataText(QString::fromLatin1(field), 0, 0), column,
              column == ColValue ? TReportAlignment::Right : TReportAlignment::Left);
    detail->Height = kRow;
}

} // namespace corvanel
