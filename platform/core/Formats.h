#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace fw {

// A moment as the system stores it: days since 30 December 1899, the fraction being the
// time of day. Counters and document dates travel in this form between the modules.
using TDateTime = double;

TDateTime DateToDateTime(const QDate& date);
TDateTime QDateTimeToDateTime(const QDateTime& moment);
QDate DateTimeToDate(TDateTime value);
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime Now();
TDateTime Date();

// Number and date conventions used when values become text. Each module keeps its own
// copy (the add-on changes its short date format at a moment of its own).
struct TFormatSettings {
    QChar DecimalSeparator = QLatin1Char('.');
    QChar ThousandSeparator = QLatin1Char(',');
    QChar DateSeparator = QLatin1Char('/');
    QString ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    QString LongTimeFormat = QStringLiteral("hh:nn:ss");

    // The conventions of the user's locale.
    static TFormatSettings System();
};

// The framework's defaults (the user's locale), used where no module passes its own.
TFormatSettings& DefaultFormatSettings();

// Shortest text of a number with up to 15 significant digits ("125", "0.5", "1E20").
QString FloatToStr(double value, const TFormatSettings& fs = DefaultFormatSettings());

// Formats a number by a mask: 0 and # digit places, "." decimal point, "," grouping,
// E+00 exponent, quoted literals, and up to three sections positive;negative;zero.
QString FormatFloat(const QString& mask, double value, const TFormatSettings& fs = DefaultFormatSettings());

// Formats a date by a pattern of d/dd/ddd/dddd, m/mm/mmm/mmmm, yy/yyyy, h/hh, n/nn,
// s/ss and quoted literals; "/" stands for the date separator and ":" for the time one.
// Letters are case-insensitive.
QString FormatDateTime(const QString& pattern, TDateTime value, const TFormatSettings& fs = DefaultFormatSettings());
QString DateToStr(TDateTime value, const TFormatSettings& fs = DefaultFormatSettings());

// Reads a date written by the day/month/year order of the short date format; any single
// non-digit separates the parts. Empty result when the text is not a valid date.
std::optional<QDate> StrToDate(const QString& text, const TFormatSettings& fs = DefaultFormatSettings());

// Reads a number as a user types it: digits with the settings' decimal separator, an
// optional sign and exponent ("-1,5E3" in a Romanian locale). Nothing else: no grouping
// mark, not the other decimal mark, no "nan" or "inf", nothing beyond the range of a
// double. Empty result when the text is not such a number.
std::optional<double> StrToFloat(const QString& text, const TFormatSettings& fs = DefaultFormatSettings());
// Reads a whole number: digits with an optional sign, nothing else. Empty result when the
// text is not one or is beyond 64 bits.
std::optional<qint64> StrToInt(const QString& text);

// Rounds to the nearest whole number, halves going to the even neighbour (2.5 -> 2).
double RoundHalfEven(double value);
// Rounds to a number of decimals, halves to even on the scaled value.
double RoundHalfEven(double value, int decimals);

// True when code's first character is prefix; an empty code starts with nothing.
bool StartsWithChar(const QString& code, QChar prefix);

} // namespace fw
