// corvanel requirement: the requirement of an incoming document, as the form shows it.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "cli/RequirementWork.h"
#include "data/ProductionData.h"
#include "platform/core/Formats.h"

#include <algorithm>

namespace corvanel::cli {

namespace {

struct TColumn {
    const char* Field;
    QString Title; // as the form's grid titles it
    bool Number;
};

const std::vector<TColumn>& Columns()
{
    static const std::vector<TColumn> columns{
        {"Cod_grupa", QStringLiteral("Cod_grupa"), false},
        {"Cod_MatPrim", QStringLiteral("Cod materie prima"), false},
        {"Denumire", QStringLiteral("Denumire materie prima"), false},
        {"Cant", QStringLiteral("Cantitate"), true},
        {"StocExist", QStringLiteral("Stoc existent"), true},
        {"StocFin", QStringLiteral("Stoc final"), true},
    };
    return columns;
}

// Each row's cells: CSV values, or the texts the form's grid shows. A figure that cannot be
// read or computed stops the command in both forms alike (EDatabaseError saying which):
// a table must not show the grid's "#EROARE" where the CSV stops, and end as if all were well.
std::vector<QStringList> Rows(fw::TTable* temp, bool csv)
{
    std::vector<QStringList> rows;
    for (temp->First(); !temp->Eof(); temp->Next()) {
        QStringList cells;
        for (const TColumn& c : Columns()) {
            const fw::TField* field = temp->FieldByName(QString::fromLatin1(c.Field));
            const double number = c.Number ? field->AsFloat() : 0;
            cells << (csv && c.Number ? CsvNumber(number) : csv ? field->AsString() : field->DisplayText());
        }
        rows.push_back(cells);
    }
    return rows;
}

// Columns as wide as their widest cell, numbers to the right.
QString Table(const std::vector<QStringList>& rows)
{
    QStringList titles;
    for (const TColumn& c : Columns())
        titles << c.Title;
    std::vector<qsizetype> widths;
    for (const QString& t : titles)
        widths.push_back(t.size());
    for (const QStringList& row : rows)
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row.at(qsizetype(i)).size());
    const auto line = [&](const QStringList& cells) {
        QStringList padded;
        for (size_t i = 0; i < widths.size(); ++i) {
            const QString& cell = cells.at(qsizetype(i));
            padded << (Columns()[i].Number ? cell.rightJustified(widths[i]) : cell.leftJustified(widths[i]));
        }
        return padded.join(QStringLiteral("  ")).trimmed() + QLatin1Char('\n');
    };
    QString text = line(titles);
    for (const QStringList& row : rows)
        text += line(row);
    return text;
}

int Run(const TArgs& args)
{
    const double counter = Number(args, QStringLiteral("counter"));
    const bool csv = args.isSet(QStringLiteral("csv"));
    TCompanySession company(Required(args, QStringLiteral("company")));
    TProductionData& dm = company.DataModule();
    const TPreparedDocument prepared(dm, counter);
    const std::vector<QStringList> rows = Rows(dm.Requirement().TempTable(), csv);
    if (csv) {
        QStringList header;
        for (const TColumn& c : Columns())
            header << QString::fromLatin1(c.Field);
        QString text = CsvRecord(header);
        for (const QStringList& row : rows)
            text += CsvRecord(row);
        Out(text);
        return ExitDone;
    }
    fw::TTable* receipt = dm.Requirement().DocInTable();
    Out(QStringLiteral("Fisa de necesar tehnic la documentul nr. %1 din data de %2\n\n")
            .arg(fw::FloatToStr(receipt->FieldByName(QStringLiteral("Numar"))->AsFloat(), dm.Context().Formats),
                 fw::DateToStr(receipt->FieldByName(QStringLiteral("Data"))->AsDateTime(), dm.Context().Formats)) +
        Table(rows));
    return ExitDone;
}

} // namespace

extern const TCommand RequirementCommand{
    .Name = QStringLiteral("requirement"),
    .Summary = QStringLiteral("Necesarul tehnic al unui document de intrare"),
    .Usage = QStringLiteral("requirement --company DIR --counter N [--csv]"),
    .Details =
        QStringLiteral("Calculeaza necesarul tehnic al documentului de intrare cu contorul N, ca fisa de necesar\n"
                       "tehnic: materiile prime din retetele produselor receptionate, cu stocul existent si cel\n"
                       "final. Nu scrie nimic in baza de date. Cu --csv: campurile separate prin \";\", o linie de\n"
                       "antet, numerele cu punct zecimal si fara separator de mii. Stocul lasa deoparte loturile\n"
                       "expirate cand asa cer setarile de productie din KRBDEF.INI al firmei (sectiunea [Productie],\n"
                       "cheia LoturiExpirate)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("counter"), QStringLiteral("N"), QStringLiteral("Contorul documentului de intrare.")},
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie necesarul in format CSV.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli
