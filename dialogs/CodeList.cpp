#include "dialogs/CodeList.h"

#include "data/Messages.h"
#include "platform/core/Exceptions.h"

namespace corvanel {

namespace {
const QChar kQuote = QLatin1Char('"');
const QChar kComma = QLatin1Char(',');

[[noreturn]] void Malformed(const QString& list)
{
    throw fw::EDatabaseError(msg::BadCodeList(list));
}
} // namespace

QString JoinCodeList(const QStringList& codes)
{
    QStringList quoted;
    quoted.reserve(codes.size());
    for (QString code : codes)
        quoted << kQuote + code.replace(kQuote, QStringLiteral("\"\"")) + kQuote;
    return quoted.join(kComma);
}

QStringList ParseCodeList(const QString& list)
{
    QStringList codes;
    if (list.isEmpty())
        return codes;
    const qsizetype n = list.size();
    qsizetype i = 0;
    for (;;) {
        if (i >= n || list.at(i) != kQuote)
            Malformed(list);
        QString code;
        ++i;
        for (;;) {
            if (i >= n)
                Malformed(list); // no closing quote
            if (list.at(i) == kQuote) {
                if (i + 1 < n && list.at(i + 1) == kQuote) {
                    code += kQuote;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            code += list.at(i++);
        }
        codes << code;
        if (i == n)
            return codes;
        if (list.at(i) != kComma)
            Malformed(list);
        ++i;
    }
}

} // namespace corvanel
