// What a field accepts: numbers as a user of the locale types them and nothing that would
// be read as another figure, integers within their type, dates the file can hold, text cut
// between characters; and SQL that names a column that is not there.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/db/IsoDay.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>

using namespace fw;
using namespace testsupport;

namespace {

// The number conventions of a Romanian desktop for as long as it lives.
class RomanianNumbers {
public:
    RomanianNumbers() : saved_(DefaultFormatSettings())
    {
        DefaultFormatSettings().DecimalSeparator = QLatin1Char(',');
        DefaultFormatSettings().ThousandSeparator = QLatin1Char('.');
    }
    ~RomanianNumbers() { DefaultFormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

TEST(Values, NumbersTakeTheLocalesDecimalMarkOnly)
{
    TFormatSettings ro;
    ro.DecimalSeparator = QLatin1Char(',');
    ro.ThousandSeparator = QLatin1Char('.');
    TFormatSettings c; // '.' and ','
    struct Case {
        const char* text;
        std::optional<double> ro, c;
    } cases[] = {
        {"0,5", 0.5, std::nullopt},
        {"0.5", std::nullopt, 0.5},
        {"1.500", std::nullopt, 1.5}, // never 1500
        {"1.500,25", std::nullopt, std::nullopt},
        {" -2,5E3 ", -2500.0, std::nullopt},
        {",5", 0.5, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"-inf", std::nullopt, std::nullopt},
        {"1e400", std::nullopt, std::nullopt}, // beyond a double
        {"0x10", std::nullopt, std::nullopt},
        {"1 000", std::nullopt, std::nullopt},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        EXPECT_EQ(StrToFloat(QString::fromLatin1(k.text), ro), k.ro);
        EXPECT_EQ(StrToFloat(QString::fromLatin1(k.text), c), k.c);
    }
}

// What a number is shown as reads back as a number shown the same, up to the largest
// double, where 15 digits would round past it (found by fuzz/TypedValuesFuzzer.cpp).
TEST(Values, NumbersShownReadBack)
{
    TFormatSettings ro;
    ro.DecimalSeparator = QLatin1Char(',');
    const struct {
        double value;
        const char* shown; // in the Romanian conventions
    } cases[] = {
        {1.7976931348623157e308, "1,7976931348623157E308"},
        {-1.7976931348623157e308, "-1,7976931348623157E308"},
        {1.79769313486231e308, "1,79769313486231E308"}, // 15 digits hold it
        {0.1, "0,1"},
        {4.9406564584124654e-324, "4,94065645841247E-324"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.shown);
        EXPECT_EQ(FloatToStr(k.value, ro), QString::fromLatin1(k.shown));
        const std::optional<double> back = StrToFloat(QString::fromLatin1(k.shown), ro);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(FloatToStr(*back, ro), QString::fromLatin1(k.shown));
    }
}

// Numbers in masks that take turns, more of them than are kept read: each is written in its
// own mask, whichever came before.
TEST(Values, NumbersInMasksTakingTurnsKeepTheirOwn)
{
    const TFormatSettings c; // '.' and ','
    const struct {
        const char* mask;
        double value;
        const char* shown;
    } cases[] = {
        {"#,##0.00", 1234.5, "1,234.50"}, {"0.000", 2.5, "2.500"},     {"#,##0", -1234567, "-1,234,567"},
        {"0.0;(0.0)", -3.5, "(3.5)"},     {"00000", 42, "00042"},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& k : cases) {
            SCOPED_TRACE(k.mask);
            EXPECT_EQ(FormatFloat(QString::fromLatin1(k.mask), k.value, c), QString::fromLatin1(k.shown));
        }
}

// Day, month and year as written, one mark between them and nothing around (trailing
// marks, other scripts' digits and parts past an int were found by fuzz/TypedValuesFuzzer.cpp).
TEST(Values, DatesTakeTheirPartsAsWritten)
{
    TFormatSettings ro;
    ro.DateSeparator = QLatin1Char('.');
    const struct {
        const char* text;
        std::optional<QDate> date;
    } cases[] = {
        {" 31.12.2026 ", QDate(2026, 12, 31)},
        {"29/02/24", QDate(2024, 2, 29)},
        {"1-2-49", QDate(2049, 2, 1)},
        {"1-2-50", QDate(1950, 2, 1)},
        {"29/02/24-", std::nullopt},
        {".29.02.24", std::nullopt},
        {"29..02.24", std::nullopt},
        {"29.02", std::nullopt},
        {"1.1.\u0662", std::nullopt}, // ARABIC-INDIC DIGIT TWO
        {"1.1.4294967296", std::nullopt}, // read as 0 it was the year 2000
        {"31.11.2026", std::nullopt},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.text);
        EXPECT_EQ(StrToDate(QString::fromUtf8(k.text), ro), k.date);
    }
}

// Stored dates, read by the thousand: the server's bytes and a file's strings alike.
TEST(Values, StoredDaysReadFromTheirFirstTenCharacters)
{
    const struct {
        const char* text;
        QDate day;
    } cases[] = {
        {"2025-02-03", QDate(2025, 2, 3)},
        {"2024-02-29 10:00:00", QDate(2024, 2, 29)},
        {"2025-02-30", QDate()},
        {"0000-01-01", QDate()}, // no year 0
        {"2025-2-03", QDate()},
        {"2025/02/03", QDate()},
        {"2025-1a-03", QDate()},
        {"2025-02-0", QDate()},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.text);
        EXPECT_EQ(IsoDay(k.text, qsizetype(std::strlen(k.text))), k.day);
        const QString text = QString::fromLatin1(k.text);
        EXPECT_EQ(IsoDay(reinterpret_cast<const char16_t*>(text.constData()), text.size()), k.day);
    }
}

class FieldValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<TFieldDef> fields{{"Cant", TFieldType::Float},   {"Mic", TFieldType::Smallint},
                                            {"Nr", TFieldType::Integer},   {"Cuvant", TFieldType::Word},
                                            {"Data", TFieldType::Date},    {"Den", TFieldType::String, 4}};
        CreateTable(dir.Path(), "V.DB", fields);
        table = std::make_unique<TTable>();
        table->SetDatabaseName(dir.Path());
        table->SetTableName("V.DB");
        for (const TFieldDef& f : fields)
            table->AddField(f.Name, f.DataType, f.Size);
        table->Open();
        table->Append();
    }
    DatabaseDir dir;
    std::unique_ptr<TTable> table;
};

TEST_F(FieldValues, TypedTextIsRefusedWithTheFieldsMessageRatherThanReadAsAnotherValue)
{
    RomanianNumbers ro;
    struct Case {
        const char* field;
        const char* text;
        QVariant stored; // invalid: refused, the field keeps its value
    } cases[] = {
        {"Cant", "0,5", 0.5},
        {"Cant", "0.5", {}},
        {"Cant", "1.500", {}},
        {"Cant", "nan", {}},
        {"Mic", "32767", 32767},
        {"Mic", "32768", {}},
        {"Mic", "-32769", {}},
        {"Nr", "2147483648", {}},
        {"Nr", "1.000", {}},
        {"Nr", "-12", -12},
        {"Cuvant", "-1", {}},
        {"Cuvant", "65536", {}},
        {"Data", "31/12/9999", QDate(9999, 12, 31)},
        {"Data", "01/01/10000", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        TField* f = table->FieldByName(c.field);
        f->Clear();
        if (c.stored.isValid()) {
            f->SetText(QString::fromLatin1(c.text));
            EXPECT_EQ(f->Value(), c.stored);
        } else {
            try {
                f->SetText(QString::fromLatin1(c.text));
                ADD_FAILURE() << "accepted as " << f->AsString().toStdString();
            } catch (const EConvertError& e) {
                EXPECT_TRUE(e.Message().contains(QString::fromLatin1(c.field))) << e.Message().toStdString();
                // What was typed is what the message shows.
                if (std::strcmp(c.text, "nan") != 0) {
                    EXPECT_TRUE(e.Message().contains(QString::fromLatin1(c.text))) << e.Message().toStdString();
                }
                EXPECT_TRUE(e.Message().contains(QStringLiteral(" nu este ")) || e.Message().contains(QStringLiteral("in afara")))
                    << e.Message().toStdString();
            }
            EXPECT_TRUE(f->IsNull());
        }
    }
    // Assigned by a program, out of range is refused just the same.
    EXPECT_THROW(table->FieldByName("Nr")->SetAsInteger(qint64(1) << 40), EConvertError);
    EXPECT_THROW(table->FieldByName("Mic")->SetAsFloat(1e20), EConvertError);
    EXPECT_THROW(table->FieldByName("Cant")->SetAsFloat(std::nan("")), EConvertError);
    EXPECT_THROW(table->FieldByName("Data")->SetAsDate(QDate(10000, 1, 1)), EConvertError);
}

TEST_F(FieldValues, AFieldIsFoundByItsNameWhateverItsCaseAndNamedOnce)
{
    TField* cant = table->FieldByName("Cant");
    EXPECT_EQ(table->FieldByName("cant"), cant);
    EXPECT_EQ(table->FindField("CANT"), cant);
    EXPECT_EQ(table->FindField("Can"), nullptr);
    EXPECT_THROW(table->FieldByName("Canti"), EDatabaseError);
    TTable other;
    other.AddField("Lot", TFieldType::String, 8);
    EXPECT_THROW(other.AddField("LOT", TFieldType::Integer), EDatabaseError);
    EXPECT_EQ(other.FieldByName("lot")->DataType(), TFieldType::String);
}

TEST_F(FieldValues, NumbersAreEditedWithoutTheDisplayGrouping)
{
    RomanianNumbers ro;
    TField* cant = table->FieldByName("Cant");
    cant->SetDisplayFormat("#,##0.00");
    cant->SetAsFloat(1234.5);
    EXPECT_EQ(cant->DisplayText(), "1.234,50");
    EXPECT_EQ(cant->Text(), "1234,5");
    cant->SetText(cant->Text()); // what is shown for editing is taken back as it was
    EXPECT_EQ(cant->AsFloat(), 1234.5);
}

TEST_F(FieldValues, TextIsCutToTheWidthBetweenCharacters)
{
    struct Case {
        QString text, stored;
    } cases[] = {
        {QStringLiteral("abcdef"), QStringLiteral("abcd")},
        {QStringLiteral("abc") + QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("abc")}, // a pair of UTF-16 units
        {QStringLiteral("abce") + QChar(0x0301), QStringLiteral("abc")},                          // e and its accent
        {QStringLiteral("\u0219ir"), QStringLiteral("\u0219ir")},
    };
    TField* den = table->FieldByName("Den");
    for (const Case& c : cases) {
        den->SetAsString(c.text);
        EXPECT_EQ(den->AsString(), c.stored);
    }
}

TEST(Values, ANameTheTableDoesNotHaveIsAnErrorNotAText)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Gest.db", {{"Cod", TFieldType::String, 4}}, {}, {{"_MP"}});
    TQuery q;
    q.SetDatabaseName(dir.Path());
    q.SetSQL({"SELECT \"Cod\" FROM \"Gest.db\""});
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsString(), "_MP");
    q.SetSQL({"SELECT \"Denumire\" FROM \"Gest.db\""});
    EXPECT_THROW(q.Open(), EDatabaseError);
}

} // namespace
