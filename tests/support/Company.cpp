#include "Company.h"

#include "DbFixture.h"
#include "platform/config/SettingsStore.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/StockTotals.h"

#include <QFile>

namespace testsupport {

namespace {

// Every table of a company, as the host and the add-on create them.
void CreateCompanyTables(const QString& dir)
{
    std::vector<fw::TTableLayout> tables = fw::HostTables();
    tables.push_back(fw::RecipeTable());
    for (const fw::TTableLayout* own : fw::AddOnOwnTables())
        tables.push_back(*own);
    for (const fw::TTableLayout& t : tables)
        CreateTable(dir, t.Name, t.Fields, t.Indexes);
    fw::EnsureStockTotals(fw::Connection::Open(dir));
}

} // namespace

TestCompany::TestCompany()
{
    dir_ = temp_.SubDir(QStringLiteral("firma"));
    // The company's tables on the engine under test; the private ones are always local.
    held_ = UseTestEngine(dir_);
    private_ = temp_.SubDir(QStringLiteral("privat"));
    CreateCompanyTables(dir_);
    fw::TSession::AddAlias(QStringLiteral("TVELDA"), dir_);
    fw::TSession::AddAlias(QStringLiteral("KRB_PRIV"), private_);
    fw::TSettingsStore store;
    store.WriteString(fw::TSettingsStore::LastDatabaseDir, dir_);
}

TestCompany::~TestCompany()
{
    held_.reset();
    ForgetDatabase(dir_);
    fw::TSession::DeleteAlias(QStringLiteral("TVELDA"));
    fw::TSession::DeleteAlias(QStringLiteral("KRB_PRIV"));
}

void TestCompany::Add(const QString& table, const std::vector<QVariantList>& rows)
{
    auto t = OpenTable(dir_, table);
    for (const QVariantList& row : rows)
        t->AppendRecord(row);
}

void TestCompany::Article(const QString& group, const QString& code, const QString& name, QVariant yield)
{
    Add(fw::CatalogDB,
        {{group, code, name, yield, QString(), QStringLiteral("kg"), 10.0, QStringLiteral("RON"), 19.0, 0.0,
          QStringLiteral("371"), QStringLiteral("607"), QStringLiteral("4426"), QStringLiteral("4427"), QStringLiteral("446"),
          QStringLiteral("378"), QStringLiteral("707")}});
}

void TestCompany::Lot(const QString& group, const QString& code, const QString& warehouse, double quantity,
                      const QString& lot)
{
    Add(fw::StocDB, {{quantity, code, group, warehouse, 2.5, lot, QStringLiteral("ADM")}});
}

void TestCompany::RecipeRow(const QString& product, const QString& material, const QString& group, double quantity)
{
    Add(fw::RetetaDB, {{product, material, quantity, group}});
}

void TestCompany::WriteSettingsFile(const QByteArray& text) const
{
    QFile f(dir_ + QStringLiteral("/KRBDEF.INI"));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

} // namespace testsupport
