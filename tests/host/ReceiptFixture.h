#pragma once
// A small company for receipts, and the document window's two tables tied to the stock
// as the window ties them.

#include "DbFixture.h"
#include "host/Company.h"
#include "host/ReceiptLedger.h"
#include "platform/db/Connection.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

#include <QStringList>
#include <memory>

namespace hosttest {

using testsupport::RawColumn;
using testsupport::TempDir;

// A company with two articles and two warehouses.
inline void MakeSmallCompany(const QString& dir)
{
    pelmaris::PrepareCompanyDatabase(dir);
    auto catalog = testsupport::OpenTable(dir, fw::CatalogDB);
    catalog->AppendRecord({"01", ".LAPTE", "Lapte crud", QVariant(), QVariant(), "l", 2.2, "RON", 9.0, 0.0, "301", "601",
                           "4426", "4427"});
    catalog->AppendRecord({"01", ".SARE", "Sare", QVariant(), QVariant(), "kg", 1.2, "RON", 9.0, 0.0, "301", "601",
                           "4426", "4427"});
    auto stores = testsupport::OpenTable(dir, fw::GestDB);
    stores->AppendRecord({"_FRG", "Frigorifer"});
    stores->AppendRecord({"_MP", "Depozit materii prime"});
}

// The company above, and the document window's two tables
// tied to the stock as the window ties them.
class TReceipts {
    TempDir dir_; // first in, last out: the tables close before it goes
    QString company_;
    std::shared_ptr<fw::Connection> held_; // a new company's, on a server

public:
    // A new company, or another user's window on a company already made.
    explicit TReceipts(const QString& company = {}) : company_(company.isEmpty() ? dir_.Path() : company)
    {
        if (company.isEmpty()) {
            held_ = testsupport::UseTestEngine(Dir());
            MakeSmallCompany(Dir());
        }
        for (fw::TTable* t : {&headers, &lines})
            t->SetDatabaseName(Dir());
        headers.SetTableName(fw::DocInDB);
        headers.SetIndexFieldNames(QStringLiteral("Contor"));
        headerSource.SetDataSet(&headers);
        lines.SetTableName(fw::ItemInDB);
        lines.SetIndexFieldNames(QStringLiteral("Contor;Contor_secundar"));
        lines.SetMasterSource(&headerSource);
        lines.SetMasterFields(QStringLiteral("Contor"));
        binding = std::make_unique<pelmaris::TReceiptBinding>(&headers, &lines);
        headers.Open();
        lines.Open();
    }

    ~TReceipts()
    {
        binding.reset();
        headers.Close();
        lines.Close();
        held_.reset();
        if (company_ == dir_.Path())
            testsupport::ForgetDatabase(Dir());
    }

    QString Dir() const { return company_; }

    void NewHeader(double number)
    {
        headers.Append();
        headers.FieldByName(QStringLiteral("Numar"))->SetAsFloat(number);
        headers.Post();
    }

    void Fill(const char* store, const char* code, double quantity, const char* lot = "L1", double price = 2.2)
    {
        lines.FieldByName(QStringLiteral("Cod_gestiune"))->SetAsString(QString::fromLatin1(store));
        lines.FieldByName(QStringLiteral("Cod_grupa"))->SetAsString(QStringLiteral("01"));
        lines.FieldByName(QStringLiteral("Cod_articol"))->SetAsString(QString::fromLatin1(code));
        lines.FieldByName(QStringLiteral("Cantitate"))->SetAsFloat(quantity);
        lines.FieldByName(QStringLiteral("Pret_achizitie_lei"))->SetAsFloat(price);
        lines.FieldByName(QStringLiteral("Lot"))->SetAsString(QString::fromLatin1(lot));
    }

    void AddLine(const char* store, const char* code, double quantity, const char* lot = "L1")
    {
        lines.Append();
        Fill(store, code, quantity, lot);
        lines.Post();
    }

    // Stock lots as "warehouse article lot quantity".
    QStringList Lots() const
    {
        QStringList out;
        auto stoc = testsupport::OpenTable(Dir(), fw::StocDB);
        for (stoc->First(); !stoc->Eof(); stoc->Next()) {
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(stoc->FieldByName(QStringLiteral("Cod_gestiune"))->AsString(),
                            stoc->FieldByName(QStringLiteral("Cod_articol"))->AsString(),
                            stoc->FieldByName(QStringLiteral("Lot"))->AsString())
                       .arg(stoc->FieldByName(QStringLiteral("Cantitate"))->AsFloat());
        }
        return out;
    }
    QVariantList Quantities() const { return RawColumn(Dir(), "SELECT Cantitate FROM Item_in ORDER BY Contor_secundar"); }

    // What another document (the add-on's consumption) has taken from the first lot.
    void Draw(double quantity) const
    {
        fw::Connection::Open(Dir())->Exec(QStringLiteral("UPDATE Stoc SET Cantitate = Cantitate - ? WHERE %1 = "
                                                         "(SELECT MIN(%1) FROM Stoc)")
                                              .arg(testsupport::RowIdColumn()),
                                          {quantity});
    }

    fw::TTable headers;
    fw::TTable lines;
    fw::TDataSource headerSource;
    std::unique_ptr<pelmaris::TReceiptBinding> binding;
};

} // namespace hosttest
