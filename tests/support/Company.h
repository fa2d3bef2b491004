#pragma once

// A company database for tests: a temporary company directory with the host's tables the
// add-on uses, a private directory, the aliases pointing at them, the host's settings
// entry naming the company, and rows given as literals in each table's column order.

#include "TempDir.h"

#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

namespace fw {
class Connection;
}

namespace testsupport {

class TestCompany {
public:
    TestCompany();
    ~TestCompany();

    QString Dir() const { return dir_; }
    QString PrivateDir() const { return private_; }

    // Appends rows to a table, values in the table's stored column order (the company
    // tables' description).
    void Add(const QString& table, const std::vector<QVariantList>& rows);
    // Common shorthands.
    void Article(const QString& group, const QString& code, const QString& name, QVariant yield = {});
    void Lot(const QString& group, const QString& code, const QString& warehouse, double quantity,
             const QString& lot = QStringLiteral("L1"));
    void RecipeRow(const QString& product, const QString& material, const QString& group, double quantity);
    // Writes KRBDEF.INI in the company directory with the given text.
    void WriteSettingsFile(const QByteArray& text) const;

private:
    TempDir temp_;
    std::shared_ptr<fw::Connection> held_; // the company's, on a server
    QString dir_;
    QString private_;
};

} // namespace testsupport
