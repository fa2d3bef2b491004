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

QPushButton* Button(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TRecallForm::TRecallForm(TProductionContext& context, QWidget* owner) : fw::TForm(owner), context_(context)
{
    setObjectName(QStringLiteral("RecallForm"));
    SetCaption(QStringLiteral("Urmarire lot"));
    SetFormStyle(fw::TFormStyle::MDIChild);
    SetPosition(fw::TPosition::ScreenCenter);
    SetKeyPreview(true);
    OnKeyPress = [this](fw::TForm*, QChar& key) { FormKeyPress(key); };
    OnClose = [](fw::TForm*, fw::TCloseAction& action) { action = fw::TCloseAction::Free; };
    BuildControls();
    UpdateButtons();
}

TRecallForm::~TRecallForm() { SetKeyPreview(false); }

void TRecallForm::BuildControls()
{
    const int group = fw::CompanyTable(fw::ItemInDB).Field("Cod_grupa").Size;
    const int code = fw::CompanyTable(fw::ItemInDB).Field("Cod_articol").Size;
    const int lot = fw::CompanyTable(fw::ItemInDB).Field("Lot").Size;
    GroupEdit = Edit(this, "GroupEdit", group, 70);
    GroupEdit->setToolTip(QStringLiteral("Grupa articolului (CTRL-ENTER: catalogul)"));
    ArticleEdit = Edit(this, "ArticleEdit", code, 160);
    ArticleEdit->setToolTip(QStringLiteral("Codul articolului (CTRL-ENTER: catalogul)"));
    ArticleNameLabel = new QLabel(this);
    ArticleNameLabel->setObjectName(QStringLiteral("ArticleNameLabel"));
    // Room for what a scanner types: a GS1 string holds the lot among the other codes.
    LotEdit = Edit(this, "LotEdit", std::max(lot, kLongestScan), 160);
    LotEdit->setToolTip(QStringLiteral("Lotul urmarit, tastat sau citit cu scanerul (CTRL-ENTER: loturile articolului)"));
    ForwardRadio = new QRadioButton(QStringLiteral("&Inainte: unde a ajuns lotul"), this);
    ForwardRadio->setObjectName(QStringLiteral("ForwardRadio"));
    ForwardRadio->setChecked(true);
    BackwardRadio = new QRadioButton(QStringLiteral("Ina&poi: din ce s-a facut lotul"), this);
    BackwardRadio->setObjectName(QStringLiteral("BackwardRadio"));
    SearchButton = Button(this, "SearchButton", QStringLiteral("&Cauta"));
    SearchButton->setDefault(true);

    auto* groupLabel = new QLabel(QStringLiteral("&Grupa:"), this);
    groupLabel->setBuddy(GroupEdit);
    auto* articleLabel = new QLabel(QStringLiteral("A&rticol:"), this);
    articleLabel->setBuddy(ArticleEdit);
    auto* lotLabel = new QLabel(QStringLiteral("&Lot:"), this);
    lotLabel->setBuddy(LotEdit);
    auto* top = new QGridLayout;
    top->addWidget(groupLabel, 0, 0);
    top->addWidget(GroupEdit, 0, 1);
    top->addWidget(articleLabel, 0, 2);
    top->addWidget(ArticleEdit, 0, 3);
    top->addWidget(ArticleNameLabel, 0, 4, 1, 2);
    top->addWidget(lotLabel, 1, 0);
    top->addWidget(LotEdit, 1, 1, 1, 3);
    // The directions on a line of their own: their captions are never cut.
    auto* directions = new QHBoxLayout;
    directions->addWidget(ForwardRadio);
    directions->addWidget(BackwardRadio);
    directions->addStretch();
    top->addLayout(directions, 2, 1, 1, 5);
    top->addWidget(SearchButton, 0, 6, 3, 1);
    top->setColumnStretch(5, 1);

    RecallTree = new QTreeWidget(this);
    RecallTree->setObjectName(QStringLiteral("RecallTree"));
    RecallTree->setHeaderLabels(RecallColumnTitles());
    RecallTree->setAlternatingRowColors(true);
    RecallTree->setUniformRowHeights(true);
    TotalsLabel = new QLabel(this);
    TotalsLabel->setObjectName(QStringLiteral("TotalsLabel"));
    TotalsTree = new QTreeWidget(this);
    TotalsTree->setObjectName(QStringLiteral("TotalsTree"));
    TotalsTree->setHeaderLabels(
        {QStringLiteral("Partener"), QStringLiteral("Articol"), QStringLiteral("Cantitate"), QStringLiteral("U.M.")});
    TotalsTree->setRootIsDecorated(false);
    InspectionLabel = new QLabel(QStringLiteral("Pentru inspectie:"), this);
    InspectionLabel->setObjectName(QStringLiteral("InspectionLabel"));
    InspectionText = new QPlainTextEdit(this);
    InspectionText->setObjectName(QStringLiteral("InspectionText"));
    InspectionText->setReadOnly(true);
    InspectionText->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* totals = new QWidget(this);
    auto* totalsLayout = new QGridLayout(totals);
    totalsLayout->setContentsMargins(0, 0, 0, 0);
    totalsLayout->addWidget(TotalsLabel, 0, 0);
    totalsLayout->addWidget(TotalsTree, 1, 0);
    totalsLayout->addWidget(InspectionLabel, 0, 1);
    totalsLayout->addWidget(InspectionText, 1, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(RecallTree);
    split->addWidget(totals);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    PrintButton = Button(this, "PrintButton", QStringLiteral("&Tipareste..."));
    CsvButton = Button(this, "CsvButton", QStringLiteral("Export C&SV..."));
    ReverseButton = Button(this, "ReverseButton", QStringLiteral("&Anuleaza consumul..."));
    ReverseButton->setToolTip(QStringLiteral("Anuleaza documentul de consum al randului curent."));
    CloseButton = Button(this, "CloseButton", QStringLiteral("I&nchide"));
    DrillButton = Button(this, "DrillButton", QStringLiteral("&Exercitiu..."));
    DrillButton->setToolTip(QStringLiteral("Exercitiu de retragere: pasii cronometrati si inregistrati."));
    DrillsButton = Button(this, "DrillsButton", QStringLiteral("Exercitii &facute..."));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReverseButton);
    buttons->addStretch();
    buttons->addWidget(DrillButton);
    buttons->addWidget(DrillsButton);
    buttons->addWidget(PrintButton);
    buttons->addWidget(CsvButton);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resize(980, 600);

    connect(SearchButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { SearchButtonClick(); }));
    connect(PrintButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { PrintButtonClick(); }));
    connect(CsvButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { CsvButtonClick(); }));
    connect(DrillButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { DrillButtonClick(); }));
    connect(DrillsButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { ShowDrills(context_, this); }));
    connect(ReverseButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { ReverseButtonClick(); }));
    connect(RecallTree, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(CloseButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { Close(); }));
    connect(LotEdit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    for (QLineEdit* edit : {GroupEdit, ArticleEdit})
        connect(edit, &QLineEdit::editingFinished, this, fw::GuardedSlot(this, [this] { ShowArticleName(); }));
}

void TRecallForm::UpdateButtons()
{
    SearchButton->setEnabled(!LotEdit->text().trimmed().isEmpty());
    DrillButton->setEnabled(SearchButton->isEnabled());
    PrintButton->setEnabled(recall_.has_value() && !recall_->Roots.empty());
    CsvButton->setEnabled(PrintButton->isEnabled());
    const QTreeWidgetItem* current = RecallTree->currentItem();
    ReverseButton->setEnabled(current && current->data(0, kDocumentRole).isValid());
}

void TRecallForm::ShowArticleName()
{
    if (ArticleEdit->text().isEmpty()) {
        ArticleNameLabel->clear();
        return;
    }
    try {
        TLotWalk walk(context_.Session(), KRBPROD);
        ArticleNameLabel->setText(walk.ArticleName(GroupEdit->text(), ArticleEdit->text()));
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TRecallForm::FormKeyPress(QChar& key)
{
    QWidget* focused = focusWidget();
    // A scanner sends FNC1 as the group separator, which a line edit drops as a control
    // character; it ends a field of the GS1 string and is kept.
    if (key == gs1::GroupSeparator && focused == LotEdit) {
        key = QChar(0);
        LotEdit->insert(QString(gs1::GroupSeparator));
        return;
    }
    // Enter in the lot box searches, taken here once rather than left to whichever button
    // is the window's default at the moment.
    if (key == QChar(13) && focused == LotEdit) {
        key = QChar(0);
        SearchButtonClick();
        return;
    }
    if (key != QChar(10))
        return;
    if (focused == GroupEdit || focused == ArticleEdit) {
        key = QChar(0);
        QString group = GroupEdit->text();
        QString code = ArticleEdit->text();
        if (!ExecuteCatalogLookup(context_, this, group, code))
            return;
        GroupEdit->setText(group);
        ArticleEdit->setText(code);
        ShowArticleName();
        LotEdit->setFocus();
    } else if (focused == LotEdit) {
        key = QChar(0);
        if (ArticleEdit->text().isEmpty()) {
            fw::MessageDlg(msg::ChooseArticleFirst(), fw::TMsgDlgType::Warning);
            ArticleEdit->setFocus();
            return;
        }
        QString lot = LotEdit->text();
        try {
            if (!ExecuteLotPicker(context_, this, GroupEdit->text(), ArticleEdit->text(), lot))
                return;
        } catch (const fw::EDatabaseError& e) {
            fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
            return;
        }
        LotEdit->setText(lot);
        SearchButton->setFocus();
    }
}

bool TRecallForm::TakeScannedLot()
{
    try {
        const TScannedLot scanned = ReadScannedLot(context_.Session(), LotEdit->text());
        if (!scanned.Code.isEmpty()) {
            GroupEdit->setText(scanned.Group);
            ArticleEdit->setText(scanned.Code);
            ShowArticleName();
        }
        LotEdit->setText(scanned.Lot);
        return true;
    } catch (const gs1::EInvalid& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
    return false;
}

void TRecallForm::SearchButtonClick()
{
    if (gs1::LooksLikeElementString(LotEdit->text()) && !TakeScannedLot())
        return;
    const QString lot = LotEdit->text().trimmed();
    const QString group = GroupEdit->text();
    const QString code = ArticleEdit->text();
    if (lot.isEmpty())
        return;
    try {
        const fw::THourGlass wait(context_.Screen);
        TLotWalk walk(context_.Session(), KRBPROD);
        const std::vector<TLotKey> lots = walk.FindLots(lot, group, code);
        if (lots.empty()) {
            recall_.reset();
            ShowRecall();
            fw::MessageDlg(msg::LotNotFound(lot, code.isEmpty() ? QString() : group + QLatin1Char('/') + code),
                           fw::TMsgDlgType::Warning);
            return;
        }
        recall_ = walk.Follow(lots, ForwardRadio->isChecked() ? TRecallDirection::Forward : TRecallDirection::Backward);
        walk.Balance(*recall_);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return;
    }
    ShowRecall();
}

void TRecallForm::AddItems(QTreeWidgetItem* parent, const TRecallNode& node, int depth)
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
        AddItems(item, child, depth + 1);
    item->setExpanded(depth < kOpenDepth);
}

void TRecallForm::ReverseButtonClick()
{
    const QTreeWidgetItem* current = RecallTree->currentItem();
    if (!current || !context_.Data)
        return;
    const QVariantList document = current->data(0, kDocumentRole).toList();
    if (document.size() != 3)
        return;
    const double number = document[1].toDouble();
    const QDate date = document[2].toDate();
    if (AskAndReverse(*context_.Data, {document[0].toDouble(), number, date, ConsumptionDocumentLabel(number, date)}))
        SearchButtonClick();
}

void TRecallForm::ShowRecall()
{
    RecallTree->clear();
    TotalsTree->clear();
    TotalsLabel->clear();
    InspectionText->clear();
    if (recall_) {
        std::vector<TInspectionSection> sections{CustomersToCall(*recall_)};
        for (TInspectionSection& s : InspectionSections(*recall_, context_.Formats))
            sections.push_back(std::move(s));
        InspectionText->setPlainText(SectionsText(sections));
        for (const TRecallNode& root : recall_->Roots)
            AddItems(RecallTree->invisibleRootItem(), root, 0);
        TotalsLabel->setText(RecallTotalsTitle(recall_->Direction) + QLatin1Char(':'));
        for (const TRecallTotal& t : RecallTotals(*recall_)) {
            auto* item = new QTreeWidgetItem(
                TotalsTree, {t.Partner, QStringLiteral("%1/%2  %3").arg(t.Group, t.Article, t.Name),
                             fw::QuantityToStr(t.Quantity, context_.Formats), t.Unit});
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        }
        for (QTreeWidget* tree : {RecallTree, TotalsTree})
            for (int c = 0; c < tree->columnCount(); ++c)
                tree->resizeColumnToContents(c);
        widenToColumns();
    }
    UpdateButtons();
}

void TRecallForm::widenToColumns()
{
    QWidget* frame = MDISubWindow() ? static_cast<QWidget*>(MDISubWindow()) : this;
    const int missing = std::max(RecallTree->header()->length() - RecallTree->viewport()->width(),
                                 TotalsTree->header()->length() - TotalsTree->viewport()->width());
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

void TRecallForm::PrintButtonClick()
{
    if (!recall_)
        return;
    try {
        PrintRecall(context_, *recall_, this);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::ReportDatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TRecallForm::CsvButtonClick()
{
    if (!recall_)
        return;
    QFileDialog dialog(this, QStringLiteral("Export CSV"), QStringLiteral("lot-%1.csv").arg(LotEdit->text().trimmed()),
                       QStringLiteral("Fisiere CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    // Runs as the printing dialogs do, so that a test can answer it.
    if (fw::ExecPrintModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    WriteRecallCsv(*recall_, dialog.selectedFiles().constFirst());
}

void TRecallForm::DrillButtonClick()
{
    TDrill drill;
    drill.Lot = LotEdit->text().trimmed();
    drill.Group = GroupEdit->text();
    drill.Article = ArticleEdit->text();
    drill.Direction = ForwardRadio->isChecked() ? TRecallDirection::Forward : TRecallDirection::Backward;
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
            ShowRecall();
            PrintRecall(context_, *recall_, this);
        });
        if (!found) {
            fw::MessageDlg(msg::LotNotFound(drill.Lot, drill.Article.isEmpty() ? QString() : drill.Group + QLatin1Char('/') + drill.Article),
                           fw::TMsgDlgType::Warning);
            return;
        }
        RecordDrill(context_.Session(), KRBPROD, drill);
        recall_->Drill = DrillLines(drill);
        ShowRecall();
        fw::MessageDlg(DrillTitle() + QStringLiteral(" inregistrat.\r") + recall_->Drill.join(QLatin1Char('\r')),
                       fw::TMsgDlgType::Information);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

} // namespace corvanel
