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

TRequirementForm::TRequirementForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context)
{
    setObjectName(QStringLiteral("RequirementForm"));
    SetCaption(QStringLiteral("Fisa Necesar Tehnic"));
    SetPosition(TPosition::ScreenCenter);
    BuildHeader();
    BuildGrid();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(HeaderPanel);
    layout->addWidget(AgentsGrid);
    layout->addWidget(RequirementGrid, 1);
    LotPreview = new TLotPreviewPanel(this);
    layout->addWidget(LotPreview);

    connect(GenerateButton, &QPushButton::clicked, this, GuardedSlot(this, [this] { GenerateButtonClick(); }));
    SetButtonModalResult(CancelButton, TModalResult::Cancel);
    OnClose = [this](TForm*, TCloseAction& action) { FormClose(action); };
    FormCreate();
    FitToGrid();
}

void TRequirementForm::FitToGrid()
{
    // The designed widths, grown where a title needs more, and the window wide enough to
    // show every column.
    const QFontMetrics titles(RequirementGrid->horizontalHeader()->font());
    for (int i = 0; i < RequirementGrid->ColumnCount(); ++i) {
        TColumn* column = RequirementGrid->Columns(i);
        column->SetWidth(std::max(column->Width(), titles.horizontalAdvance(column->Title()) + 12));
    }
    const int grid = RequirementGrid->horizontalHeader()->length() + RequirementGrid->verticalHeader()->width()
                     + 2 * RequirementGrid->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(std::max({704, grid, HeaderPanel->sizeHint().width()}), 424 + LotPreview->sizeHint().height());
}

void TRequirementForm::BuildHeader()
{
    // The strip across the top: the system's highlight behind white captions, the
    // navigator and the two buttons on the right in the usual colours.
    HeaderPanel = new QFrame(this);
    HeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    HeaderPanel->setFixedHeight(81);
    QPalette strip = HeaderPanel->palette();
    strip.setColor(QPalette::Window, strip.color(QPalette::Highlight));
    strip.setColor(QPalette::WindowText, Qt::white);
    HeaderPanel->setPalette(strip);
    HeaderPanel->setAutoFillBackground(true);

    TitleLabel = NewLabel(HeaderPanel, "TitleLabel", QStringLiteral("Fisa de necesar tehnic "), true);
    QFont title = TitleLabel->font();
    title.setPointSizeF(title.pointSizeF() * 1.4);
    TitleLabel->setFont(title);
    NumberCaption = NewLabel(HeaderPanel, "NumberCaption", QStringLiteral("la documentul nr."));
    NumberLabel = NewLabel(HeaderPanel, "NumberLabel", QString(), true);
    DateCaption = NewLabel(HeaderPanel, "DateCaption", QStringLiteral("din data de "));
    DateLabel = NewLabel(HeaderPanel, "DateLabel", QString(), true);
    CustomerCaption = NewLabel(HeaderPanel, "CustomerCaption", QStringLiteral("Beneficiar:"));
    CustomerCaption->hide();

    RequirementNavigator = new TDBNavigator(HeaderPanel);
    RequirementNavigator->setObjectName(QStringLiteral("RequirementNavigator"));
    RequirementNavigator->SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior"), QStringLiteral("Urmator"),
                                QStringLiteral("Ultimul"), QStringLiteral("Adaugare"), QStringLiteral("Stergere"),
                                QStringLiteral("Editare"), QStringLiteral("Salvare"), QStringLiteral("Anulare"),
                                QStringLiteral("Refresh")});
    GenerateButton = new QPushButton(QStringLiteral("Genereaza document iesire "), HeaderPanel);
    GenerateButton->setObjectName(QStringLiteral("GenerateButton"));
    CancelButton = new QPushButton(QStringLiteral("&Renunta"), HeaderPanel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QWidget* control : {static_cast<QWidget*>(RequirementNavigator), static_cast<QWidget*>(GenerateButton),
                             static_cast<QWidget*>(CancelButton)})
        control->setPalette(palette());

    auto* captions = new QVBoxLayout;
    captions->addWidget(TitleLabel);
    for (auto [caption, value] : {std::pair{NumberCaption, NumberLabel}, {DateCaption, DateLabel}}) {
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(value);
        row->addStretch(1);
        captions->addLayout(row);
    }
    captions->addWidget(CustomerCaption);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(GenerateButton);
    buttons->addWidget(CancelButton);
    auto* right = new QVBoxLayout;
    right->addWidget(RequirementNavigator, 0, Qt::AlignRight);
    right->addLayout(buttons);
    auto* stripLayout = new QHBoxLayout(HeaderPanel);
    stripLayout->setContentsMargins(10, 4, 10, 6);
    stripLayout->addLayout(captions, 1);
    stripLayout->addLayout(right);
}

void TRequirementForm::BuildGrid()
{
    TProductionData* dm = context_.Data;
    // The agents, hidden: their current row (the first one) signs the document.
    AgentsGrid = new TDBGridNormal(this);
    AgentsGrid->setObjectName(QStringLiteral("AgentsGrid"));
    AgentsGrid->SetOptions(DefaultGridOptions() | TDBGridOption::RowSelect);
    AgentsGrid->SetReadOnly(true);
    AgentsGrid->SetDataSource(dm->Requirement().AgentsSource());
    AgentsGrid->hide();

    RequirementGrid = new TDBGridNormal(this);
    RequirementGrid->setObjectName(QStringLiteral("RequirementGrid"));
    RequirementGrid->SetOptions(TDBGridOptions(TDBGridOption::Editing) | TDBGridOption::AlwaysShowEditor |
                            TDBGridOption::Titles | TDBGridOption::Indicator | TDBGridOption::ColLines |
                            TDBGridOption::RowLines | TDBGridOption::ColumnResize | TDBGridOption::Tabs);
    RequirementGrid->SetDataSource(dm->Requirement().TempSource());
    RequirementGrid->AddColumn(QStringLiteral("Denumire"), QStringLiteral("Denumire materie prima"), 300);
    RequirementGrid->AddColumn(QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod materie prima"), 90);
    RequirementGrid->AddColumn(QStringLiteral("Cod_grupa"), QStringLiteral("Cod_grupa"));
    RequirementGrid->AddColumn(QStringLiteral("Cant"), QStringLiteral("Cantitate"));
    RequirementGrid->AddColumn(QStringLiteral("StocExist"), QStringLiteral("Stoc existent"))->SetColor(TColumn::ButtonFace());
    RequirementGrid->AddColumn(QStringLiteral("StocFin"), QStringLiteral("Stoc final"))->SetColor(TColumn::ButtonFace());
    RequirementGrid->OnDrawColumnCell = [this](TDBGridNormal* grid, const QRect& rect, int dataCol, TColumn* column,
                                           TGridDrawState state) {
        RequirementGridDrawColumnCell(grid, rect, dataCol, column, state);
    };
    RequirementGrid->OnKeyDown = [this](TDBGridNormal*, int& key, Qt::KeyboardModifiers) { RequirementGridKeyDown(key); };
    RequirementGrid->OnKeyPress = [this](TDBGridNormal*, QChar& key) { RequirementGridKeyPress(key); };
    RequirementGrid->OnDblClick = [this](TDBGridNormal*) { RequirementGridDblClick(); };
    RequirementNavigator->SetDataSource(dm->Requirement().TempSource());
}

TRequirementForm::~TRequirementForm()
{
    ReleaseData();
}

void TRequirementForm::FormCreate()
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
            ReleaseData();
            throw;
        }
    }
    TTable* temp = dm->Requirement().TempTable();
    GenerateButton->setEnabled(temp->Active() && temp->RecordCount() > 0);
    if (!prepared) {
        MessageDlg(failure, TMsgDlgType::Error);
        ReleaseData();
        return;
    }
    prepared_ = true;
    // With expired lots left out, each row shows beside its stock what that leaves out.
    if (!context_.Settings.DrawExpiredLots)
        RequirementGrid->AddColumn(QStringLiteral("StocExpirat"), QStringLiteral("Stoc expirat exclus"))
            ->SetColor(TColumn::ButtonFace());
    dm->Requirement().RequirementRowsChanged = [this](bool hasRows) {
        GenerateButton->setEnabled(hasRows);
        ShowLotPreview();
    };
    if (prepared->ReceiptFound) {
        NumberLabel->setText(FloatToStr(F(dm->Requirement().DocInTable(), "Numar")->AsFloat(), context_.Formats));
        DateLabel->setText(DateText(F(dm->Requirement().DocInTable(), "Data")->AsDate(), context_.Formats));
        lotsDay_ = prepared->LotsDay;
    }
    ShowLotPreview();
    for (const QString& warning : PreparationWarnings(*prepared))
        MessageDlg(warning, TMsgDlgType::Warning);
}

void TRequirementForm::FormClose(TCloseAction& action)
{
    action = TCloseAction::Free;
    ReleaseData();
}

void TRequirementForm::ReleaseData()
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

void TRequirementForm::RequirementGridDrawColumnCell(TDBGridNormal* grid, const QRect& rect, int dataCol, TColumn* column,
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

bool TRequirementForm::MaterialColumnSelected() const
{
    const TField* field = RequirementGrid->SelectedField();
    if (!field)
        return false;
    for (const char* name : {"Cod_MatPrim", "Denumire", "Cod_grupa"})
        if (field->FieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TRequirementForm::RequirementGridKeyDown(int& key)
{
    // The editor is always open here, so an Escape from it would close the form and drop
    // every row edited so far: it only cancels the cell's edit, and does nothing without one.
    const QLineEdit* editor = RequirementGrid->InplaceEditor();
    if (key != vk::Escape || !editor || QApplication::focusWidget() != editor)
        return;
    if (!context_.Data->Requirement().TempTable()->IsEditing())
        key = 0;
}

void TRequirementForm::RequirementGridKeyPress(QChar& key)
{
    if (key != QChar(10) || !MaterialColumnSelected())
        return;
    key = QChar(); // consumed whether or not an article is chosen
    PickMaterial();
}

void TRequirementForm::RequirementGridDblClick()
{
    if (MaterialColumnSelected())
        PickMaterial();
}

void TRequirementForm::PickMaterial()
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

void TRequirementForm::ShowLotPreview()
{
    TProductionData* dm = context_.Data;
    TTable* temp = dm ? dm->Requirement().TempTable() : nullptr;
    if (!prepared_ || !temp || !temp->Active() || temp->IsEmpty() || F(temp, "Cod_MatPrim")->AsString().isEmpty()) {
        LotPreview->Clear();
        return;
    }
    const QString group = F(temp, "Cod_grupa")->AsString();
    const QString code = F(temp, "Cod_MatPrim")->AsString();
    try {
        LotPreview->Show(group + QLatin1Char(' ') + code,
                         PreviewDraw(*dm, group, code, F(temp, "Cant")->AsFloat(), lotsDay_), context_.Formats);
    } catch (const EDatabaseError&) {
        LotPreview->Clear(); // the figures beside it say what failed; generation reads again
    }
}

void TRequirementForm::GenerateButtonClick()
{
    if (!RequirementGrid->CommitEdit())
        return;
    std::optional<double> written;
    try {
        // The document goes under the user the agents' grid stands on.
        const TDataSet* agents = AgentsGrid->DataSet();
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
