#pragma once

// GS1 element strings: what a lot label's barcodes carry and what a scanner types back.
// An element string is a run of application identifiers (AIs), each followed by its data;
// the data of a variable-length AI ends at an FNC1, which a scanner sends as the ASCII
// group separator (0x1D), unless it is the last. People read the same string with each AI
// in parentheses. Nothing here knows of barcodes or of the company: only the rules of the
// data, so that bad input is refused before anything prints.

#include "platform/core/Exceptions.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace corvanel::gs1 {

// What the rules refuse; the message names the value and why, in the user's words.
class EInvalid final : public fw::Exception {
public:
    using Exception::Exception;
};

// The group separator a scanner sends for FNC1.
inline constexpr QChar GroupSeparator = QChar(0x1D);

// The AIs a lot label writes.
inline const QString AiGtin = QStringLiteral("01");
inline const QString AiLot = QStringLiteral("10");
inline const QString AiProductionDate = QStringLiteral("11");
inline const QString AiUseByDate = QStringLiteral("17");
inline const QString AiNetKg2 = QStringLiteral("3102"); // net weight, kg, two decimals

struct TElement {
    QString Ai;
    QString Data;
    bool operator==(const TElement&) const = default;
};

// The check digit of the digits before it: from the right, weights 3, 1, 3, ...
int CheckDigit(const QString& digits);

// The GTIN-14 of a catalog barcode that is a GTIN-8, -12, -13 or -14 (zeros in front), its
// check digit verified. EInvalid naming the article (`article`, as the user knows it) when
// the barcode is empty, not digits, of another length, or ends in a wrong check digit.
QString Gtin14(const QString& barcode, const QString& article);

// EInvalid unless the lot can be written under AI (10): 1 to 20 characters of GS1's
// character set 82 (letters, digits and !"%&'()*+,-./:;<=>?_ — no spaces, no diacritics).
void CheckLot(const QString& lot);

// A date as (11) and (17) write it, YYMMDD.
QString DateData(const QDate& date);
// A net weight in kg as (3102) writes it, in hundredths of a kg on six digits. EInvalid
// when it is not positive or does not fit (999999 hundredths).
QString NetKgData(double kg);

// The elements a lot label carries, in the order they are encoded: the fixed-length ones
// first and the lot last, so that no FNC1 is needed between them. `netKg` is given for
// articles sold by weight.
std::vector<TElement> LotElements(const QString& gtin14, const QString& lot, const QDate& produced, const QDate& useBy,
                                  std::optional<double> netKg);

// The element string as scanners send it: the AIs and their data, FNC1 (0x1D) after each
// variable-length field but the last.
QString EncodeData(const std::vector<TElement>& elements);
// The same with each AI in parentheses and no separators, as printed under the barcode.
QString HumanReadable(const std::vector<TElement>& elements);
// The same with each AI in square brackets, as the barcode library takes it.
QString BracketedAis(const std::vector<TElement>& elements);

// Whether a typed text is a GS1 string rather than a bare lot code: a symbology identifier
// in front, a group separator, a leading "(NN)", or a GTIN (01) with a valid check digit
// followed by more.
bool LooksLikeElementString(const QString& text);

// The elements of a scanned string: with or without a symbology identifier ("]C1", "]d2",
// "]Q3", "]e0", "]J1"), with FNC1 as 0x1D or with the AIs in parentheses. EInvalid naming
// what cannot be read: an AI that GS1 does not define, fixed-length data of the wrong length
// or not digits, a GTIN with a wrong check digit, a lot GS1 does not allow.
std::vector<TElement> ParseScanned(const QString& scanned);
// The data of the first element with the AI; none when absent.
std::optional<QString> Find(const std::vector<TElement>& elements, const QString& ai);
// A date of (11), (13), (15), (17): the century the one within fifty years of `today`; day
// 00 means the last day of the month. Invalid for data that is no date.
QDate ParseDate(const QString& yymmdd, const QDate& today = QDate::currentDate());

} // namespace corvanel::gs1
