#pragma once

// Laboratory results of lots, judged against the quality norms: the parameters a dairy's
// laboratory measures, how a value is read and judged, a laboratory's CSV brought in whole
// or not at all, and the results listed. A result out of its norm makes its lot
// non-conforming (LotStatus), in the same transaction.

#include "data/LotStatus.h"
#include "platform/core/Exceptions.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fw {
class Connection;
}

namespace corvanel {

class TProductionData;

// What a parameter's value is: a number, or one of two words.
enum class TParameterKind {
    Number,
    PositiveNegative, // "pozitiv" / "negativ"
    AbsentPresent,    // "absent" / "prezent"
};

struct TLabParameter {
    QString Code;
    QString Name;
    QString Unit;
    TParameterKind Kind;
};

// The parameters the laboratory reports, by code ("GRASIME", "NTG", ...).
const std::vector<TLabParameter>& LabParameters();
const TLabParameter* FindLabParameter(const QString& code);
// The two words of a kind, the conforming one first; none for a number.
QStringList LabValueWords(TParameterKind kind);

// A value as read: a number, or the kind's word in lower case.
struct TLabValue {
    std::optional<double> Number;
    QString Word;
    QString Text() const; // as a file for machines writes it
};
// A value written with "." (no grouping) for a number, or one of the kind's words in any
// case; none when it is neither.
std::optional<TLabValue> ReadLabValue(const TLabParameter& parameter, const QString& text);

// A norm of a parameter: a minimum and a maximum (either may be missing), or the word
// expected. A value exactly at a limit conforms.
struct TLabNorm {
    std::optional<double> Minimum;
    std::optional<double> Maximum;
    QString Expected;
    bool Found = false; // no norm: any value conforms
};
bool Conforms(const TLabNorm& norm, const TLabValue& value);
// The norm of a parameter for an article: its own, else its group's (a norm row without an
// article).
TLabNorm NormOf(fw::Connection& engine, const QString& group, const QString& code, const QString& parameter);

struct TLabResult {
    TLotId Lot;
    QString Parameter;
    TLabValue Value;
    QDate Date;
    QString Sample;
    QString Laboratory;
};

// A laboratory's CSV refused: the message names every row that was wrong.
class ELabImportRefused final : public fw::Exception {
public:
    using fw::Exception::Exception;
};

// The results of a laboratory's CSV (UTF-8, ";" between fields, the header
// Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data), each row checked: a lot the company
// has, a known parameter, a value of its kind, a date YYYY-MM-DD. ELabImportRefused naming
// each bad row when any is.
std::vector<TLabResult> ReadLabCsv(fw::Connection& engine, const QByteArray& text);

// Writes the results, each judged against its norm, in one transaction under the lots'
// writers' lock; each lot with a result out of its norm becomes non-conforming (unless it
// already is), the parameters out of norm given as the reason. Returns those lots, as
// "group/code lot".
QStringList RecordLabResults(TProductionData& dm, const std::vector<TLabResult>& results, const QString& agent,
                             const QDateTime& at = QDateTime::currentDateTime());

// The results recorded, with their unit, the norm in force and the verdict given, of one
// article's lot when given (empty: every result), in the order recorded: each a row of
// the fields LabResultColumns names ("da"/"nu" for the verdict, dates YYYY-MM-DD); and
// the same as CSV, a header line first.
const QStringList& LabResultColumns();
std::vector<QStringList> ListLabResults(fw::Connection& engine, const TLotId& only);
QString LabResultsCsv(fw::Connection& engine, const TLotId& only);

} // namespace corvanel
