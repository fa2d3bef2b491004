#pragma once

#include "host/WriteRefusal.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>

namespace fw {
class TTable;
} // namespace fw

namespace pelmaris {

// The company's master data (classes, groups, articles, warehouses, suppliers,
// currencies): what a row must hold, and where else a row is referred to, so that a row
// in use is neither deleted nor given another code.

// A table whose rows refer to rows of a master table.
struct TReference {
    QString Table;
    // Its fields, standing for `KeyFields` of the master table in that order.
    QString Fields;
    // The master's key fields they stand for; the whole key when empty.
    QString KeyFields;
    // Where that is, as the user reads it ("stoc", "documente de intrare").
    QString Place;
};

struct TMasterTable {
    QString Table;
    QString Key;      // key fields, ";"-separated
    QString Subject;  // "Articolul", "Gestiunea"
    QString Deleted;  // "sters", "stearsa": agrees with the subject
    QString OfSubject; // "articolului", "gestiunii"
    // Fields a row must have filled before it is saved, and what the user is told.
    QStringList Required;
    QString RequiredMessage;
    std::vector<TReference> References;
};

const TMasterTable& ClassesTable();
const TMasterTable& GroupsTable();
const TMasterTable& ArticlesTable();
const TMasterTable& WarehousesTable();
const TMasterTable& SuppliersTable();
const TMasterTable& CurrenciesTable();

// The places that refer to the row with that key (in the order of the references, each
// once); empty when nothing does. Tables the company does not have count as empty.
QStringList PlacesUsing(const QString& database, const TMasterTable& table, const QVariantList& key);

// What the user is told when a row in use would be deleted or given another code.
QString DeleteRefusal(const TMasterTable& table, const QVariantList& key, const QStringList& places);
QString KeyChangeRefusal(const TMasterTable& table, const QVariantList& key, const QStringList& places);

// Fields that must hold account symbols (or nothing): a value that is not one is
// refused with the catalog's warning and the field keeps what it had.
void BindAccountChecks(fw::TTable* table, const QStringList& fields);

// The catalog's own checks, as the add-on's catalog lookup applies them: the seven
// account fields must hold account symbols, a currency must exist in VALUTA.DB, and a
// new article starts with the usual accounts and VAT rate.
void BindArticleChecks(fw::TTable* catalog);

// Ties an editable master table to its rules. Saving a row checks the required fields,
// a key that another row has, and a changed key that is in use; deleting a row checks
// that nothing refers to it. Each check runs inside the transaction that writes the row,
// so no other user can start using the row between the check and the write. A refusal
// shows why and ends the save or the deletion silently; nothing is written.
class TMasterBinding final : public QObject {
public:
    TMasterBinding(fw::TTable* table, const TMasterTable& rules, QObject* owner = nullptr);
    ~TMasterBinding() override;

    // A further check of the row before it is saved (inside its transaction); it refuses
    // with Refuse().
    std::function<void(fw::TTable*)> CheckRow;
    // Refuses the write being made: everything of it is rolled back, then the user is told.
    [[noreturn]] static void Refuse(const QString& message);

private:
    void BeforePost();
    void BeforeWrite(fw::TUpdateKind kind);
    QVariantList Key(bool old) const;

    QPointer<fw::TTable> table_;
    const TMasterTable& rules_;
    QStringList keyFields_;
};

} // namespace pelmaris
