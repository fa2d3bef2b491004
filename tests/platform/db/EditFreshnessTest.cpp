// An edit starts from what the row holds at that moment, whoever changed it and however
// little time has passed since it was read; and each post writes exactly the fields it
// changed, whichever fields the posts before it named.
#include "DbFixture.h"
#include "platform/db/Connection.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Table.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class EditFreshness : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Stoc.DB",
                    {{"Lot", TFieldType::String, 30}, {"Cantitate", TFieldType::Float}, {"Agent", TFieldType::String, 3}},
                    {{"", "Lot", TIndexOption::Primary | TIndexOption::Unique}},
                    {{"L1", 5.0, "ADM"}, {"L2", 10.0, "ADM"}});
    }
    // Another program's statement, through a connection of its own.
    void OtherProgram(const QString& sql)
    {
        {
            QSqlQuery q(OtherConnection(dir.Path(), QStringLiteral("edit-freshness-other")));
            EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("edit-freshness-other"));
    }
    DatabaseDir dir;
};

TEST_F(EditFreshness, EditStartsFromWhatTheRowHoldsWhoeverChangedIt)
{
    enum class Who { Nobody, OtherProgram, OwnConnection, OtherProgramOtherRow };
    struct Case {
        const char* name;
        Who who;
        bool changed;     // Edit refuses and shows the stored figure
        double quantity;  // what the edit starts from
    } cases[] = {
        {"nobody", Who::Nobody, false, 5},
        {"another program, at once", Who::OtherProgram, true, 50},
        // A statement of this program's own that names no dataset: nothing tells the
        // datasets of it but the engine.
        {"this program, past the datasets", Who::OwnConnection, true, 50},
        {"another program, another row", Who::OtherProgramOtherRow, false, 5},
    };
    const QString update = QStringLiteral("UPDATE Stoc SET Cantitate = 50 WHERE Lot = '%1'");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        auto t = OpenTable(dir.Path(), "Stoc.DB");
        ASSERT_TRUE(t->FindKey({"L1"}));
        switch (c.who) {
        case Who::Nobody:
            break;
        case Who::OtherProgram:
            OtherProgram(update.arg("L1"));
            break;
        case Who::OwnConnection:
            Connection::Open(dir.Path())->ForEachRow(update.arg("L1"), {}, {});
            break;
        case Who::OtherProgramOtherRow:
            OtherProgram(update.arg("L2"));
            break;
        }
        TField* quantity = t->FieldByName("Cantitate");
        if (c.changed) {
            EXPECT_THROW(t->Edit(), ERecordChanged);
            EXPECT_EQ(t->State(), TDataSetState::Browse);
        }
        EXPECT_EQ(quantity->AsFloat(), c.quantity);
        t->Edit();
        EXPECT_EQ(quantity->AsFloat(), c.quantity);
        quantity->SetAsFloat(quantity->AsFloat() + 1);
        t->Post();
        EXPECT_EQ(RawColumn(dir.Path(), "SELECT Cantitate FROM Stoc WHERE Lot = 'L1'").value(0).toDouble(), c.quantity + 1);
        t->Close();
    }
}

TEST_F(EditFreshness, EachPostWritesTheFieldsItChangedWhateverThePostsBefore)
{
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    TField* lot = t->FieldByName("Lot");
    TField* quantity = t->FieldByName("Cantitate");
    TField* agent = t->FieldByName("Agent");
    // New rows with different fields left empty, then changes of one field, another, both.
    t->Append();
    lot->SetAsString("L3");
    quantity->SetAsFloat(1);
    t->Post();
    t->Append();
    lot->SetAsString("L4");
    agent->SetAsString("OPR");
    t->Post();
    ASSERT_TRUE(t->FindKey({"L3"}));
    t->Edit();
    quantity->SetAsFloat(2);
    t->Post();
    t->Edit();
    agent->SetAsString("SEF");
    t->Post();
    ASSERT_TRUE(t->FindKey({"L4"}));
    t->Edit();
    quantity->SetAsFloat(7);
    agent->SetAsString("ADM");
    t->Post();
    ASSERT_TRUE(t->FindKey({"L1"}));
    t->Edit();
    quantity->SetAsFloat(6);
    t->Post();
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate, Agent FROM Stoc ORDER BY Lot"),
              (QStringList{"L1 6.0 ADM", "L2 10.0 ADM", "L3 2.0 SEF", "L4 7.0 ADM"}));
    // The cursor stands on the row written, with what was stored.
    EXPECT_EQ(lot->AsString(), "L1");
    EXPECT_EQ(quantity->AsFloat(), 6.0);
}

} // namespace
