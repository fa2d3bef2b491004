// Numbers and dates as the user types them, in the C locale's conventions and in the
// Romanian ones. Text read as a value writes as text that reads back as the same value
// and writes the same again; what is accepted is only the locale's own form of a number
// (its decimal mark, no grouping) and of a date (day, month and year in ASCII digits, each
// read as written).
#include "FuzzInput.h"
#include "platform/core/Formats.h"

#include <QRegularExpression>
#include <cstring>

namespace {

fw::TFormatSettings Settings(QChar decimal, QChar thousands, QChar dateSeparator)
{
    fw::TFormatSettings fs;
    fs.DecimalSeparator = decimal;
    fs.ThousandSeparator = thousands;
    fs.DateSeparator = dateSeparator;
    fs.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    return fs;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckNumber(const QString& text, const fw::TFormatSettings& fs)
{
    const auto value = fw::StrToFloat(text, fs);
    if (value) {
        const QString mark = QRegularExpression::escape(QString(fs.DecimalSeparator));
        static thread_local QRegularExpression form;
        form.setPattern(QStringLiteral("^[+-]?([0-9]+(%1[0-9]*)?|%1[0-9]+)([eE][+-]?[0-9]+)?$").arg(mark));
        FUZZ_CHECK(form.match(text.trimmed()).hasMatch());
        const QString shown = fw::FloatToStr(*value, fs);
        const auto again = fw::StrToFloat(shown, fs);
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(fw::FloatToStr(*again, fs) == shown);
    }
    if (const auto whole = fw::StrToInt(text)) {
        static const QRegularExpression form(QStringLiteral("^[+-]?[0-9]+$"));
        FUZZ_CHECK(form.match(text.trimmed()).hasMatch());
        FUZZ_CHECK(fw::StrToInt(QString::number(*whole)) == whole);
        FUZZ_CHECK(value && *value == double(*whole));
    }
}

void CheckDate(const QString& text, const fw::TFormatSettings& fs)
{
    const auto date = fw::StrToDate(text, fs);
    if (!date)
        return;
    static const QRegularExpression form(QStringLiteral("^([0-9]+)[^0-9]([0-9]+)[^0-9]([0-9]+)$"));
    const auto parts = form.match(text.trimmed());
    FUZZ_CHECK(parts.hasMatch());
    // Each part as written; a two-digit year is 1950-2049.
    const auto number = [&](int i) {
        QString digits = parts.captured(i);
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1); // leading zeros are no fault
        bool ok = false;
        const qint64 n = digits.size() <= 18 ? digits.toLongLong(&ok) : -1;
        return ok ? n : -1;
    };
    qint64 year = number(3);
    if (year >= 0 && year < 100)
        year += year < 50 ? 2000 : 1900;
    FUZZ_CHECK(date->day() == number(1) && date->month() == number(2) && date->year() == year);

    const QString shown = fw::DateToStr(fw::DateToDateTime(*date), fs);
    const auto again = fw::StrToDate(shown, fs);
    FUZZ_CHECK(again == date);
    FUZZ_CHECK(fw::DateToStr(fw::DateToDateTime(*again), fs) == shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const fw::TFormatSettings c = Settings(QLatin1Char('.'), QLatin1Char(','), QLatin1Char('/'));
    static const fw::TFormatSettings romanian = Settings(QLatin1Char(','), QLatin1Char('.'), QLatin1Char('.'));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const fw::TFormatSettings* fs : {&c, &romanian}) {
        CheckNumber(text, *fs);
        CheckDate(text, *fs);
    }

    // Any finite double the program holds is shown as text that reads back as a value
    // shown the same.
    if (size >= sizeof(double)) {
        double v = 0;
        std::memcpy(&v, data, sizeof v);
        if (std::isfinite(v)) {
            for (const fw::TFormatSettings* fs : {&c, &romanian}) {
                const QString shown = fw::FloatToStr(v, *fs);
                const auto again = fw::StrToFloat(shown, *fs);
                FUZZ_CHECK(again.has_value());
                FUZZ_CHECK(fw::FloatToStr(*again, *fs) == shown);
                FUZZ_CHECK(SameBits(v, *again) || std::abs(v - *again) <= std::abs(v) * 1e-14);
            }
        }
    }
    return 0;
}
