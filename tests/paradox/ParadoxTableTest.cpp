// Reading Paradox tables: every field type, code pages, memo files, and files that cannot
// be read. The tables are written by pxlib in the test itself.
#include "ParadoxWriter.h"
#include "TempDir.h"
#include "paradox/ParadoxTable.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>
#include <QtEndian>
#include <gtest/gtest.h>

// The library's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

using namespace paradox;
using namespace paradoxtest;

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Overwrite(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString Refusal(const QString& path, int codePage = 0)
{
    try {
        auto t = TParadoxTable::Open(path, codePage);
        TParadoxRow row;
        while (t->Next(row)) {
        }
    } catch (const EParadoxFile& e) {
        return e.Message();
    }
    return {};
}

// "Brânză şi ţuică" in each code page.
const QString kWord = QStringLiteral("Brânză şi ţuică");
const QByteArray kWord1250 = "Br\xE2nz\xE3 \xBAi \xFEuic\xE3";
const QByteArray kWord852 = "Br\x83nz\xC7 \xADi \xEEuic\xC7";

} // namespace

TEST(ParadoxTable, ReadsEveryFieldTypeAndEmptyValuesAsNull)
{
    testsupport::TempDir dir;
    const QString path = dir.File(QStringLiteral("TOATE.DB"));
    const QByteArray longMemo(5000, 'm');
    TFixtureTable fixture{{Alpha("Text", 20), Number("Numar"), {"Scurt", pxfShort, 2}, {"Lung", pxfLong, 4},
                     {"Auto", pxfAutoInc, 4}, {"Bani", pxfCurrency, 8}, {"Zecimal", pxfBCD, 17, 2}, Date("Data"),
                     {"Ora", pxfTime, 4}, {"Moment", pxfTimestamp, 8}, Logical("Da"), Memo("Nota", 11),
                     {"Poza", pxfGraphic, 10}, {"Octeti", pxfBytes, 3}},
                    {{kWord1250, 2.5, -7, 100000, 1, 12.25, QByteArray("-12.50"), QDate(2024, 2, 29), QTime(13, 45, 30),
                      QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), true, longMemo, QByteArray("\x89PNG"),
                      QByteArray("a\0b", 3)},
                     {QVariant(), QVariant(), QVariant(), QVariant(), 2, QVariant(), QVariant(), QVariant(), QVariant(),
                      QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
                     {QByteArray("x"), 0.0, 0, 0, 3, 0.0, QByteArray("0"), QVariant(), QVariant(), QVariant(), false,
                      QByteArray("scurt"), QVariant(), QVariant()}},
                    1250};
    ASSERT_TRUE(WriteTable(path, fixture));

    auto t = TParadoxTable::Open(path, 0);
    EXPECT_EQ(t->RowCount(), 3);
    EXPECT_EQ(t->CodePage(), 1250);
    EXPECT_TRUE(t->CodePageFromHeader());
    ASSERT_EQ(t->Fields().size(), 14u);
    EXPECT_EQ(t->Fields()[6].Type, TParadoxType::Bcd);
    EXPECT_EQ(t->MemoFileName(), QStringLiteral("TOATE.MB"));

    TParadoxRow row;
    ASSERT_TRUE(t->Next(row));
    EXPECT_TRUE(row.Faults.empty()) << row.Faults.front().Reason.toStdString();
    EXPECT_EQ(row.Number, 1);
    EXPECT_EQ(row.Values[0].toString(), kWord);
    EXPECT_EQ(row.Values[1].toDouble(), 2.5);
    EXPECT_EQ(row.Values[2].toLongLong(), -7);
    EXPECT_EQ(row.Values[3].toLongLong(), 100000);
    EXPECT_EQ(row.Values[4].toLongLong(), 1);
    EXPECT_EQ(row.Values[5].toDouble(), 12.25);
    EXPECT_EQ(row.Values[6].toDouble(), -12.5);
    EXPECT_EQ(row.Values[7].toDate(), QDate(2024, 2, 29));
    EXPECT_EQ(row.Values[8].toTime(), QTime(13, 45, 30));
    EXPECT_EQ(row.Values[9].toDateTime(), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)));
    EXPECT_EQ(row.Values[10].toBool(), true);
    EXPECT_EQ(row.Values[11].toString(), QString::fromLatin1(longMemo));
    EXPECT_EQ(row.Values[12].toByteArray(), QByteArray("\x89PNG"));
    EXPECT_EQ(row.Values[13].toByteArray(), QByteArray("a\0b", 3));

    ASSERT_TRUE(t->Next(row));
    EXPECT_TRUE(row.Faults.empty()) << row.Faults.front().Field << row.Faults.front().Reason.toStdString();
    for (int i : {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12})
        EXPECT_TRUE(row.Values[size_t(i)].isNull()) << i << row.Values[size_t(i)].toString().toStdString();

    // Zero and false are values, not empty ones.
    ASSERT_TRUE(t->Next(row));
    EXPECT_EQ(row.Values[1], QVariant(0.0));
    EXPECT_EQ(row.Values[2], QVariant(qint64(0)));
    EXPECT_EQ(row.Values[10], QVariant(false));
    EXPECT_EQ(row.Values[11].toString(), QStringLiteral("scurt"));
    EXPECT_FALSE(t->Next(row));
}

TEST(ParadoxTable, DecodesTheHeadersCodePageOrTheOneGiven)
{
    testsupport::TempDir dir;
    const QString p852 = dir.File(QStringLiteral("A.DB")), none = dir.File(QStringLiteral("B.DB"));
    ASSERT_TRUE(WriteTable(p852, {{Alpha("T", 30)}, {{kWord852}}, 852}));
    ASSERT_TRUE(WriteTable(none, {{Alpha("T", 30)}, {{kWord1250}}, 0}));

    TParadoxRow row;
    auto a = TParadoxTable::Open(p852, 1250); // the header's page wins
    ASSERT_TRUE(a->Next(row));
    EXPECT_EQ(row.Values[0].toString(), kWord);

    auto b = TParadoxTable::Open(none, 1250);
    EXPECT_FALSE(b->CodePageFromHeader());
    ASSERT_TRUE(b->Next(row));
    EXPECT_EQ(row.Values[0].toString(), kWord);

    // Without a page the text is a fault of its row, never guessed.
    auto c = TParadoxTable::Open(none, 0);
    EXPECT_EQ(c->CodePage(), 0);
    ASSERT_TRUE(c->Next(row));
    ASSERT_EQ(row.Faults.size(), 1u);
    EXPECT_TRUE(row.Values[0].isNull());

    // 0x98 stands for no character in CP1250.
    ASSERT_TRUE(WriteTable(none, {{Alpha("T", 30)}, {{QByteArray("ab\x98")}}, 1250}));
    auto d = TParadoxTable::Open(none, 0);
    ASSERT_TRUE(d->Next(row));
    ASSERT_EQ(row.Faults.size(), 1u);
    EXPECT_TRUE(row.Faults[0].Reason.contains(QStringLiteral("0x98"))) << row.Faults[0].Reason.toStdString();

    EXPECT_TRUE(Refusal(none, 1200).isEmpty()); // a header's page wins over an unusable fallback
    ASSERT_TRUE(WriteTable(none, {{Alpha("T", 30)}, {{QByteArray("x")}}, 0}));
    EXPECT_TRUE(Refusal(none, 65001).contains(QStringLiteral("65001"))); // UTF-8 is not one byte a character
}

TEST(ParadoxTable, NamesTheFileAndWhyItCannotBeRead)
{
    testsupport::TempDir dir;
    const QString path = dir.File(QStringLiteral("STOC.DB"));
    const TFixtureTable fixture{{Alpha("Cod", 10), Number("Cantitate"), Memo("Nota")}, {{QByteArray("a"), 1.0, QByteArray("m")}}, 1250};
    ASSERT_TRUE(WriteTable(path, fixture));
    const QByteArray good = Bytes(path);
    ASSERT_TRUE(Refusal(path).isEmpty());

    const auto refusedWith = [&](const QByteArray& bytes, const char* expected) {
        Overwrite(path, bytes);
        const QString why = Refusal(path);
        EXPECT_TRUE(why.startsWith(QStringLiteral("Fisierul STOC.DB nu poate fi citit: "))) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(expected))) << why.toStdString();
    };
    QByteArray b = good;
    b[0x21] = 0; // no fields
    refusedWith(b, "antetul este deteriorat");
    b = good;
    b[0x39] = 0x20; // a version that never was
    refusedWith(b, "versiunea");
    b = good;
    b[4] = 1; // a primary index, not a table
    refusedWith(b, "nu este o tabela Paradox");
    refusedWith(good.left(good.size() - 100), "trunchiat");
    refusedWith(good.left(40), "prea scurt");
    b = good;
    b[0x25] = 0x12; // a password
    refusedWith(b, "parola");

    Overwrite(path, good);
    QFile::remove(dir.File(QStringLiteral("STOC.MB")));
    EXPECT_TRUE(Refusal(path).contains(QStringLiteral("STOC.MB lipseste"))) << Refusal(path).toStdString();
    Overwrite(dir.File(QStringLiteral("stoc.mb")), QByteArray(4096, 'x'));
    EXPECT_TRUE(Refusal(path).contains(QStringLiteral("nu este un fisier memo"))) << Refusal(path).toStdString();
}

// 406 rows in the blocks, 150 in the header's count. The rows are
// never read short of what the blocks hold, and the library's English never shows.
TEST(ParadoxTable, RowsTheHeaderDoesNotCountAreADamagedTableAndTheLibraryIsSilent)
{
    testsupport::TempDir dir;
    const QString path = dir.File(QStringLiteral("STOC.DB"));
    // Rows of 8 bytes in blocks of 2 KiB: (2048 - 6) / 8 = 255 in the first, 151 in the second.
    ASSERT_TRUE(WriteTable(path, {Number("Cantitate")}, 1250, 406, [](qint64 i) { return TRow{double(i + 1)}; }));
    QByteArray b = Bytes(path);
    ASSERT_EQ(b[5], 2);
    const qint64 header = qFromLittleEndian<quint16>(b.constData() + 2);
    qToLittleEndian<quint32>(150, b.data() + 6);
    Overwrite(path, b);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Refusal(path), QStringLiteral("Fisierul STOC.DB nu poate fi citit: tabela este deteriorata (antetul ei "
                                            "numara 150 inregistrari, iar blocurile de date tin 406)."));

    // An empty first block (its rows' bytes one row short of nothing) holds none of the
    // rows: the 151 of the second block are the table's, the first of them the 256th written.
    qToLittleEndian<quint32>(151, b.data() + 6);
    qToLittleEndian<qint16>(-8, b.data() + header + 4);
    Overwrite(path, b);
    auto t = TParadoxTable::Open(path, 0);
    TParadoxRow row;
    std::vector<double> read;
    while (t->Next(row))
        read.push_back(row.Values[0].toDouble());
    ASSERT_EQ(read.size(), 151u);
    EXPECT_EQ(read.front(), 256.0);
    EXPECT_EQ(read.back(), 406.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
