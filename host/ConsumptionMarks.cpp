#include "host/ConsumptionMarks.h"

#include "host/Company.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

#include <QStringList>

namespace pelmaris {

namespace {

QString NumberAndDate(const TConsumptionDocument& d, const fw::TFormatSettings& formats)
{
    return fw::FloatToStr(d.Number, formats) + QStringLiteral(" din ") + fw::DateText(d.Date, formats);
}

QString ReversalDay(const TConsumptionDocument& d, const fw::TFormatSettings& formats)
{
    return d.ReversedOn.isValid() ? QStringLiteral("stornarea din ") + fw::DateText(d.ReversedOn, formats)
                                  : QStringLiteral("stornare");
}

} // namespace

QString ConsumptionColumnText(const std::vector<TConsumptionDocument>& documents, const fw::TFormatSettings& formats)
{
    // What is in force first: that is what the column is looked at for, and what stays in
    // sight when the column cuts the text.
    QStringList inForce;
    QStringList reversed;
    for (const TConsumptionDocument& d : documents) {
        if (d.Reversal)
            continue;
        if (d.Reversed)
            reversed << NumberAndDate(d, formats) + QStringLiteral(" anulat prin ") + ReversalDay(d, formats);
        else
            inForce << NumberAndDate(d, formats);
    }
    if (inForce.isEmpty() && reversed.isEmpty())
        return QString();
    QStringList parts;
    if (!inForce.isEmpty())
        parts << inForce.join(QStringLiteral(", "));
    parts << reversed;
    return QStringLiteral("BMC ") + parts.join(QStringLiteral("; "));
}

QString ReversalMarkText(const TConsumptionDocument& document, const fw::TFormatSettings& formats)
{
    if (document.Reversed)
        return QStringLiteral("anulat prin ") + ReversalDay(document, formats);
    if (document.Reversal)
        return QStringLiteral("stornare: anuleaza nr. ") + fw::FloatToStr(document.Number, formats);
    return QString();
}

TReversalMarks::TReversalMarks(QObject* owner) : QObject(owner), query_(new fw::TQuery(this))
{
    query_->SetDatabaseName(AliasTVELDA);
    query_->SetSQL({QStringLiteral("SELECT Contor_out, Contor_stornare, Data FROM \"Stornari.DB\""),
                    QStringLiteral("WHERE (Contor_out = :Reversed) OR (Contor_stornare = :Reversal)")});
}

void TReversalMarks::Mark(double counter, TConsumptionDocument& document)
{
    if (tableExists_ < 0) {
        fw::TTable table;
        table.SetDatabaseName(AliasTVELDA);
        table.SetTableName(fw::StornariDB);
        tableExists_ = table.Exists() ? 1 : 0;
    }
    if (tableExists_ == 0)
        return;
    query_->Close();
    query_->ParamByName(QStringLiteral("Reversed"))->SetAsFloat(counter);
    query_->ParamByName(QStringLiteral("Reversal"))->SetAsFloat(counter);
    query_->Open();
    for (; !query_->Eof(); query_->Next()) {
        if (query_->Fields(0)->AsFloat() == counter)
            document.Reversed = true;
        else
            document.Reversal = true;
        document.ReversedOn = query_->Fields(2)->AsDate();
    }
    query_->Close();
}

} // namespace pelmaris
