#pragma once

#include "host/DataForm.h"
#include "host/MasterData.h"

namespace pelmaris {

// The windows of the company's master data. Each edits its table in a grid with a
// navigator; the rules of MasterData refuse what would leave the data inconsistent.
class TMasterForm : public TDataForm {
public:
    using TDataForm::TDataForm;

protected:
    // An editable table of the company bound to its rules.
    fw::TTable* AddMaster(const TMasterTable& rules, const QString& order, TMasterBinding** binding = nullptr);
};

// "Clase si grupe de articole": the material classes over the groups of the current one.
class TClassesForm final : public TMasterForm {
public:
    explicit TClassesForm(QWidget* owner);
    fw::TTable* Classes() const { return classes_; }
    fw::TTable* Groups() const { return groups_; }

private:
    fw::TTable* classes_;
    fw::TTable* groups_;
};

// "Catalog de articole": the article groups over the articles of the current group;
// the articles are edited with the catalog's own checks.
class TCatalogForm final : public TMasterForm {
public:
    explicit TCatalogForm(QWidget* owner);
    fw::TTable* Groups() const { return groups_; }
    fw::TTable* Articles() const { return articles_; }

private:
    fw::TTable* groups_;
    fw::TTable* articles_;
};

// A window over one master table: its grid and navigator.
struct TListSpec {
    QString Caption;
    QString ObjectName;
    const TMasterTable& Rules;
    std::vector<TColumnSpec> Columns;
};

class TListForm : public TMasterForm {
public:
    TListForm(QWidget* owner, const TListSpec& list);
    fw::TTable* Table() const { return table_; }
    TMasterBinding* Binding() const { return binding_; }

private:
    fw::TTable* table_;
    TMasterBinding* binding_ = nullptr;
};

// "Gestiuni", "Furnizori", "Valute".
class TWarehousesForm final : public TListForm {
public:
    explicit TWarehousesForm(QWidget* owner);
};

class TSuppliersForm final : public TListForm {
public:
    explicit TSuppliersForm(QWidget* owner);
};

class TCurrenciesForm final : public TListForm {
public:
    explicit TCurrenciesForm(QWidget* owner);
};

} // namespace pelmaris
