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
    const TRequirementSession& session = dm.Requirement();
    session.DocOutTable()->Open();
    session.ItemOutTable()->Open();
    const double counter = TakeDocumentCounter(*session.CounterTable(), QStringLiteral("NewCounterOut"), DocOutDB);
    TTable* header = session.DocOutTable();
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
    const TRequirementSession& session = dm.Requirement();
    try {
        for (TTable* t : {session.ItemOutTable(), session.DocOutTable(), session.CounterTable(), session.StocTable()})
            if (t->Active())
                t->Cancel();
        session.ItemOutTable()->Close();
        session.DocOutTable()->Close();
        if (!committed) {
            for (TTable* t : {session.CounterTable(), session.StocTable(), session.DocInTable()})
                if (t->Active())
                    t->Refresh();
        }
    } catch (...) {
        // A failure to read again is met by the next attempt, which reads everything anew.
    }
}

} // namespace corvanel
