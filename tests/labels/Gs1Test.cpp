// The GS1 rules a lot label is held to, and the strings a scanner sends back. Every expected
// figure here was worked out by hand from the rules, not by the code.
#include "labels/Gs1.h"

#include <gtest/gtest.h>
#include <functional>

using namespace corvanel::gs1;

namespace {

const QString GS(GroupSeparator);

QString Refusal(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EInvalid& e) {
        return e.Message();
    }
    return QStringLiteral("(nothing refused)");
}

} // namespace

// The check digit's edges: a sum that is a multiple of ten gives 0 (not 10), one just past
// gives 9; the shorter GTINs are padded with zeros in front, which the weights must not
// notice; a GTIN-14's indicator digit counts.
TEST(Gs1, GtinCheckDigitAndPadding)
{
    const struct {
        const char* barcode;
        const char* gtin14;
    } valid[] = {
        {"9501101530003", "09501101530003"},  // 47 -> 3
        {"12345670", "00000012345670"},       // GTIN-8: 60 -> 0
        {"0000000000109", "00000000000109"},  // 1 -> 9
        {"036000291452", "00036000291452"},   // GTIN-12: 58 -> 2
        {"10012345000017", "10012345000017"}, // GTIN-14 with indicator 1: 33 -> 7
        {" 4006381333931 ", "04006381333931"}, // 89 -> 1, spaces around as typed in the catalog
    };
    for (const auto& v : valid)
        EXPECT_EQ(Gtin14(v.barcode, "02/IAURT (Iaurt)"), v.gtin14) << v.barcode;

    const struct {
        const char* barcode;
        const char* said;
    } refused[] = {
        {"9501101530004", "Codul de bare \"9501101530004\" al articolului 02/IAURT (Iaurt) are cifra de control gresita (ar fi 3)"},
        {"12345671", "are cifra de control gresita (ar fi 0)"},
        {"0000000000100", "are cifra de control gresita (ar fi 9)"},
        {"95011015300", "trebuie sa aiba 8, 12, 13 sau 14 cifre"},     // 11 digits
        {"950110153000300", "trebuie sa aiba 8, 12, 13 sau 14 cifre"}, // 15 digits
        {"95011O1530003", "trebuie sa aiba 8, 12, 13 sau 14 cifre"},   // a letter O
        {"00000000", "are numai zerouri"},
        {"", "Articolul 02/IAURT (Iaurt) nu are cod de bare (GTIN) in catalog"},
    };
    for (const auto& r : refused)
        EXPECT_TRUE(Refusal([&] { Gtin14(r.barcode, "02/IAURT (Iaurt)"); }).contains(r.said)) << r.barcode;
}

TEST(Gs1, LotsOfCharacterSet82UpToTwentyCharacters)
{
    for (const char* lot : {"L2612-01", "A", "12345678901234567890", "a/b.c_d:e;f<g=h>i?", "!\"%&'()*+,"})
        EXPECT_NO_THROW(CheckLot(lot)) << lot;
    const struct {
        QString lot;
        const char* said;
    } refused[] = {
        {"123456789012345678901", "are 21 caractere: un cod GS1 primeste cel mult 20"},
        {"L 01", "contine caracterul \" \""},
        {"L#01", "contine caracterul \"#\""},
        {QString::fromUtf8("BR\xC3\x82NZ\xC4\x82"), "contine caracterul"}, // diacritics
        {"L" + GS + "1", "contine caracterul"},
        {"", "Lotul este gol"},
    };
    for (const auto& r : refused)
        EXPECT_TRUE(Refusal([&] { CheckLot(r.lot); }).contains(r.said)) << r.lot.toStdString();
}

// A lot of 12.5 kg of cheese made on 8 December 2026, to be eaten by the 29th.
TEST(Gs1, TheElementStringOfAHandWorkedLot)
{
    const auto elements = LotElements("09501101530003", "L2612-01", {2026, 12, 8}, {2026, 12, 29}, 12.5);
    EXPECT_EQ(EncodeData(elements), "0109501101530003" "11261208" "17261229" "3102001250" "10L2612-01");
    EXPECT_EQ(HumanReadable(elements), "(01)09501101530003(11)261208(17)261229(3102)001250(10)L2612-01");
    EXPECT_EQ(BracketedAis(elements), "[01]09501101530003[11]261208[17]261229[3102]001250[10]L2612-01");
    // Not sold by weight, no shelf life: neither (3102) nor (17).
    EXPECT_EQ(EncodeData(LotElements("09501101530003", "7", {2026, 1, 31}, {}, std::nullopt)),
              "0109501101530003" "11260131" "107");
    // A lot GS1 does not allow is refused before any element is made.
    EXPECT_THROW(LotElements("09501101530003", "L 1", {2026, 1, 31}, {}, std::nullopt), EInvalid);
}

// FNC1 follows a variable-length field only when another field comes after it.
TEST(Gs1, GroupSeparatorsAfterVariableLengthFieldsOnly)
{
    EXPECT_EQ(EncodeData({{"10", "AB12"}, {"17", "261229"}}), "10AB12" + GS + "17261229");
    EXPECT_EQ(EncodeData({{"10", "AB12"}, {"21", "S1"}, {"01", "09501101530003"}}),
              "10AB12" + GS + "21S1" + GS + "0109501101530003");
    EXPECT_EQ(EncodeData({{"3102", "000100"}, {"10", "X"}}), "3102000100" "10X");
}

TEST(Gs1, NetWeightInHundredthsOfAKilogram)
{
    EXPECT_EQ(NetKgData(12.5), "001250");
    EXPECT_EQ(NetKgData(0.01), "000001");
    EXPECT_EQ(NetKgData(9999.99), "999999");
    EXPECT_EQ(NetKgData(2.346), "000235");
    for (double kg : {0.0, 0.004, -1.0, 10000.0})
        EXPECT_TRUE(Refusal([&] { NetKgData(kg); }).contains("nu poate fi scrisa intr-un cod GS1")) << kg;
}

// The same lot read back as scanners send it: a symbology identifier or none, FNC1 as the
// group separator or the AIs in parentheses, a line end after it.
TEST(Gs1, ScannedStringsWithAndWithoutFnc1)
{
    const std::vector<TElement> lot{{"01", "09501101530003"}, {"17", "261229"}, {"10", "L2612-01"}};
    const std::vector<TElement> lotAndSerial{{"01", "09501101530003"}, {"10", "L2612-01"}, {"21", "S7"}};
    const struct {
        QString scanned;
        std::vector<TElement> elements;
    } cases[] = {
        {"]C1010950110153000317261229" "10L2612-01", lot},
        {"010950110153000317261229" "10L2612-01\r\n", lot},
        {"]d2" + GS + "010950110153000317261229" "10L2612-01", lot},
        {"(01)09501101530003(17)261229(10)L2612-01", lot},
        {"]C1" "0109501101530003" "10L2612-01" + GS + "21S7", lotAndSerial},
        {"]Q30109501101530003" "10L2612-01" + GS + "21S7" + GS, lotAndSerial},
        {"(01)09501101530003(10)L2612-01(21)S7", lotAndSerial},
        // A lot may hold parentheses; only "(digits)" starts an AI.
        {"(01)09501101530003(10)L(2)", {{"01", "09501101530003"}, {"10", "L(2)"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseScanned(c.scanned), c.elements) << c.scanned.toStdString();
    EXPECT_EQ(Find(lot, "10"), "L2612-01");
    EXPECT_EQ(Find(lot, "11"), std::nullopt);

    const struct {
        QString scanned;
        const char* said;
    } refused[] = {
        {"0109501101530004" "10L1", "GTIN-ul 09501101530004 are cifra de control gresita"},
        {"01095011015300", "(01) cere 14 cifre, are \"095011015300\""},
        {"0409501101530003", "la \"0409\" nu incepe niciun identificator GS1"},
        {"(01)09501101530003(10)L 1", "contine caracterul \" \""},
        {"(04)1", "identificatorul (04) nu exista"},
        {"(01)09501101530003(17)2612", "(17) cere 6 cifre"},
        {"0109501101530003" "10", "(10) nu are date"},
        {"]C1", "nu contine nimic"},
    };
    for (const auto& r : refused)
        EXPECT_TRUE(Refusal([&] { ParseScanned(r.scanned); }).contains(r.said)) << r.scanned.toStdString();
}

TEST(Gs1, DatesWithinFiftyYearsAndDayZero)
{
    const QDate today(2026, 12, 10);
    EXPECT_EQ(ParseDate("261229", today), QDate(2026, 12, 29));
    EXPECT_EQ(ParseDate("000229", today), QDate(2000, 2, 29));
    EXPECT_EQ(ParseDate("760101", today), QDate(2076, 1, 1)); // 50 years ahead: this century
    EXPECT_EQ(ParseDate("770101", today), QDate(1977, 1, 1)); // 51 ahead: the one before
    EXPECT_EQ(ParseDate("270200", today), QDate(2027, 2, 28)); // day 00: the month's last
    EXPECT_EQ(ParseDate("280200", today), QDate(2028, 2, 29));
    for (const char* bad : {"261340", "261232", "2612", "26122A"})
        EXPECT_FALSE(ParseDate(bad, today).isValid()) << bad;
    EXPECT_EQ(ParseDate("751231", QDate(2099, 6, 1)), QDate(2075, 12, 31));
    EXPECT_EQ(ParseDate("010101", QDate(2099, 6, 1)), QDate(2101, 1, 1)); // 98 behind: the next century
}

TEST(Gs1, WhatATypedTextIs)
{
    for (const QString& gs1 : {QString("]C1010950110153000310L1"), QString("(10)L1"), "10L1" + GS + "21S",
                               QString("010950110153000310L1")})
        EXPECT_TRUE(LooksLikeElementString(gs1)) << gs1.toStdString();
    // Bare lots, one of them digits that only look like a GTIN (wrong check digit).
    for (const char* lot : {"L2612-01", "0109501101530004X", "01095011015300", "(L1)"})
        EXPECT_FALSE(LooksLikeElementString(lot)) << lot;
}
