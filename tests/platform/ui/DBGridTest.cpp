// The data grid over a real table: cursor, editing, refusals, keys and painting.
#include "GridFixture.h"
#include "platform/ui/Menus.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>

using namespace fw;
using uitest::GridFixture;

namespace {

std::vector<uitest::TestRow> FiveRows()
{
    return {{QStringLiteral("A1"), 1}, {QStringLiteral("A2"), 2}, {QStringLiteral("A3"), -3}, {QStringLiteral("A4"), 4},
            {QStringLiteral("A5"), 5}};
}

// Pixels of a strong red inside a rectangle of an image.
int RedPixels(const QImage& image, const QRect& rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                ++count;
        }
    }
    return count;
}

} // namespace

class DBGrid : public GridFixture {};

TEST_F(DBGrid, DefaultColumnsShowTheVisibleFieldsAndOwnColumnsTheirTitles)
{
    OpenTable(FiveRows());
    table->FieldByName(QStringLiteral("Den"))->SetVisible(false);
    ShowGrid();
    ASSERT_EQ(grid->ColumnCount(), 2);
    EXPECT_EQ(grid->Columns(0)->FieldName(), QStringLiteral("Cod"));
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->model()->data(grid->model()->index(2, 0)).toString(), QStringLiteral("A3"));

    grid->AddColumn(QStringLiteral("Den"), QStringLiteral("Denumire materie prima"), 300);
    grid->AddColumn(QStringLiteral("Cod"));
    ASSERT_EQ(grid->ColumnCount(), 2);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Denumire materie prima"));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Cod")); // the field's label
    EXPECT_EQ(grid->columnWidth(0), 300);
    EXPECT_EQ(grid->model()->data(grid->model()->index(4, 0)).toString(), QStringLiteral("den A5"));
}

TEST_F(DBGrid, CurrentRowAndDatasetCursorFollowEachOther)
{
    OpenTable(FiveRows());
    ShowGrid();
    ASSERT_EQ(CurrentRow(), 0);

    // The dataset moves: the grid follows.
    table->Next();
    EXPECT_EQ(CurrentRow(), 1);
    table->Last();
    EXPECT_EQ(CurrentRow(), 4);
    ASSERT_TRUE(table->FindKey({QStringLiteral("A3")}));
    EXPECT_EQ(CurrentRow(), 2);

    // The user moves: the dataset follows.
    struct Step {
        std::function<void()> act;
        QString cod;
    };
    const std::vector<Step> steps = {
        {[&] { Key(Qt::Key_Down); }, QStringLiteral("A4")},
        {[&] { Key(Qt::Key_Up); }, QStringLiteral("A3")},
        {[&] { Key(Qt::Key_Home, Qt::ControlModifier); }, QStringLiteral("A1")},
        {[&] { ClickRow(3); }, QStringLiteral("A4")},
        {[&] { Key(Qt::Key_End, Qt::ControlModifier); }, QStringLiteral("A5")},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(Cod(), s.cod);
        EXPECT_EQ(table->CurrentDisplayRow(), CurrentRow());
    }
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(DBGrid, TypingEditsTheRecordAndLeavingTheRowPostsIt)
{
    OpenTable(FiveRows());
    ShowGrid();
    SelectColumn(QStringLiteral("Cant"));
    Type(QStringLiteral("12") + DefaultFormatSettings().DecimalSeparator + QStringLiteral("5")); // as the locale writes it
    EXPECT_EQ(table->State(), TDataSetState::Edit);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    Key(Qt::Key_Down);
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(Cod(), QStringLiteral("A2"));
    table->First();
    EXPECT_DOUBLE_EQ(Cant(), 12.5);

    // Tab writes the cell and moves to the next one of the same record.
    ClickRow(1);
    SelectColumn(QStringLiteral("Cant"));
    Type(QStringLiteral("7"));
    Key(Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(Cant(), 7);
    EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("Den"));
    EXPECT_EQ(table->State(), TDataSetState::Edit);
    Type(QStringLiteral("zer"));
    Key(Qt::Key_Return);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Den"))->AsString(), QStringLiteral("zer"));
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(DBGrid, RefusedValueKeepsTheFieldAndTheUserInTheCell)
{
    struct Case {
        const char* name;
        QString typed;
        QStringList expectedMessages;
        TMsgDlgType kind;
    };
    const std::vector<Case> cases = {
        // The field's check warns and aborts silently: only its own warning shows.
        {"check refuses", QStringLiteral("-7"), {QStringLiteral("Cantitatea nu poate fi negativa!")}, TMsgDlgType::Warning},
        // Another failure reaches the application's handler as an error box.
        {"check fails", QStringLiteral("999"), {QStringLiteral("prea mare")}, TMsgDlgType::Error},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenTable(FiveRows(), QStringLiteral("T") + QString::number(&c - cases.data()));
        table->FieldByName(QStringLiteral("Cant"))->OnValidate = [](TField* f) {
            if (f->AsFloat() < 0) {
                MessageDlg(QStringLiteral("Cantitatea nu poate fi negativa!"), TMsgDlgType::Warning);
                Abort();
            }
            if (f->AsFloat() > 100)
                throw EDatabaseError(QStringLiteral("prea mare"));
        };
        if (!grid)
            ShowGrid();
        grid->setFocus();
        messages.Clear();
        SelectColumn(QStringLiteral("Cant"));
        Type(c.typed);
        Key(Qt::Key_Tab);

        EXPECT_EQ(messages.Texts(), c.expectedMessages);
        if (messages.Count() > 0) {
            EXPECT_EQ(messages.Last().Kind, c.kind);
        }
        EXPECT_DOUBLE_EQ(Cant(), 1); // the previous value
        EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("Cant")); // still in the cell
        ASSERT_NE(grid->InplaceEditor(), nullptr);
        EXPECT_EQ(grid->InplaceEditor()->text(), c.typed);
        EXPECT_EQ(Focus(), grid->InplaceEditor());

        // Moving to another row is refused the same way; the cursor stays.
        messages.Clear();
        Key(Qt::Key_Down);
        EXPECT_EQ(CurrentRow(), 0);
        EXPECT_EQ(Cod(), QStringLiteral("A1"));
        EXPECT_EQ(messages.Count(), 1);

        // A good value then goes through.
        grid->InplaceEditor()->selectAll();
        Type(QStringLiteral("8"));
        Key(Qt::Key_Down);
        EXPECT_EQ(CurrentRow(), 1);
        table->First();
        EXPECT_DOUBLE_EQ(Cant(), 8);
        table->Close();
    }
}

TEST_F(DBGrid, RefusedPostKeepsTheUserOnTheRow)
{
    OpenTable(FiveRows());
    table->BeforePost = [](TDataSet* ds) {
        if (ds->FieldByName(QStringLiteral("Den"))->IsNull()) {
            MessageDlg(QStringLiteral("Completati toate datele articolului!"), TMsgDlgType::Warning);
            Abort();
        }
    };
    ShowGrid();
    ClickRow(1);
    SelectColumn(QStringLiteral("Den"));
    Type(QStringLiteral("q")); // opens the cell editor with "q"
    Key(Qt::Key_Backspace);    // and empties it
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    ASSERT_TRUE(grid->InplaceEditor()->text().isEmpty());

    Key(Qt::Key_Up);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Completati toate datele articolului!")});
    EXPECT_EQ(CurrentRow(), 1);
    EXPECT_EQ(Cod(), QStringLiteral("A2"));
    EXPECT_EQ(table->State(), TDataSetState::Edit);

    Type(QStringLiteral("lapte"));
    Key(Qt::Key_Up);
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_EQ(messages.Count(), 1);
    table->Next();
    EXPECT_EQ(table->FieldByName(QStringLiteral("Den"))->AsString(), QStringLiteral("lapte"));
}

TEST_F(DBGrid, DownOnTheLastRowAppendsAndAnUntouchedNewRowIsDropped)
{
    OpenTable(FiveRows());
    ShowGrid();
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(table->State(), TDataSetState::Insert);
    EXPECT_EQ(grid->model()->rowCount(), 6);
    EXPECT_EQ(CurrentRow(), 5);
    Key(Qt::Key_Down); // the new row is untouched: no second one
    EXPECT_EQ(grid->model()->rowCount(), 6);

    Key(Qt::Key_Up);
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(table->RecordCount(), 5);
    EXPECT_EQ(Cod(), QStringLiteral("A5"));

    // A new row that was typed into is posted when left.
    Key(Qt::Key_Down);
    SelectColumn(QStringLiteral("Cod"));
    Type(QStringLiteral("B1"));
    Key(Qt::Key_Up);
    EXPECT_EQ(table->RecordCount(), 6);
    EXPECT_EQ(messages.Count(), 0);

    // Leaving the grid also drops an untouched new row.
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(table->State(), TDataSetState::Insert);
    other->setFocus();
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(table->RecordCount(), 6);
}

TEST_F(DBGrid, WithTheEditorAlwaysShownDownKeepsTheNewRowAndTheGridsMenuShowsOverTheCell)
{
    OpenTable(FiveRows());
    ShowGrid();
    TPopupMenu popup;
    int popups = 0;
    popup.OnPopup = [&](TPopupMenu*) { ++popups; };
    AttachPopupMenu(grid, &popup);
    grid->SetOption(TDBGridOption::AlwaysShowEditor, true);
    Key(Qt::Key_End, Qt::ControlModifier);
    SelectColumn(QStringLiteral("Cant"));
    Type(QStringLiteral("9"));
    Key(Qt::Key_Down); // the row is saved, a new one started with the editor on it
    EXPECT_EQ(table->State(), TDataSetState::Insert);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(Focus(), grid->InplaceEditor());
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), grid->InplaceEditor()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(grid->InplaceEditor(), &event);
    EXPECT_EQ(popups, 1);
    popup.SubMenu()->hide();
    Key(Qt::Key_Up);
    EXPECT_DOUBLE_EQ(Cant(), 9);
    EXPECT_EQ(table->RecordCount(), 5);
}

TEST_F(DBGrid, InsertDeleteAndEscapeKeys)
{
    OpenTable(FiveRows());
    ShowGrid();
    ClickRow(2);
    Key(Qt::Key_Insert);
    EXPECT_EQ(table->State(), TDataSetState::Insert);
    EXPECT_EQ(CurrentRow(), 2); // the new row shows where it was inserted
    Key(Qt::Key_Escape);
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 5);

    // Escape also drops what was typed into an existing record.
    SelectColumn(QStringLiteral("Den"));
    Type(QStringLiteral("zer"));
    Key(Qt::Key_Escape);
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Den"))->AsString(), QStringLiteral("den A3"));

    // Ctrl+Delete asks first; "Nu" keeps the row.
    messages.Answer(TModalResult::No);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->RecordCount(), 5);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Confirmation);
    EXPECT_EQ(messages.Last().Buttons, TMsgDlgButtons::YesNo);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(grid->model()->rowCount(), 4);
    grid->SetOption(TDBGridOption::ConfirmDelete, false);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(messages.Count(), 2);
}

TEST_F(DBGrid, ReadOnlyGridNeitherEditsNorAppends)
{
    OpenTable(FiveRows());
    ShowGrid();
    grid->SetReadOnly(true);
    Type(QStringLiteral("x"));
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_Insert);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->State(), TDataSetState::Browse);
    EXPECT_EQ(table->RecordCount(), 5);
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(DBGrid, KeyHandlerSeesCharactersFirstAndMayConsumeThem)
{
    OpenTable(FiveRows());
    ShowGrid();
    grid->SetOption(TDBGridOption::AlwaysShowEditor, true);
    QString seen;
    int lookups = 0;
    grid->OnKeyPress = [&](TDBGridNormal* g, QChar& key) {
        seen += key;
        if (key == QChar(10) && g->SelectedField()->FieldName() == QLatin1String("Cod")) {
            ++lookups;
            key = QChar(0);
        }
        if (key == QLatin1Char('x'))
            key = QChar(0);
    };
    grid->OnDblClick = [&](TDBGridNormal*) { ++lookups; };
    SelectColumn(QStringLiteral("Cod"));
    grid->setFocus();
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    ASSERT_EQ(Focus(), grid->InplaceEditor());

    Type(QStringLiteral("x"));
    EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("A1"));
    EXPECT_EQ(table->State(), TDataSetState::Browse); // the consumed key started nothing

    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(seen, QStringLiteral("x") + QChar(10));
    EXPECT_NE(grid->InplaceEditor(), nullptr); // Ctrl+Enter did not reach the editor

    SelectColumn(QStringLiteral("Cant"));
    Key(Qt::Key_Return, Qt::ControlModifier); // not consumed in another column
    EXPECT_EQ(lookups, 1);

    QTest::mouseDClick(grid->InplaceEditor(), Qt::LeftButton);
    EXPECT_EQ(lookups, 2);
}

TEST_F(DBGrid, PaintHookColoursOneCellOnly)
{
    OpenTable(FiveRows());
    ShowGrid();
    int hookCalls = 0;
    grid->OnDrawColumnCell = [&](TDBGridNormal* g, const QRect& rect, int dataCol, TColumn* column, TGridDrawState state) {
        ++hookCalls;
        TField* field = column->Field();
        if (field->FieldName() == QLatin1String("Cant") && field->AsFloat() < 0) {
            const TGridCanvas saved = g->Canvas();
            g->Canvas().FontColor = QColor(255, 0, 0);
            g->Canvas().Font.setBold(true);
            g->DefaultDrawColumnCell(rect, dataCol, column, state);
            g->Canvas() = saved;
        } else {
            g->DefaultDrawColumnCell(rect, dataCol, column, state);
        }
    };
    other->setFocus(); // no highlight on the current row
    const QImage image = grid->viewport()->grab().toImage();
    ASSERT_GT(hookCalls, 0);
    auto cell = [&](int row, int column) {
        return grid->visualRect(grid->model()->index(row, column))
            .intersected(QRect(QPoint(0, 0), image.size() / image.devicePixelRatio()));
    };
    EXPECT_GT(RedPixels(image, cell(2, 1)), 5);   // Cant -3
    EXPECT_EQ(RedPixels(image, cell(3, 1)), 0);   // Cant 4, painted after it
    EXPECT_EQ(RedPixels(image, cell(2, 0)), 0);   // another field of the same row
    EXPECT_EQ(RedPixels(image, cell(2, 2)), 0);
}

TEST_F(DBGrid, MultiSelectKeepsClickedRowsAsBookmarks)
{
    OpenTable(FiveRows());
    ShowGrid();
    grid->SetOptions(TDBGridOption::RowSelect | TDBGridOption::MultiSelect | TDBGridOption::Titles);
    auto clickRow = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
    };
    auto codes = [&] {
        QStringList result;
        for (TBookmark b : grid->SelectedRows()) {
            table->GotoBookmark(b);
            result << Cod();
        }
        return result;
    };
    clickRow(3, Qt::NoModifier);
    EXPECT_EQ(codes(), QStringList{QStringLiteral("A4")});
    clickRow(1, Qt::ControlModifier);
    clickRow(4, Qt::ControlModifier);
    EXPECT_EQ(codes(), (QStringList{QStringLiteral("A4"), QStringLiteral("A2"), QStringLiteral("A5")}));
    clickRow(1, Qt::ControlModifier);
    EXPECT_EQ(codes(), (QStringList{QStringLiteral("A4"), QStringLiteral("A5")}));
    clickRow(0, Qt::NoModifier);
    EXPECT_EQ(codes(), QStringList{QStringLiteral("A1")});
}

TEST_F(DBGrid, EnterAndExitFollowTheFocusWithinTheWindow)
{
    OpenTable(FiveRows());
    ShowGrid();
    std::vector<QString> events;
    grid->OnEnter = [&](TDBGridNormal*) { events.push_back(QStringLiteral("enter")); };
    grid->OnExit = [&](TDBGridNormal*) { events.push_back(QStringLiteral("exit")); };
    other->setFocus();
    grid->setFocus();
    SelectColumn(QStringLiteral("Den"));
    Type(QStringLiteral("a")); // into the cell editor: still inside the grid
    other->setFocus();
    EXPECT_EQ(events, (std::vector<QString>{QStringLiteral("exit"), QStringLiteral("enter"), QStringLiteral("exit")}));
    // The text typed in the cell was written when the grid was left.
    EXPECT_EQ(table->FieldByName(QStringLiteral("Den"))->AsString(), QStringLiteral("a"));
}

TEST_F(DBGrid, CalculatedAndLookupFieldsShowForEveryRow)
{
    testsupport::TempDir& d = dir;
    {
        TTable names;
        names.SetDatabaseName(d.Path());
        names.SetTableName(QStringLiteral("Catalog.DB"));
        names.FieldDefs = {{QStringLiteral("Cod"), TFieldType::String, 8, false},
                           {QStringLiteral("Nume"), TFieldType::String, 30, false}};
        names.IndexDefs = {{QString(), QStringLiteral("Cod"), TIndexOption::Primary}};
        names.CreateTable();
        names.Open();
        names.AppendRecord({QStringLiteral("A1"), QStringLiteral("Lapte")});
        names.AppendRecord({QStringLiteral("A3"), QStringLiteral("Smântână")});
    }
    OpenTable(FiveRows());
    table->Close();
    TTable catalog;
    catalog.SetDatabaseName(d.Path());
    catalog.SetTableName(QStringLiteral("Catalog.DB"));
    catalog.Open();
    table->AddField(QStringLiteral("Cod"), TFieldType::String, 8);
    table->AddField(QStringLiteral("Cant"), TFieldType::Float);
    table->AddField(QStringLiteral("Den"), TFieldType::String, 30);
    table->AddCalcField(QStringLiteral("Dublu"), TFieldType::Float);
    table->AddLookupField(QStringLiteral("Nume"), 30, QStringLiteral("Cod"), &catalog, QStringLiteral("Cod"),
                          QStringLiteral("Nume"));
    table->OnCalcFields = [](TDataSet* ds) {
        ds->FieldByName(QStringLiteral("Dublu"))->SetAsFloat(ds->FieldByName(QStringLiteral("Cant"))->AsFloat() * 2);
    };
    table->Open();
    ShowGrid();
    grid->AddColumn(QStringLiteral("Nume"));
    grid->AddColumn(QStringLiteral("Dublu"));
    QStringList shown;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        shown << grid->model()->data(grid->model()->index(row, 0)).toString() + QLatin1Char('/') +
                     grid->model()->data(grid->model()->index(row, 1)).toString();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Lapte/2"), QStringLiteral("/4"), QStringLiteral("Smântână/-6"),
                                  QStringLiteral("/8"), QStringLiteral("/10")}));
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 1)).testFlag(Qt::ItemIsEditable));
}

TEST_F(DBGrid, FollowsClosingReopeningAndChangesMadeElsewhere)
{
    OpenTable(FiveRows());
    ShowGrid();
    table->Close();
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_EQ(grid->ColumnCount(), 0);
    table->Open();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->ColumnCount(), 3);
    table->Last();
    table->Delete();
    EXPECT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(CurrentRow(), 3);
    // A row written behind the dataset's back shows after a refresh.
    testsupport::RawColumn(dir.Path(), QStringLiteral("INSERT INTO Reteta (Cod, Cant) VALUES ('A0', 0)"));
    table->Refresh();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 0)).toString(), QStringLiteral("A0"));
    EXPECT_EQ(CurrentRow(), table->CurrentDisplayRow());
}

TEST_F(DBGrid, LargeTableIsReadOnlyAroundWhatIsShown)
{
    constexpr int kRows = 20000;
    {
        TTable big;
        big.SetDatabaseName(dir.Path());
        big.SetTableName(QStringLiteral("Big.DB"));
        big.FieldDefs = {{QStringLiteral("N"), TFieldType::Integer, 0, false}, {QStringLiteral("Cant"), TFieldType::Float, 0, false}};
        big.IndexDefs = {{QString(), QStringLiteral("N"), TIndexOption::Primary}};
        big.CreateTable();
    }
    testsupport::RawColumn(dir.Path(), QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                                                      "WHERE x < %1) INSERT INTO Big (N, Cant) SELECT x, x FROM c")
                                           .arg(kRows));
    table = std::make_unique<TTable>();
    table->SetDatabaseName(dir.Path());
    table->SetTableName(QStringLiteral("Big.DB"));
    table->AddField(QStringLiteral("N"), TFieldType::Integer);
    table->AddField(QStringLiteral("Cant"), TFieldType::Float);
    table->AddCalcField(QStringLiteral("Dublu"), TFieldType::Float);
    int computed = 0; // once per record read
    table->OnCalcFields = [&](TDataSet* ds) {
        ++computed;
        ds->FieldByName(QStringLiteral("Dublu"))->SetAsFloat(ds->FieldByName(QStringLiteral("Cant"))->AsFloat() * 2);
    };
    table->Open();
    source.SetDataSet(table.get());
    ShowGrid();
    grid->viewport()->grab(); // paints the rows on screen
    EXPECT_EQ(grid->model()->rowCount(), kRows);
    table->Last();
    grid->viewport()->grab();
    EXPECT_EQ(CurrentRow(), kRows - 1);
    EXPECT_EQ(grid->model()->data(grid->model()->index(kRows - 1, 2)).toString(), QString::number(2 * kRows));
    Key(Qt::Key_PageUp);
    grid->viewport()->grab();
    EXPECT_EQ(table->FieldByName(QStringLiteral("N"))->AsInteger(), CurrentRow() + 1);
    EXPECT_LT(computed, 2000);
}

TEST_F(DBGrid, EscapeCancelsAnEditFirstAndOnlyThenReachesTheDialog)
{
    OpenTable(FiveRows());
    ShowGrid();
    grid->SetOption(TDBGridOption::AlwaysShowEditor, true);
    form.hide();
    TModalHook hook([&](TForm* f) {
        QApplication::setActiveWindow(f);
        grid->setFocus();
        SelectColumn(QStringLiteral("Den"));
        Type(QStringLiteral("zer"));
        Key(Qt::Key_Escape);
        EXPECT_EQ(table->State(), TDataSetState::Browse);
        EXPECT_TRUE(f->InModal());
        EXPECT_EQ(Focus(), grid->InplaceEditor());
        Key(Qt::Key_Escape);
        EXPECT_FALSE(f->InModal());
        return TModalResult::OK;
    });
    EXPECT_EQ(form.ShowModal(), TModalResult::Cancel);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Den"))->AsString(), QStringLiteral("den A1"));
}

TEST_F(DBGrid, FailingPaintHookIsReportedOnceAfterThePaint)
{
    OpenTable(FiveRows());
    ShowGrid();
    grid->OnDrawColumnCell = [](TDBGridNormal*, const QRect&, int, TColumn* column, TGridDrawState) {
        column->Grid()->DataSet()->FieldByName(QStringLiteral("Lipsa"));
    };
    grid->viewport()->grab();
    grid->viewport()->grab();
    EXPECT_EQ(messages.Count(), 0); // nothing shown from inside a paint
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
}

TEST_F(DBGrid, EmptyGridStartsARecordWhenTypedIntoOrOnDown)
{
    OpenTable({});
    ShowGrid();
    // Also when the new row opens its editor at once: the first key is not lost.
    for (bool alwaysShowEditor : {true, false}) {
        grid->SetOption(TDBGridOption::AlwaysShowEditor, alwaysShowEditor);
        ASSERT_EQ(grid->model()->rowCount(), 0);
        Type(QStringLiteral("B7"));
        EXPECT_EQ(table->State(), TDataSetState::Insert);
        EXPECT_EQ(grid->model()->rowCount(), 1);
        ASSERT_NE(grid->InplaceEditor(), nullptr);
        EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("B7"));
        if (alwaysShowEditor) {
            Key(Qt::Key_Escape);
            grid->setFocus();
        }
    }
    Key(Qt::Key_Return);
    EXPECT_EQ(Cod(), QStringLiteral("B7"));
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(table->State(), TDataSetState::Insert);
    EXPECT_EQ(grid->model()->rowCount(), 1);
}

TEST_F(DBGrid, AFigureRefusedInACellIsToldOnceByTheColumnsTitle)
{
    // A message box of its own window, taking the focus from the cell while it is up.
    struct TBoxTakingFocus final : TMessagePresenter {
        QStringList texts;
        TModalResult Present(const TMessage& message) override
        {
            texts << message.Text;
            QWidget* const was = QApplication::activeWindow();
            {
                QWidget box;
                box.show();
                QApplication::setActiveWindow(&box);
                box.setFocus();
                QApplication::processEvents();
            }
            QApplication::setActiveWindow(was);
            return TModalResult::OK;
        }
    } boxes;
    OpenTable(FiveRows());
    ShowGrid();
    grid->SetOption(TDBGridOption::AlwaysShowEditor, true);
    grid->AddColumn(QStringLiteral("Cod"));
    grid->AddColumn(QStringLiteral("Cant"), QStringLiteral("Cantitate"));
    TMessagePresenter* recorder = SetMessagePresenter(&boxes);
    for (const Qt::Key leave : {Qt::Key_Return, Qt::Key_Down}) {
        boxes.texts.clear();
        QApplication::setActiveWindow(&form);
        grid->setFocus();
        SelectColumn(QStringLiteral("Cant"));
        Type(QStringLiteral("x7"));
        Key(leave);
        QApplication::processEvents();
        ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(" | ").toStdString();
        EXPECT_TRUE(boxes.texts.first().startsWith("'x7' nu este un numar valid pentru campul Cantitate.")) << boxes.texts.first().toStdString();
        EXPECT_EQ(table->FieldByName(QStringLiteral("Cant"))->DisplayLabel(), QStringLiteral("Cant"));
        Key(Qt::Key_Escape); // the user gives the figure up
    }
    SetMessagePresenter(recorder);
}
