#include "dialogs/CodePicker.h"

#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "dialogs/CodeList.h"
#include "dialogs/SelectionLook.h"
#include "platform/db/Query.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/Guard.h"
#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

namespace corvanel {

namespace {
constexpr int kNameWidth = 219;
constexpr int kDesignedWidth = 330;
constexpr int kDesignedHeight = 340;
constexpr int kCellPadding = 6; // each side of a cell's text
} // namespace

struct TCodePickerDlg::Ui {
    QCheckBox* all = nullptr;
    fw::TDBGridNormal* grid = nullptr;
};

TCodePickerDlg::TCodePickerDlg(const TProductionContext& context, QWidget* owner, const TSource& source)
    : fw::TForm(owner), context_(context), ui_(std::make_unique<Ui>())
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

    Ui& u = *ui_;
    u.all = new QCheckBox(source.AllCaption, this);
    u.all->setObjectName(QStringLiteral("AllCheck"));
    u.all->setChecked(true);
    connect(u.all, &QCheckBox::toggled, this, fw::GuardedSlot(this, [this] { followAllBox(); }));
    // The run of blanks in the text is where it wraps.
    auto* hint = new QLabel(QStringLiteral("Pentru a selecta mai multe gestiuni folositi                        "
                                           "mouse-ul si tasta Ctrl"),
                            this);
    hint->setObjectName(QStringLiteral("HintLabel"));
    hint->setWordWrap(true);

    u.grid = new fw::TDBGridNormal(this);
    u.grid->setObjectName(QStringLiteral("Grid"));
    u.grid->SetOptions(fw::TDBGridOptions(fw::TDBGridOption::Titles) | fw::TDBGridOption::Indicator |
                       fw::TDBGridOption::ColumnResize | fw::TDBGridOption::ColLines | fw::TDBGridOption::RowLines |
                       fw::TDBGridOption::Tabs | fw::TDBGridOption::RowSelect | fw::TDBGridOption::AlwaysShowSelection |
                       fw::TDBGridOption::MultiSelect);
    u.grid->SetReadOnly(true);
    u.grid->SetDataSource(source_);
    u.grid->AddColumn(QStringLiteral("Cod"), QString(), source.CodeWidth);
    u.grid->AddColumn(QStringLiteral("Denumire"), QString(), kNameWidth);
    u.grid->setEnabled(false);
    // The dialog's colours are for its face; the grid keeps the usual ones.
    fw::KeepUsualColours(u.grid);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(u.all);
    layout->addWidget(hint);
    layout->addWidget(u.grid, 1);
    layout->addWidget(
        fw::DialogButtons(this, {{QDialogButtonBox::Ok, QStringLiteral("&Deschide"), QStringLiteral("Sunt de acord")},
                                 {QDialogButtonBox::Cancel, QStringLiteral("&Inchide"), QStringLiteral("Renunt")}}));

    // Wide enough for both columns without a horizontal scroll bar.
    int gridWidth = u.grid->verticalHeader()->width() + 2 * u.grid->frameWidth() +
                    u.grid->verticalScrollBar()->sizeHint().width() + 2;
    for (int i = 0; i < u.grid->ColumnCount(); ++i)
        gridWidth += u.grid->Columns(i)->Width();
    const QMargins m = layout->contentsMargins();
    const int width = std::max(kDesignedWidth, gridWidth + m.left() + m.right());
    setFixedSize(width, std::max(kDesignedHeight, layout->totalHeightForWidth(width)));
}

TCodePickerDlg::~TCodePickerDlg() = default;

void TCodePickerDlg::followAllBox()
{
    if (ui_->all->isChecked()) {
        ui_->grid->setEnabled(false);
        return;
    }
    if (!query_->Active()) {
        fw::THourGlass wait(context_.Screen);
        query_->Open();
        fitCodeColumn();
    }
    ui_->grid->setEnabled(true);
}

void TCodePickerDlg::fitCodeColumn()
{
    fw::TDBGridNormal* grid = ui_->grid;
    // As wide as the longest code shown, so that none is clipped; the dialog grows with it.
    fw::TField* code = query_->FieldByName(QStringLiteral("Cod"));
    int needed = 0;
    for (query_->First(); !query_->Eof(); query_->Next())
        needed = std::max(needed, grid->fontMetrics().horizontalAdvance(code->AsString()));
    query_->First();
    fw::TColumn* column = grid->Columns(0);
    const int grow = needed + 2 * kCellPadding - column->Width();
    if (grow <= 0)
        return;
    column->SetWidth(column->Width() + grow);
    setFixedSize(width() + grow, height());
}

QString TCodePickerDlg::CodeList()
{
    if (ui_->all->isChecked())
        return QString();
    fw::THourGlass wait(context_.Screen);
    QStringList codes;
    fw::TField* code = query_->FieldByName(QStringLiteral("Cod"));
    for (const fw::TBookmark row : ui_->grid->SelectedRows()) {
        query_->GotoBookmark(row);
        codes << code->AsString();
    }
    return JoinCodeList(codes);
}

} // namespace corvanel
