#pragma once

#include "platform/core/Formats.h"

#include <QStringList>
#include <QVariant>
#include <vector>

namespace fw {

// What a report reads its rows from, and what its elements read fields from. The report
// moves the cursor of its driving source itself: First, Next, and Prior (a step back to show
// a group footer the last row of its group, then Next again). An adapter over a dataset must
// move the dataset's own cursor, so that datasets linked to it follow.
// Like a dataset, Next on the last row sets Eof and leaves that last row current.
class TReportData {
public:
    virtual ~TReportData() = default;

    virtual void First() = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual bool Eof() const = 0;
    virtual bool IsEmpty() = 0;
    // The value of a field of the current row (null for an empty value).
    virtual QVariant Value(const QString& fieldName) const = 0;
    // The text the field shows. By default: "" for null, numbers in their shortest form,
    // dates in the short date format; an adapter over a dataset returns the field's own text.
    virtual QString DisplayText(const QString& fieldName) const;

    // A field looked up once for reading it on many rows (a report prints a field on every
    // row, and a lookup by name was a good part of its time): the handle FieldValue and
    // FieldText take. An adapter that knows its fields refuses an unknown name here with
    // EDatabaseError, as Value does; by default a handle stands for the name, and reading
    // by it reads by the name.
    virtual int FieldHandle(const QString& fieldName);
    virtual QVariant FieldValue(int handle) const;
    virtual QString FieldText(int handle) const;

private:
    QStringList handleNames_;
};

// The text of a value as a report prints it when no mask is given: "" for null, numbers in
// their shortest form, dates in the short date format (with the time when it is not midnight).
QString ReportValueText(const QVariant& value, const TFormatSettings& fs = DefaultFormatSettings());

// Rows held in memory, for reports over computed lists and for tests.
class TMemoryReportData final : public TReportData {
public:
    explicit TMemoryReportData(QStringList fieldNames = {});

    void SetFieldNames(const QStringList& fieldNames) { fieldNames_ = fieldNames; }
    // Values in field order; missing trailing values are null.
    void AddRow(const QVariantList& values) { rows_.push_back(values); }
    void Clear();
    int RowCount() const { return int(rows_.size()); }
    // 0-based position of the current row; -1 when there is none.
    int RecNo() const { return rows_.empty() ? -1 : current_; }

    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() const override { return eof_; }
    bool IsEmpty() override { return rows_.empty(); }
    // EDatabaseError for a field the rows do not have, as a dataset's FieldByName.
    QVariant Value(const QString& fieldName) const override;
    // The handle of a field is its column.
    int FieldHandle(const QString& fieldName) override { return Column(fieldName); }
    QVariant FieldValue(int handle) const override;
    QString FieldText(int handle) const override { return ReportValueText(FieldValue(handle)); }

private:
    int Column(const QString& fieldName) const;

    QStringList fieldNames_;
    std::vector<QVariantList> rows_;
    int current_ = 0;
    bool eof_ = true;
};

} // namespace fw
