#include "dialogs/CodePicker.h"

#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "dialogs/CodeList.h"
#include "dialogs/SelectionLook.h"
#include "platform/db/Query.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Guard.h"
#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace corvanel {

namespace {
constexpr int kNameWidth = 219;
constexpr int kDesignedWidth = 330;
constexpr int kDesignedHeight = 340;
constexpr int kCellPadding = 6; // each side of a cell's text
} // namespace

TCodePickerDlg::TCodePickerDlg(const TProductionContext& context, QWidget* owner, const TSource& source)
    : fw::TForm(owner), context_(context)
{
    SetCaption(QStringLiteral("Selectie"));
    ApplySelectionLook(this);

    query_ = new fw::TQuery(this);
    query_->setObjectName(QString::fromLatin1(source.QueryName));
    query_->SetSession(context_.Session());
    query_->SetDatabaseName(TVELDA);
    query_->SetSQL(source.Sql);
    query_->AddField(QStringLiteral("Cod"), fw::TFieldType::String, source.CodeSize);
    query_->AddField(QStringLiteral("Denumire"), fw::TFieldType::String, source.NameSize);
    source_ = new fw::TDataSource(this);
    source_->SetDataSet(query_);

    AllCheck = new QCheckBox(source.AllCaption, this);
    AllCheck->setObjectName(QStringLiteral("AllCheck"));
    AllCheck->setChecked(true);
    // The run of blanks in the text is where it wraps.
    HintLabel = new QLabel(QStringLiteral("Pentru a selecta mai multe gestiuni folositi                        "
                                       "mouse-ul si tasta Ctrl"),
                        this);
    HintLabel->setObjectName(QStringLiteral("HintLabel"));
    HintLabel->setWordWrap(true);

    Grid = new fw::TDBGridNormal(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->SetOptions(fw::TDBGridOptions(fw::TDBGridOption::Titles) | fw::TDBGridOption::Indicator |
                     fw::TDBGridOption::ColumnResize | fw::TDBGridOption::ColLines | fw::TDBGridOption::RowLines |
                     fw::TDBGridOption::Tabs | fw::TDBGridOption::RowSelect | fw::TDBGridOption::AlwaysShowSelection |
                     fw::TDBGridOption::MultiSelect);
    Grid->SetReadOnly(true);
    Grid->SetDataSource(source_);
    Grid->AddColumn(QStringLiteral("Cod"), QString(), source.CodeWidth);
    Grid->AddColumn(QStringLiteral("Denumire"), QString(), kNameWidth);
    Grid->setEnabled(false);
    // The dialog's colours are for its face; the grid keeps the usual ones.
    fw::KeepUsualColours(Grid);

    OkBtn = NewButton(this, "OkBtn", QStringLiteral("&Deschide"), QStringLiteral("Sunt de acord"));
    OkBtn->setDefault(true);
    CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("&Inchide"), QStringLiteral("Renunt"));
    SetButtonModalResult(OkBtn, fw::TModalResult::OK);
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(AllCheck);
    layout->addWidget(HintLabel);
    layout->addWidget(Grid, 1);
    layout->addLayout(ButtonRow({OkBtn, CancelBtn}));

    connect(AllCheck, &QCheckBox::toggled, this, fw::GuardedSlot(this, [this] { AllCheckClick(); }));

    // Wide enough for both columns without a horizontal scroll bar.
    int gridWidth = Grid->verticalHeader()->width() + 2 * Grid->frameWidth() +
                    Grid->verticalScrollBar()->sizeHint().width() + 2;
    for (int i = 0; i < Grid->ColumnCount(); ++i)
        gridWidth += Grid->Columns(i)->Width();
    const QMargins m = layout->contentsMargins();
    const int width = std::max(kDesignedWidth, gridWidth + m.left() + m.right());
    setFixedSize(width, std::max(kDesignedHeight, layout->totalHeightForWidth(width)));
}

void TCodePickerDlg::AllCheckClick()
{
    if (AllCheck->isChecked()) {
        Grid->setEnabled(false);
        return;
    }
    if (!query_->Active()) {
        fw::THourGlass wait(context_.Screen);
        query_->Open();
        FitCodeColumn();
    }
    Grid->setEnabled(true);
}

void TCodePickerDlg::FitCodeColumn()
{
    // As wide as the longest code shown, so that none is clipped; the dialog grows with it.
    fw::TField* code = query_->FieldByName(QStringLiteral("Cod"));
    int needed = 0;
    for (query_->First(); !query_->Eof(); query_->Next())
        needed = std::max(needed, Grid->fontMetrics().horizontalAdvance(code->AsString()));
    query_->First();
    fw::TColumn* column = Grid->Columns(0);
    const int grow = needed + 2 * kCellPadding - column->Width();
    if (grow <= 0)
        return;
    column->SetWidth(column->Width() + grow);
    setFixedSize(width() + grow, height());
}

QString TCodePickerDlg::CodeList()
{
    if (AllCheck->isChecked())
        return QString();
    fw::THourGlass wait(context_.Screen);
    QStringList codes;
    fw::TField* code = query_->FieldByName(QStringLiteral("Cod"));
    for (const fw::TBookmark row : Grid->SelectedRows()) {
        query_->GotoBookmark(row);
        codes << code->AsString();
    }
    return JoinCodeList(codes);
}

} // namespace corvanel
