#include "platform/core/Formats.h"
#include "platform/core/Readable.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fw {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

TDateTime DateToDateTime(const QDate& date) { return date.isValid() ? double(kEpoch.daysTo(date)) : 0.0; }

TDateTime QDateTimeToDateTime(const QDateTime& moment)
{
    if (!moment.isValid())
        return 0.0;
    const double days = double(kEpoch.daysTo(moment.date()));
    return days + moment.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDate DateTimeToDate(TDateTime value) { return kEpoch.addDays(qint64(std::floor(value))); }

namespace {

// The day and the time of day of a day number, found without the time zone: a local
// QDateTime asks the system's zone (a stat of /etc/localtime) at every step, which showed
// in every date a report prints.
std::pair<QDate, QTime> SplitDateTime(TDateTime value)
{
    double whole = std::floor(value);
    qint64 ms = qint64(std::llround((value - whole) * kMsPerDay));
    if (ms >= qint64(kMsPerDay)) { // rounded up to the next midnight
        whole += 1;
        ms -= qint64(kMsPerDay);
    }
    return {kEpoch.addDays(qint64(whole)), QTime::fromMSecsSinceStartOfDay(int(ms))};
}

} // namespace

QDateTime DateTimeToQDateTime(TDateTime value)
{
    const auto [date, time] = SplitDateTime(value);
    return QDateTime(date, time);
}

TDateTime Now() { return QDateTimeToDateTime(QDateTime::currentDateTime()); }
TDateTime Date() { return DateToDateTime(QDate::currentDate()); }

TFormatSettings TFormatSettings::System()
{
    TFormatSettings fs;
    const QLocale loc = QLocale::system();
    if (!loc.decimalPoint().isEmpty())
        fs.DecimalSeparator = loc.decimalPoint().at(0);
    if (!loc.groupSeparator().isEmpty())
        fs.ThousandSeparator = loc.groupSeparator().at(0);
    // The date separator is the first non-letter of the locale's short date pattern.
    const QString pattern = loc.dateFormat(QLocale::ShortFormat);
    QString order;
    for (const QChar c : pattern) {
        if (!c.isLetter() && fs.DateSeparator == QLatin1Char('/') && !order.isEmpty() && c != QLatin1Char(' ')) {
            fs.DateSeparator = c;
        }
        const QChar l = c.toLower();
        if ((l == QLatin1Char('d') || l == QLatin1Char('m') || l == QLatin1Char('y')) && !order.contains(l))
            order += l;
    }
    if (order == QLatin1String("mdy"))
        fs.ShortDateFormat = QStringLiteral("m/d/yyyy");
    else if (order == QLatin1String("ymd"))
        fs.ShortDateFormat = QStringLiteral("yyyy/mm/dd");
    else
        fs.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    return fs;
}

TFormatSettings& DefaultFormatSettings()
{
    static TFormatSettings settings = TFormatSettings::System();
    return settings;
}

double RoundHalfEven(double value)
{
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(old);
    return r;
}

double RoundHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return RoundHalfEven(value * scale) / scale;
}

bool StartsWithChar(const QString& code, QChar prefix) { return !code.isEmpty() && code.at(0) == prefix; }

QString FloatToStr(double value, const TFormatSettings& fs)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0.0)
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', 15);
    // Next to the largest double, 15 digits round up past it: such a text would read as
    // no number at all. There the shortest exact form is shown instead.
    bool readsBack = false;
    if (const double back = s.toDouble(&readsBack); !readsBack || !std::isfinite(back))
        s = QString::number(value, 'g', QLocale::FloatingPointShortest);
    // Exponent form as the system writes it: 1E20, 1.5E-7.
    const int e = int(s.indexOf(QLatin1Char('e')));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        bool neg = exp.startsWith(QLatin1Char('-'));
        if (exp.startsWith(QLatin1Char('+')) || neg)
            exp.remove(0, 1);
        while (exp.size() > 1 && exp.startsWith(QLatin1Char('0')))
            exp.remove(0, 1);
        s = mant + QLatin1Char('E') + (neg ? QStringLiteral("-") : QString()) + exp;
    }
    s.replace(QLatin1Char('.'), fs.DecimalSeparator);
    return s;
}

namespace {

// Splits a number mask into its sections, keeping quoted text whole.
QStringList SplitSections(const QString& mask)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (const QChar c : mask) {
        if (!quote.isNull()) {
            cur += c;
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            cur += c;
        } else if (c == QLatin1Char(';')) {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

// The digits of v * 10^decimals (v >= 0, finite), rounded half away from zero on the 15
// significant decimal digits a double holds: 2.675 rounds to 2.68 as written, and large
// values keep their digits (a nudge relative to the value would add to them).
std::string RoundedDigits(double v, int decimals)
{
    // Most numbers a report prints come out whole in the decimals asked for (quantities,
    // prices): those are their digits as written, no rounding to do. A product that came out
    // whole and under 15 digits is within a part in 10^16 of the value, closer than half a
    // step of the 15th digit, so the digits below would be the same; writing them out to 15
    // digits was most of a masked number's cost.
    static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11};
    if (decimals >= 0 && decimals < int(std::size(kPowers))) {
        const double scaled = v * kPowers[decimals];
        if (scaled < 1e15 && scaled == std::floor(scaled)) {
            char buffer[24];
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(scaled)).ptr;
            return std::string(buffer, end);
        }
    }
    const QString text = QString::number(v, 'e', 14); // d.dddddddddddddde+XX
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    std::string mantissa;
    mantissa.reserve(16);
    for (qsizetype i = 0; i < e; ++i)
        if (text.at(i) != QLatin1Char('.'))
            mantissa += char(text.at(i).unicode());
    // Digits of the mantissa down to the last decimal place asked for.
    const qsizetype keep = QStringView(text).mid(e + 1).toInt() + 1 + decimals;
    if (keep < 0)
        return "0";
    std::string digits = mantissa.substr(0, size_t(keep));
    digits.append(size_t(std::max<qsizetype>(0, keep - qsizetype(mantissa.size()))), '0');
    const bool up = keep < qsizetype(mantissa.size()) && mantissa[size_t(keep)] >= '5';
    if (digits.empty())
        digits = "0";
    if (up) {
        qsizetype i = qsizetype(digits.size()) - 1;
        for (; i >= 0 && digits[size_t(i)] == '9'; --i)
            digits[size_t(i)] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[size_t(i)];
    }
    return digits;
}

// A section of a number mask, read once: what stands around the number and how many
// digits it shows.
struct TNumberSection {
    bool Literal = false; // no placeholders: the section is its literal text (in Prefix)
    QString Prefix;
    QString Suffix;
    bool Exponent = false;
    QChar ExponentMark;
    bool ExponentPlus = false;
    int ExponentDigits = 0;
    bool Grouping = false;
    int MinInt = 0;
    int MaxFrac = 0;
    int MinFrac = 0;
};

TNumberSection ParseSection(const QString& section)
{
    // Find the placeholder run and the literals around it.
    int first = -1, last = -1;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('.') || c == QLatin1Char(',')) {
            if (first < 0)
                first = i;
            last = i;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && first >= 0 && i + 1 < section.size()
                   && (section.at(i + 1) == QLatin1Char('+') || section.at(i + 1) == QLatin1Char('-'))) {
            int j = i + 2;
            while (j < section.size() && section.at(j) == QLatin1Char('0'))
                ++j;
            last = j - 1;
            i = j - 1;
        }
    }
    auto literal = [](const QString& text) {
        QString out;
        QChar q;
        for (const QChar c : text) {
            if (!q.isNull()) {
                if (c == q)
                    q = QChar();
                else
                    out += c;
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                q = c;
            } else {
                out += c;
            }
        }
        return out;
    };
    TNumberSection parsed;
    if (first < 0) {
        parsed.Literal = true;
        parsed.Prefix = literal(section);
        return parsed;
    }

    parsed.Prefix = literal(section.left(first));
    parsed.Suffix = literal(section.mid(last + 1));
    const QString body = section.mid(first, last - first + 1);

    static const QRegularExpression exponent(QStringLiteral("[Ee][+-]"));
    const int expPos = int(body.indexOf(exponent));
    QString numPart = expPos >= 0 ? body.left(expPos) : body;
    const int dot = int(numPart.indexOf(QLatin1Char('.')));
    const QString intMask = dot >= 0 ? numPart.left(dot) : numPart;
    const QString fracMask = dot >= 0 ? numPart.mid(dot + 1) : QString();
    parsed.Grouping = intMask.contains(QLatin1Char(','));
    {
        const int z = int(intMask.indexOf(QLatin1Char('0')));
        if (z >= 0)
            for (int i = z; i < intMask.size(); ++i)
                if (intMask.at(i) == QLatin1Char('0') || intMask.at(i) == QLatin1Char('#'))
                    ++parsed.MinInt;
    }
    for (int i = 0; i < fracMask.size(); ++i) {
        const QChar c = fracMask.at(i);
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            ++parsed.MaxFrac;
            if (c == QLatin1Char('0'))
                parsed.MinFrac = parsed.MaxFrac;
        }
    }
    if (expPos >= 0) {
        parsed.Exponent = true;
        parsed.ExponentMark = body.at(expPos);
        parsed.ExponentPlus = body.at(expPos + 1) == QLatin1Char('+');
        parsed.ExponentDigits = int(body.size()) - expPos - 2;
    }
    return parsed;
}

QString FormatSection(const TNumberSection& section, double value, const TFormatSettings& fs)
{
    if (section.Literal)
        return section.Prefix;
    const int minInt = section.MinInt;
    const int maxFrac = section.MaxFrac;
    double v = std::fabs(value);
    QString expText;
    if (section.Exponent) {
        int exponent = 0;
        if (v != 0.0) {
            exponent = int(std::floor(std::log10(v))) - (std::max(minInt, 1) - 1);
            v /= std::pow(10.0, exponent);
            // Rounding may carry into one more integer digit.
            const double rounded = std::round(v * std::pow(10.0, maxFrac)) / std::pow(10.0, maxFrac);
            if (rounded >= std::pow(10.0, std::max(minInt, 1))) {
                v /= 10.0;
                ++exponent;
            }
        }
        QString ed = QString::number(std::abs(exponent)).rightJustified(section.ExponentDigits, QLatin1Char('0'));
        expText = section.ExponentMark
                  + QString(exponent < 0 ? QStringLiteral("-") : (section.ExponentPlus ? QStringLiteral("+") : QString()))
                  + ed;
    }

    // Worked on as ASCII digits and written once: a report prints a number or two on
    // every row, and a string for each step was most of a number's cost.
    std::string digits = RoundedDigits(v, maxFrac);
    if (qsizetype(digits.size()) <= maxFrac)
        digits.insert(0, size_t(maxFrac + 1) - digits.size(), '0');
    const size_t intEnd = digits.size() - size_t(maxFrac);
    size_t fracEnd = digits.size();
    while (qsizetype(fracEnd - intEnd) > section.MinFrac && digits[fracEnd - 1] == '0')
        --fracEnd;
    // Leading zeros stripped, then as many as the mask asks for.
    size_t intStart = 0;
    while (intStart < intEnd && digits[intStart] == '0')
        ++intStart;
    const std::string intDigits = std::string(size_t(std::max<qsizetype>(0, minInt - qsizetype(intEnd - intStart))), '0')
                                  + digits.substr(intStart, intEnd - intStart);
    QString text;
    const qsizetype n = qsizetype(intDigits.size());
    text.reserve(section.Prefix.size() + n + n / 3 + 1 + qsizetype(fracEnd - intEnd) + expText.size() + section.Suffix.size());
    text += section.Prefix;
    for (qsizetype i = 0; i < n; ++i) {
        if (section.Grouping && i > 0 && (n - i) % 3 == 0)
            text += fs.ThousandSeparator;
        text += QLatin1Char(intDigits[size_t(i)]);
    }
    if (fracEnd > intEnd) {
        text += fs.DecimalSeparator;
        text += QLatin1String(digits.data() + intEnd, qsizetype(fracEnd - intEnd));
    }
    text += expText;
    text += section.Suffix;
    return text;
}

// A mask's sections, read once for the numbers after it in the same mask: a report formats
// column after column of numbers in one mask, and reading the mask for each was most of
// the cost of a number.
struct TNumberMask {
    QString Mask;
    std::vector<TNumberSection> Sections;
    std::vector<bool> Empty; // by section: none written, the first one stands for it
};

// The last few masks read are kept: a report's columns and its event handlers' numbers take
// turns in two or three masks, and one kept mask was read again at nearly every number.
const TNumberMask& ParsedMask(const QString& mask)
{
    constexpr size_t kKept = 4;
    thread_local std::array<TNumberMask, kKept> kept;
    thread_local size_t next = 0; // the one to give up for a mask not kept
    for (const TNumberMask& known : kept)
        if (!known.Sections.empty() && known.Mask == mask)
            return known;
    TNumberMask& read = kept[next];
    next = (next + 1) % kKept;
    read.Mask = mask;
    read.Sections.clear();
    read.Empty.clear();
    for (const QString& section : SplitSections(mask)) {
        read.Sections.push_back(ParseSection(section));
        read.Empty.push_back(section.isEmpty());
    }
    return read;
}

} // namespace

QString FormatFloat(const QString& mask, double value, const TFormatSettings& fs)
{
    if (mask.isEmpty() || !std::isfinite(value))
        return FloatToStr(value, fs);
    const TNumberMask& sections = ParsedMask(mask);
    const TNumberSection* section = &sections.Sections.at(0);
    bool sign = value < 0;
    if (value < 0 && sections.Sections.size() >= 2 && !sections.Empty.at(1)) {
        section = &sections.Sections.at(1);
        sign = false;
    }
    if (value == 0.0 && sections.Sections.size() >= 3 && !sections.Empty.at(2))
        section = &sections.Sections.at(2);
    QString text = FormatSection(*section, value, fs);
    if (sign) {
        // A negative value that rounds to zero prints without its sign.
        bool anyDigit = false;
        for (const QChar c : text)
            if (c.isDigit() && c != QLatin1Char('0'))
                anyDigit = true;
        if (anyDigit)
            text.prepend(QLatin1Char('-'));
    }
    return text;
}

namespace {

// As QString::number(value).rightJustified(width, '0'), without the two strings between: a
// report prints a date or two on every row.
void AppendPadded(QString& out, int value, int width)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    const int length = int(result.ptr - digits);
    for (int i = length; i < width; ++i)
        out += QLatin1Char('0');
    out += QLatin1String(digits, length);
}

} // namespace

QString FormatDateTime(const QString& pattern, TDateTime value, const TFormatSettings& fs)
{
    const auto [d, t] = SplitDateTime(value);
    int year = 0, month = 0, day = 0;
    d.getDate(&year, &month, &day);
    // The system's names of days and months, asked for only where the pattern shows one.
    std::optional<QLocale> names;
    const auto loc = [&names]() -> const QLocale& {
        if (!names)
            names = QLocale::system();
        return *names;
    };
    QString out;
    out.reserve(pattern.size() + 8);
    int i = 0;
    const int n = int(pattern.size());
    auto runOf = [&](QChar c) {
        int j = i;
        while (j < n && pattern.at(j).toLower() == c)
            ++j;
        return j - i;
    };
    bool lastWasHour = false;
    while (i < n) {
        const QChar c = pattern.at(i);
        const QChar l = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            int j = int(pattern.indexOf(c, i + 1));
            if (j < 0)
                j = n;
            out += QStringView(pattern).mid(i + 1, j - i - 1);
            i = j + 1;
            continue;
        }
        if (l == QLatin1Char('d')) {
            const int k = runOf(l);
            if (k <= 2)
                AppendPadded(out, day, k);
            else if (k == 3)
                out += loc().dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += loc().dayName(d.dayOfWeek(), QLocale::LongFormat);
            i += k;
            lastWasHour = false;
        } else if (l == QLatin1Char('m')) {
            const int k = runOf(l);
            if (lastWasHour && k <= 2) {
                // "hh:mm" means minutes.
                AppendPadded(out, t.minute(), k);
            } else if (k <= 2)
                AppendPadded(out, month, k);
            else if (k == 3)
                out += loc().monthName(month, QLocale::ShortFormat);
            else
                out += loc().standaloneMonthName(month, QLocale::LongFormat);
            i += k;
            lastWasHour = false;
        } else if (l == QLatin1Char('y')) {
            const int k = runOf(l);
            if (k <= 2)
                AppendPadded(out, year % 100, 2);
            else
                AppendPadded(out, year, 4);
            i += k;
            lastWasHour = false;
        } else if (l == QLatin1Char('h')) {
            const int k = runOf(l);
            AppendPadded(out, t.hour(), std::min(k, 2));
            i += k;
            lastWasHour = true;
        } else if (l == QLatin1Char('n')) {
            const int k = runOf(l);
            AppendPadded(out, t.minute(), std::min(k, 2));
            i += k;
            lastWasHour = false;
        } else if (l == QLatin1Char('s')) {
            const int k = runOf(l);
            AppendPadded(out, t.second(), std::min(k, 2));
            i += k;
            lastWasHour = false;
        } else if (c == QLatin1Char('/')) {
            out += fs.DateSeparator;
            ++i;
        } else {
            if (c != QLatin1Char(':') && c != QLatin1Char(' '))
                lastWasHour = false;
            out += c;
            ++i;
        }
    }
    return out;
}

QString DateToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime(fs.ShortDateFormat, value, fs); }

QString DateText(const QDate& date, const TFormatSettings& fs)
{
    return date.isValid() ? DateToStr(DateToDateTime(date), fs) : QString();
}

QString QuantityToStr(double value, const TFormatSettings& fs) { return FormatFloat(ReadableQuantityMask, value, fs); }

std::optional<QDate> StrToDate(const QString& text, const TFormatSettings& fs)
{
    // Each part read as written: ASCII digits (another script's digits do not read as
    // their value), a number that fits, and no separator before, after or doubled.
    QList<int> parts;
    QString cur;
    const auto take = [&] {
        bool ok = false;
        const int part = cur.toInt(&ok);
        cur.clear();
        if (ok)
            parts << part;
        return ok;
    };
    for (const QChar c : text.trimmed()) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            cur += c;
        } else if (!take()) {
            return std::nullopt;
        }
    }
    if (!take() || parts.size() != 3)
        return std::nullopt;
    // Order of the parts as the short date format has them.
    QString order;
    for (const QChar c : fs.ShortDateFormat) {
        const QChar l = c.toLower();
        if ((l == QLatin1Char('d') || l == QLatin1Char('m') || l == QLatin1Char('y')) && !order.contains(l))
            order += l;
    }
    if (order.size() != 3)
        order = QStringLiteral("dmy");
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        const QChar k = order.at(i);
        if (k == QLatin1Char('d'))
            day = parts.at(i);
        else if (k == QLatin1Char('m'))
            month = parts.at(i);
        else
            year = parts.at(i);
    }
    if (year < 100)
        year += year < 50 ? 2000 : 1900;
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

namespace {

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Copies an optional sign and a run of digits of `text` from `i` into `out`; the count of digits.
int TakeSignedDigits(const QString& text, qsizetype& i, QString& out, bool sign)
{
    if (sign && i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        out += text.at(i++);
    int digits = 0;
    for (; i < text.size() && IsAsciiDigit(text.at(i)); ++i, ++digits)
        out += text.at(i);
    return digits;
}

} // namespace

std::optional<double> StrToFloat(const QString& text, const TFormatSettings& fs)
{
    // [sign] digits [decimal mark digits] [E [sign] digits], blanks around. Only the
    // settings' decimal mark: a grouping mark or the other decimal mark would otherwise be
    // read as something else, and a figure silently off by a thousand.
    const QString t = text.trimmed();
    QString number;
    qsizetype i = 0;
    int digits = TakeSignedDigits(t, i, number, true);
    if (i < t.size() && t.at(i) == fs.DecimalSeparator) {
        number += QLatin1Char('.');
        ++i;
        digits += TakeSignedDigits(t, i, number, false);
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        number += QLatin1Char('e');
        ++i;
        if (TakeSignedDigits(t, i, number, true) == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> StrToInt(const QString& text)
{
    const QString t = text.trimmed();
    QString number;
    qsizetype i = 0;
    if (TakeSignedDigits(t, i, number, true) == 0 || i != t.size())
        return std::nullopt;
    bool ok = false;
    const qint64 v = number.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace fw
