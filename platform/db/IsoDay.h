#pragma once

#include <QDate>

namespace fw {

// The day written in the first ten characters of `text` as YYYY-MM-DD, every digit there;
// an invalid date for anything else, or for a day no calendar has (2025-02-30). Dates are
// read this way by the thousand (a report's rows), where a general parser would cost more
// than the query. `Char` is char (the server's bytes) or char16_t (a string's units).
template <typename Char>
QDate IsoDay(const Char* text, qsizetype length)
{
    if (length < 10 || text[4] != Char('-') || text[7] != Char('-'))
        return QDate();
    int parts[3] = {0, 0, 0};
    constexpr int kFrom[3] = {0, 5, 8};
    constexpr int kTo[3] = {4, 7, 10};
    for (int p = 0; p < 3; ++p) {
        for (int i = kFrom[p]; i < kTo[p]; ++i) {
            const Char c = text[i];
            if (c < Char('0') || c > Char('9'))
                return QDate();
            parts[p] = parts[p] * 10 + int(c - Char('0'));
        }
    }
    return QDate(parts[0], parts[1], parts[2]);
}

} // namespace fw
