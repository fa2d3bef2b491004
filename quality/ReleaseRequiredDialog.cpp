#include "quality/ReleaseRequiredDialog.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/ReleaseRequired.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/print/Printer.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvanel {

namespace {

enum TColumn { ColGroup, ColCode, ColSince, ColAgent, ColumnCount };

} // namespace

struct TReleaseRequiredDialog::Ui {
    QLabel* explanation = nullptr;
    QTableWidget* articles = nullptr;
    QLineEdit* group = nullptr;
    QLineEdit* code = nullptr;
    QPushButton* add = nullptr;
    QPushButton* remove = nullptr;
    QLabel* problem = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

TReleaseRequiredDialog::TReleaseRequiredDialog(TProductionContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("ReleaseRequiredDialog"));
    setWindowTitle(QStringLiteral("Eliberare obligatorie"));
    buildControls();
    showArticles();
}

TReleaseRequiredDialog::~TReleaseRequiredDialog() = default;

void TReleaseRequiredDialog::buildControls()
{
    Ui& u = *ui_;
    u.explanation = new QLabel(QStringLiteral("Loturile noi ale acestor articole sunt \"In asteptare\": nu se consuma, nu se "
                                              "numara si nu se livreaza pana nu sunt eliberate (Analize laborator)."),
                               this);
    u.explanation->setWordWrap(true);
    u.articles = new QTableWidget(0, ColumnCount, this);
    u.articles->setObjectName(QStringLiteral("ArticlesGrid"));
    u.articles->setHorizontalHeaderLabels(
        {QStringLiteral("Grupa"), QStringLiteral("Cod articol"), QStringLiteral("Din data"), QStringLiteral("Agent")});
    u.articles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.articles->setSelectionBehavior(QAbstractItemView::SelectRows);
    u.articles->setSelectionMode(QAbstractItemView::SingleSelection);
    u.articles->verticalHeader()->hide();
    u.articles->horizontalHeader()->setStretchLastSection(true);
    u.group = new QLineEdit(this);
    u.group->setObjectName(QStringLiteral("GroupEdit"));
    u.group->setMaximumWidth(80);
    u.code = new QLineEdit(this);
    u.code->setObjectName(QStringLiteral("ArticleEdit"));
    u.add = new QPushButton(QStringLiteral("Adau&ga articolul"), this);
    u.add->setObjectName(QStringLiteral("AddButton"));
    u.remove = new QPushButton(QStringLiteral("&Scoate articolul selectat"), this);
    u.remove->setObjectName(QStringLiteral("RemoveButton"));
    u.problem = new QLabel(this);
    u.problem->setObjectName(QStringLiteral("ProblemLabel"));
    u.problem->setWordWrap(true);
    u.buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    u.buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Inchide"));

    auto* entry = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Articol (grupa / cod):"), this);
    label->setBuddy(u.group);
    entry->addWidget(label);
    entry->addWidget(u.group);
    entry->addWidget(new QLabel(QStringLiteral("/"), this));
    entry->addWidget(u.code, 1);
    entry->addWidget(u.add);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(u.explanation);
    layout->addWidget(u.articles, 1);
    layout->addWidget(u.remove, 0, Qt::AlignLeft);
    layout->addLayout(entry);
    layout->addWidget(u.problem);
    layout->addWidget(u.buttons);

    connect(u.add, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { addArticle(); }));
    connect(u.code, &QLineEdit::returnPressed, this, fw::GuardedSlot(this, [this] { addArticle(); }));
    connect(u.remove, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { removeArticle(); }));
    connect(u.articles, &QTableWidget::itemSelectionChanged, this,
            [this] { ui_->remove->setEnabled(!ui_->articles->selectedItems().isEmpty()); });
    connect(u.buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    u.remove->setEnabled(false);
}

void TReleaseRequiredDialog::showArticles()
{
    Ui& u = *ui_;
    u.articles->setRowCount(0);
    try {
        for (const TReleaseRequired& r : ReleaseRequiredArticles(*context_.Data->ProductionDatabase->GetConnection())) {
            const int row = u.articles->rowCount();
            u.articles->insertRow(row);
            const QString cells[ColumnCount] = {r.Group, r.Code, r.Since.toString(QStringLiteral("dd.MM.yyyy")), r.Agent};
            for (int c = 0; c < ColumnCount; ++c)
                u.articles->setItem(row, c, new QTableWidgetItem(cells[c]));
        }
    } catch (const fw::EDatabaseError& e) {
        u.problem->setText(msg::DatabaseError(e.Message()));
    }
}

void TReleaseRequiredDialog::addArticle() { change(ui_->group->text().trimmed(), ui_->code->text().trimmed(), true); }

void TReleaseRequiredDialog::removeArticle()
{
    const int row = ui_->articles->currentRow();
    if (row < 0)
        return;
    change(ui_->articles->item(row, ColGroup)->text(), ui_->articles->item(row, ColCode)->text(), false);
}

void TReleaseRequiredDialog::change(const QString& group, const QString& code, bool on)
{
    Ui& u = *ui_;
    try {
        SetReleaseRequired(*context_.Data, group, code, on, context_.Data->Requirement().AgentInitials());
        u.problem->clear();
        if (on) {
            u.group->clear();
            u.code->clear();
        }
        showArticles();
    } catch (const ELotStateRefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::ReleaseSettingNotWritten(e.Message()), fw::TMsgDlgType::Error);
    }
}

void ExecuteReleaseRequired(TProductionContext& context, QWidget* owner)
{
    TReleaseRequiredDialog dialog(context, owner);
    // Run as the other dialogs of the add-on are, so that a test can answer it.
    fw::ExecPrintModal(dialog);
}

} // namespace corvanel
