#include "host/DocInForm.h"

#include "host/Company.h"
#include "host/ConsumptionMarks.h"
#include "host/ReceiptLedger.h"
#include "platform/core/Readable.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

#include <QVBoxLayout>

namespace pelmaris {

TDocInForm::TDocInForm(QWidget* owner) : TDataForm(owner, QStringLiteral("Documente de intrare"))
{
    setObjectName(QStringLiteral("DocInForm"));
    // What the names of suppliers and articles are looked up in.
    fw::TTable* suppliers = AddTable(fw::FurnDB, QStringLiteral("Cod_furnizor"), true,
                                     {"Cod_furnizor", "Nume_furnizor"});
    fw::TTable* catalog = AddTable(fw::CatalogDB, QStringLiteral("Grupa;Cod"), true,
                                   {"Grupa", "Cod", "Denumire", "Unitate_masura"});

    headers_ = AddTable(fw::DocInDB, QStringLiteral("Contor"), false);
    headers_->AddLookupField(QStringLiteral("Nume_furnizor"), 255, QStringLiteral("Furnizor"), suppliers,
                             QStringLiteral("Cod_furnizor"), QStringLiteral("Nume_furnizor"));
    SetDisplayFormat(headers_, {"Contor", "Numar"}, QStringLiteral("0"));
    // The latest documents are the ones worked on.
    headers_->AfterOpen = [](fw::TDataSet* ds) { ds->Last(); };
    // The consumption documents the production add-on wrote for a receipt: they carry its
    // number and date. The add-on has the headers computed again after writing one.
    headers_->AddCalcField(QStringLiteral("Consum"), fw::TFieldType::String, 255);
    consumption_ = new fw::TQuery(this);
    consumption_->SetDatabaseName(AliasTVELDA);
    consumption_->SetSQL({QStringLiteral("SELECT Numar, Data, Contor FROM \"Doc_out.DB\""),
                          QStringLiteral("WHERE (Tip = :Tip) AND (Numar = :Numar) AND (Data = :Data)"),
                          QStringLiteral("ORDER BY Contor")});
    reversals_ = new TReversalMarks(this);
    headers_->OnCalcFields = [this](fw::TDataSet* ds) { ds->FieldByName(QStringLiteral("Consum"))->SetAsString(ConsumptionOf(ds)); };
    headerSource_ = AddSource(headers_);

    lines_ = AddTable(fw::ItemInDB, QStringLiteral("Contor;Contor_secundar"), false);
    lines_->SetMasterSource(headerSource_);
    lines_->SetMasterFields(QStringLiteral("Contor"));
    lines_->AddLookupField(QStringLiteral("Denumire"), 255, QStringLiteral("Cod_grupa;Cod_articol"), catalog,
                           QStringLiteral("Grupa;Cod"), QStringLiteral("Denumire"));
    lines_->AddLookupField(QStringLiteral("UM"), 4, QStringLiteral("Cod_grupa;Cod_articol"), catalog,
                           QStringLiteral("Grupa;Cod"), QStringLiteral("Unitate_masura"));
    SetDisplayFormat(lines_, {"Contor_secundar"}, QStringLiteral("0"));
    SetDisplayFormat(lines_, {"Cantitate"}, fw::ReadableQuantityMask);
    SetDisplayFormat(lines_, {"Pret_achizitie_lei", "Pret_achizitie_valuta", "TVA"}, QStringLiteral("#,##0.00"));
    lineSource_ = AddSource(lines_);

    binding_ = new TReceiptBinding(headers_, lines_, this);

    AddCaption(Body(), QStringLiteral("Documente"));
    AddGrid(Body(), headerSource_, true,
            {{"Numar", QStringLiteral("Numar"), 70},
             {"Tip", QStringLiteral("Tip"), 40},
             {"Data", QStringLiteral("Data"), 85},
             {"Data_inregistrarii", QStringLiteral("Data inreg."), 85},
             {"Furnizor", QStringLiteral("Furnizor"), 80},
             {"Nume_furnizor", QStringLiteral("Nume furnizor"), 200, true},
             // Within the window's first width, as wide as the document in force (the rest of
             // the text shows where the mouse rests): the consumption is what a receipt is
             // looked up for.
             {"Consum", QStringLiteral("Consum"), 175, true},
             {"Explicatie", QStringLiteral("Explicatie"), 250},
             {"Contor", QStringLiteral("Contor"), 60, true}},
            2);
    headerNavigator_ = AddNavigator(Body(), headerSource_, true);

    AddCaption(Body(), QStringLiteral("Liniile documentului"));
    AddGrid(Body(), lineSource_, true,
            {{"Contor_secundar", QStringLiteral("Nr."), 35, true},
             {"Cod_gestiune", QStringLiteral("Gest."), 50},
             {"Cod_grupa", QStringLiteral("Grupa"), 50},
             {"Cod_articol", QStringLiteral("Cod articol"), 85},
             {"Denumire", QStringLiteral("Denumire"), 220, true},
             {"UM", QStringLiteral("U.M."), 40, true},
             {"Lot", QStringLiteral("Lot"), 95},
             // The supplier's own expiry date of the lot; empty: entry plus shelf life.
             {"Data_expirare", QStringLiteral("Expira la"), 85},
             {"Cantitate", QStringLiteral("Cantitate"), 75},
             {"Pret_achizitie_lei", QStringLiteral("Pret lei"), 75},
             {"Valuta", QStringLiteral("Valuta"), 50},
             {"TVA", QStringLiteral("TVA"), 70},
             {"Agent", QStringLiteral("Agent"), 45}},
            3);
    lineNavigator_ = AddNavigator(Body(), lineSource_, true);
}

TDocInForm::~TDocInForm() = default;

QString TDocInForm::ConsumptionOf(const fw::TDataSet* header) const
{
    const fw::TField* number = header->FieldByName(QStringLiteral("Numar"));
    const fw::TField* date = header->FieldByName(QStringLiteral("Data"));
    if (number->IsNull() || date->IsNull())
        return {};
    consumption_->Close();
    consumption_->ParamByName(QStringLiteral("Tip"))->SetAsString(fw::ConsumptionDocType);
    consumption_->ParamByName(QStringLiteral("Numar"))->SetAsFloat(number->AsFloat());
    consumption_->ParamByName(QStringLiteral("Data"))->SetAsDate(date->AsDate());
    consumption_->Open();
    // Each document as the user knows it, by number and date (its counter means nothing to
    // him), the reversed ones told from those in force.
    std::vector<std::pair<double, TConsumptionDocument>> documents;
    for (; !consumption_->Eof(); consumption_->Next()) {
        TConsumptionDocument d;
        d.Number = consumption_->Fields(0)->AsFloat();
        d.Date = consumption_->Fields(1)->AsDate();
        documents.emplace_back(consumption_->Fields(2)->AsFloat(), d);
    }
    consumption_->Close();
    std::vector<TConsumptionDocument> marked;
    for (auto& [counter, d] : documents) {
        reversals_->Mark(counter, d);
        marked.push_back(d);
    }
    return ConsumptionColumnText(marked);
}

} // namespace pelmaris
