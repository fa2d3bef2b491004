// corvanel trace: the traceability report without its dialogs, as a PDF or as CSV.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "dialogs/CodeList.h"
#include "platform/core/Exceptions.h"
#include "platform/db/OutputFile.h"
#include "platform/db/Query.h"
#include "platform/report/ReportPainter.h"
#include "reports/PrintSettings.h"
#include "reports/TraceabilityData.h"
#include "reports/TraceabilityReport.h"

#include <QGuiApplication>

namespace corvanel::cli {

namespace {

// What the report is asked for.
struct TSelection {
    fw::TDateTime From = 0;
    fw::TDateTime To = 0;
    QStringList Warehouses; // no codes: all
    QStringList Suppliers;
};

TSelection Selection(const TArgs& args)
{
    TSelection s;
    const TPeriod period = Period(args);
    s.From = fw::DateToDateTime(period.From);
    s.To = fw::DateToDateTime(period.To);
    s.Warehouses = List(args, QStringLiteral("warehouses"));
    s.Suppliers = List(args, QStringLiteral("suppliers"));
    return s;
}

// No receipts in the selection: nothing is written, whichever the output.
[[noreturn]] void RefuseEmpty(const QString& what)
{
    throw ERefused(QStringLiteral("Nu exista receptii in perioada si selectia alese: %1.").arg(what));
}

// Opens the receipts of the selection; a failure in the report's words.
void Open(TTraceabilityData& data, const TSelection& s)
{
    try {
        data.SetSelection(JoinCodeList(s.Warehouses), JoinCodeList(s.Suppliers));
        data.OpenData(s.From, s.To);
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::ReportDatabaseError(e.Message()));
    }
}

// ---------------------------------------------------------------- CSV

QString DateText(const fw::TField* field)
{
    return field->IsNull() ? QString() : field->AsDate().toString(Qt::ISODate);
}

const QStringList& CsvHeader()
{
    static const QStringList header{
        "Data_inregistrarii", "Numar",       "Furnizor", "Nume_furnizor",     "Cod_gestiune", "Cod_grupa",
        "Cod_articol",        "Denumire",    "Lot",      "Unitate_masura",    "Cantitate",    "MP_Cod_grupa",
        "MP_Cod_articol",     "MP_Denumire", "MP_Lot",   "MP_Unitate_masura", "MP_Cantitate", "MP_Cod_gestiune"};
    return header;
}

// One record for each raw material of a receipt line's consumption document, the line
// repeated on each; a line without raw materials has one record with those columns empty.
int WriteCsv(TProductionContext& context, const TSelection& selection)
{
    TTraceabilityData data(context.Session(), nullptr);
    Open(data, selection);
    fw::TQuery* q = data.Receipts;
    if (q->IsEmpty())
        RefuseEmpty(QStringLiteral("nu s-a scris nimic"));
    const auto text = [q](const char* name) { return q->FieldByName(QString::fromLatin1(name))->AsString(); };
    TProgress progress(QStringLiteral("Trasabilitate"), q->RecordCount());
    QString out = CsvRecord(CsvHeader());
    std::vector<TRawMaterialLine> materials;
    QString materialsOf; // the receipt the raw materials were read for
    qint64 done = 0;
    for (q->First(); !q->Eof(); q->Next()) {
        const QString receipt = text("Numar") + QLatin1Char('/') + DateText(q->FieldByName(QStringLiteral("Data")));
        if (receipt != materialsOf) {
            materials = data.RawMaterials();
            materialsOf = receipt;
        }
        const QStringList line{DateText(q->FieldByName(QStringLiteral("Data_inregistrarii"))),
                               CsvNumber(q->FieldByName(QStringLiteral("Numar"))->AsFloat()),
                               text("Furnizor"),
                               text("Nume_furnizor"),
                               text("Cod_gestiune"),
                               text("Cod_grupa"),
                               text("Cod_articol"),
                               text("Denumire"),
                               text("Lot"),
                               text("Unitate_masura"),
                               CsvNumber(q->FieldByName(QStringLiteral("Cantitate"))->AsFloat())};
        if (materials.empty())
            out += CsvRecord(line + QStringList(CsvHeader().size() - line.size()));
        for (const TRawMaterialLine& m : materials)
            out += CsvRecord(line +
                             QStringList{m.Group, m.Code, m.Name, m.Lot, m.Unit, CsvNumber(m.Quantity), m.Warehouse});
        // Written as it goes: a year of a plant is no text to hold whole.
        if (out.size() > 1 << 16) {
            Out(out);
            out.clear();
        }
        progress.Step(++done);
    }
    Out(out);
    return ExitDone;
}

// ---------------------------------------------------------------- PDF

// The report's rows, counted as the report walks them, for the progress line.
class TCountedRows final : public fw::TReportData {
public:
    TCountedRows(fw::TReportData* rows, TProgress& progress) : rows_(rows), progress_(progress) {}

    void First() override
    {
        rows_->First();
        at_ = 1;
        progress_.Step(at_);
    }
    void Next() override
    {
        rows_->Next();
        // The report steps back to print a group's footer on its last row: only the
        // furthest row counts.
        if (++at_ > furthest_)
            progress_.Step(furthest_ = at_);
    }
    void Prior() override
    {
        rows_->Prior();
        --at_;
    }
    bool Eof() const override { return rows_->Eof(); }
    bool IsEmpty() override { return rows_->IsEmpty(); }
    QVariant Value(const QString& fieldName) const override { return rows_->Value(fieldName); }
    QString DisplayText(const QString& fieldName) const override { return rows_->DisplayText(fieldName); }
    int FieldHandle(const QString& fieldName) override { return rows_->FieldHandle(fieldName); }
    QVariant FieldValue(int handle) const override { return rows_->FieldValue(handle); }
    QString FieldText(int handle) const override { return rows_->FieldText(handle); }

private:
    fw::TReportData* rows_;
    TProgress& progress_;
    qint64 at_ = 0;
    qint64 furthest_ = 0;
};

int WritePdf(TProductionContext& context, const TSelection& selection, const QString& file)
{
    // As the command prepares the report: its print settings, and dates as its period
    // dialog leaves them (day, month, four-digit year).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    PresetTraceabilityPrintSettings(PrintSettingsOf(context));
    UseFourDigitYearDates(context.Formats);
    TTraceabilityReport form(context, nullptr);
    form.FromDate = selection.From;
    form.ToDate = selection.To;
    Open(*form.Data, selection);
    {
        // Each page written as soon as it is laid out.
        TProgress progress(QStringLiteral("Trasabilitate"), form.Receipts->RecordCount());
        fw::TReportData* const data = form.Report->Data();
        TCountedRows rows(data, progress);
        form.Report->SetData(&rows);
        const bool written = fw::ExportPdf(*form.Report, file);
        form.Report->SetData(data);
        if (!written)
            RefuseEmpty(QStringLiteral("raportul nu are nicio pagina, fisierul nu a fost scris"));
    }
    form.CloseData();
    return ExitDone;
}

int Run(const TArgs& args)
{
    const bool csv = args.isSet(QStringLiteral("csv"));
    if (csv == args.isSet(QStringLiteral("pdf")))
        throw ERefused(QStringLiteral("Alegeti una dintre optiunile --pdf FISIER si --csv."));
    const QString file = csv ? QString() : Required(args, QStringLiteral("pdf"));
    const TSelection selection = Selection(args);
    TCompanySession company(Required(args, QStringLiteral("company")));
    RefuseUnknownCodes(company.Context(), selection.Warehouses, WarehouseListSql(), QStringLiteral("warehouses"));
    RefuseUnknownCodes(company.Context(), selection.Suppliers, SupplierListSql(), QStringLiteral("suppliers"));
    if (!csv)
        fw::CheckOutputFile(file);
    return csv ? WriteCsv(company.Context(), selection) : WritePdf(company.Context(), selection, file);
}

} // namespace

extern const TCommand TraceCommand{
    .Name = QStringLiteral("trace"),
    .Summary = QStringLiteral("Raportul de trasabilitate a produselor, in PDF sau CSV"),
    .Usage =
        QStringLiteral("trace --company DIR --from AAAA-LL-ZZ --to AAAA-LL-ZZ [--warehouses A,B] [--suppliers X,Y] "
                       "(--pdf FISIER | --csv)"),
    .Details = QStringLiteral(
        "Raportul \"Trasabilitate produse\" pentru perioada, gestiunile si furnizorii alesi (fara liste:\n"
        "toate), fara dialogurile lui. Cu --pdf scrie raportul asa cum il tipareste programul (A4, Arial 8);\n"
        "fisierul apare intreg sau deloc. Cu --csv scrie pe iesirea standard cate o linie pentru fiecare\n"
        "materie prima consumata pentru o linie de receptie (linia de receptie se repeta; o linie fara\n"
        "materii prime are coloanele MP_ goale): campurile separate prin \";\", o linie de antet, datele\n"
        "AAAA-LL-ZZ, numerele cu punct zecimal si fara separator de mii. Pe un terminal, progresul se\n"
        "vede pe iesirea de erori. Nu are nevoie de ecran: fonturile le ia dintr-o platforma fara afisare.\n"
        "Fara nicio receptie in perioada si selectia alese nu scrie nimic, nici PDF, nici CSV, si iese cu\n"
        "starea 3, ca pentru un cod de gestiune sau de furnizor care nu exista in firma."),
    .Options =
        {
            CompanyOption(),
            FromDayOption(),
            ToDayOption(),
            {QStringLiteral("warehouses"), QStringLiteral("A,B"),
             QStringLiteral("Codurile gestiunilor (implicit toate).")},
            {QStringLiteral("suppliers"), QStringLiteral("X,Y"),
             QStringLiteral("Codurile furnizorilor (implicit toti).")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie raportul in fisierul PDF.")},
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie datele raportului in format CSV.")},
        },
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli
