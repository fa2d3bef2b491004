#include "host/Schema.h"

#include "platform/core/Exceptions.h"

#include <QSet>

namespace pelmaris {

using fw::TFieldType;
using fw::TIndexOption;

namespace {

bool KnownType(TFieldType type)
{
    switch (type) {
    case TFieldType::String:
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
    case TFieldType::Boolean:
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Date:
    case TFieldType::DateTime:
        return true;
    case TFieldType::Unknown:
        break;
    }
    return false;
}

} // namespace

const TTableLayout* FindHostTable(const QString& name)
{
    for (const TTableLayout& t : HostTables()) {
        if (t.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

TTableLayout LayoutFromDefinition(const fw::TTableDefinition& definition)
{
    auto refuse = [&](const QString& why) -> fw::EDatabaseError {
        return fw::EDatabaseError(QStringLiteral("%1: %2").arg(definition.Name, why));
    };
    TTableLayout layout;
    layout.Name = definition.Name.trimmed();
    if (layout.Name.isEmpty())
        throw fw::EDatabaseError(QStringLiteral("A table definition without a name"));
    if (definition.Fields.empty())
        throw refuse(QStringLiteral("no fields"));
    QSet<QString> names;
    for (const fw::TFieldDescriptor& f : definition.Fields) {
        if (f.Name.trimmed().isEmpty())
            throw refuse(QStringLiteral("a field without a name"));
        if (!KnownType(f.Type))
            throw refuse(QStringLiteral("field %1 has an unknown type (%2)").arg(f.Name).arg(int(f.Type)));
        if (names.contains(f.Name.toLower()))
            throw refuse(QStringLiteral("field %1 appears twice").arg(f.Name));
        names.insert(f.Name.toLower());
        int size = 0;
        if (f.Type == TFieldType::String)
            size = f.Size > 0 ? f.Size : DefaultStringWidth;
        layout.Fields.push_back({f.Name, f.Type, size, f.Required});
    }
    if (definition.IndexesFlag == 0)
        return layout;
    bool primarySeen = false;
    int unnamed = 0;
    for (const fw::TIndexDescriptor& ix : definition.Indexes) {
        if (ix.Fields.trimmed().isEmpty())
            throw refuse(QStringLiteral("an index without fields"));
        for (const QString& field : ix.Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!names.contains(field.trimmed().toLower()))
                throw refuse(QStringLiteral("index on the unknown field %1").arg(field.trimmed()));
        }
        fw::TIndexOptions options;
        if (ix.Options & fw::ixPrimary)
            options |= TIndexOption::Primary;
        if (ix.Options & fw::ixUnique)
            options |= TIndexOption::Unique;
        if (ix.Options & fw::ixDescending)
            options |= TIndexOption::Descending;
        QString name = ix.Name;
        if (options.testFlag(TIndexOption::Primary)) {
            if (primarySeen)
                throw refuse(QStringLiteral("more than one primary index"));
            primarySeen = true;
            name.clear();
        } else if (name.isEmpty()) {
            // Secondary indexes are named in the database; give an unnamed one a name.
            name = QStringLiteral("Index%1").arg(++unnamed);
        }
        layout.Indexes.push_back({name, ix.Fields, options});
    }
    return layout;
}

QStringList CreateMissingTables(const QString& directory, const std::vector<TTableLayout>& tables)
{
    QStringList created;
    for (const TTableLayout& layout : tables) {
        fw::TTable table;
        table.SetDatabaseName(directory);
        table.SetTableName(layout.Name);
        if (table.Exists())
            continue;
        fw::CreateCompanyTable(directory, layout);
        created << layout.Name;
    }
    return created;
}

std::unique_ptr<fw::TTable> OpenTable(const QString& database, const QString& name, const QString& order, bool lockRows)
{
    auto table = std::make_unique<fw::TTable>();
    table->SetDatabaseName(database);
    table->SetTableName(name);
    table->SetIndexFieldNames(order);
    table->SetReadForUpdate(lockRows);
    table->Open();
    return table;
}

std::unique_ptr<fw::TTable> LockCounterRow(const QString& database)
{
    auto counters = OpenTable(database, fw::CounterDB, {}, true);
    counters->First();
    return counters;
}

} // namespace pelmaris
