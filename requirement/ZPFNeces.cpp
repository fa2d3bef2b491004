#include "requirement/ZPFNeces.h"

#include "catalog/CatalogLookup.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "shell/AddOnFormats.h"
#include "shell/DLLAddOn.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace corvanel {

using namespace fw;

TZPFNecesarForm* ZPFNecesarForm = nullptr;
double DocInContor = 0.0;

namespace {

TField* F(const TDataSet* ds, const char* name) { return ds->FieldByName(QString::fromLatin1(name)); }

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

TZPFNecesarForm::TZPFNecesarForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("ZPFNecesarForm"));
    SetCaption(QStringLiteral("Fisa Necesar Tehnic"));
    SetPosition(TPosition::ScreenCenter);
    BuildHeader();
    BuildGrid();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel2);
    layout->addWidget(GridAgents);
    layout->addWidget(NecesarGrid, 1);

    connect(GenDocOutBTN, &QPushButton::clicked, this, GuardedSlot(this, [this] { GenDocOutBTNClick(); }));
    SetButtonModalResult(BitBtn2, TModalResult::Cancel);
    OnClose = [this](TForm*, TCloseAction& action) { FormClose(action); };
    FormCreate();
    FitToGrid();
}

void TZPFNecesarForm::FitToGrid()
{
    // The designed widths, grown where a title needs more, and the window wide enough to
    // show every column.
    const QFontMetrics titles(NecesarGrid->horizontalHeader()->font());
    for (int i = 0; i < NecesarGrid->ColumnCount(); ++i) {
        TColumn* column = NecesarGrid->Columns(i);
        column->SetWidth(std::max(column->Width(), titles.horizontalAdvance(column->Title()) + 12));
    }
    const int grid = NecesarGrid->horizontalHeader()->length() + NecesarGrid->verticalHeader()->width()
                     + 2 * NecesarGrid->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(std::max({704, grid, Panel2->sizeHint().width()}), 424);
}

void TZPFNecesarForm::BuildHeader()
{
    // The strip across the top: the system's highlight behind white captions, the
    // navigator and the two buttons on the right in the usual colours.
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(81);
    QPalette strip = Panel2->palette();
    strip.setColor(QPalette::Window, strip.color(QPalette::Highlight));
    strip.setColor(QPalette::WindowText, Qt::white);
    Panel2->setPalette(strip);
    Panel2->setAutoFillBackground(true);

    NecTehLbl = NewLabel(Panel2, "NecTehLbl", QStringLiteral("Fisa de necesar tehnic "), true);
    QFont title = NecTehLbl->font();
    title.setPointSizeF(title.pointSizeF() * 1.4);
    NecTehLbl->setFont(title);
    Label1 = NewLabel(Panel2, "Label1", QStringLiteral("la documentul nr."));
    NrDocLbl = NewLabel(Panel2, "NrDocLbl", QString(), true);
    Label2 = NewLabel(Panel2, "Label2", QStringLiteral("din data de "));
    DataDocLbl = NewLabel(Panel2, "DataDocLbl", QString(), true);
    Label3 = NewLabel(Panel2, "Label3", QStringLiteral("Beneficiar:"));
    Label3->hide();

    NecesarNavigator = new TDBNavigator(Panel2);
    NecesarNavigator->setObjectName(QStringLiteral("NecesarNavigator"));
    NecesarNavigator->SetHints({QStringLiteral("Primul"), QStringLiteral("Anterior"), QStringLiteral("Urmator"),
                                QStringLiteral("Ultimul"), QStringLiteral("Adaugare"), QStringLiteral("Stergere"),
                                QStringLiteral("Editare"), QStringLiteral("Salvare"), QStringLiteral("Anulare"),
                                QStringLiteral("Refresh")});
    GenDocOutBTN = new QPushButton(QStringLiteral("Genereaza document iesire "), Panel2);
    GenDocOutBTN->setObjectName(QStringLiteral("GenDocOutBTN"));
    BitBtn2 = new QPushButton(QStringLiteral("&Renunta"), Panel2);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QWidget* control : {static_cast<QWidget*>(NecesarNavigator), static_cast<QWidget*>(GenDocOutBTN),
                             static_cast<QWidget*>(BitBtn2)})
        control->setPalette(palette());

    auto* captions = new QVBoxLayout;
    captions->addWidget(NecTehLbl);
    for (auto [caption, value] : {std::pair{Label1, NrDocLbl}, {Label2, DataDocLbl}}) {
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(value);
        row->addStretch(1);
        captions->addLayout(row);
    }
    captions->addWidget(Label3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(GenDocOutBTN);
    buttons->addWidget(BitBtn2);
    auto* right = new QVBoxLayout;
    right->addWidget(NecesarNavigator, 0, Qt::AlignRight);
    right->addLayout(buttons);
    auto* stripLayout = new QHBoxLayout(Panel2);
    stripLayout->setContentsMargins(10, 4, 10, 6);
    stripLayout->addLayout(captions, 1);
    stripLayout->addLayout(right);
}

void TZPFNecesarForm::BuildGrid()
{
    TProductionData* dm = ProductionData;
    // The agents, hidden: their current row (the first one) signs the document.
    GridAgents = new TDBGridNormal(this);
    GridAgents->setObjectName(QStringLiteral("GridAgents"));
    GridAgents->SetOptions(DefaultGridOptions() | TDBGridOption::RowSelect);
    GridAgents->SetReadOnly(true);
    GridAgents->SetDataSource(dm->AgentsSource);
    GridAgents->hide();

    NecesarGrid = new TDBGridNormal(this);
    NecesarGrid->setObjectName(QStringLiteral("NecesarGrid"));
    NecesarGrid->SetOptions(TDBGridOptions(TDBGridOption::Editing) | TDBGridOption::AlwaysShowEditor |
                            TDBGridOption::Titles | TDBGridOption::Indicator | TDBGridOption::ColLines |
                            TDBGridOption::RowLines | TDBGridOption::ColumnResize | TDBGridOption::Tabs);
    NecesarGrid->SetDataSource(dm->TempSource);
    NecesarGrid->AddColumn(QStringLiteral("Denumire"), QStringLiteral("Denumire materie prima"), 300);
    NecesarGrid->AddColumn(QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod materie prima"), 90);
    NecesarGrid->AddColumn(QStringLiteral("Cod_grupa"), QStringLiteral("Cod_grupa"));
    NecesarGrid->AddColumn(QStringLiteral("Cant"), QStringLiteral("Cantitate"));
    NecesarGrid->AddColumn(QStringLiteral("StocExist"), QStringLiteral("Stoc existent"))->SetColor(TColumn::ButtonFace());
    NecesarGrid->AddColumn(QStringLiteral("StocFin"), QStringLiteral("Stoc final"))->SetColor(TColumn::ButtonFace());
    NecesarGrid->OnDrawColumnCell = [this](TDBGridNormal* grid, const QRect& rect, int dataCol, TColumn* column,
                                           TGridDrawState state) {
        NecesarGridDrawColumnCell(grid, rect, dataCol, column, state);
    };
    NecesarGrid->OnKeyPress = [this](TDBGridNormal*, QChar& key) { NecesarGridKeyPress(key); };
    NecesarGrid->OnDblClick = [this](TDBGridNormal*) { NecesarGridDblClick(); };
    NecesarNavigator->SetDataSource(dm->TempSource);
}

TZPFNecesarForm::~TZPFNecesarForm()
{
    ReleaseData();
    if (ZPFNecesarForm == this)
        ZPFNecesarForm = nullptr;
}

void TZPFNecesarForm::FormCreate()
{
    TProductionData* dm = ProductionData;
    DocInNeedsRefresh = false;
    std::optional<TPreparedRequirement> prepared;
    QString failure;
    {
        THourGlass wait(Screen);
        try {
            prepared = PrepareRequirement(*dm, DocInContor);
        } catch (const EDatabaseError& e) {
            failure = PreparationFailedText(e.Message());
        } catch (const EInOutError& e) {
            failure = e.Message(); // the settings file, in its own words
        } catch (...) {
            ReleaseData();
            throw;
        }
    }
    TTable* temp = dm->TempTable;
    GenDocOutBTN->setEnabled(temp->Active() && temp->RecordCount() > 0);
    if (!prepared) {
        MessageDlg(failure, TMsgDlgType::Error);
        ReleaseData();
        return;
    }
    prepared_ = true;
    dm->RequirementRowsChanged = [this](bool hasRows) { GenDocOutBTN->setEnabled(hasRows); };
    if (prepared->ReceiptFound) {
        NrDocLbl->setText(FloatToStr(F(dm->DocInTable, "Numar")->AsFloat(), FormatSettings()));
        DataDocLbl->setText(DateToStr(F(dm->DocInTable, "Data")->AsDateTime(), FormatSettings()));
    }
    for (const QString& warning : PreparationWarnings(*prepared))
        MessageDlg(warning, TMsgDlgType::Warning);
}

void TZPFNecesarForm::FormClose(TCloseAction& action)
{
    action = TCloseAction::Free;
    ReleaseData();
}

void TZPFNecesarForm::ReleaseData()
{
    if (released_)
        return;
    released_ = true;
    if (ZPFNecesarForm == this)
        ZPFNecesarForm = nullptr;
    TProductionData* dm = ProductionData;
    if (!dm)
        return;
    dm->RequirementRowsChanged = nullptr;
    QString failure;
    {
        THourGlass wait(Screen);
        try {
            CloseRequirement(*dm);
        } catch (const EDatabaseError& e) {
            failure = e.Message();
        }
    }
    if (!failure.isNull())
        MessageDlg(DbAccessErrorText(failure), TMsgDlgType::Error);
}

void TZPFNecesarForm::NecesarGridDrawColumnCell(TDBGridNormal* grid, const QRect& rect, int dataCol, TColumn* column,
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
    NegativeStockShown = true;
    const TGridCanvas noted = grid->Canvas();
    grid->Canvas().FontColor = QColor(255, 0, 0);
    grid->Canvas().Font.setBold(true);
    grid->DefaultDrawColumnCell(rect, dataCol, column, state);
    grid->Canvas() = noted;
}

bool TZPFNecesarForm::MaterialColumnSelected() const
{
    const TField* field = NecesarGrid->SelectedField();
    if (!field)
        return false;
    for (const char* name : {"Cod_MatPrim", "Denumire", "Cod_grupa"})
        if (field->FieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TZPFNecesarForm::NecesarGridKeyPress(QChar& key)
{
    if (key != QChar(10) || !MaterialColumnSelected())
        return;
    key = QChar(); // consumed whether or not an article is chosen
    PickMaterial();
}

void TZPFNecesarForm::NecesarGridDblClick()
{
    if (MaterialColumnSelected())
        PickMaterial();
}

void TZPFNecesarForm::PickMaterial()
{
    TTable* temp = ProductionData->TempTable;
    QString group = F(temp, "Cod_grupa")->AsString();
    QString code = F(temp, "Cod_MatPrim")->AsString();
    if (!ExecuteCatalogLookup(this, group, code))
        return;
    // The group first, so that the code's check sees the group it belongs to. The row
    // stays in editing for the user to save.
    temp->Edit();
    F(temp, "Cod_grupa")->SetAsString(group);
    F(temp, "Cod_MatPrim")->SetAsString(code);
}

void TZPFNecesarForm::GenDocOutBTNClick()
{
    if (!NecesarGrid->CommitEdit())
        return;
    std::optional<double> written;
    try {
        written = GenerateConsumption(*ProductionData, DocInContor, Screen);
    } catch (const EDatabaseError& e) {
        MessageDlg(GenerationFailedText(e.Message()), TMsgDlgType::Error);
        return;
    }
    if (!written)
        return;
    MessageDlg(ConsumptionWrittenText(), TMsgDlgType::Information);
    SetModalResult(TModalResult::OK);
}

} // namespace corvanel
