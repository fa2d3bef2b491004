#pragma once

// The data module's datasets are made alike: named (messages and tests find them by that
// name), on the module's session, owned by the part of the module that reacts to them.

#include "platform/db/BatchMove.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

namespace corvanel {

inline fw::TTable* NewTable(QObject* owner, fw::TSession* session, const QString& name, const QString& database,
                            const QString& file)
{
    auto* t = new fw::TTable(owner);
    t->setObjectName(name);
    t->SetSession(session);
    t->SetDatabaseName(database);
    t->SetTableName(file);
    return t;
}

inline fw::TQuery* NewQuery(QObject* owner, fw::TSession* session, const QString& name, const QString& database,
                            const QStringList& sql)
{
    auto* q = new fw::TQuery(owner);
    q->setObjectName(name);
    q->SetSession(session);
    q->SetDatabaseName(database);
    q->SetSQL(sql);
    return q;
}

inline fw::TDataSource* NewSource(QObject* owner, const QString& name, fw::TDataSet* dataSet)
{
    auto* s = new fw::TDataSource(owner);
    s->setObjectName(name);
    s->SetDataSet(dataSet);
    return s;
}

// Declares a table's fields from the company tables' description: the named ones, or all.
inline void Declare(fw::TDataSet* dataSet, const QString& table, const QStringList& names = {})
{
    fw::DeclareFields(*dataSet, fw::CompanyTable(table), names);
}

} // namespace corvanel
