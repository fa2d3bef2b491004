#pragma once

#include "platform/report/ReportData.h"

namespace fw {

class TDataSet;

// A report's rows read from a dataset, moving the dataset's own cursor (so that tables
// linked to it as details follow the report's current row).
class TDataSetReportData final : public TReportData {
public:
    explicit TDataSetReportData(TDataSet* dataSet) : dataSet_(dataSet) {}

    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() const override;
    bool IsEmpty() override;
    QVariant Value(const QString& fieldName) const override;
    QString DisplayText(const QString& fieldName) const override;
    // The handle of a field is its place among the dataset's fields.
    int FieldHandle(const QString& fieldName) override;
    QVariant FieldValue(int handle) const override;
    QString FieldText(int handle) const override;

private:
    TDataSet* dataSet_;
};

} // namespace fw
