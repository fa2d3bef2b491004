#pragma once
// A company for the requirement's tests: a data module connected to it, the prefixes "_",
// "." and ";", the outgoing counter at 7, two users; receipts, and what was written read back.
#include "Company.h"
#include "DbFixture.h"
#include "data/ZPFData.h"
#include "shell/ZPFIndic.h"

#include <QDate>
#include <memory>
#include <string>

namespace reqtest {

inline const QString NegativeQuestion = QStringLiteral(
    "Atentie, creati stocuri negative! \rRespectivele materiale nu vor fi incluse in documentul de iesire.\rDoriti sa "
    "continuati?");

// A list as one text, for failures a person reads.
inline std::string J(const QStringList& list) { return list.join(QStringLiteral(" | ")).toStdString(); }

struct TLine {
    QString Group, Code;
    double Quantity;
};

struct RequirementCompany {
    RequirementCompany()
    {
        corvanel::IndGest = '_', corvanel::IndCod = '.', corvanel::IndSemi = ';';
        company.Add("COUNTER.DB", {{3.0, 7.0}});
        company.Add("USER.DB", {{"MPO", "Maria"}, {"ADM", "Administrator"}});
        corvanel::ZPFDataModule = dm.get();
        dm->GhostDB->Params() << "PATH=" + company.Dir();
        dm->GhostDB->Open();
    }
    ~RequirementCompany() { corvanel::ZPFDataModule = nullptr; }

    // A receipt of type ABC: header (number and date may be empty) and lines.
    void Receipt(double contor, const std::vector<TLine>& lines, const QVariant& number = 125.0,
                 const QVariant& date = QDate(2026, 12, 7))
    {
        company.Add("Doc_in.DB", {{contor, date, number, "ABC", date, "FERMA1"}});
        double n = 0;
        for (const TLine& l : lines)
            company.Add("Item_in.DB", {{contor, ++n, "PF", l.Group, l.Code, "P1", l.Quantity}});
    }
    // The requirement as "group/code=quantity" in its order.
    QStringList Requirement()
    {
        QStringList rows;
        for (dm->TempTable->First(); !dm->TempTable->Eof(); dm->TempTable->Next())
            rows << dm->TempTable->FieldByName("Cod_grupa")->AsString() + "/" +
                        dm->TempTable->FieldByName("Cod_MatPrim")->AsString() + "=" + dm->TempTable->FieldByName("Cant")->AsString();
        return rows;
    }
    // Lines as "number group/code lot quantity", lots as "lot=quantity", in the tables' order.
    QStringList Lines() const
    {
        return Strings("SELECT CAST(Contor_secundar AS INTEGER) || ' ' || coalesce(Cod_grupa, '') || '/' || Cod_articol"
                       " || ' ' || Lot || ' ' || Cantitate FROM Item_out ORDER BY rowid");
    }
    QStringList Lots() const { return Strings("SELECT Lot || '=' || Cantitate FROM Stoc ORDER BY rowid"); }
    QStringList Strings(const QString& sql) const
    {
        QStringList out;
        for (const QVariant& v : testsupport::RawColumn(company.Dir(), sql))
            out << v.toString();
        return out;
    }
    // Every row of every table with its row id: equal dumps mean nothing was written.
    QStringList Dump() const
    {
        QStringList out;
        for (const QString& table : Strings("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
            QStringList columns{"quote(rowid)"};
            for (const QString& c : Strings("SELECT name FROM pragma_table_info('" + table + "')"))
                columns << "quote(\"" + c + "\")";
            out << table << Strings("SELECT " + columns.join(" || '|' || ") + " FROM \"" + table + "\" ORDER BY rowid");
        }
        return out;
    }

    testsupport::TestCompany company;
    std::unique_ptr<corvanel::TZPFDataModule> dm = std::make_unique<corvanel::TZPFDataModule>(nullptr);
};

} // namespace reqtest
