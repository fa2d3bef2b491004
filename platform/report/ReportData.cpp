#include "platform/report/ReportData.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"

namespace fw {

QString ReportValueText(const QVariant& value, const TFormatSettings& fs)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return FloatToStr(value.toDouble(), fs);
    case QMetaType::QDate:
        return DateToStr(DateToDateTime(value.toDate()), fs);
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        const TDateTime t = QDateTimeToDateTime(moment);
        if (moment.time() == QTime(0, 0))
            return DateToStr(t, fs);
        return DateToStr(t, fs) + QLatin1Char(' ') + FormatDateTime(fs.LongTimeFormat, t, fs);
    }
    default:
        return value.toString();
    }
}

QString TReportData::DisplayText(const QString& fieldName) const { return ReportValueText(Value(fieldName)); }

int TReportData::FieldHandle(const QString& fieldName)
{
    const qsizetype known = handleNames_.indexOf(fieldName);
    if (known >= 0)
        return int(known);
    handleNames_ << fieldName;
    return int(handleNames_.size() - 1);
}

QVariant TReportData::FieldValue(int handle) const { return Value(handleNames_.at(handle)); }

QString TReportData::FieldText(int handle) const { return DisplayText(handleNames_.at(handle)); }

TMemoryReportData::TMemoryReportData(QStringList fieldNames) : fieldNames_(std::move(fieldNames)) {}

void TMemoryReportData::Clear()
{
    rows_.clear();
    current_ = 0;
    eof_ = true;
}

void TMemoryReportData::First()
{
    current_ = 0;
    eof_ = rows_.empty();
}

void TMemoryReportData::Next()
{
    if (current_ + 1 < int(rows_.size()))
        ++current_;
    else
        eof_ = true;
}

void TMemoryReportData::Prior()
{
    if (current_ > 0)
        --current_;
    eof_ = rows_.empty();
}

int TMemoryReportData::Column(const QString& fieldName) const
{
    for (int i = 0; i < fieldNames_.size(); ++i)
        if (fieldNames_.at(i).compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    throw EDatabaseError(dbmsg::FieldNotFound(QString(), fieldName));
}

QVariant TMemoryReportData::Value(const QString& fieldName) const { return FieldValue(Column(fieldName)); }

QVariant TMemoryReportData::FieldValue(int column) const
{
    if (rows_.empty())
        return QVariant();
    const QVariantList& row = rows_.at(size_t(current_));
    return column < row.size() ? row.at(column) : QVariant();
}

} // namespace fw
