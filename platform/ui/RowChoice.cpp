#include "platform/ui/RowChoice.h"

#include "platform/ui/Guard.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace fw {

struct TRowChoiceDlg::Ui {
    QTableWidget* grid = nullptr;
};

namespace {

QTableWidget* MakeGrid(const TRowChoice& choice, QWidget* parent)
{
    auto* grid = new QTableWidget(int(choice.Rows.size()), int(choice.Headings.size()), parent);
    grid->setObjectName(choice.GridName);
    grid->setHorizontalHeaderLabels(choice.Headings);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(choice.Rows.size()); ++row)
        for (int column = 0; column < int(choice.Headings.size()); ++column) {
            auto* item = new QTableWidgetItem(choice.Rows[size_t(row)].value(column));
            if (choice.RightAligned.contains(column))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(row, column, item);
        }
    grid->resizeColumnsToContents();
    if (choice.Current >= 0 && choice.Current < int(choice.Rows.size()))
        grid->setCurrentCell(choice.Current, 0);
    return grid;
}

} // namespace

TRowChoiceDlg::TRowChoiceDlg(const TRowChoice& choice, QWidget* owner) : TForm(owner), ui_(std::make_unique<Ui>())
{
    setObjectName(choice.Name);
    SetCaption(choice.Caption);
    SetPosition(TPosition::OwnerFormCenter);

    ui_->grid = MakeGrid(choice, this);
    QDialogButtonBox* buttons = DialogButtons(
        this, {{QDialogButtonBox::Ok, choice.OkCaption}, {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}});
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(!choice.Rows.empty());
    (choice.OkIsDefault ? ok : buttons->button(QDialogButtonBox::Cancel))->setDefault(true);
    if (choice.DoubleClickChooses)
        connect(ui_->grid, &QTableWidget::cellDoubleClicked, this, GuardedSlot(this, [this] { accept(); }));

    auto* layout = new QVBoxLayout(this);
    if (!choice.Prompt.isEmpty())
        layout->addWidget(new QLabel(choice.Prompt, this));
    layout->addWidget(ui_->grid);
    layout->addWidget(buttons);
    resize(choice.Size);
}

TRowChoiceDlg::~TRowChoiceDlg() = default;

int TRowChoiceDlg::chosenRow() const
{
    return ui_->grid->currentRow();
}

} // namespace fw
