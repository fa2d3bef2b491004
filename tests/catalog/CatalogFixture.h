#pragma once
// A small catalog for the lookup and price indexing: two material classes, three groups,
// a few articles, two currencies; messages and beeps recorded.

#include "ProductionFixture.h"
#include "Company.h"
#include "DbFixture.h"
#include "Named.h"
#include "catalog/CatalogLookup.h"
#include "catalog/PriceIndexing.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Beep.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <memory>

namespace cattest {

// The lookup's parts, found by the names they are made with.
inline fw::TDBGridNormal* ArticleGrid(const QObject* form) { return testsupport::Named<fw::TDBGridNormal>(form, "ArticleGrid"); }
inline fw::TDBGridNormal* GroupGrid(const QObject* form) { return testsupport::Named<fw::TDBGridNormal>(form, "GroupGrid"); }
inline fw::TDBGridNormal* ClassGrid(const QObject* form) { return testsupport::Named<fw::TDBGridNormal>(form, "ClassGrid"); }
inline fw::TTable* ArticleTable(const QObject* form) { return testsupport::Named<fw::TTable>(form, "ArticleTable"); }
inline QPushButton* EditButton(const QObject* form) { return testsupport::Named<QPushButton>(form, "EditButton"); }
inline QPushButton* OkButton(const QObject* form) { return testsupport::Named<QPushButton>(form, "OkButton"); }
inline QPushButton* CancelButton(const QObject* form) { return testsupport::Named<QPushButton>(form, "CancelButton"); }
inline QLineEdit* SearchEdit(const QObject* form) { return testsupport::Named<QLineEdit>(form, "SearchEdit"); }
inline QComboBox* OrderCombo(const QObject* form) { return testsupport::Named<QComboBox>(form, "OrderCombo"); }
inline QMenuBar* MenuBar(const QObject* form) { return testsupport::Named<QMenuBar>(form, "MenuBar"); }
inline QTimer* RefreshTimer(const QObject* form) { return testsupport::Named<QTimer>(form, "RefreshTimer"); }
inline fw::TMenuItem* IndexPricesItem(const QObject* form) { return testsupport::Named<fw::TMenuItem>(form, "IndexPricesItem"); }

class CatalogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        fw::BeepObserver = [this](fw::TBeep kind) { beeps.push_back(kind); };
        company.Add(fw::MaterialeDB, {{"MP", "Materii prime", "301"}, {"PF", "Produse finite", "345"}});
        company.Add(fw::GrupDB, {{"MP", "01", "Lactate crude", "301"},
                                {"MP", "04", "Ingrediente", "301"},
                                {"PF", "02", "Iaurturi", "345"}});
        company.Add(fw::ValutaDB, {{"RON", "Leu", 1.0}, {"EUR", "Euro", 4.97}});
        // Orders: by code A1 B2 C3, by name B2 C3 A1, by description C3 A1 B2.
        Article("01", "A1", "Zeta", "m", 10.0);
        Article("01", "B2", "Alfa", "z", QVariant());
        Article("01", "C3", "Mu", "a", 2.5);
        Article("04", "D4", "Beta", "", 10.0);
        Article("02", "P1", "Iaurt", "", 4.0);
    }
    void TearDown() override
    {
        form.reset();
        fw::BeepObserver = nullptr;
    }

    void Article(const QString& group, const QString& code, const QString& name, const QString& description,
                 const QVariant& price)
    {
        company.Add(fw::CatalogDB, {{group, code, name, QVariant(), description, "kg", price, "RON", 19.0, 0.0, "371",
                                    "607", "4426", "4427", "446", "378", "707", 0.0}});
    }

    void OpenForm() { form = std::make_unique<corvanel::TCatalogLookupForm>(context, nullptr); }
    QString Current(fw::TDataSet* ds, const char* field) const { return ds->FieldByName(field)->AsString(); }
    QString CurrentArticle() const { return Current(ArticleTable(form.get()), "Cod"); }

    // Statements of another user: a connection of its own to the company's database file.
    void OtherUser(const QString& sql)
    {
        const QString name = QStringLiteral("other-user");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(company.Dir() + "/" + fw::DatabaseFileName());
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(sql)) << qPrintable(q.lastError().text());
        }
        QSqlDatabase::removeDatabase(name);
    }
    // The sale prices of a group as stored, by code ("null" for none).
    QString StoredPrices(const QString& group)
    {
        QStringList out;
        for (const QVariant& v : testsupport::RawColumn(company.Dir(), "SELECT Cod || '=' || IFNULL(Pret_vinzare, 'null') "
                                                                       "FROM CATALOG WHERE Grupa = '" + group + "' ORDER BY Cod"))
            out << v.toString();
        return out.join(' ');
    }

    testsupport::TestCompany company;
    // No data module: the lookup's tables are the host's, in the default session.
    testsupport::TProduction production;
    corvanel::TProductionContext& context = production.Context;
    fw::TMessageRecorder messages;
    std::vector<fw::TBeep> beeps;
    std::unique_ptr<corvanel::TCatalogLookupForm> form;
};

} // namespace cattest
