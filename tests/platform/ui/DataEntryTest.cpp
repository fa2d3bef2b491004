// Numbers typed in a Romanian desktop: the keypad's decimal key types the decimal comma in
// number cells and edits, and a figure typed with the other mark is refused, not misread.
#include "GridFixture.h"

#include "platform/core/Formats.h"

using namespace fw;
using uitest::GridFixture;

namespace {

class DataEntry : public GridFixture {
protected:
    void SetUp() override
    {
        saved_ = DefaultFormatSettings();
        DefaultFormatSettings().DecimalSeparator = QLatin1Char(',');
        DefaultFormatSettings().ThousandSeparator = QLatin1Char('.');
        OpenTable({{QStringLiteral("A1"), 1}, {QStringLiteral("A2"), 2}});
    }
    void TearDown() override { DefaultFormatSettings() = saved_; }
    // The keypad's decimal key as a layout with a point on it sends it.
    void KeypadDecimal() { QTest::keyClick(Focus(), Qt::Key_Period, Qt::KeypadModifier); }
    void TypeNumber(const char* before, const char* after)
    {
        Type(QString::fromLatin1(before));
        KeypadDecimal();
        Type(QString::fromLatin1(after));
    }

private:
    TFormatSettings saved_;
};

TEST_F(DataEntry, KeypadDecimalKeyTypesTheDecimalCommaInNumberCells)
{
    ShowGrid();
    SelectColumn(QStringLiteral("Cant"));
    TypeNumber("0", "5");
    EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("0,5"));
    Key(Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Cant(), 0.5);

    // Starting the cell with it; and in a text column the key keeps its point.
    table->Cancel();
    Key(Qt::Key_Escape);
    KeypadDecimal();
    Type(QStringLiteral("25"));
    Key(Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Cant(), 0.25);
    SelectColumn(QStringLiteral("Den"));
    TypeNumber("a", "b");
    EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("a.b"));
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(DataEntry, FigureWithTheOtherMarkIsRefusedAndKeptForCorrection)
{
    ShowGrid();
    SelectColumn(QStringLiteral("Cant"));
    Type(QStringLiteral("1.500"));
    Key(Qt::Key_Return);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith(QStringLiteral("'1.500' nu este un numar valid pentru campul Cant.")));
    EXPECT_DOUBLE_EQ(Cant(), 1.0);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("1.500"));
}

TEST_F(DataEntry, KeypadDecimalKeyTypesTheDecimalCommaInANumberEdit)
{
    TDBEdit* edit = ShowFieldEdit();
    edit->selectAll();
    TypeNumber("2", "75");
    EXPECT_EQ(edit->text(), QStringLiteral("2,75"));
    edit->UpdateRecord();
    EXPECT_DOUBLE_EQ(Cant(), 2.75);
}

} // namespace
