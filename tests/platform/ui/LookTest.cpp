// A window built from the framework's controls, saved as a picture to be looked at:
// Romanian text with diacritics, a grid cell painted red and bold, the navigator's glyphs.
#include "GridFixture.h"

#include "platform/ui/DBEdit.h"
#include "platform/ui/DBNavigator.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace fw;

class Look : public uitest::GridFixture {};

TEST_F(Look, FormWithGridNavigatorEditAndButtons)
{
    OpenTable({{QStringLiteral("MP001"), 12.5}, {QStringLiteral("MP002"), -3}, {QStringLiteral("MP003"), 40}});
    table->First();
    table->Edit();
    table->FieldByName(QStringLiteral("Den"))->SetAsString(QStringLiteral("Lapte smântânit Stînga"));
    table->Next(); // posts
    table->Edit();
    table->FieldByName(QStringLiteral("Den"))->SetAsString(QStringLiteral("Cheag să înceapa ţară"));
    table->Post();
    table->First();

    form.SetCaption(QStringLiteral("Reteta"));
    auto* layout = new QGridLayout(&form);
    auto* label = new QLabel(QStringLiteral("Cantitatea de produs finit"), &form);
    auto* label2 = new QLabel(QStringLiteral("rezultata conform retetarului :"), &form);
    auto* edit = new TDBEdit(&form);
    edit->SetDataSource(&source);
    edit->SetDataField(QStringLiteral("Cant"));
    auto* navigator = new TDBNavigator(&form);
    navigator->SetDataSource(&source);
    navigator->SetConfirmDelete(false);
    grid = new TDBGridNormal(&form);
    grid->SetDataSource(&source);
    grid->SetOptions(DefaultGridOptions() | TDBGridOption::AlwaysShowEditor);
    grid->AddColumn(QStringLiteral("Cod"), QStringLiteral("Cod materie prima"), 120);
    grid->AddColumn(QStringLiteral("Cant"), QStringLiteral("Cantitate materie prima"), 150);
    grid->AddColumn(QStringLiteral("Den"), QStringLiteral("Denumire materie prima"), 220);
    grid->AddColumn(QStringLiteral("Cant"), QStringLiteral("Stoc final"), 90)->SetColor(TColumn::ButtonFace());
    grid->OnDrawColumnCell = [](TDBGridNormal* g, const QRect& rect, int dataCol, TColumn* column, TGridDrawState state) {
        TField* field = column->Field();
        if (dataCol == 3 && field->AsFloat() < 0) {
            const TGridCanvas saved = g->Canvas();
            g->Canvas().FontColor = QColor(255, 0, 0);
            g->Canvas().Font.setBold(true);
            g->DefaultDrawColumnCell(rect, dataCol, column, state);
            g->Canvas() = saved;
            return;
        }
        g->DefaultDrawColumnCell(rect, dataCol, column, state);
    };
    auto* ok = new QPushButton(QStringLiteral("&Deschide"), &form);
    auto* cancel = new QPushButton(QStringLiteral("Stînga, înceapa: &Renunţă"), &form);
    layout->addWidget(label, 0, 0);
    layout->addWidget(label2, 1, 0);
    layout->addWidget(edit, 1, 1);
    layout->addWidget(navigator, 0, 2, 2, 1);
    layout->addWidget(grid, 2, 0, 1, 3);
    layout->addWidget(ok, 3, 1);
    layout->addWidget(cancel, 3, 2);
    form.resize(720, 260);
    application.SetMainForm(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    grid->setFocus();
    grid->SetSelectedField(table->FieldByName(QStringLiteral("Den")));

    const QString file = testsupport::LookDir() + QStringLiteral("/ui-form.png");
    ASSERT_TRUE(form.grab().save(file));
    // Nothing of the window may be cut off by its layout.
    for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(label2), static_cast<QWidget*>(ok),
                       static_cast<QWidget*>(cancel), static_cast<QWidget*>(navigator)})
        EXPECT_GE(w->width(), w->sizeHint().width()) << qPrintable(w->objectName());
    EXPECT_EQ(messages.Count(), 0);
}
