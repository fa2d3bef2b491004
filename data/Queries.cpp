#include "data/Queries.h"

#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

namespace corvanel {

QString MaterialCondition(const char* groupColumn, const char* codeColumn, const QString& group, const QString& code,
                          QVariantList& values)
{
    auto match = [&](const char* column, const QString& value) {
        if (value.isEmpty())
            return QStringLiteral("%1 IS NULL").arg(QLatin1String(column));
        values << value;
        return QStringLiteral("%1 = ?").arg(QLatin1String(column));
    };
    const QString byGroup = match(groupColumn, group); // bound first
    return byGroup + QStringLiteral(" AND ") + match(codeColumn, code);
}

const QStringList& RetetaFields()
{
    static const QStringList fields{QStringLiteral("Cod_Grupa"), QStringLiteral("Cod"), QStringLiteral("Cod_MatPrim"),
                                    QStringLiteral("Cant_MatPrim")};
    return fields;
}

const QStringList& StocFields()
{
    static const QStringList fields{QStringLiteral("Cantitate"), QStringLiteral("Cod_articol"), QStringLiteral("Cod_grupa"),
                                    QStringLiteral("Cod_gestiune"), QStringLiteral("Pret_achizitie"), QStringLiteral("Lot"),
                                    QStringLiteral("Agent"), QStringLiteral("Contor_in"), QStringLiteral("Contor_secundar_in"),
                                    QStringLiteral("Data_intrare")};
    return fields;
}

const QStringList& RequirementTermsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT  D1.Cod_Grupa,D1.Cod_MatPrim, (D.Cantitate * D1.Cant_MatPrim / D2.CantReteta) AS Cant"),
        QStringLiteral("FROM Item_in D, Reteta D1, Catalog D2"),
        QStringLiteral("WHERE d.Contor=:Contor"),
        QStringLiteral(" AND (D1.Cod = D.Cod_articol)"),
        QStringLiteral(" AND (D1.Cod = D2.Cod)"),
        // The yield is the product's own: a code kept in two groups must not count its
        // recipe once per catalog row.
        QStringLiteral(" AND (D2.Grupa = D.Cod_grupa)")};
    return sql;
}

const QStringList& NoYieldProductsSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT D.Cod_grupa, D.Cod_articol, D2.Denumire"),
                                 QStringLiteral("FROM Item_in D, Catalog D2"),
                                 QStringLiteral("WHERE (D.Contor = :Contor)"),
                                 QStringLiteral(" AND (D2.Grupa = D.Cod_grupa) AND (D2.Cod = D.Cod_articol)"),
                                 QStringLiteral(" AND ((D2.CantReteta IS NULL) OR (D2.CantReteta = 0))"),
                                 QStringLiteral(" AND EXISTS (SELECT D1.Cod FROM Reteta D1 WHERE D1.Cod = D.Cod_articol)"),
                                 QStringLiteral("ORDER BY D.Cod_grupa, D.Cod_articol")};
    return sql;
}

const QStringList& ConsumptionDocumentsSql()
{
    static const QStringList sql{QStringLiteral("SELECT Contor, Numar, Data FROM Doc_out"),
                                 QStringLiteral("WHERE (Tip = '%1') AND (Numar = :Numar) AND (Data = :Data)").arg(fw::ConsumptionDocType),
                                 QStringLiteral("ORDER BY Contor")};
    return sql;
}

const QStringList& ConsumptionDocumentSql()
{
    static const QStringList sql{QStringLiteral("SELECT Numar, Data FROM Doc_out WHERE Contor = :Contor")};
    return sql;
}

const QStringList& OutgoingDocumentSql()
{
    static const QStringList sql{QStringLiteral("SELECT Tip, Numar, Data FROM Doc_out WHERE Contor = :Contor")};
    return sql;
}

const QStringList& ConsumptionDocumentsNumberedSql()
{
    static const QStringList sql{QStringLiteral("SELECT Contor, Numar, Data FROM Doc_out"),
                                 QStringLiteral("WHERE (Tip = '%1') AND (Numar = :Numar)").arg(fw::ConsumptionDocType),
                                 QStringLiteral("ORDER BY Contor")};
    return sql;
}

const QStringList& OutgoingLinesSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT ") + fw::CompanyTable(fw::ItemOutDB).FieldNames().join(QStringLiteral(", ")),
        QStringLiteral("FROM Item_out WHERE Contor = :Contor ORDER BY Contor_secundar")};
    return sql;
}

const QStringList& DrawnLotsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT Contor_secundar_out, Cod_grupa, Cod_articol, Lot, Cod_gestiune, Pret_achizitie, Agent,"),
        QStringLiteral(" Contor_in, Contor_secundar_in, Data_intrare"),
        QStringLiteral("FROM Genealogie WHERE Contor_out = :Contor ORDER BY Contor_secundar_out")};
    return sql;
}

const QStringList& UnreadableTermValuesSql()
{
    // A number plus 0 is itself; stored text is not the number it computes as.
    static const QStringList sql{
        QStringLiteral("SELECT D.Contor_secundar AS Linie, D.Cod_grupa AS Grupa, D.Cod_articol AS Produs,"),
        QStringLiteral(" D1.Cod_Grupa AS Grupa_MatPrim, D1.Cod_MatPrim AS MatPrim,"),
        QStringLiteral(" CASE WHEN D.Cantitate + 0 <> D.Cantitate"),
        QStringLiteral("  THEN '<' || CAST(D.Cantitate AS VARCHAR(40)) || '>' END AS Cantitate,"),
        QStringLiteral(" CASE WHEN D1.Cant_MatPrim + 0 <> D1.Cant_MatPrim"),
        QStringLiteral("  THEN '<' || CAST(D1.Cant_MatPrim AS VARCHAR(40)) || '>' END AS Cant_MatPrim,"),
        QStringLiteral(" CASE WHEN D2.CantReteta + 0 <> D2.CantReteta"),
        QStringLiteral("  THEN '<' || CAST(D2.CantReteta AS VARCHAR(40)) || '>' END AS CantReteta"),
        QStringLiteral("FROM Item_in D, Reteta D1, Catalog D2"),
        QStringLiteral("WHERE (D.Contor = :Contor)"),
        QStringLiteral(" AND (D1.Cod = D.Cod_articol) AND (D1.Cod = D2.Cod) AND (D2.Grupa = D.Cod_grupa)"),
        QStringLiteral(" AND ((D.Cantitate + 0 <> D.Cantitate) OR (D1.Cant_MatPrim + 0 <> D1.Cant_MatPrim)"),
        QStringLiteral("  OR (D2.CantReteta + 0 <> D2.CantReteta))"),
        QStringLiteral("ORDER BY D.Contor_secundar, D1.Cod_Grupa, D1.Cod_MatPrim")};
    return sql;
}

const QStringList& RequirementSumSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT  Cod_Grupa,Cod_MatPrim,SUM(Cant) as Cant"),
                                 QStringLiteral("FROM \"Temp.Db\""),
                                 QStringLiteral("GROUP BY Cod_Grupa,Cod_MatPrim"),
                                 QStringLiteral("ORDER BY Cod_MatPrim")};
    return sql;
}

const QStringList& TempTermValuesSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT Cant"), QStringLiteral("FROM \"Temp.Db\"")};
    return sql;
}

const QStringList& RoundTempTermSql()
{
    static const QStringList sql{QStringLiteral("UPDATE \"Temp.Db\""), QStringLiteral("SET Cant = :Rounded"),
                                 QStringLiteral("WHERE (Cant = :Term) OR ((Cant IS NULL) AND (:Term IS NULL))")};
    return sql;
}

const QStringList& DropEmptyTempTermsSql()
{
    static const QStringList sql{QStringLiteral("DELETE FROM \"Temp.Db\""), QStringLiteral("WHERE Cant IS NULL")};
    return sql;
}

const QStringList& RecipeRowsSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT Cod, Cod_MatPrim, Cod_Grupa, Cant_MatPrim"),
                                 QStringLiteral("FROM \"Reteta.DB\" "),
                                 QStringLiteral("WHERE"),
                                 QStringLiteral("(Cod = :From)"),
                                 QStringLiteral("ORDER BY Cod, Cod_MatPrim, Cod_Grupa, Cant_MatPrim")};
    return sql;
}

const QStringList& ShelfLifeSql()
{
    static const QStringList sql{QStringLiteral("SELECT ZileValabilitate FROM CATALOG"),
                                 QStringLiteral("WHERE (Grupa = :Grupa) AND (Cod = :Cod)")};
    return sql;
}

const QStringList& WarehouseListSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT Cod, Denumire"), QStringLiteral("FROM \"Gest.db\" "),
                                 QStringLiteral("ORDER BY Cod, Denumire")};
    return sql;
}

const QStringList& SupplierListSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT Cod_furnizor as Cod, Nume_furnizor as Denumire"),
                                 QStringLiteral("FROM \"Furn.db\" "), QStringLiteral("ORDER BY Cod, Denumire")};
    return sql;
}

const QStringList& ReceiptLinesSql()
{
    static const QStringList sql{QStringLiteral("SELECT Contor_secundar, Cantitate + 0 AS Cantitate"),
                                 QStringLiteral("FROM Item_in"), QStringLiteral("WHERE (Contor = :Contor)"),
                                 QStringLiteral("ORDER BY Contor_secundar")};
    return sql;
}

const QStringList& ReceiptLineTermsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT D.Contor_secundar, D1.Cod_Grupa, D1.Cod_MatPrim,"),
        QStringLiteral(" (D.Cantitate * D1.Cant_MatPrim / D2.CantReteta) AS Cant"),
        QStringLiteral("FROM Item_in D, Reteta D1, Catalog D2"),
        QStringLiteral("WHERE (D.Contor = :Contor)"),
        QStringLiteral(" AND (D1.Cod = D.Cod_articol) AND (D1.Cod = D2.Cod) AND (D2.Grupa = D.Cod_grupa)")};
    return sql;
}

const QStringList& IndexPricesSql()
{
    static const QStringList sql{QStringLiteral("UPDATE CATALOG"), QStringLiteral("SET Pret_vinzare = (Pret_vinzare * :Coef)"),
                                 QStringLiteral("WHERE"), QStringLiteral("(Grupa = :Group)")};
    return sql;
}

const QStringList& LargestGroupPriceSql()
{
    static const QStringList sql{QStringLiteral("SELECT MAX(ABS(Pret_vinzare)) AS Cel_mai_mare FROM CATALOG"),
                                 QStringLiteral("WHERE Grupa = :Group")};
    return sql;
}

} // namespace corvanel
