// The catalog lookup: what it gives back, the display orders and search, edit mode with
// the rules on articles, the layout file, and other users' changes.
#include "BuiltFiles.h"
#include "CatalogFixture.h"
#include "catalog/LookupLayoutFile.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Menus.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace corvanel;
using namespace fw;
using namespace cattest;

namespace {

const QString kAccountWarning = QStringLiteral("Introduceti simbolul contului în format 999(9).99(9).99(9) !");

class CatalogLookup : public cattest::CatalogFixture {
protected:
    // Runs the lookup from group/article with `user` acting on the window.
    bool Lookup(QString& group, QString& article, const std::function<void(TCatalogLookupForm*)>& user)
    {
        TModalHook hook([&](TForm* f) {
            user(static_cast<TCatalogLookupForm*>(f));
            return TModalResult::None;
        });
        return ExecuteCatalogLookup(context, nullptr, group, article);
    }
    static void Ok(TCatalogLookupForm* f) { OkButton(f)->click(); }
};

TEST(AccountSymbol, AtMostTenCharactersBeforeTheFirstDotAndTwoAnalyticPartsOfTwenty)
{
    const QString twenty(20, QLatin1Char('9'));
    for (const QString& valid : {QString(), QStringLiteral("4426"), QStringLiteral("371.02.003"), QStringLiteral("4426.01"),
                                 QStringLiteral("1234567890"), QStringLiteral("371.") + twenty, "371.02." + twenty})
        EXPECT_TRUE(IsValidAccountSymbol(valid)) << qPrintable(valid);
    for (const QString& invalid : {QStringLiteral("371.02.003.4"), QStringLiteral("1.2.3.4"), QStringLiteral("12345678901"),
                                   QStringLiteral("12345678901.1"), "371." + twenty + "9", "371.02." + twenty + "9"})
        EXPECT_FALSE(IsValidAccountSymbol(invalid)) << qPrintable(invalid);
}

TEST_F(CatalogLookup, GivesBackTheChosenArticleOrLeavesTheCodesOnCancel)
{
    const auto cancel = [](TCatalogLookupForm* f) { CancelButton(f)->click(); };
    const auto escape = [](TCatalogLookupForm* f) { QTest::keyClick(ArticleGrid(f), Qt::Key_Escape); };
    // Accepting in edit mode saves the article being edited first; the saved code comes back.
    const auto editAndAccept = [](TCatalogLookupForm* f) {
        EditButton(f)->click();
        ArticleTable(f)->Edit();
        ArticleTable(f)->FieldByName("Cod")->SetAsString("B5");
        ArticleGrid(f)->OnDblClick(ArticleGrid(f));
    };
    const auto doubleClickFirstRow = [](TCatalogLookupForm* f) {
        const QRect cell = ArticleGrid(f)->visualRect(ArticleGrid(f)->model()->index(0, 1));
        QTest::mouseDClick(ArticleGrid(f)->viewport(), Qt::LeftButton, {}, cell.center());
    };
    struct Case {
        QString group, article;
        std::function<void(TCatalogLookupForm*)> user;
        bool chosen;
        QString wantGroup, wantArticle;
    };
    const Case cases[] = {
        {"01", "B2", Ok, true, "01", "B2"},
        {"04", "D4", Ok, true, "04", "D4"}, // the second group of the first class
        {"02", "P1", Ok, true, "02", "P1"}, // a group of another class
        {"01", "NOPE", Ok, true, "01", "A1"}, // not in the group: its first article
        {"01", "C3", doubleClickFirstRow, true, "01", "A1"},
        {"01", "B2", cancel, false, "01", "B2"},
        {"02", "NOPE", escape, false, "02", "NOPE"},
        {"01", "B2", editAndAccept, true, "01", "B5"},
    };
    for (const Case& c : cases) {
        QString group = c.group, article = c.article;
        EXPECT_EQ(Lookup(group, article, c.user), c.chosen) << qPrintable(c.group + "/" + c.article);
        EXPECT_EQ(group + "/" + article, c.wantGroup + "/" + c.wantArticle);
    }
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_EQ(StoredPrices("01"), "A1=10.0 B5=null C3=2.5");
}

TEST_F(CatalogLookup, DisplayOrdersKeepTheGroupAndSearchTheSecondOrderField)
{
    OpenForm();
    form->ShowGroup("01");
    struct Case {
        int item;
        QString codes, search, found;
    };
    const Case cases[] = {{0, "A1 B2 C3", "B", "B2"}, {1, "B2 C3 A1", "M", "C3"}, {2, "C3 A1 B2", "n", "B2"}};
    for (const Case& c : cases) {
        SearchEdit(form.get())->clear();
        OrderCombo(form.get())->setCurrentIndex(c.item);
        EXPECT_EQ(testsupport::Column(*ArticleTable(form.get()), "Cod").join(' '), c.codes);
        SearchEdit(form.get())->setText(c.search);
        EXPECT_EQ(CurrentArticle(), c.found) << c.item;
        SearchEdit(form.get())->clear(); // an empty text moves nothing
        EXPECT_EQ(CurrentArticle(), c.found);
    }
    form->show();
    ArticleTable(form.get())->First();
    QTest::keyClick(ArticleGrid(form.get()), Qt::Key_Space); // outside edit mode: on to the next row
    EXPECT_EQ(CurrentArticle(), "A1");
}

TEST_F(CatalogLookup, CurrencyAndAccountChecksRefuseWithTheirWarnings)
{
    OpenForm();
    form->ShowGroup("01");
    struct Case {
        const char* field;
        QString value, warning; // no warning: accepted
    };
    const Case cases[] = {{"Moneda", "EUR", ""},
                          {"Moneda", "XYZ", "<XYZ> nu exista în catalogul de valute!"},
                          {"Cont_marfa", "371.02.003", ""},
                          {"Cont_venituri", "12345678901.1", kAccountWarning}};
    for (const Case& c : cases) {
        ArticleTable(form.get())->Edit();
        TField* field = ArticleTable(form.get())->FieldByName(c.field);
        const QString before = field->AsString();
        messages.Clear();
        EXPECT_EQ(Guarded(nullptr, [&] { field->SetAsString(c.value); }), c.warning.isEmpty()) << c.field;
        EXPECT_EQ(field->AsString(), c.warning.isEmpty() ? c.value : before);
        EXPECT_EQ(messages.Texts(), c.warning.isEmpty() ? QStringList() : QStringList{c.warning});
        ArticleTable(form.get())->Cancel();
    }
}

// Also pictures of the window in both modes (build/look), in which no title may be cut off.
TEST_F(CatalogLookup, EditModeAddsArticlesWithDefaultsAndSavesOnlyWithCodeAndName)
{
    Article("01", ".LAPTE", "Lapte crud de vacă", "Lapte integral, refrigerat la 4 °C", 1234.5);
    OpenForm();
    form->ShowGroup("01");
    form->ShowArticle("C3");
    form->show();
    for (TDBGridNormal* grid : {ClassGrid(form.get()), GroupGrid(form.get()), ArticleGrid(form.get())}) {
        for (int i = 0; i < grid->ColumnCount(); ++i)
            EXPECT_GE(grid->columnWidth(i), grid->fontMetrics().horizontalAdvance(grid->Columns(i)->Title()) + 6)
                << qPrintable(grid->Columns(i)->Title());
    }
    EXPECT_TRUE(form->grab().save(testsupport::LookDir() + "/catalog-lookup.png"));
    EXPECT_FALSE(MenuBar(form.get())->isVisible());
    EditButton(form.get())->click();
    EXPECT_TRUE(EditButton(form.get())->isChecked());
    EXPECT_FALSE(OkButton(form.get())->isEnabled());
    EXPECT_TRUE(MenuBar(form.get())->isVisible());

    // Insert pressed in a cell editor further right: a new row, typed from its code.
    QApplication::setActiveWindow(form.get());
    ArticleGrid(form.get())->setFocus();
    ArticleGrid(form.get())->SetSelectedField(ArticleTable(form.get())->FieldByName("Descriere"));
    ASSERT_NE(ArticleGrid(form.get())->InplaceEditor(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
    TDataSet* c = ArticleTable(form.get());
    ASSERT_EQ(c->State(), TDataSetState::Insert);
    EXPECT_EQ(ArticleGrid(form.get())->SelectedField()->FieldName(), "Cod");
    EXPECT_TRUE(form->grab().save(testsupport::LookDir() + "/catalog-lookup-edit.png"));
    QStringList defaults;
    for (const char* f : {"Grupa", "Cont_marfa", "Cont_cheltuieli", "Cont_TVA_Intrari", "Cont_TVA_Iesiri", "Coef_TVA",
                          "Cont_venituri", "Cont_adaos", "Cont_accize"})
        defaults << Current(c, f);
    EXPECT_EQ(defaults.join(' '), "01 371 607 4426 4427 19 707 378 446");

    for (const auto& [code, name] : {std::pair<QString, QString>{"X9", ""}, {"", "Nume"}}) {
        c->FieldByName("Cod")->SetAsString(code);
        c->FieldByName("Denumire")->SetAsString(name);
        messages.Clear();
        EditButton(form.get())->click(); // leaving edit mode saves the row
        EXPECT_EQ(messages.Texts(), QStringList{"Introduceti atît codul si denumirea!"});
        EXPECT_EQ(c->State(), TDataSetState::Insert);
        EXPECT_TRUE(form->EditMode());
    }
    c->FieldByName("Cod")->SetAsString("X9");
    EditButton(form.get())->click();
    EXPECT_FALSE(form->EditMode());
    EXPECT_TRUE(OkButton(form.get())->isEnabled());
    EXPECT_FALSE(MenuBar(form.get())->isVisible());
    EXPECT_EQ(testsupport::Column(*c, "Cod").join(' '), ".LAPTE A1 B2 C3 X9");
}

TEST_F(CatalogLookup, WithoutGroupsItOpensInEditModeWithTheWarning)
{
    OtherUser("DELETE FROM Grup");
    OpenForm();
    EXPECT_TRUE(EditButton(form.get())->isChecked());
    EXPECT_FALSE(OkButton(form.get())->isEnabled());
    EXPECT_EQ(messages.Texts(), QStringList{"Adaugati articole în catalog!"});
}

TEST_F(CatalogLookup, ATableThatCannotBeOpenedEndsTheLookupWithTheCatalogMessage)
{
    OtherUser("DROP TABLE VALUTA");
    QString group = "01", article = "A1";
    TModalHook hook([](TForm*) { return TModalResult::OK; });
    EXPECT_FALSE(ExecuteCatalogLookup(context, nullptr, group, article));
    EXPECT_EQ(hook.Calls(), 0);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la catalogul de articole!\r")) << qPrintable(messages.Last().Text);
}

TEST_F(CatalogLookup, TheLayoutFileHoldsExactlyTheLastLayouts)
{
    QFile::remove(LookupLayoutFileName);
    std::vector<QByteArray> written;
    for (const int longTitle : {200, 0}) {
        QString group = "01", article = "A1";
        Lookup(group, article, [&](TCatalogLookupForm* f) {
            if (longTitle)
                ArticleGrid(f)->Columns(1)->SetTitle(QString(longTitle, 'x'));
            written.push_back(GridLayouts({GroupGrid(f), ArticleGrid(f)}));
            Ok(f);
        });
        QFile file(LookupLayoutFileName);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), written.back()); // no tail of the longer layout before it
    }
    EXPECT_LT(written[1].size(), written[0].size());
    EXPECT_EQ(written[1].count("TObjectWrapper"), 2);
    EXPECT_TRUE(written[1].contains("Cod grupa") && written[1].contains("Cod mat."));

    // A layout file that cannot be written costs the layouts, not the lookup.
    QFile::remove(LookupLayoutFileName);
    ASSERT_TRUE(QDir().mkdir(LookupLayoutFileName));
    QString group = "02", article = "P1";
    EXPECT_TRUE(Lookup(group, article, Ok));
    EXPECT_EQ(messages.Count(), 0);
    QDir().rmdir(LookupLayoutFileName);
}

// The bytes of a layout file with every column width taken out: widths follow the fonts
// of the machine, what else the file holds does not.
QByteArray WithoutWidths(QByteArray layout)
{
    const QByteArray width("\x05Width\x03", 7); // the property's name, then a 32-bit integer
    for (qsizetype at = layout.indexOf(width); at >= 0; at = layout.indexOf(width, at + 1))
        layout.replace(at + width.size(), 4, QByteArray(4, '\0'));
    return layout;
}

QByteArray FileBytes(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(CatalogLookup, ALayoutFileAnEarlierVersionWroteIsTakenOver)
{
    // Written by the version before this one's names: a widened column, then the defaults.
    const QString before = QString::fromUtf8(built::kCatalogTestData) + QStringLiteral("/catlook-widened.cfg");
    const QByteArray defaults = FileBytes(QString::fromUtf8(built::kCatalogTestData) + QStringLiteral("/catlook-default.cfg"));
    ASSERT_FALSE(defaults.isEmpty());
    QFile::remove(LookupLayoutFileName);
    ASSERT_TRUE(QFile::copy(before, LookupLayoutFileName));
    QFile::setPermissions(LookupLayoutFileName, QFile::ReadOwner | QFile::WriteOwner);
    QString group = "01", article = "A1";
    EXPECT_TRUE(Lookup(group, article, [](TCatalogLookupForm* f) {
        ArticleTable(f)->Next();
        Ok(f);
    }));
    EXPECT_EQ(article, "B2");
    EXPECT_EQ(messages.Count(), 0);
    // The same records, classes, columns and titles as that version writes for them.
    EXPECT_EQ(WithoutWidths(FileBytes(LookupLayoutFileName)), WithoutWidths(defaults));
    EXPECT_NE(FileBytes(LookupLayoutFileName), FileBytes(before)); // replaced, not kept
}

TEST_F(CatalogLookup, OtherUsersChangesAppearOnRefreshButNeverUnderAnEdit)
{
    OpenForm();
    form->ShowGroup("01");
    EXPECT_EQ(RefreshTimer(form.get())->isActive() ? RefreshTimer(form.get())->interval() : 0, 30000);
    OtherUser("INSERT INTO CATALOG (Grupa, Cod, Denumire) VALUES ('01', 'B3', 'Nou')");
    OtherUser("UPDATE CATALOG SET Denumire = 'Alfa 2' WHERE Cod = 'B2'");

    // A row being edited is left as the user has it while the others are read again.
    ASSERT_TRUE(ArticleTable(form.get())->Locate("Cod", {"A1"}));
    const QString name = Current(ArticleTable(form.get()), "Denumire");
    ArticleTable(form.get())->Edit();
    ArticleTable(form.get())->FieldByName("Descriere")->SetAsString("in lucru");
    form->RefreshTables();
    EXPECT_EQ(Current(ArticleTable(form.get()), "Descriere") + "/" + Current(ArticleTable(form.get()), "Denumire"), "in lucru/" + name);
    ArticleTable(form.get())->Cancel();
    ASSERT_TRUE(ArticleTable(form.get())->Locate("Cod", {"B2"}));

    // Coming back to the window brings the changes in.
    QWidget elsewhere;
    elsewhere.show();
    form->show();
    QApplication::setActiveWindow(form.get());
    QApplication::setActiveWindow(&elsewhere);
    QApplication::setActiveWindow(form.get());
    EXPECT_EQ(Current(ArticleTable(form.get()), "Denumire"), "Alfa 2");
    EXPECT_EQ(testsupport::Column(*ArticleTable(form.get()), "Cod").join(' '), "A1 B2 B3 C3");
}

} // namespace
