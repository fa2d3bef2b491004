#include "labels/Gs1.h"

#include <QRegularExpression>
#include <cmath>

namespace corvanel::gs1 {

namespace {

bool AllDigits(const QString& text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// How many digits the AI starting a string has, by its first two digits (GS1's table of
// AI prefixes); 0 for prefixes GS1 does not use.
int AiLength(const QString& prefix)
{
    static const QStringList two{"00", "01", "02", "10", "11", "12", "13", "15", "16", "17",
                                 "20", "21", "22", "30", "37", "90", "91", "92", "93", "94",
                                 "95", "96", "97", "98", "99"};
    static const QStringList three{"23", "24", "25", "40", "41", "42"};
    static const QStringList four{"31", "32", "33", "34", "35", "36", "39", "43", "70", "71", "72", "80", "81", "82"};
    if (two.contains(prefix))
        return 2;
    if (three.contains(prefix))
        return 3;
    return four.contains(prefix) ? 4 : 0;
}

// The length of the data of an AI that GS1 predefines as fixed-length (and so needs no
// FNC1 after it), all digits; 0 for a variable-length AI.
int FixedDataLength(const QString& ai)
{
    const int prefix = ai.left(2).toInt();
    if (prefix == 0)
        return 18;
    if (prefix == 1 || prefix == 2)
        return 14;
    if (prefix >= 11 && prefix <= 17)
        return 6;
    if (prefix == 20)
        return 2;
    if (prefix >= 31 && prefix <= 36)
        return 6;
    return prefix == 41 ? 13 : 0;
}

[[noreturn]] void RefuseScan(const QString& why)
{
    throw EInvalid(QStringLiteral("Codul citit nu este un sir GS1 valid: %1.").arg(why));
}

// The data of one AI read from a scan, held to the rules the label holds it to.
void CheckScannedData(const QString& ai, const QString& data)
{
    const int fixed = FixedDataLength(ai);
    if (fixed > 0 && (data.size() != fixed || !AllDigits(data)))
        RefuseScan(QStringLiteral("(%1) cere %2 cifre, are \"%3\"").arg(ai).arg(fixed).arg(data));
    if (data.isEmpty())
        RefuseScan(QStringLiteral("(%1) nu are date").arg(ai));
    if (ai == AiGtin && CheckDigit(data.left(13)) != data.at(13).digitValue())
        RefuseScan(QStringLiteral("GTIN-ul %1 are cifra de control gresita").arg(data));
    if (ai == AiLot)
        CheckLot(data);
}

// "(01)...(10)...": an AI is two to four digits in parentheses; what follows it, up to
// the next such AI, is its data.
std::vector<TElement> ParseParenthesised(const QString& text)
{
    static const QRegularExpression aiPattern(QStringLiteral("\\((\\d{2,4})\\)"));
    std::vector<TElement> elements;
    qsizetype at = 0;
    while (at < text.size()) {
        const QRegularExpressionMatch m = aiPattern.match(text, at, QRegularExpression::NormalMatch,
                                                          QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            RefuseScan(QStringLiteral("dupa \"%1\" trebuia un identificator intre paranteze").arg(text.left(at)));
        const QString ai = m.captured(1);
        if (AiLength(ai.left(2)) != ai.size())
            RefuseScan(QStringLiteral("identificatorul (%1) nu exista").arg(ai));
        const qsizetype dataStart = m.capturedEnd();
        const QRegularExpressionMatch next = aiPattern.match(text, dataStart);
        const qsizetype dataEnd = next.hasMatch() ? next.capturedStart() : text.size();
        elements.push_back({ai, text.mid(dataStart, dataEnd - dataStart)});
        at = dataEnd;
    }
    return elements;
}

// AIs and data run together, a variable-length field ended by a group separator.
std::vector<TElement> ParseRaw(const QString& text)
{
    std::vector<TElement> elements;
    qsizetype at = 0;
    while (at < text.size()) {
        if (text.at(at) == GroupSeparator) {
            ++at;
            continue;
        }
        const int aiLength = AiLength(text.mid(at, 2));
        if (aiLength == 0 || at + aiLength > text.size() || !AllDigits(text.mid(at, aiLength)))
            RefuseScan(QStringLiteral("la \"%1\" nu incepe niciun identificator GS1").arg(text.mid(at, 4)));
        const QString ai = text.mid(at, aiLength);
        at += aiLength;
        const int fixed = FixedDataLength(ai);
        qsizetype end = fixed > 0 ? std::min(at + fixed, text.size()) : text.indexOf(GroupSeparator, at);
        if (end < 0)
            end = text.size();
        elements.push_back({ai, text.mid(at, end - at)});
        at = end;
    }
    return elements;
}

} // namespace

int CheckDigit(const QString& digits)
{
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += digits.at(i).digitValue() * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

QString Gtin14(const QString& barcode, const QString& article)
{
    const QString code = barcode.trimmed();
    if (code.isEmpty())
        throw EInvalid(QStringLiteral("Articolul %1 nu are cod de bare (GTIN) in catalog: eticheta nu poate fi tiparita.")
                           .arg(article));
    if (!AllDigits(code) || (code.size() != 8 && code.size() != 12 && code.size() != 13 && code.size() != 14))
        throw EInvalid(QStringLiteral("Codul de bare \"%1\" al articolului %2 nu este un GTIN: trebuie sa aiba 8, 12, "
                                      "13 sau 14 cifre. Corectati-l in catalog.")
                           .arg(code, article));
    QString gtin = code.rightJustified(14, QLatin1Char('0'));
    if (gtin.left(13).count(QLatin1Char('0')) == 13)
        throw EInvalid(QStringLiteral("Codul de bare \"%1\" al articolului %2 nu este un GTIN: are numai zerouri.")
                           .arg(code, article));
    const int check = CheckDigit(gtin.left(13));
    if (gtin.at(13).digitValue() != check)
        throw EInvalid(QStringLiteral("Codul de bare \"%1\" al articolului %2 are cifra de control gresita (ar fi %3). "
                                      "Corectati-l in catalog.")
                           .arg(code, article)
                           .arg(check));
    return gtin;
}

void CheckLot(const QString& lot)
{
    static const QString set82 = QStringLiteral("!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_"
                                                "abcdefghijklmnopqrstuvwxyz");
    if (lot.isEmpty())
        throw EInvalid(QStringLiteral("Lotul este gol: un cod GS1 cere lotul."));
    if (lot.size() > 20)
        throw EInvalid(QStringLiteral("Lotul \"%1\" are %2 caractere: un cod GS1 primeste cel mult 20.")
                           .arg(lot)
                           .arg(lot.size()));
    for (const QChar c : lot)
        if (!set82.contains(c))
            throw EInvalid(QStringLiteral("Lotul \"%1\" contine caracterul \"%2\", pe care un cod GS1 nu il primeste "
                                          "(sunt permise litere fara diacritice, cifre si !\"%&'()*+,-./:;<=>?_).")
                               .arg(lot, QString(c)));
}

QString DateData(const QDate& date) { return date.toString(QStringLiteral("yyMMdd")); }

QString NetKgData(double kg)
{
    const double hundredths = std::round(kg * 100.0);
    if (!(hundredths > 0) || hundredths > 999999)
        throw EInvalid(QStringLiteral("Cantitatea neta %1 kg nu poate fi scrisa intr-un cod GS1 (intre 0,01 si "
                                      "9999,99 kg).")
                           .arg(QString::number(kg, 'f', 2)));
    return QString::number(static_cast<qint64>(hundredths)).rightJustified(6, QLatin1Char('0'));
}

std::vector<TElement> LotElements(const QString& gtin14, const QString& lot, const QDate& produced, const QDate& useBy,
                                  std::optional<double> netKg)
{
    CheckLot(lot);
    std::vector<TElement> elements{{AiGtin, gtin14}};
    if (produced.isValid())
        elements.push_back({AiProductionDate, DateData(produced)});
    if (useBy.isValid())
        elements.push_back({AiUseByDate, DateData(useBy)});
    if (netKg)
        elements.push_back({AiNetKg2, NetKgData(*netKg)});
    elements.push_back({AiLot, lot});
    return elements;
}

QString EncodeData(const std::vector<TElement>& elements)
{
    QString out;
    for (size_t i = 0; i < elements.size(); ++i) {
        out += elements[i].Ai + elements[i].Data;
        if (FixedDataLength(elements[i].Ai) == 0 && i + 1 < elements.size())
            out += GroupSeparator;
    }
    return out;
}

QString HumanReadable(const std::vector<TElement>& elements)
{
    QString out;
    for (const TElement& e : elements)
        out += QLatin1Char('(') + e.Ai + QLatin1Char(')') + e.Data;
    return out;
}

QString BracketedAis(const std::vector<TElement>& elements)
{
    QString out;
    for (const TElement& e : elements)
        out += QLatin1Char('[') + e.Ai + QLatin1Char(']') + e.Data;
    return out;
}

bool LooksLikeElementString(const QString& text)
{
    static const QRegularExpression identifier(QStringLiteral("^\\][CdQeJ][0-9]"));
    static const QRegularExpression parenthesised(QStringLiteral("^\\(\\d{2,4}\\)"));
    const QString t = text.trimmed();
    if (identifier.match(t).hasMatch() || t.contains(GroupSeparator) || parenthesised.match(t).hasMatch())
        return true;
    return t.size() > 16 && t.startsWith(AiGtin) && AllDigits(t.mid(2, 14)) &&
           CheckDigit(t.mid(2, 13)) == t.at(15).digitValue();
}

std::vector<TElement> ParseScanned(const QString& scanned)
{
    // Scanners end what they send with a line feed or carriage return.
    QString text = scanned;
    while (!text.isEmpty() && (text.back() == QLatin1Char('\r') || text.back() == QLatin1Char('\n')))
        text.chop(1);
    if (text.startsWith(QLatin1Char(']')))
        text = text.mid(3);
    if (text.isEmpty())
        RefuseScan(QStringLiteral("nu contine nimic"));
    std::vector<TElement> elements = text.startsWith(QLatin1Char('(')) ? ParseParenthesised(text) : ParseRaw(text);
    for (const TElement& e : elements)
        CheckScannedData(e.Ai, e.Data);
    return elements;
}

std::optional<QString> Find(const std::vector<TElement>& elements, const QString& ai)
{
    for (const TElement& e : elements)
        if (e.Ai == ai)
            return e.Data;
    return std::nullopt;
}

QDate ParseDate(const QString& yymmdd, const QDate& today)
{
    if (yymmdd.size() != 6 || !AllDigits(yymmdd))
        return {};
    const int yy = yymmdd.left(2).toInt();
    const int month = yymmdd.mid(2, 2).toInt();
    const int day = yymmdd.mid(4, 2).toInt();
    int century = today.year() / 100;
    const int ahead = yy - today.year() % 100;
    if (ahead >= 51)
        --century;
    else if (ahead <= -50)
        ++century;
    const int year = century * 100 + yy;
    if (day == 0) {
        const QDate first(year, month, 1);
        return first.isValid() ? QDate(year, month, first.daysInMonth()) : QDate();
    }
    return QDate(year, month, day);
}

} // namespace corvanel::gs1
