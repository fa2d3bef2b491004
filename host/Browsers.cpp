#include "host/Browsers.h"

#include "host/Company.h"
#include "host/ConsumptionMarks.h"
#include "host/DocOutLineDialog.h"
#include "platform/core/Readable.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelmaris {

namespace {

void AddArticleName(fw::TTable* table, fw::TTable* catalog)
{
    table->AddLookupField(QStringLiteral("Denumire"), 255, QStringLiteral("Cod_grupa;Cod_articol"), catalog,
                          QStringLiteral("Grupa;Cod"), QStringLiteral("Denumire"));
    table->AddLookupField(QStringLiteral("UM"), 4, QStringLiteral("Cod_grupa;Cod_articol"), catalog,
                          QStringLiteral("Grupa;Cod"), QStringLiteral("Unitate_masura"));
}

const QString kMoney = QStringLiteral("#,##0.00");
const QString& kQuantity = fw::ReadableQuantityMask;

} // namespace

TStockForm::TStockForm(QWidget* owner) : TDataForm(owner, QStringLiteral("Stoc"))
{
    setObjectName(QStringLiteral("StockForm"));
    fw::TTable* catalog = AddTable(fw::CatalogDB, QStringLiteral("Grupa;Cod"), true,
                                   {"Grupa", "Cod", "Denumire", "Unitate_masura"});
    stock_ = AddTable(fw::StocDB, QStringLiteral("Cod_grupa;Cod_articol"), true);
    AddArticleName(stock_, catalog);
    stock_->AddCalcField(QStringLiteral("Valoare"), fw::TFieldType::Float);
    stock_->OnCalcFields = [](fw::TDataSet* ds) {
        ds->FieldByName(QStringLiteral("Valoare"))
            ->SetAsFloat(ds->FieldByName(QStringLiteral("Cantitate"))->AsFloat()
                         * ds->FieldByName(QStringLiteral("Pret_achizitie"))->AsFloat());
    };
    SetDisplayFormat(stock_, {"Cantitate"}, kQuantity);
    SetDisplayFormat(stock_, {"Pret_achizitie", "Valoare"}, kMoney);
    fw::TDataSource* source = AddSource(stock_);
    AddGrid(Body(), source, false,
            {{"Cod_gestiune", QStringLiteral("Gest."), 50},
             {"Cod_grupa", QStringLiteral("Grupa"), 50},
             {"Cod_articol", QStringLiteral("Cod articol"), 85},
             {"Denumire", QStringLiteral("Denumire"), 230},
             {"UM", QStringLiteral("U.M."), 40},
             {"Lot", QStringLiteral("Lot"), 95},
             {"Cantitate", QStringLiteral("Cantitate"), 80},
             {"Pret_achizitie", QStringLiteral("Pret achizitie"), 90},
             {"Valoare", QStringLiteral("Valoare"), 95},
             {"Data_intrare", QStringLiteral("Data intrarii"), 85}});
    auto* bottom = new QHBoxLayout;
    fw::TDBNavigator* navigator = AddNavigator(bottom, source, false);
    total_ = new QLabel(this);
    bottom->addStretch(1);
    bottom->addWidget(total_);
    Body()->addLayout(bottom);
    navigator->OnClick = [this](fw::TDBNavigator*, fw::TNavigateBtn button) {
        if (button == fw::TNavigateBtn::Refresh)
            UpdateTotal();
    };
    stock_->AfterOpen = [this](fw::TDataSet*) { UpdateTotal(); };
}

void TStockForm::UpdateTotal()
{
    fw::TQuery sum;
    sum.SetDatabaseName(AliasTVELDA);
    sum.SetSQL({QStringLiteral("SELECT SUM(Cantitate * Pret_achizitie) AS Total FROM \"Stoc.DB\"")});
    sum.Open();
    // A total that cannot be computed (a lot's value out of range) shows as the grid's cells do.
    fw::TField* total = sum.Fields(0);
    total->SetDisplayFormat(kMoney);
    total_->setText(QStringLiteral("Valoarea stocului: %1 lei").arg(total->IsNull() ? fw::FormatFloat(kMoney, 0) : total->DisplayText()));
}

QString TStockForm::TotalText() const { return total_->text(); }

TDocOutForm::TDocOutForm(QWidget* owner) : TDataForm(owner, QStringLiteral("Documente de iesire"))
{
    setObjectName(QStringLiteral("DocOutForm"));
    fw::TTable* catalog = AddTable(fw::CatalogDB, QStringLiteral("Grupa;Cod"), true,
                                   {"Grupa", "Cod", "Denumire", "Unitate_masura"});
    headers_ = AddTable(fw::DocOutDB, QStringLiteral("Contor"), true);
    SetDisplayFormat(headers_, {"Contor", "Numar"}, QStringLiteral("0"));
    // A reversed consumption document and its reversal share number and date: each says which it is.
    headers_->AddCalcField(QStringLiteral("Anulare"), fw::TFieldType::String, 100);
    auto* reversals = new TReversalMarks(this);
    headers_->OnCalcFields = [reversals](fw::TDataSet* ds) {
        TConsumptionDocument d;
        d.Number = ds->FieldByName(QStringLiteral("Numar"))->AsFloat();
        if (ds->FieldByName(QStringLiteral("Tip"))->AsString() == fw::ConsumptionDocType)
            reversals->Mark(ds->FieldByName(QStringLiteral("Contor"))->AsFloat(), d);
        ds->FieldByName(QStringLiteral("Anulare"))->SetAsString(ReversalMarkText(d));
    };
    fw::TDataSource* headerSource = AddSource(headers_);
    lines_ = AddTable(fw::ItemOutDB, QStringLiteral("Contor"), true);
    lines_->SetMasterSource(headerSource);
    lines_->SetMasterFields(QStringLiteral("Contor"));
    AddArticleName(lines_, catalog);
    SetDisplayFormat(lines_, {"Contor_secundar"}, QStringLiteral("0"));
    SetDisplayFormat(lines_, {"Cantitate"}, kQuantity);
    SetDisplayFormat(lines_, {"Pret_achizitie", "Pret_vinzare"}, kMoney);
    fw::TDataSource* lineSource = AddSource(lines_);

    AddCaption(Body(), QStringLiteral("Documente"));
    AddGrid(Body(), headerSource, false,
            {{"Numar", QStringLiteral("Numar"), 70},
             {"Tip", QStringLiteral("Tip"), 40},
             {"Data", QStringLiteral("Data"), 85},
             {"Data_inregistrarii", QStringLiteral("Data inreg."), 85},
             {"Anulare", QStringLiteral("Anulare"), 240},
             {"Client", QStringLiteral("Client"), 170},
             {"Explicatie", QStringLiteral("Explicatie"), 210},
             {"Agent", QStringLiteral("Agent"), 45},
             {"Contor", QStringLiteral("Contor"), 60}},
            2);
    AddNavigator(Body(), headerSource, false);
    AddCaption(Body(), QStringLiteral("Liniile documentului"));
    AddGrid(Body(), lineSource, false,
            {{"Contor_secundar", QStringLiteral("Nr."), 35},
             {"Cod_gestiune", QStringLiteral("Gest."), 50},
             {"Cod_grupa", QStringLiteral("Grupa"), 50},
             {"Cod_articol", QStringLiteral("Cod articol"), 85},
             {"Denumire", QStringLiteral("Denumire"), 220},
             {"UM", QStringLiteral("U.M."), 40},
             {"Lot", QStringLiteral("Lot"), 95},
             {"Cantitate", QStringLiteral("Cantitate"), 75},
             {"Pret_achizitie", QStringLiteral("Pret achizitie"), 90},
             {"Pret_vinzare", QStringLiteral("Pret vanzare"), 90}},
            3);
    newLine_ = new QPushButton(QStringLiteral("&Linie noua..."), this);
    newLine_->setObjectName(QStringLiteral("NewLineButton"));
    newLine_->setToolTip(QStringLiteral("Scrie o linie pe documentul curent sau pe un document nou"));
    auto* actions = new QHBoxLayout;
    actions->addWidget(newLine_);
    actions->addStretch(1);
    Body()->addLayout(actions);
    connect(newLine_, &QPushButton::clicked, this, &TDocOutForm::enterLine);
}

void TDocOutForm::enterLine()
{
    const bool none = headers_->IsEmpty();
    TDocOutLineDialog dialog(headers_->DatabaseName(), none ? 0.0 : headers_->FieldByName(QStringLiteral("Contor"))->AsFloat(),
                             none ? 0.0 : headers_->FieldByName(QStringLiteral("Numar"))->AsFloat(), lotCheck_, this);
    if (dialog.exec() == QDialog::Accepted)
        ShowDocument(dialog.WrittenDocument());
}

void TDocOutForm::ShowDocument(double contor)
{
    headers_->Refresh();
    headers_->Locate(QStringLiteral("Contor"), {contor});
    lines_->Refresh();
}

} // namespace pelmaris
