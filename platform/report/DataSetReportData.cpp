#include "platform/report/DataSetReportData.h"

#include "platform/db/DataSet.h"

namespace fw {

void TDataSetReportData::First() { dataSet_->First(); }
void TDataSetReportData::Next() { dataSet_->Next(); }
void TDataSetReportData::Prior() { dataSet_->Prior(); }
bool TDataSetReportData::Eof() const { return dataSet_->Eof(); }
bool TDataSetReportData::IsEmpty() { return dataSet_->IsEmpty(); }
QVariant TDataSetReportData::Value(const QString& fieldName) const { return dataSet_->FieldByName(fieldName)->Value(); }
QString TDataSetReportData::DisplayText(const QString& fieldName) const
{
    return dataSet_->FieldByName(fieldName)->DisplayText();
}
int TDataSetReportData::FieldHandle(const QString& fieldName) { return dataSet_->FieldByName(fieldName)->Index(); }
QVariant TDataSetReportData::FieldValue(int handle) const { return dataSet_->Fields(handle)->Value(); }
QString TDataSetReportData::FieldText(int handle) const { return dataSet_->Fields(handle)->DisplayText(); }

} // namespace fw
