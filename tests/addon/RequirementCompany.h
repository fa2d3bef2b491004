#pragma once
// A company for the requirement's tests: the host's tables, a data module connected to it,
// the production prefixes "_", "." and ";", the outgoing counter at 7, two users, and
// short-hands for receipts and for reading back what was written.

#include "Company.h"
#include "DbFixture.h"
#include "data/ZPFData.h"
#include "shell/ZPFIndic.h"

#include <QDate>
#include <string>
#include <memory>

namespace reqtest {

// The question asked before a document that leaves a short material out.
inline const QString NegativeQuestion = QStringLiteral(
    "Atentie, creati stocuri negative! \rRespectivele materiale nu vor fi incluse in documentul de iesire.\rDoriti sa "
    "continuati?");

// A list as one readable text, for comparisons whose failures a person reads.
inline std::string J(const QStringList& list) { return list.join(QStringLiteral(" | ")).toStdString(); }

struct TLine {
    QString Group;
    QString Code;
    double Quantity;
};

class RequirementCompany {
public:
    RequirementCompany()
    {
        corvanel::IndGest = '_';
        corvanel::IndCod = '.';
        corvanel::IndSemi = ';';
        company.Add(QStringLiteral("COUNTER.DB"), {{3.0, 7.0}});
        company.Add(QStringLiteral("USER.DB"), {{QStringLiteral("MPO"), QStringLiteral("Maria")},
                                                 {QStringLiteral("ADM"), QStringLiteral("Administrator")}});
        dm = std::make_unique<corvanel::TZPFDataModule>(nullptr);
        corvanel::ZPFDataModule = dm.get();
        dm->GhostDB->Params() << QStringLiteral("PATH=") + company.Dir();
        dm->GhostDB->Open();
    }
    ~RequirementCompany()
    {
        dm.reset();
        corvanel::ZPFDataModule = nullptr;
    }

    // A receipt: its header (number and date may be left empty) and lines, one lot each.
    void Receipt(double contor, const std::vector<TLine>& lines, const QVariant& number = 125.0,
                 const QVariant& date = QDate(2026, 12, 7))
    {
        company.Add(QStringLiteral("Doc_in.DB"),
                    {{contor, date, number, QStringLiteral("ABC"), date, QStringLiteral("FERMA1"), QString()}});
        double line = 0;
        for (const TLine& l : lines)
            company.Add(QStringLiteral("Item_in.DB"),
                        {{contor, ++line, QStringLiteral("PF"), l.Group, l.Code, QStringLiteral("P1"), l.Quantity}});
    }
    // Raw materials with the prefix ".", each in its group.
    void Materials(const std::vector<std::pair<QString, QString>>& groupAndCode)
    {
        for (const auto& [group, code] : groupAndCode)
            company.Article(group, code, QStringLiteral("Materie ") + code);
    }

    // The requirement as "group/code=quantity", in the table's order.
    QStringList Requirement()
    {
        QStringList rows;
        fw::TTable* t = dm->TempTable;
        for (t->First(); !t->Eof(); t->Next())
            rows << QStringLiteral("%1/%2=%3").arg(t->FieldByName(QStringLiteral("Cod_grupa"))->AsString(),
                                                  t->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString(),
                                                  t->FieldByName(QStringLiteral("Cant"))->AsString());
        return rows;
    }
    // Consumption lines as "number group/code lot quantity", and lots as "lot=quantity", in
    // the tables' order.
    QStringList Lines() const
    {
        return Strings("SELECT CAST(Contor_secundar AS INTEGER) || ' ' || coalesce(Cod_grupa, '') || '/' || Cod_articol || ' ' || Lot || ' ' || Cantitate"
                       " FROM Item_out ORDER BY rowid");
    }
    QStringList Lots() const { return Strings("SELECT Lot || '=' || Cantitate FROM Stoc ORDER BY rowid"); }
    QStringList Strings(const char* sql) const
    {
        QStringList out;
        for (const QVariant& v : testsupport::RawColumn(company.Dir(), QString::fromLatin1(sql)))
            out << v.toString();
        return out;
    }
    // Every row of every table with its row id: equal dumps mean nothing was written.
    QStringList Dump() const
    {
        QStringList out;
        for (const QVariant& table : testsupport::RawColumn(
                 company.Dir(), QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"))) {
            out << table.toString();
            const QVariantList names = testsupport::RawColumn(
                company.Dir(), QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table.toString()));
            QStringList columns{QStringLiteral("quote(rowid)")};
            for (const QVariant& n : names)
                columns << QStringLiteral("quote(\"%1\")").arg(n.toString());
            for (const QVariant& row : testsupport::RawColumn(
                     company.Dir(), QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                                        .arg(columns.join(QStringLiteral(" || '|' || ")), table.toString())))
                out << row.toString();
        }
        return out;
    }

    testsupport::TestCompany company;
    std::unique_ptr<corvanel::TZPFDataModule> dm;
};

} // namespace reqtest
