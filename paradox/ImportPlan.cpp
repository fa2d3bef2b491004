#include "paradox/ImportPlan.h"

#include "paradox/ImportMessages.h"
#include "platform/config/IniFile.h"
#include "platform/db/Connection.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <cmath>
#include <map>

namespace paradox {

namespace {

bool IsText(TParadoxType t) { return t == TParadoxType::Alpha || t == TParadoxType::Memo; }

bool IsNumber(TParadoxType t)
{
    return t == TParadoxType::Number || t == TParadoxType::Currency || t == TParadoxType::Bcd || t == TParadoxType::Short
        || t == TParadoxType::Long || t == TParadoxType::AutoIncrement;
}

qint64 CodePoints(const QString& s)
{
    qint64 n = 0;
    for (const QChar c : s)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

bool IntegerInRange(const QVariant& value, qint64 low, qint64 high, QVariant& stored, QString& why)
{
    const double d = value.toDouble();
    if (value.typeId() == QMetaType::Double && d != std::trunc(d)) {
        why = msg::NotAnInteger(d);
        return false;
    }
    if (d < double(low) || d > double(high)) {
        why = msg::OutOfRange(d, low, high);
        return false;
    }
    stored = qint64(d);
    return true;
}

// The company's tables in the order it lists them: the host's, then the add-on's own.
std::vector<const fw::TTableLayout*> CompanyLayouts()
{
    std::vector<const fw::TTableLayout*> all;
    for (const fw::TTableLayout& t : fw::HostTables())
        all.push_back(&t);
    for (const fw::TTableLayout* t : {&fw::RecipeTable(), &fw::GenealogyTable(), &fw::ReversalTable()})
        all.push_back(t);
    return all;
}

// Which of a table file's fields fill which of the company's, and what is left out.
void MapFields(TTablePlan& plan, QStringList& notes, QStringList& problems, int codePageGiven)
{
    const std::vector<TParadoxField>& fields = plan.Reader->Fields();
    const fw::TTableLayout& layout = *plan.Layout;
    plan.SourceOf.assign(layout.Fields.size(), -1);
    std::vector<bool> wanted(fields.size(), false);
    bool needsText = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TParadoxField& f = fields[i];
        const fw::TFieldDef* target = layout.FindField(f.Name);
        if (!target) {
            notes << msg::FieldNotInCompany(plan.File, f.Name, layout.Name);
        } else if (LeftOut(f.Type)) {
            notes << msg::FieldLeftOut(plan.File, f.Name, TypeName(f.Type));
        } else if (!Storable(f.Type, target->DataType)) {
            problems << msg::FieldTypeMismatch(plan.File, f.Name, TypeName(f.Type), msg::CompanyTypeName(target->DataType));
        } else {
            plan.SourceOf[size_t(target - layout.Fields.data())] = int(i);
            wanted[i] = true;
            needsText = needsText || IsText(f.Type);
        }
    }
    for (size_t j = 0; j < layout.Fields.size(); ++j) {
        const bool inFile = std::any_of(fields.begin(), fields.end(), [&](const TParadoxField& f) {
            return f.Name.compare(layout.Fields[j].Name, Qt::CaseInsensitive) == 0;
        });
        if (!inFile)
            notes << msg::FieldMissingStaysEmpty(layout.Name, layout.Fields[j].Name, plan.File);
    }
    if (needsText && plan.Reader->CodePage() == 0)
        problems << msg::FileUnreadable(plan.File, codePageGiven > 0 ? msg::UnknownCodePage(codePageGiven) : msg::NoCodePage());
    plan.Reader->ReadFields(wanted);
}

} // namespace

EImportRefused::EImportRefused(QStringList problems)
    : Exception(msg::ImportRefused(problems)), problems_(std::move(problems))
{
}

bool LeftOut(TParadoxType source)
{
    return source == TParadoxType::Blob || source == TParadoxType::FormattedMemo || source == TParadoxType::Ole
        || source == TParadoxType::Graphic || source == TParadoxType::Bytes;
}

bool Storable(TParadoxType source, fw::TFieldType target)
{
    using fw::TFieldType;
    switch (target) {
    case TFieldType::String:
        return IsText(source);
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
        return IsNumber(source);
    case TFieldType::Boolean:
        return source == TParadoxType::Logical;
    case TFieldType::Date:
    case TFieldType::DateTime:
        return source == TParadoxType::Date || source == TParadoxType::Timestamp;
    case TFieldType::Unknown:
        return false;
    }
    return false;
}

bool TargetValue(const QVariant& value, const fw::TFieldDef& target, QVariant& stored, QString& why)
{
    using fw::TFieldType;
    stored = QVariant();
    if (!value.isValid() || value.isNull())
        return true;
    switch (target.DataType) {
    case TFieldType::String: {
        const QString text = value.toString();
        // Never cut: the user decides what a longer text becomes.
        if (target.Size > 0 && CodePoints(text) > target.Size) {
            why = msg::TooLong(CodePoints(text), target.Size);
            return false;
        }
        stored = text;
        return true;
    }
    case TFieldType::Float:
    case TFieldType::Currency:
        stored = value.toDouble();
        return true;
    case TFieldType::Smallint:
        return IntegerInRange(value, -32768, 32767, stored, why);
    case TFieldType::Integer:
        return IntegerInRange(value, -2147483648LL, 2147483647LL, stored, why);
    case TFieldType::Word:
        return IntegerInRange(value, 0, 65535, stored, why);
    case TFieldType::Boolean:
        stored = value.toBool();
        return true;
    case TFieldType::Date:
        if (value.typeId() == QMetaType::QDateTime) {
            const QDateTime moment = value.toDateTime();
            if (moment.time() != QTime(0, 0)) {
                why = msg::TimeWouldBeLost(moment);
                return false;
            }
            stored = moment.date();
            return true;
        }
        stored = value.toDate();
        return true;
    case TFieldType::DateTime:
        stored = value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0)) : value.toDateTime();
        return true;
    case TFieldType::Unknown:
        break;
    }
    why = msg::FieldTypeMismatchShort();
    return false;
}

bool BoundValue(const QVariant& value, const fw::TFieldDef& target, QVariant& bound, QString& why)
{
    using fw::TFieldType;
    // The forms almost every value of an old company has, in one step: text, numbers and
    // dates are most of a million rows, and each conversion through a QVariant allocates.
    switch (value.typeId()) {
    case QMetaType::QString:
        if (target.DataType == TFieldType::String) {
            const auto& text = *static_cast<const QString*>(value.constData());
            if (target.Size > 0 && text.size() > target.Size && CodePoints(text) > target.Size) {
                why = msg::TooLong(CodePoints(text), target.Size);
                return false;
            }
            bound = text.isEmpty() ? QVariant() : value;
            return true;
        }
        break;
    case QMetaType::Double:
        if (target.DataType == TFieldType::Float || target.DataType == TFieldType::Currency) {
            bound = value;
            return true;
        }
        break;
    case QMetaType::QDate:
        if (target.DataType == TFieldType::Date) {
            // As the engine's date columns hold it, yyyy-MM-dd: the reader gives years 1 to 9999.
            const QDate date = *static_cast<const QDate*>(value.constData());
            QString text(10, QLatin1Char('-'));
            QChar* out = text.data();
            const auto digits = [&out](int n, int width, int at) {
                for (int i = width - 1; i >= 0; --i, n /= 10)
                    out[at + i] = QLatin1Char(char('0' + n % 10));
            };
            digits(date.year(), 4, 0);
            digits(date.month(), 2, 5);
            digits(date.day(), 2, 8);
            bound.setValue(std::move(text));
            return true;
        }
        break;
    default:
        break;
    }
    QVariant stored;
    if (!TargetValue(value, target, stored, why))
        return false;
    bound = fw::ToSqlValue(target.DataType, stored);
    return true;
}

TImportPlan PlanImport(const QString& directory, int codePage)
{
    TImportPlan plan;
    plan.Directory = directory;
    QStringList problems;
    const QDir dir(directory);
    std::map<const fw::TTableLayout*, QString> files;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (name.compare(fw::CompanySettingsFile, Qt::CaseInsensitive) == 0) {
            if (!plan.SettingsFile.isEmpty())
                problems << msg::FileTwice(fw::CompanySettingsFile, plan.SettingsFile, name);
            plan.SettingsFile = name;
            continue;
        }
        if (!name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
            continue;
        const fw::TTableLayout* layout = fw::FindCompanyTable(name);
        if (!layout) {
            plan.Notes << msg::UnknownTableLeftOut(name);
            continue;
        }
        if (auto it = files.find(layout); it != files.end()) {
            problems << msg::FileTwice(layout->Name, it->second, name);
            continue;
        }
        files[layout] = name;
    }
    if (files.empty()) {
        // Nothing of a company here (an empty directory, the wrong one): nothing is made.
        QStringList lookedFor;
        for (const fw::TTableLayout* layout : CompanyLayouts())
            lookedFor << layout->Name;
        throw EImportDirectoryRefused(msg::NoCompanyTables(QDir::toNativeSeparators(directory), lookedFor));
    }

    for (const fw::TTableLayout* layout : CompanyLayouts()) {
        TTablePlan table;
        table.Layout = layout;
        table.SourceOf.assign(layout->Fields.size(), -1);
        if (auto it = files.find(layout); it != files.end()) {
            table.File = it->second;
            try {
                table.Reader = TParadoxTable::Open(dir.filePath(table.File), codePage);
                MapFields(table, plan.Notes, problems, codePage);
                plan.Rows += table.Reader->RowCount();
            } catch (const EParadoxFile& e) {
                problems << e.Message();
                table.Reader.reset();
            }
        } else {
            plan.Notes << msg::TableMissingMadeEmpty(layout->Name);
        }
        plan.Tables.push_back(std::move(table));
    }

    if (!plan.SettingsFile.isEmpty()) {
        // The settings file is copied as it is, byte for byte; only a regular file of the size
        // a settings file has is read.
        const QFileInfo info(dir.filePath(plan.SettingsFile));
        QFile file(info.filePath());
        if (!info.isFile() || info.size() > fw::MaxIniFileSize)
            problems << msg::SettingsUnreadable(plan.SettingsFile, msg::NotARegularFile());
        else if (!file.open(QIODevice::ReadOnly))
            problems << msg::SettingsUnreadable(plan.SettingsFile, file.errorString());
        else
            plan.Settings = file.readAll();
    } else {
        plan.Notes << msg::NoSettingsFile(fw::CompanySettingsFile);
    }
    if (!problems.isEmpty())
        throw EImportRefused(problems);
    return plan;
}

} // namespace paradox
