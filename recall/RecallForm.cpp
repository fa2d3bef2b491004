#include "recall/RecallForm.h"

#include "catalog/CatalogLookup.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "labels/Gs1.h"
#include "labels/ScannedLot.h"
#include "platform/core/Exceptions.h"
#include "platform/print/Printer.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"
#include "recall/DrillList.h"
#include "recall/LotPicker.h"
#include "recall/RecallDrill.h"
#include "recall/RecallContacts.h"
#include "recall/RecallOutput.h"
#include "recall/RecallReport.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"
#include "platform/core/Readable.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace corvanel {

namespace {

// Levels of the tree open when it is shown: the lot, its documents, the lots reached and theirs.
constexpr int kOpenDepth = 3;
// A consumption document's row keeps its counter, number and date under this role.
constexpr int kDocumentRole = Qt::UserRole + 1;

// The longest GS1 string the lot box takes from a scanner (a DataMatrix may hold more, but
// not what a lot label carries).
constexpr int kLongestScan = 120;

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint = QString())
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    return button;
}

} // namespace

struct TRecallForm::Ui {
    QLineEdit* groupEdit = nullptr;
    QLineEdit* articleEdit = nullptr;
    QLabel* articleName = nullptr;
    QLineEdit* lotEdit = nullptr;
    QRadioButton* forward = nullptr;
    QPushButton* search = nullptr;
    QTreeWidget* recallTree = nullptr;
    QLabel* totalsLabel = nullptr;
    QTreeWidget* totalsTree = nullptr;
    QPlainTextEdit* inspection = nullptr; // the customers to call, one step back and forward, the balance
    QPushButton* reverse = nullptr;
    QPushButton* drill = nullptr;
    QPushButton* print = nullptr;
    QPushButton* csv = nullptr;
};

TRecallForm::TRecallForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("RecallForm"));
    SetCaption(QStringLiteral("Urmarire lot"));
    SetFormStyle(fw::TFormStyle::MDIChild);
    SetPosition(fw::TPosition::ScreenCenter);
    SetKeyPreview(true);
    OnKeyPress = [this](fw::TForm*, QChar& key) { takeLotKeys(key); };
    OnClose = [](fw::TForm*, fw::TCloseAction& action) { action = fw::TCloseAction::Free; };
    buildControls();
    enableButtons();
}

TRecallForm::~TRecallForm() { SetKeyPreview(false); }

void TRecallForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(makeLotChoice());
    layout->addWidget(makeResults(), 1);
    layout->addLayout(makeButtons());
    resize(980, 600);
}

// The article, the lot, the direction and the search.
QLayout* TRecallForm::makeLotChoice()
{
    Ui& u = *ui_;
    const int group = fw::CompanyTable(fw::ItemInDB).Field("Cod_grupa").Size;
    const int code = fw::CompanyTable(fw::ItemInDB).Field("Cod_articol").Size;
    const int lot = fw::CompanyTable(fw::ItemInDB).Field("Lot").Size;
    u.groupEdit = Edit(this, "GroupEdit", group, 70);
    u.groupEdit->setToolTip(QStringLiteral("Grupa articolului (CTRL-ENTER: catalogul)"));
    u.articleEdit = Edit(this, "ArticleEdit", code, 160);
    u.articleEdit->setToolTip(QStringLiteral("Codul articolului (CTRL-ENTER: catalogul)"));
    u.articleName = new QLabel(this);
    u.articleName->setObjectName(QStringLiteral("ArticleNameLabel"));
    // Room for what a scanner types: a GS1 string holds the lot among the other codes.
    u.lotEdit = Edit(this, "LotEdit", std::max(lot, kLongestScan), 160);
    u.lotEdit->setToolTip(QStringLiteral("Lotul urmarit, tastat sau citit cu scanerul (CTRL-ENTER: loturile articolului)"));
    u.forward = new QRadioButton(QStringLiteral("&Inainte: unde a ajuns lotul"), this);
    u.forward->setObjectName(QStringLiteral("ForwardRadio"));
    u.forward->setChecked(true);
    auto* backward = new QRadioButton(QStringLiteral("Ina&poi: din ce s-a facut lotul"), this);
    backward->setObjectName(QStringLiteral("BackwardRadio"));
    u.search = Button(this, "SearchButton", QStringLiteral("&Cauta"));
    u.search->setDefault(true);
    connect(u.search, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { followLot(); }));
    connect(u.lotEdit, &QLineEdit::textChanged, this, [this] { enableButtons(); });
    for (QLineEdit* edit : {u.groupEdit, u.articleEdit})
        connect(edit, &QLineEdit::editingFinished, this, fw::GuardedSlot(this, [this] { showArticleName(); }));

    const auto label = [this](const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, this);
        l->setBuddy(buddy);
        return l;
    };
    // The directions on a line of their own: their captions are never cut.
    auto* directions = new QHBoxLayout;
    directions->addWidget(u.forward);
    directions->addWidget(backward);
    directions->addStretch();
    auto* grid = new QGridLayout;
    grid->addWidget(label(QStringLiteral("&Grupa:"), u.groupEdit), 0, 0);
    grid->addWidget(u.groupEdit, 0, 1);
    grid->addWidget(label(QStringLiteral("A&rticol:"), u.articleEdit), 0, 2);
    grid->addWidget(u.articleEdit, 0, 3);
    grid->addWidget(u.articleName, 0, 4, 1, 2);
    grid->addWidget(label(QStringLiteral("&Lot:"), u.lotEdit), 1, 0);
    grid->addWidget(u.lotEdit, 1, 1, 1, 3);
    grid->addLayout(directions, 2, 1, 1, 5);
    grid->addWidget(u.search, 0, 6, 3, 1);
    grid->setColumnStretch(5, 1);
    return grid;
}

// The lot's tree above; the totals per partner and what to inspect below.
QWidget* TRecallForm::makeResults()
{
    Ui& u = *ui_;
    u.recallTree = new QTreeWidget(this);
    u.recallTree->setObjectName(QStringLiteral("RecallTree"));
    u.recallTree->setHeaderLabels(RecallColumnTitles());
    u.recallTree->setAlternatingRowColors(true);
    u.recallTree->setUniformRowHeights(true);
    connect(u.recallTree, &QTreeWidget::currentItemChanged, this, [this] { enableButtons(); });
    u.totalsLabel = new QLabel(this);
    u.totalsLabel->setObjectName(QStringLiteral("TotalsLabel"));
    u.totalsTree = new QTreeWidget(this);
    u.totalsTree->setObjectName(QStringLiteral("TotalsTree"));
    u.totalsTree->setHeaderLabels(
        {QStringLiteral("Partener"), QStringLiteral("Articol"), QStringLiteral("Cantitate"), QStringLiteral("U.M.")});
    u.totalsTree->setRootIsDecorated(false);
    auto* inspectionLabel = new QLabel(QStringLiteral("Pentru inspectie:"), this);
    inspectionLabel->setObjectName(QStringLiteral("InspectionLabel"));
    u.inspection = new QPlainTextEdit(this);
    u.inspection->setObjectName(QStringLiteral("InspectionText"));
    u.inspection->setReadOnly(true);
    u.inspection->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* totals = new QWidget(this);
    auto* grid = new QGridLayout(totals);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(u.totalsLabel, 0, 0);
    grid->addWidget(u.totalsTree, 1, 0);
    grid->addWidget(inspectionLabel, 0, 1);
    grid->addWidget(u.inspection, 1, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(u.recallTree);
    split->addWidget(totals);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    return split;
}

// The reversal at the left, on its own; the window's commands and its closing at the right.
QLayout* TRecallForm::makeButtons()
{
    Ui& u = *ui_;
    u.reverse = Button(this, "ReverseButton", QStringLiteral("&Anuleaza consumul..."),
                       QStringLiteral("Anuleaza documentul de consum al randului curent."));
    connect(u.reverse, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { reverseCurrentConsumption(); }));
    QDialogButtonBox* box = fw::DialogButtons(this, {{QDialogButtonBox::Close, QStringLiteral("I&nchide")}});
    connect(box, &QDialogButtonBox::rejected, this, fw::GuardedSlot(this, [this] { Close(); }));
    const auto command = [&](const char* name, const QString& caption, const QString& hint, auto handler) {
        QPushButton* button = Button(this, name, caption, hint);
        box->addButton(button, QDialogButtonBox::ActionRole);
        connect(button, &QPushButton::clicked, this, fw::GuardedSlot(this, handler));
        return button;
    };
    u.drill = command("DrillButton", QStringLiteral("&Exercitiu..."),
                      QStringLiteral("Exercitiu de retragere: pasii cronometrati si inregistrati."), [this] { runDrill(); });
    command("DrillsButton", QStringLiteral("Exercitii &facute..."), QString(), [this] { ShowDrills(context_, this); });
    u.print = command("PrintButton", QStringLiteral("&Tipareste..."), QString(), [this] { printRecall(); });
    u.csv = command("CsvButton", QStringLiteral("Export C&SV..."), QString(), [this] { exportCsv(); });
    auto* row = new QHBoxLayout;
    row->addWidget(u.reverse);
    row->addStretch();
    row->addWidget(box);
    return row;
}

void TRecallForm::enableButtons()
{
    Ui& u = *ui_;
    u.search->setEnabled(!u.lotEdit->text().trimmed().isEmpty());
    u.drill->setEnabled(u.search->isEnabled());
    u.print->setEnabled(recall_.has_value() && !recall_->Roots.empty());
    u.csv->setEnabled(u.print->isEnabled());
    const QTreeWidgetItem* current = u.recallTree->currentItem();
    u.reverse->setEnabled(current && current->data(0, kDocumentRole).isValid());
}

TRecallDirection TRecallForm::direction() const
{
    return ui_->forward->isChecked() ? TRecallDirection::Forward : TRecallDirection::Backward;
}

void TRecallForm::showArticleName()
{
    Ui& u = *ui_;
    if (u.articleEdit->text().isEmpty()) {
        u.articleName->clear();
        return;
    }
    try {
        TLotWalk walk(context_.Session(), KRBPROD);
        u.articleName->setText(walk.ArticleName(u.groupEdit->text(), u.articleEdit->text()));
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TRecallForm::takeLotKeys(QChar& key)
{
    Ui& u = *ui_;
    QWidget* focused = focusWidget();
    // A scanner sends FNC1 as the group separator, which a line edit drops as a control
    // character; it ends a field of the GS1 string and is kept.
    if (key == gs1::GroupSeparator && focused == u.lotEdit) {
        key = QChar(0);
        u.lotEdit->insert(QString(gs1::GroupSeparator));
        return;
    }
    // Enter in the lot box searches, taken here once rather than left to whichever button
    // is the window's default at the moment.
    if (key == QChar(13) && focused == u.lotEdit) {
        key = QChar(0);
        followLot();
        return;
    }
    if (key != QChar(10))
        return;
    if (focused == u.groupEdit || focused == u.articleEdit) {
        key = QChar(0);
        pickArticle();
    } else if (focused == u.lotEdit) {
        key = QChar(0);
        pickLot();
    }
}

void TRecallForm::pickArticle()
{
    Ui& u = *ui_;
    QString group = u.groupEdit->text();
    QString code = u.articleEdit->text();
    if (!ExecuteCatalogLookup(context_, this, group, code))
        return;
    u.groupEdit->setText(group);
    u.articleEdit->setText(code);
    showArticleName();
    u.lotEdit->setFocus();
}

void TRecallForm::pickLot()
{
    Ui& u = *ui_;
    if (u.articleEdit->text().isEmpty()) {
        fw::MessageDlg(msg::ChooseArticleFirst(), fw::TMsgDlgType::Warning);
        u.articleEdit->setFocus();
        return;
    }
    QString lot = u.lotEdit->text();
    try {
        if (!ExecuteLotPicker(context_, this, u.groupEdit->text(), u.articleEdit->text(), lot))
            return;
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return;
    }
    u.lotEdit->setText(lot);
    u.search->setFocus();
}

bool TRecallForm::takeScannedLot()
{
    Ui& u = *ui_;
    try {
        const TScannedLot scanned = ReadScannedLot(context_.Session(), u.lotEdit->text());
        if (!scanned.Code.isEmpty()) {
            u.groupEdit->setText(scanned.Group);
            u.articleEdit->setText(scanned.Code);
            showArticleName();
        }
        u.lotEdit->setText(scanned.Lot);
        return true;
    } catch (const gs1::EInvalid& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
    return false;
}

void TRecallForm::followLot()
{
    Ui& u = *ui_;
    if (gs1::LooksLikeElementString(u.lotEdit->text()) && !takeScannedLot())
        return;
    const QString lot = u.lotEdit->text().trimmed();
    const QString group = u.groupEdit->text();
    const QString code = u.articleEdit->text();
    if (lot.isEmpty())
        return;
    try {
        const fw::THourGlass wait(context_.Screen);
        TLotWalk walk(context_.Session(), KRBPROD);
        const std::vector<TLotKey> lots = walk.FindLots(lot, group, code);
        if (lots.empty()) {
            recall_.reset();
            showRecall();
            fw::MessageDlg(msg::LotNotFound(lot, code.isEmpty() ? QString() : group + QLatin1Char('/') + code),
                           fw::TMsgDlgType::Warning);
            return;
        }
        recall_ = walk.Follow(lots, direction());
        walk.Balance(*recall_);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return;
    }
    showRecall();
}

void TRecallForm::addItems(QTreeWidgetItem* parent, const TRecallNode& node, int depth)
{
    const TRecallLine line = DescribeNode(node, depth, recall_->Direction, context_.Formats);
    auto* item = new QTreeWidgetItem(parent, RecallColumns(line));
    item->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
    QFont font = item->font(0);
    font.setBold(node.Kind == TRecallKind::Lot);
    font.setItalic(node.Estimated);
    for (int c = 0; c < item->columnCount(); ++c)
        item->setFont(c, font);
    if (node.Cycle || node.Estimated)
        item->setForeground(7, node.Cycle ? QColor(Qt::darkRed) : QColor(Qt::darkYellow));
    if (node.Kind == TRecallKind::Consumption) // what the reverse button needs of it
        item->setData(0, kDocumentRole, QVariantList{node.Document.Counter, node.Document.Number, node.Document.Date});
    for (const TRecallNode& child : node.Children)
        addItems(item, child, depth + 1);
    item->setExpanded(depth < kOpenDepth);
}

void TRecallForm::reverseCurrentConsumption()
{
    const QTreeWidgetItem* current = ui_->recallTree->currentItem();
    if (!current || !context_.Data)
        return;
    const QVariantList document = current->data(0, kDocumentRole).toList();
    if (document.size() != 3)
        return;
    const double number = document[1].toDouble();
    const QDate date = document[2].toDate();
    if (AskAndReverse(*context_.Data, {document[0].toDouble(), number, date, ConsumptionDocumentLabel(number, date)}))
        followLot();
}

void TRecallForm::showRecall()
{
    Ui& u = *ui_;
    u.recallTree->clear();
    u.totalsTree->clear();
    u.totalsLabel->clear();
    u.inspection->clear();
    if (recall_) {
        std::vector<TInspectionSection> sections{CustomersToCall(*recall_)};
        for (TInspectionSection& s : InspectionSections(*recall_, context_.Formats))
            sections.push_back(std::move(s));
        u.inspection->setPlainText(SectionsText(sections));
        for (const TRecallNode& root : recall_->Roots)
            addItems(u.recallTree->invisibleRootItem(), root, 0);
        u.totalsLabel->setText(RecallTotalsTitle(recall_->Direction) + QLatin1Char(':'));
        for (const TRecallTotal& t : RecallTotals(*recall_)) {
            auto* item = new QTreeWidgetItem(
                u.totalsTree, {t.Partner, QStringLiteral("%1/%2  %3").arg(t.Group, t.Article, t.Name),
                             fw::QuantityToStr(t.Quantity, context_.Formats), t.Unit});
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        }
        for (QTreeWidget* tree : {u.recallTree, u.totalsTree})
            for (int c = 0; c < tree->columnCount(); ++c)
                tree->resizeColumnToContents(c);
        widenToColumns();
    }
    enableButtons();
}

void TRecallForm::widenToColumns()
{
    QWidget* frame = MDISubWindow() ? static_cast<QWidget*>(MDISubWindow()) : this;
    const QTreeWidget* recallTree = ui_->recallTree;
    const QTreeWidget* totalsTree = ui_->totalsTree;
    const int missing = std::max(recallTree->header()->length() - recallTree->viewport()->width(),
                                 totalsTree->header()->length() - totalsTree->viewport()->width());
    if (missing <= 0)
        return;
    // The room: the main window's document area, or the screen for a window of its own.
    QRect room;
    if (MDISubWindow() && MDISubWindow()->mdiArea())
        room = MDISubWindow()->mdiArea()->viewport()->rect();
    else if (screen())
        room = screen()->availableGeometry();
    const int width = std::min(frame->width() + missing, room.width());
    if (width <= frame->width())
        return;
    // Moved left as far as needed to stay inside the room.
    const int left = std::min(frame->x(), room.right() + 1 - width);
    frame->setGeometry(std::max(room.left(), left), frame->y(), width, frame->height());
}

void TRecallForm::printRecall()
{
    if (!recall_)
        return;
    try {
        PrintRecall(context_, *recall_, this);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::ReportDatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TRecallForm::exportCsv()
{
    if (!recall_)
        return;
    QFileDialog dialog(this, QStringLiteral("Export CSV"), QStringLiteral("lot-%1.csv").arg(ui_->lotEdit->text().trimmed()),
                       QStringLiteral("Fisiere CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    // Runs as the printing dialogs do, so that a test can answer it.
    if (fw::ExecPrintModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    WriteRecallCsv(*recall_, dialog.selectedFiles().constFirst());
}

void TRecallForm::runDrill()
{
    TDrill drill;
    drill.Lot = ui_->lotEdit->text().trimmed();
    drill.Group = ui_->groupEdit->text();
    drill.Article = ui_->articleEdit->text();
    drill.Direction = direction();
    if (drill.Lot.isEmpty())
        return;
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("DrillOperator"));
    ask.setWindowTitle(DrillTitle());
    ask.setLabelText(QStringLiteral("Operatorul exercitiului:"));
    // Runs as the printing dialogs do, so that a test can answer it.
    if (fw::ExecPrintModal(ask) != QDialog::Accepted)
        return;
    drill.Operator = ask.textValue().trimmed();
    if (drill.Operator.isEmpty()) {
        fw::MessageDlg(QStringLiteral("Scrieti numele operatorului exercitiului."), fw::TMsgDlgType::Warning);
        return;
    }
    try {
        TLotWalk walk(context_.Session(), KRBPROD);
        TRecall recall;
        const bool found = RunDrill(walk, drill, recall, [this](const TRecall& followed) {
            recall_ = followed;
            showRecall();
            PrintRecall(context_, *recall_, this);
        });
        if (!found) {
            fw::MessageDlg(msg::LotNotFound(drill.Lot, drill.Article.isEmpty() ? QString() : drill.Group + QLatin1Char('/') + drill.Article),
                           fw::TMsgDlgType::Warning);
            return;
        }
        RecordDrill(context_.Session(), KRBPROD, drill);
        recall_->Drill = DrillLines(drill);
        showRecall();
        fw::MessageDlg(DrillTitle() + QStringLiteral(" inregistrat.\r") + recall_->Drill.join(QLatin1Char('\r')),
                       fw::TMsgDlgType::Information);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

} // namespace corvanel
