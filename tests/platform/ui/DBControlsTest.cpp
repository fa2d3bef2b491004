// The navigator and the data-aware edit over a real table.
#include "GridFixture.h"

#include "platform/ui/DBEdit.h"
#include "platform/ui/DBNavigator.h"

#include <QToolButton>

using namespace fw;
using uitest::GridFixture;

namespace {

std::vector<uitest::TestRow> ThreeRows()
{
    return {{QStringLiteral("L1"), 10}, {QStringLiteral("L2"), 20}, {QStringLiteral("L3"), 30}};
}

// The enabled buttons as a string of initials in button order, "-" for disabled ones:
// First Prior Next Last Insert Delete Edit Post Cancel Refresh.
QString Enabled(const TDBNavigator& navigator)
{
    const QString letters = QStringLiteral("FPNLIDESCR");
    QString result;
    for (int i = 0; i < kNavigateBtnCount; ++i)
        result += navigator.ButtonEnabled(TNavigateBtn(i)) ? letters[i] : QLatin1Char('-');
    return result;
}

} // namespace

class DBNavigatorTest : public GridFixture {};

TEST_F(DBNavigatorTest, ButtonsActOnTheDatasetAndEnableByItsState)
{
    OpenTable(ThreeRows());
    TDBNavigator navigator;
    navigator.SetDataSource(&source);

    struct Step {
        const char* name;
        std::function<void()> act;
        QString enabled;
        QString cod;
    };
    auto click = [&](TNavigateBtn b) { return [&navigator, b] { navigator.Button(b)->click(); }; };
    const std::vector<Step> steps = {
        {"opened", [] {}, QStringLiteral("--NLIDE--R"), QStringLiteral("L1")},
        {"next", click(TNavigateBtn::Next), QStringLiteral("FPNLIDE--R"), QStringLiteral("L2")},
        {"last", click(TNavigateBtn::Last), QStringLiteral("FP--IDE--R"), QStringLiteral("L3")},
        {"prior", click(TNavigateBtn::Prior), QStringLiteral("FPNLIDE--R"), QStringLiteral("L2")},
        {"edit", click(TNavigateBtn::Edit), QStringLiteral("FPNLID-SCR"), QStringLiteral("L2")},
        {"cancel", click(TNavigateBtn::Cancel), QStringLiteral("FPNLIDE--R"), QStringLiteral("L2")},
        {"first", click(TNavigateBtn::First), QStringLiteral("--NLIDE--R"), QStringLiteral("L1")},
        {"insert", click(TNavigateBtn::Insert), QStringLiteral("I-SCR"), QString()},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        if (s.enabled.size() == kNavigateBtnCount)
            EXPECT_EQ(Enabled(navigator), s.enabled);
        else
            EXPECT_TRUE(Enabled(navigator).endsWith(QStringLiteral("SCR")));
        EXPECT_EQ(Cod(), s.cod);
    }
    table->FieldByName(QStringLiteral("Cod"))->SetAsString(QStringLiteral("L0"));
    navigator.Button(TNavigateBtn::Post)->click();
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(table->RecordCount(), 4);

    // Delete asks unless told not to.
    messages.Answer(TModalResult::No);
    navigator.Button(TNavigateBtn::Delete)->click();
    EXPECT_EQ(table->RecordCount(), 4);
    navigator.Button(TNavigateBtn::Delete)->click();
    EXPECT_EQ(table->RecordCount(), 3);
    navigator.SetConfirmDelete(false);
    navigator.Button(TNavigateBtn::Delete)->click();
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(messages.Count(), 2);

    table->Close();
    EXPECT_EQ(Enabled(navigator), QStringLiteral("----------"));
}

TEST_F(DBNavigatorTest, ReboundAtRunTimeAndReadOnlyDatasetsOfferNoEditing)
{
    OpenTable(ThreeRows());
    TTable readOnly;
    readOnly.SetDatabaseName(dir.Path());
    readOnly.SetTableName(QStringLiteral("Reteta.DB"));
    readOnly.SetReadOnly(true);
    readOnly.Open();
    readOnly.Last();
    TDataSource readOnlySource;
    readOnlySource.SetDataSet(&readOnly);

    TDBNavigator navigator;
    navigator.SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior")});
    EXPECT_EQ(navigator.Hints().at(9), QStringLiteral("Refresh"));
    navigator.SetDataSource(&source);
    table->Edit();
    EXPECT_EQ(Enabled(navigator), QStringLiteral("--NLID-SCR"));

    navigator.SetDataSource(&readOnlySource);
    EXPECT_EQ(Enabled(navigator), QStringLiteral("FP-------R"));
    navigator.Button(TNavigateBtn::First)->click();
    EXPECT_EQ(readOnly.RecNo(), 1);
    EXPECT_EQ(table->State(), TDataSetState::Edit); // the old source is left alone

    navigator.SetVisibleButtons({TNavigateBtn::First, TNavigateBtn::Prior, TNavigateBtn::Next, TNavigateBtn::Last,
                                 TNavigateBtn::Refresh});
    EXPECT_TRUE(navigator.ButtonVisible(TNavigateBtn::Refresh));
    EXPECT_FALSE(navigator.ButtonVisible(TNavigateBtn::Insert));
}

TEST_F(DBNavigatorTest, FailedActionIsReportedAndTheStateStays)
{
    OpenTable(ThreeRows());
    table->BeforePost = [](TDataSet*) {
        MessageDlg(QStringLiteral("Completati toate datele articolului!"), TMsgDlgType::Warning);
        Abort();
    };
    TDBNavigator navigator;
    navigator.SetDataSource(&source);
    application.SetMainForm(&form);
    navigator.setParent(&form);
    navigator.Button(TNavigateBtn::Edit)->click();
    navigator.Button(TNavigateBtn::Post)->click();
    EXPECT_EQ(table->State(), TDataSetState::Edit);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Completati toate datele articolului!")});
    EXPECT_TRUE(navigator.ButtonEnabled(TNavigateBtn::Post));
}

class DBEditTest : public GridFixture {
protected:
    void ShowEdit() { edit = ShowFieldEdit(); }
    TDBEdit* edit = nullptr;
};

TEST_F(DBEditTest, WritesTheTypedValueWhenTheFocusLeavesThenRunsOnExit)
{
    OpenTable(ThreeRows());
    ShowEdit();
    EXPECT_EQ(edit->text(), QStringLiteral("10"));
    double seenInExit = -1;
    edit->OnExit = [&](TDBEdit*) { seenInExit = Cant(); };

    edit->selectAll();
    Type(QStringLiteral("0") + DefaultFormatSettings().DecimalSeparator + QStringLiteral("5")); // as the locale writes it
    EXPECT_EQ(table->State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(Cant(), 10); // not yet written
    other->setFocus();
    EXPECT_DOUBLE_EQ(Cant(), 0.5);
    EXPECT_DOUBLE_EQ(seenInExit, 0.5);

    // The record moving shows the new record's value.
    table->Post();
    table->Next();
    EXPECT_EQ(edit->text(), QStringLiteral("20"));
}

TEST_F(DBEditTest, RefusedValueKeepsTheFocusAndAPostCollectsPendingText)
{
    OpenTable(ThreeRows());
    table->FieldByName(QStringLiteral("Cant"))->OnValidate = [](TField* f) {
        if (f->AsFloat() == 0) {
            MessageDlg(QStringLiteral("Atentie campul cantitate nu poate fi gol sau 0! Scrieti cantitatea corecta!"),
                       TMsgDlgType::Warning);
            Abort();
        }
    };
    ShowEdit();
    int exits = 0;
    edit->OnExit = [&](TDBEdit*) { ++exits; };
    edit->selectAll();
    Type(QStringLiteral("0"));
    other->setFocus();
    EXPECT_EQ(messages.Count(), 1);
    EXPECT_EQ(Focus(), edit);
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(Cant(), 10);
    EXPECT_EQ(exits, 0);

    // A handler that refuses the written value sends the user back into the edit.
    edit->OnExit = [&](TDBEdit* e) {
        ++exits;
        if (e->Field()->AsFloat() > 40)
            e->setFocus();
    };
    edit->selectAll();
    Type(QStringLiteral("50"));
    other->setFocus();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(Focus(), edit);
    EXPECT_DOUBLE_EQ(Cant(), 50); // written before the handler ran
    edit->selectAll();
    Type(QStringLiteral("3"));
    other->setFocus();
    EXPECT_EQ(Focus(), other);
    EXPECT_EQ(exits, 2);
    EXPECT_DOUBLE_EQ(Cant(), 3);
    edit->setFocus();

    // Escape brings the field's value back; a post writes what is typed first.
    Type(QStringLiteral("9"));
    Key(Qt::Key_Escape);
    EXPECT_EQ(edit->text(), QStringLiteral("3"));
    edit->selectAll();
    Type(QStringLiteral("15"));
    table->Post();
    EXPECT_DOUBLE_EQ(Cant(), 15);
    EXPECT_EQ(table->State(), TDataSetState::Browse);
}
