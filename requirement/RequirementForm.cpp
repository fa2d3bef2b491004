#include "requirement/RequirementForm.h"

#include "catalog/CatalogLookup.h"
#include "data/FieldByName.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/LotPreviewPanel.h"
#include "requirement/Requirement.h"
#include "platform/core/Readable.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace corvanel {

using namespace fw;

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

struct TRequirementForm::Ui {
    QFrame* header = nullptr;
    QLabel* number = nullptr;
    QLabel* date = nullptr;
    fw::TDBNavigator* navigator = nullptr;
    QPushButton* generate = nullptr; // "Genereaza document iesire "
    fw::TDBGridNormal* agents = nullptr;
    fw::TDBGridNormal* grid = nullptr;
    TLotPreviewPanel* lotPreview = nullptr; // the lots the current row would be drawn from
};

TRequirementForm::TRequirementForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("RequirementForm"));
    SetCaption(QStringLiteral("Fisa Necesar Tehnic"));
    SetPosition(TPosition::ScreenCenter);
    Ui& u = *ui_;
    makeHeader();
    makeGrid();
    u.lotPreview = new TLotPreviewPanel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(u.header);
    layout->addWidget(u.agents);
    layout->addWidget(u.grid, 1);
    layout->addWidget(u.lotPreview);

    OnClose = [this](TForm*, TCloseAction& action) {
        action = TCloseAction::Free;
        releaseData();
    };
    prepare();
    fitToGrid();
}

void TRequirementForm::fitToGrid()
{
    // The designed widths, grown where a title needs more, and the window wide enough to
    // show every column.
    TDBGridNormal* grid = ui_->grid;
    const QFontMetrics titles(grid->horizontalHeader()->font());
    for (int i = 0; i < grid->ColumnCount(); ++i) {
        TColumn* column = grid->Columns(i);
        column->SetWidth(std::max(column->Width(), titles.horizontalAdvance(column->Title()) + 12));
    }
    const int width = grid->horizontalHeader()->length() + grid->verticalHeader()->width() + 2 * grid->frameWidth()
                      + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(std::max({704, width, ui_->header->sizeHint().width()}),
           424 + ui_->lotPreview->sizeHint().height());
}

// The strip across the top: the system's highlight behind white captions, the navigator
// and the two buttons on the right in the usual colours.
void TRequirementForm::makeHeader()
{
    Ui& u = *ui_;
    auto* panel = u.header = new QFrame(this);
    panel->setObjectName(QStringLiteral("HeaderPanel"));
    panel->setFixedHeight(81);
    QPalette strip = panel->palette();
    strip.setColor(QPalette::Window, strip.color(QPalette::Highlight));
    strip.setColor(QPalette::WindowText, Qt::white);
    panel->setPalette(strip);
    panel->setAutoFillBackground(true);

    QLabel* title = NewLabel(panel, "TitleLabel", QStringLiteral("Fisa de necesar tehnic "), true);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    QLabel* numberCaption = NewLabel(panel, "NumberCaption", QStringLiteral("la documentul nr."));
    u.number = NewLabel(panel, "NumberLabel", QString(), true);
    QLabel* dateCaption = NewLabel(panel, "DateCaption", QStringLiteral("din data de "));
    u.date = NewLabel(panel, "DateLabel", QString(), true);
    QLabel* customerCaption = NewLabel(panel, "CustomerCaption", QStringLiteral("Beneficiar:"));
    customerCaption->hide();

    u.navigator = new TDBNavigator(panel);
    u.navigator->setObjectName(QStringLiteral("RequirementNavigator"));
    u.navigator->SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior"), QStringLiteral("Urmator"),
                           QStringLiteral("Ultimul"), QStringLiteral("Adaugare"), QStringLiteral("Stergere"),
                           QStringLiteral("Editare"), QStringLiteral("Salvare"), QStringLiteral("Anulare"),
                           QStringLiteral("Refresh")});
    // Generation is a command of the box, not its accepting button: Enter in the grid
    // never generates.
    QDialogButtonBox* buttons = DialogButtons(this, {{QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}});
    buttons->setParent(panel);
    u.generate = buttons->addButton(QStringLiteral("Genereaza document iesire "), QDialogButtonBox::ActionRole);
    u.generate->setObjectName(QStringLiteral("GenerateButton"));
    connect(u.generate, &QPushButton::clicked, this, GuardedSlot(this, [this] { generateConsumption(); }));
    for (QWidget* control : std::initializer_list<QWidget*>{u.navigator, buttons})
        control->setPalette(palette());

    auto* captions = new QVBoxLayout;
    captions->addWidget(title);
    for (auto [caption, value] : {std::pair{numberCaption, u.number}, {dateCaption, u.date}}) {
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(value);
        row->addStretch(1);
        captions->addLayout(row);
    }
    captions->addWidget(customerCaption);
    auto* right = new QVBoxLayout;
    right->addWidget(u.navigator, 0, Qt::AlignRight);
    right->addWidget(buttons);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(10, 4, 10, 6);
    layout->addLayout(captions, 1);
    layout->addLayout(right);
}

void TRequirementForm::makeGrid()
{
    Ui& u = *ui_;
    TProductionData* dm = context_.Data;
    // The agents, hidden: their current row (the first one) signs the document.
    u.agents = new TDBGridNormal(this);
    u.agents->setObjectName(QStringLiteral("AgentsGrid"));
    u.agents->SetOptions(DefaultGridOptions() | TDBGridOption::RowSelect);
    u.agents->SetReadOnly(true);
    u.agents->SetDataSource(dm->Requirement().AgentsSource());
    u.agents->hide();

    u.grid = new TDBGridNormal(this);
    u.grid->setObjectName(QStringLiteral("RequirementGrid"));
    u.grid->SetOptions(TDBGridOptions(TDBGridOption::Editing) | TDBGridOption::AlwaysShowEditor |
                       TDBGridOption::Titles | TDBGridOption::Indicator | TDBGridOption::ColLines |
                       TDBGridOption::RowLines | TDBGridOption::ColumnResize | TDBGridOption::Tabs);
    u.grid->SetDataSource(dm->Requirement().TempSource());
    u.grid->AddColumn(QStringLiteral("Denumire"), QStringLiteral("Denumire materie prima"), 300);
    u.grid->AddColumn(QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod materie prima"), 90);
    u.grid->AddColumn(QStringLiteral("Cod_grupa"), QStringLiteral("Cod_grupa"));
    u.grid->AddColumn(QStringLiteral("Cant"), QStringLiteral("Cantitate"));
    u.grid->AddColumn(QStringLiteral("StocExist"), QStringLiteral("Stoc existent"))->SetColor(TColumn::ButtonFace());
    u.grid->AddColumn(QStringLiteral("StocFin"), QStringLiteral("Stoc final"))->SetColor(TColumn::ButtonFace());
    u.grid->OnDrawColumnCell = [this](TDBGridNormal* grid, const QRect& rect, int dataCol, TColumn* column,
                                      TGridDrawState state) { drawNegativeStockRed(grid, rect, dataCol, column, state); };
    u.grid->OnKeyDown = [this](TDBGridNormal*, int& key, Qt::KeyboardModifiers) { keepEscapeInTheCell(key); };
    // Ctrl+Enter or a double click in a material's column: the catalog. The key is taken
    // whether or not an article is chosen.
    u.grid->OnKeyPress = [this](TDBGridNormal*, QChar& key) {
        if (key == QChar(10) && materialColumnSelected()) {
            key = QChar();
            pickMaterial();
        }
    };
    u.grid->OnDblClick = [this](TDBGridNormal*) {
        if (materialColumnSelected())
            pickMaterial();
    };
    u.navigator->SetDataSource(dm->Requirement().TempSource());
}

TRequirementForm::~TRequirementForm()
{
    releaseData();
}

void TRequirementForm::prepare()
{
    TProductionData* dm = context_.Data;
    context_.ReceiptsNeedRefresh = false;
    std::optional<TPreparedRequirement> prepared;
    QString failure;
    {
        THourGlass wait(context_.Screen);
        try {
            prepared = PrepareRequirement(*dm, context_.ReceiptCounter);
        } catch (const EDatabaseError& e) {
            failure = msg::PreparationFailed(e.Message());
        } catch (const EInOutError& e) {
            failure = e.Message(); // the settings file, in its own words
        } catch (...) {
            releaseData();
            throw;
        }
    }
    TTable* temp = dm->Requirement().TempTable();
    ui_->generate->setEnabled(temp->Active() && temp->RecordCount() > 0);
    if (!prepared) {
        MessageDlg(failure, TMsgDlgType::Error);
        releaseData();
        return;
    }
    prepared_ = true;
    // With expired lots left out, each row shows beside its stock what that leaves out.
    if (!context_.Settings.DrawExpiredLots)
        ui_->grid->AddColumn(QStringLiteral("StocExpirat"), QStringLiteral("Stoc expirat exclus"))
            ->SetColor(TColumn::ButtonFace());
    dm->Requirement().RequirementRowsChanged = [this](bool hasRows) {
        ui_->generate->setEnabled(hasRows);
        showLotPreview();
    };
    if (prepared->ReceiptFound) {
        ui_->number->setText(FloatToStr(F(dm->Requirement().DocInTable(), "Numar")->AsFloat(), context_.Formats));
        ui_->date->setText(DateText(F(dm->Requirement().DocInTable(), "Data")->AsDate(), context_.Formats));
        lotsDay_ = prepared->LotsDay;
    }
    showLotPreview();
    for (const QString& warning : PreparationWarnings(*prepared))
        MessageDlg(warning, TMsgDlgType::Warning);
}

void TRequirementForm::releaseData()
{
    if (released_)
        return;
    released_ = true;
    TProductionData* dm = context_.Data;
    if (!dm)
        return;
    dm->Requirement().RequirementRowsChanged = nullptr;
    QString failure;
    {
        THourGlass wait(context_.Screen);
        try {
            CloseRequirement(*dm);
        } catch (const EDatabaseError& e) {
            failure = e.Message();
        }
    }
    if (!failure.isNull())
        MessageDlg(msg::DatabaseError(failure), TMsgDlgType::Error);
}

void TRequirementForm::drawNegativeStockRed(TDBGridNormal* grid, const QRect& rect, int dataCol, TColumn* column,
                                            TGridDrawState state)
{
    const TField* field = column->Field();
    const bool stockFigure = field
                             && (field->FieldName().compare(QLatin1String("StocFin"), Qt::CaseInsensitive) == 0
                                 || field->FieldName().compare(QLatin1String("StocExist"), Qt::CaseInsensitive) == 0);
    if (!stockFigure || field->AsFloat() >= 0) {
        grid->DefaultDrawColumnCell(rect, dataCol, column, state);
        return;
    }
    context_.NegativeStockShown = true;
    const TGridCanvas noted = grid->Canvas();
    grid->Canvas().FontColor = QColor(255, 0, 0);
    grid->Canvas().Font.setBold(true);
    grid->DefaultDrawColumnCell(rect, dataCol, column, state);
    grid->Canvas() = noted;
}

bool TRequirementForm::materialColumnSelected() const
{
    const TField* field = ui_->grid->SelectedField();
    if (!field)
        return false;
    for (const char* name : {"Cod_MatPrim", "Denumire", "Cod_grupa"})
        if (field->FieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TRequirementForm::keepEscapeInTheCell(int& key)
{
    // The editor is always open here, so an Escape from it would close the form and drop
    // every row edited so far: it only cancels the cell's edit, and does nothing without one.
    const QLineEdit* editor = ui_->grid->InplaceEditor();
    if (key != vk::Escape || !editor || QApplication::focusWidget() != editor)
        return;
    if (!context_.Data->Requirement().TempTable()->IsEditing())
        key = 0;
}

void TRequirementForm::pickMaterial()
{
    TTable* temp = context_.Data->Requirement().TempTable();
    QString group = F(temp, "Cod_grupa")->AsString();
    QString code = F(temp, "Cod_MatPrim")->AsString();
    if (!ExecuteCatalogLookup(context_, this, group, code))
        return;
    // The group first, so that the code's check sees the group it belongs to. The row
    // stays in editing for the user to save.
    temp->Edit();
    F(temp, "Cod_grupa")->SetAsString(group);
    F(temp, "Cod_MatPrim")->SetAsString(code);
}

void TRequirementForm::showLotPreview()
{
    TProductionData* dm = context_.Data;
    TTable* temp = dm ? dm->Requirement().TempTable() : nullptr;
    if (!prepared_ || !temp || !temp->Active() || temp->IsEmpty() || F(temp, "Cod_MatPrim")->AsString().isEmpty()) {
        ui_->lotPreview->clearLots();
        return;
    }
    const QString group = F(temp, "Cod_grupa")->AsString();
    const QString code = F(temp, "Cod_MatPrim")->AsString();
    try {
        ui_->lotPreview->showLots(group + QLatin1Char(' ') + code,
                         PreviewDraw(*dm, group, code, F(temp, "Cant")->AsFloat(), lotsDay_), context_.Formats);
    } catch (const EDatabaseError&) {
        ui_->lotPreview->clearLots(); // the figures beside it say what failed; generation reads again
    }
}

void TRequirementForm::generateConsumption()
{
    if (!ui_->grid->CommitEdit())
        return;
    std::optional<double> written;
    try {
        // The document goes under the user the agents' grid stands on.
        const TDataSet* agents = ui_->agents->DataSet();
        const QString agent = agents->Active() && !agents->Eof() ? F(agents, "Init")->AsString() : QString();
        written = GenerateConsumption(*context_.Data, context_.ReceiptCounter, agent, context_.Screen);
    } catch (const EDatabaseError& e) {
        MessageDlg(msg::GenerationFailed(e.Message()), TMsgDlgType::Error);
        return;
    }
    if (!written)
        return;
    MessageDlg(msg::ConsumptionWritten(ConsumptionDocumentLabel(*context_.Data, *written)), TMsgDlgType::Information);
    SetModalResult(TModalResult::OK);
}

} // namespace corvanel
