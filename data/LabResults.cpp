#include "data/LabResults.h"

#include "data/Messages.h"
#include "data/ProductionData.h"
#include "platform/core/Csv.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include <QLocale>
#include <QMap>
#include <cmath>

namespace corvanel {

using namespace fw;

namespace {

const QStringList kCsvHeader{QStringLiteral("Cod_grupa"), QStringLiteral("Cod_articol"), QStringLiteral("Lot"),
                             QStringLiteral("Parametru"), QStringLiteral("Valoare"),     QStringLiteral("Data")};

std::optional<double> Number(const QVariant& v)
{
    return v.isNull() || !v.isValid() ? std::nullopt : std::optional<double>(v.toDouble());
}

QString NumberText(const std::optional<double>& v) { return v ? CsvNumber(*v) : QString(); }

// A line of a CSV split at ";", each field without its surrounding blanks and quotes.
QStringList Fields(const QString& line)
{
    QStringList fields = line.split(QLatin1Char(';'));
    for (QString& f : fields) {
        f = f.trimmed();
        if (f.size() >= 2 && f.startsWith(QLatin1Char('"')) && f.endsWith(QLatin1Char('"')))
            f = f.mid(1, f.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    }
    return fields;
}

// What is wrong with one row of the file; empty when nothing is.
QString RowProblem(Connection& engine, const QStringList& f, TLabResult& result)
{
    if (f.size() != kCsvHeader.size())
        return msg::LabRowFieldCount(int(f.size()), int(kCsvHeader.size()));
    result.Lot = {f[0], f[1], f[2]};
    if (f[0].isEmpty() || f[1].isEmpty() || f[2].isEmpty())
        return msg::LotStateNeedsLot();
    if (!ArticleExists(engine, f[0], f[1]))
        return msg::LabUnknownArticle(f[0] + QLatin1Char('/') + f[1]);
    if (!KnownLot(engine, result.Lot))
        return msg::LotNotFound(f[2], f[0] + QLatin1Char('/') + f[1]);
    const TLabParameter* parameter = FindLabParameter(f[3]);
    if (!parameter)
        return msg::LabUnknownParameter(f[3]);
    result.Parameter = parameter->Code;
    const std::optional<TLabValue> value = ReadLabValue(*parameter, f[4]);
    if (!value)
        return msg::LabBadValue(f[4], parameter->Code, LabValueWords(parameter->Kind).join(QStringLiteral(" / ")));
    result.Value = *value;
    result.Date = QDate::fromString(f[5], Qt::ISODate);
    if (!result.Date.isValid() || result.Date.toString(Qt::ISODate) != f[5])
        return msg::LabBadDate(f[5]);
    return {};
}

} // namespace

QStringList LabValueWords(TParameterKind kind)
{
    switch (kind) {
    case TParameterKind::PositiveNegative:
        return {QStringLiteral("negativ"), QStringLiteral("pozitiv")};
    case TParameterKind::AbsentPresent:
        return {QStringLiteral("absent"), QStringLiteral("prezent")};
    case TParameterKind::Number:
        break;
    }
    return {};
}

const std::vector<TLabParameter>& LabParameters()
{
    using enum TParameterKind;
    static const std::vector<TLabParameter> parameters{
        {QStringLiteral("GRASIME"), QStringLiteral("Grasime"), QStringLiteral("%"), Number},
        {QStringLiteral("PROTEINA"), QStringLiteral("Proteina"), QStringLiteral("%"), Number},
        {QStringLiteral("DENSITATE"), QStringLiteral("Densitate"), QStringLiteral("kg/l"), Number},
        {QStringLiteral("ACIDITATE"), QStringLiteral("Aciditate"), QStringLiteral("°T"), Number},
        {QStringLiteral("PH"), QStringLiteral("pH"), QString(), Number},
        {QStringLiteral("TEMPERATURA"), QStringLiteral("Temperatura"), QStringLiteral("°C"), Number},
        {QStringLiteral("PUNCT_CRIOSCOPIC"), QStringLiteral("Punct crioscopic"), QStringLiteral("°C"), Number},
        {QStringLiteral("NTG"), QStringLiteral("Numar total de germeni la 30 °C"), QStringLiteral("germeni/ml"), Number},
        {QStringLiteral("NCS"), QStringLiteral("Numar de celule somatice"), QStringLiteral("celule/ml"), Number},
        {QStringLiteral("INHIBITORI"), QStringLiteral("Substante inhibitoare"), QString(), PositiveNegative},
        {QStringLiteral("LISTERIA"), QStringLiteral("Listeria monocytogenes"), QStringLiteral("in 25 g"), AbsentPresent},
        {QStringLiteral("ECOLI"), QStringLiteral("Escherichia coli"), QStringLiteral("ufc/g"), Number},
        {QStringLiteral("ENTEROBACTERIACEAE"), QStringLiteral("Enterobacteriaceae"), QStringLiteral("ufc/ml"), Number},
        {QStringLiteral("STAFILOCOCI"), QStringLiteral("Stafilococi coagulazo-pozitivi"), QStringLiteral("ufc/g"), Number},
    };
    return parameters;
}

const TLabParameter* FindLabParameter(const QString& code)
{
    for (const TLabParameter& p : LabParameters())
        if (p.Code.compare(code.trimmed(), Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

QString TLabValue::Text() const { return Number ? CsvNumber(*Number) : Word; }

std::optional<TLabValue> ReadLabValue(const TLabParameter& parameter, const QString& text)
{
    const QString t = text.trimmed();
    if (parameter.Kind != TParameterKind::Number) {
        if (LabValueWords(parameter.Kind).contains(t.toLower()))
            return TLabValue{std::nullopt, t.toLower()};
        return std::nullopt;
    }
    // "1,5" is no number here: a laboratory's file is read the same whatever the locale.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return TLabValue{value, {}};
}

bool Conforms(const TLabNorm& norm, const TLabValue& value)
{
    if (!norm.Found)
        return true;
    if (value.Number)
        return !(norm.Minimum && *value.Number < *norm.Minimum) && !(norm.Maximum && *value.Number > *norm.Maximum);
    return norm.Expected.isEmpty() || norm.Expected.compare(value.Word, Qt::CaseInsensitive) == 0;
}

TLabNorm NormOf(Connection& engine, const QString& group, const QString& code, const QString& parameter)
{
    // The article's own row sorts before the group's (whose article is null).
    TLabNorm norm;
    engine.ForEachRow(QStringLiteral("SELECT Minim, Maxim, Asteptat FROM NormeCalitate WHERE Cod_grupa = ? AND Parametru = ? "
                                     "AND (Cod_articol = ? OR Cod_articol IS NULL) ORDER BY CASE WHEN Cod_articol IS NULL "
                                     "THEN 1 ELSE 0 END"),
                      {group, parameter, code}, [&](const NativeRow& row) {
                          if (norm.Found)
                              return;
                          norm = {Number(row.Value(0)), Number(row.Value(1)), row.Value(2).toString(), true};
                      });
    return norm;
}

std::vector<TLabResult> ReadLabCsv(Connection& engine, const QByteArray& text)
{
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    QString head = lines.isEmpty() ? QString() : lines.first();
    if (head.startsWith(QChar(0xFEFF)))
        head.remove(0, 1);
    if (Fields(head) != kCsvHeader)
        throw ELabImportRefused(msg::LabBadHeader(kCsvHeader.join(QLatin1Char(';'))));
    std::vector<TLabResult> results;
    QStringList problems;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        TLabResult result;
        const QString problem = RowProblem(engine, Fields(lines[i]), result);
        if (problem.isEmpty())
            results.push_back(std::move(result));
        else
            problems << msg::LabRow(int(i + 1), problem);
    }
    if (!problems.isEmpty())
        throw ELabImportRefused(msg::LabImportRefused(problems));
    if (results.empty())
        throw ELabImportRefused(msg::LabNothingToImport());
    return results;
}

QStringList RecordLabResults(TProductionData& dm, const std::vector<TLabResult>& results, const QString& agent,
                             const QDateTime& at)
{
    Connection& engine = *dm.ProductionDatabase->GetConnection();
    TTransaction tx(*dm.ProductionDatabase);
    LockLotWriters(engine);
    std::vector<QVariantList> rows;
    // Each lot out of norm with the parameters that put it there, in the order met.
    QMap<QString, std::pair<TLotId, QStringList>> outOfNorm;
    QStringList order;
    for (const TLabResult& r : results) {
        const TLabNorm norm = NormOf(engine, r.Lot.Group, r.Lot.Code, r.Parameter);
        const bool conforms = Conforms(norm, r.Value);
        rows.push_back({r.Lot.Group, r.Lot.Code, r.Lot.Lot, r.Parameter, r.Value.Number ? QVariant(*r.Value.Number) : QVariant(),
                        r.Value.Word, r.Date, r.Sample, r.Laboratory, agent, conforms});
        if (conforms)
            continue;
        const QString name = r.Lot.Group + QLatin1Char('/') + r.Lot.Code + QLatin1Char(' ') + r.Lot.Lot;
        if (!outOfNorm.contains(name))
            order << name;
        auto& [lot, parameters] = outOfNorm[name];
        lot = r.Lot;
        parameters << r.Parameter + QLatin1Char('=') + r.Value.Text();
    }
    const QStringList columns{QStringLiteral("Cod_grupa"),    QStringLiteral("Cod_articol"), QStringLiteral("Lot"),
                              QStringLiteral("Parametru"),    QStringLiteral("Valoare"),     QStringLiteral("Valoare_text"),
                              QStringLiteral("Data"),         QStringLiteral("Proba"),       QStringLiteral("Laborator"),
                              QStringLiteral("Agent"),        QStringLiteral("Conform")};
    engine.ForEachRowOf(InsertStatements(QStringLiteral("AnalizeLot"), columns, rows), {});
    engine.Touch(QStringLiteral("AnalizeLot"));
    const QString nonConforming = LotStateName(TLotState::NonConforming);
    for (const QString& name : order) {
        const auto& [lot, parameters] = outOfNorm[name];
        if (LotStandingOf(engine, lot).State != nonConforming)
            RecordLotState(engine, lot, TLotState::NonConforming, msg::OutOfNormReason(parameters), agent, at);
    }
    tx.Commit();
    return order;
}

const QStringList& LabResultColumns()
{
    static const QStringList columns{QStringLiteral("Cod_grupa"), QStringLiteral("Cod_articol"), QStringLiteral("Lot"),
                                     QStringLiteral("Parametru"), QStringLiteral("Valoare"),     QStringLiteral("Unitate"),
                                     QStringLiteral("Minim"),     QStringLiteral("Maxim"),       QStringLiteral("Asteptat"),
                                     QStringLiteral("Conform"),   QStringLiteral("Data"),        QStringLiteral("Agent")};
    return columns;
}

std::vector<QStringList> ListLabResults(Connection& engine, const TLotId& only)
{
    QString sql = QStringLiteral("SELECT Cod_grupa, Cod_articol, Lot, Parametru, Valoare, Valoare_text, Conform, Data, Agent "
                                 "FROM AnalizeLot");
    QVariantList values;
    if (!only.Lot.isEmpty()) {
        sql += QStringLiteral(" WHERE Cod_grupa = ? AND Cod_articol = ? AND Lot = ?");
        values << only.Group << only.Code << only.Lot;
    }
    std::vector<QStringList> rows;
    engine.ForEachRow(sql + QStringLiteral(" ORDER BY ") + engine.RowIdColumn(), values, [&](const NativeRow& row) {
        const QVariant number = row.Value(4);
        const QDate date = StoredDate(row.Value(7));
        rows.push_back({row.Value(0).toString(), row.Value(1).toString(), row.Value(2).toString(), row.Value(3).toString(),
                        number.isNull() ? row.Value(5).toString() : CsvNumber(number.toDouble()),
                        row.Value(6).toInt() != 0 ? QStringLiteral("da") : QStringLiteral("nu"), date.toString(Qt::ISODate),
                        row.Value(8).toString()});
    });
    // Each with its unit and the norm in force now (read after the results: one statement at a time).
    for (QStringList& r : rows) {
        const TLabParameter* parameter = FindLabParameter(r[3]);
        const TLabNorm norm = NormOf(engine, r[0], r[1], r[3]);
        r = QStringList{r[0], r[1], r[2], r[3], r[4], parameter ? parameter->Unit : QString(), NumberText(norm.Minimum),
                        NumberText(norm.Maximum), norm.Expected, r[5], r[6], r[7]};
    }
    return rows;
}

QString LabResultsCsv(Connection& engine, const TLotId& only)
{
    QString out = CsvRecord(LabResultColumns());
    for (const QStringList& row : ListLabResults(engine, only))
        out += CsvRecord(row);
    return out;
}

} // namespace corvanel
