#pragma once
// A company for the requirement's tests: a data module connected to it, the prefixes "_",
// "." and ";", the outgoing counter at 7, two users; receipts, and what was written read back.
#include "ProductionFixture.h"
#include "Company.h"
#include "DbFixture.h"
#include "data/ProductionData.h"
#include "platform/schema/CompanyTables.h"

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
        company.Add(fw::CounterDB, {{3.0, 7.0}});
        company.Add(fw::UserDB, {{"MPO", "Maria"}, {"ADM", "Administrator"}});
        dm = &production.Connect(company);
    }

    // A receipt of type ABC: header (number and date may be empty) and lines.
    void Receipt(double contor, const std::vector<TLine>& lines, const QVariant& number = 125.0,
                 const QVariant& date = QDate(2026, 12, 7))
    {
        company.Add(fw::DocInDB, {{contor, date, number, "ABC", date, "FERMA1"}});
        double n = 0;
        for (const TLine& l : lines)
            company.Add(fw::ItemInDB, {{contor, ++n, "PF", l.Group, l.Code, "P1", l.Quantity}});
    }
    // The requirement as "group/code=quantity" in its order.
    QStringList Requirement()
    {
        QStringList rows;
        fw::TTable* temp = dm->Requirement().TempTable();
        for (temp->First(); !temp->Eof(); temp->Next())
            rows << temp->FieldByName("Cod_grupa")->AsString() + "/" + temp->FieldByName("Cod_MatPrim")->AsString() + "=" +
                        temp->FieldByName("Cant")->AsString();
        return rows;
    }
    // Lines as "number group/code lot quantity", lots as "lot=quantity", in the tables' order.
    QStringList Lines() const
    {
        QStringList out;
        for (const QVariantList& r : Rows("SELECT Contor_secundar, Cod_grupa, Cod_articol, Lot, Cantitate FROM Item_out ORDER BY "
                                          + testsupport::RowIdColumn()))
            out << QString::number(r[0].toInt()) + " " + r[1].toString() + "/" + r[2].toString() + " " + r[3].toString() + " "
                       + testsupport::AsText(r[4]);
        return out;
    }
    // Lines as Lines gives them, without their numbers: "group/code lot quantity".
    QStringList Draws() const
    {
        QStringList out;
        for (const QString& line : Lines())
            out << line.section(' ', 1);
        return out;
    }
    QStringList Lots() const
    {
        QStringList out;
        for (const QVariantList& r : Rows("SELECT Lot, Cantitate FROM Stoc ORDER BY " + testsupport::RowIdColumn()))
            out << r[0].toString() + "=" + testsupport::AsText(r[1]);
        return out;
    }
    // The first column of a query, each value as text.
    QStringList Strings(const QString& sql) const
    {
        QStringList out;
        for (const QVariant& v : testsupport::RawColumn(company.Dir(), sql))
            out << testsupport::AsText(v);
        return out;
    }
    // Each row of a query as its values' texts joined by "|".
    QStringList Joined(const QString& sql) const { return testsupport::RawTexts(company.Dir(), sql, "|"); }
    std::vector<QVariantList> Rows(const QString& sql) const { return testsupport::RawRows(company.Dir(), sql); }
    // Every row of every company table with its row identity: equal dumps mean nothing was written.
    QStringList Dump() const
    {
        QStringList out;
        std::vector<fw::TTableLayout> tables = fw::HostTables();
        tables.push_back(fw::RecipeTable());
        for (const fw::TTableLayout* own : fw::AddOnOwnTables())
            tables.push_back(*own);
        for (const fw::TTableLayout& table : tables) {
            const QString name = QString(table.Name).remove(".DB", Qt::CaseInsensitive).remove(".db");
            QStringList columns{testsupport::RowIdColumn()};
            for (const QString& field : table.FieldNames())
                columns << "\"" + (testsupport::OnServer() ? field.toLower() : field) + "\"";
            out << name << Joined("SELECT " + columns.join(", ") + " FROM " + name + " ORDER BY " + testsupport::RowIdColumn());
        }
        return out;
    }

    testsupport::TestCompany company;
    testsupport::TProduction production;
    corvanel::TProductionData* dm = nullptr;
};

} // namespace reqtest
