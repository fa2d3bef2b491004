#include "requirement/OutgoingDocument.h"

#include "data/FieldByName.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

namespace corvanel {

using namespace fw;

void Reread(TDataSet* ds)
{
    if (ds->Active())
        ds->Refresh();
    else
        ds->Open();
}

double BeginConsumptionDocument(TProductionData& dm, const QVariant& number, const QVariant& date, const QString& agent,
                                const QString& explanation)
{
    dm.DocOutTable->Open();
    dm.ItemOutTable->Open();
    const double counter = TakeDocumentCounter(*dm.CounterTable, QStringLiteral("NewCounterOut"), DocOutDB);
    TTable* header = dm.DocOutTable;
    header->Insert(); // where it shows in the dataset does not matter, and Append would read the table's end
    F(header, "Contor")->SetAsFloat(counter);
    F(header, "Data_inregistrarii")->SetValue(date);
    F(header, "Numar")->SetValue(number);
    F(header, "Tip")->SetAsString(ConsumptionDocType);
    F(header, "Agent")->SetAsString(agent);
    F(header, "Data")->SetValue(date);
    F(header, "Explicatie")->SetAsString(explanation);
    header->Post();
    return counter;
}

void EndConsumptionDocument(TProductionData& dm, bool committed)
{
    try {
        for (TTable* t : {dm.ItemOutTable, dm.DocOutTable, dm.CounterTable, dm.StocTable})
            if (t->Active())
                t->Cancel();
        dm.ItemOutTable->Close();
        dm.DocOutTable->Close();
        if (!committed) {
            for (TTable* t : {dm.CounterTable, dm.StocTable, dm.DocInTable})
                if (t->Active())
                    t->Refresh();
        }
    } catch (...) {
        // A failure to read again is met by the next attempt, which reads everything anew.
    }
}

} // namespace corvanel
