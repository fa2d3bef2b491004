// Event order and refusal paths of editing: what the forms rely on when a check refuses.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

const std::vector<TFieldDef> kRecipe{{"Cod", TFieldType::String, 30},
                                      {"Cod_MatPrim", TFieldType::String, 30},
                                      {"Cant_MatPrim", TFieldType::Float, 0},
                                      {"Cod_Grupa", TFieldType::String, 8}};
const std::vector<TIndexDef> kRecipeKey{{"", "Cod;Cod_MatPrim", TIndexOption::Primary | TIndexOption::Unique}};

class Events : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Reteta.DB", kRecipe, kRecipeKey,
                    {{"IAURT", ".LAPTE", 10.0, "01"}, {"IAURT", ".FERM", 0.5, "01"}});
        table.SetDatabaseName(dir.Path());
        table.SetTableName("Reteta.DB");
        table.AddField("Cod_Grupa", TFieldType::String, 8);
        table.AddField("Cod", TFieldType::String, 30);
        mat = table.AddField("Cod_MatPrim", TFieldType::String, 30);
        table.AddField("Cant_MatPrim", TFieldType::Float);
        source.SetDataSet(&table);
        source.OnStateChange = [this](TDataSource*) { log << "state:" + StateName(table.State()); };
        source.OnDataChange = [this](TDataSource*, TField* f) { log << (f ? "data:" + f->FieldName() : QString("data")); };
    }
    static QString StateName(TDataSetState s)
    {
        switch (s) {
        case TDataSetState::Inactive: return "inactive";
        case TDataSetState::Browse: return "browse";
        case TDataSetState::Edit: return "edit";
        case TDataSetState::Insert: return "insert";
        default: return "other";
        }
    }
    DatabaseDir dir;
    TTable table;
    TDataSource source;
    TField* mat = nullptr;
    QStringList log;
};

TEST_F(Events, ValidateSeesTheNewValueAndAnAbortKeepsTheOldOne)
{
    QString seen, otherSeen;
    mat->OnValidate = [&](TField* f) {
        seen = f->AsString();
        otherSeen = table.FieldByName("Cod_Grupa")->AsString();
        if (seen.startsWith("X"))
            Abort();
    };
    table.Open();
    table.First();
    table.Edit();
    table.FieldByName("Cod_Grupa")->SetAsString("02");
    EXPECT_THROW(mat->SetAsString("XYZ"), EAbort);
    EXPECT_EQ(seen, "XYZ");           // the handler read the value being assigned
    EXPECT_EQ(otherSeen, "02");        // and the other fields of the row as edited
    EXPECT_EQ(mat->AsString(), ".FERM"); // refused: the old value stays (order Cod;Cod_MatPrim)
    mat->SetAsString(".ZAHAR");
    EXPECT_EQ(mat->AsString(), ".ZAHAR");
    EXPECT_EQ(table.State(), TDataSetState::Edit);
}

TEST_F(Events, BeforePostAbortKeepsTheRowEditingAndWritesNothing)
{
    table.BeforePost = [&](TDataSet* ds) {
        if (ds->FieldByName("Cant_MatPrim")->IsNull())
            Abort();
    };
    table.Open();
    table.Append();
    table.FieldByName("Cod")->SetAsString("IAURT");
    mat->SetAsString(".SARE");
    EXPECT_THROW(table.Post(), EAbort);
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    EXPECT_EQ(mat->AsString(), ".SARE");
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Reteta").value(0).toInt(), 2);
    table.FieldByName("Cant_MatPrim")->SetAsFloat(0.0); // zero is a value
    table.Post();
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_EQ(mat->AsString(), ".SARE"); // the posted row is current
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Reteta").value(0).toInt(), 3);
}

TEST_F(Events, DataSourceHearsStateAndDataChangesInTheirOrder)
{
    table.OnNewRecord = [&](TDataSet* ds) {
        log << "new:" + StateName(ds->State());
        ds->FieldByName("Cant_MatPrim")->SetAsFloat(1.0);
    };
    table.Open();
    EXPECT_EQ(log, (QStringList{"state:browse", "data"}));
    log.clear();
    table.Next();
    EXPECT_EQ(log, (QStringList{"data"}));
    log.clear();
    table.Edit();
    mat->SetAsString(".APA");
    table.Post();
    EXPECT_EQ(log, (QStringList{"state:edit", "data", "data:Cod_MatPrim", "state:browse", "data"}));
    log.clear();
    table.Insert();
    EXPECT_EQ(log, (QStringList{"state:insert", "new:insert", "data:Cant_MatPrim", "data"}));
    EXPECT_FALSE(table.Modified()); // values set by OnNewRecord are not the user's changes
    log.clear();
    table.Cancel();
    EXPECT_EQ(log, (QStringList{"state:browse", "data"}));
    log.clear();
    table.Refresh();
    EXPECT_EQ(log, (QStringList{"data"}));
    log.clear();
    table.Close();
    EXPECT_EQ(log, (QStringList{"state:inactive"}));
}

TEST_F(Events, MovingAwayPostsAChangedRowAndDropsAnUntouchedOne)
{
    table.Open();
    table.Append();
    table.First(); // nothing typed: the new row is dropped
    EXPECT_EQ(table.RecordCount(), 2);
    table.Append();
    table.FieldByName("Cod")->SetAsString("UNT");
    mat->SetAsString(".SMANT");
    table.First(); // changed: posted
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
}

TEST_F(Events, KeyViolationWritesNothingAndLeavesTheRowInInsert)
{
    table.Open();
    table.Append();
    table.FieldByName("Cod")->SetAsString("IAURT");
    mat->SetAsString(".LAPTE");
    try {
        table.Post();
        FAIL() << "duplicate key accepted";
    } catch (const EKeyViolation& e) {
        EXPECT_TRUE(e.Message().startsWith("Exista deja o inregistrare cu aceeasi cheie: inregistrarea nu a fost salvata."))
            << e.Message().toStdString();
        // The key's fields in the user's words, never the engine's English.
        EXPECT_TRUE(e.Message().contains("campurile Cod, Cod_MatPrim", Qt::CaseInsensitive)) << e.Message().toStdString();
        for (const char* english : {"constraint", "duplicate", "exists"})
            EXPECT_FALSE(e.Message().contains(english, Qt::CaseInsensitive)) << e.Message().toStdString();
    }
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(Events, AppendRecordGoesThroughValidationAndBeforePostAndLeavesBrowsingOnFailure)
{
    int posts = 0;
    mat->OnValidate = [&](TField* f) {
        if (f->AsString() == ".NU")
            Abort();
    };
    table.BeforePost = [&](TDataSet*) { ++posts; };
    table.Open();
    // Values go positionally in the declared field order: Cod_Grupa, Cod, Cod_MatPrim, Cant_MatPrim.
    table.AppendRecord({"01", "CAS", ".CHEAG", 0.1});
    EXPECT_EQ(posts, 1);
    EXPECT_THROW(table.AppendRecord({"01", "CAS", ".NU", 1.0}), EAbort);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_THROW(table.AppendRecord({"01", "CAS", ".CHEAG", 2.0}), EDatabaseError);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Reteta WHERE Cod='CAS'").value(0).toInt(), 1);
}

TEST_F(Events, AssigningOutsideEditIsRefused)
{
    table.Open();
    EXPECT_THROW(mat->SetAsString(".X"), EDatabaseError);
    table.Close();
    table.SetReadOnly(true);
    table.Open();
    EXPECT_THROW(table.Edit(), EDatabaseError);
}

} // namespace
