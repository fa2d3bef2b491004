#include "data/DbNames.h"

namespace corvanel {

using fw::TFieldType;

const std::vector<TFieldLayout>& RetetaLayout()
{
    static const std::vector<TFieldLayout> fields{{"Cod_Grupa", TFieldType::String, 8},
                                                  {"Cod", TFieldType::String, 30},
                                                  {"Cod_MatPrim", TFieldType::String, 30},
                                                  {"Cant_MatPrim", TFieldType::Float, 0}};
    return fields;
}

const std::vector<TFieldLayout>& DocInLayout()
{
    static const std::vector<TFieldLayout> fields{{"Contor", TFieldType::Float, 0},
                                                  {"Data_inregistrarii", TFieldType::Date, 0},
                                                  {"Numar", TFieldType::Float, 0},
                                                  {"Tip", TFieldType::String, 3},
                                                  {"Data", TFieldType::Date, 0},
                                                  {"Furnizor", TFieldType::String, 30},
                                                  {"Explicatie", TFieldType::String, 255}};
    return fields;
}

const std::vector<TFieldLayout>& ItemInLayout()
{
    static const std::vector<TFieldLayout> fields{{"Contor", TFieldType::Float, 0},
                                                  {"Contor_secundar", TFieldType::Float, 0},
                                                  {"Cod_gestiune", TFieldType::String, 4},
                                                  {"Cod_grupa", TFieldType::String, 8},
                                                  {"Cod_articol", TFieldType::String, 30},
                                                  {"Lot", TFieldType::String, 30},
                                                  {"Cantitate", TFieldType::Float, 0},
                                                  {"Pret_achizitie_valuta", TFieldType::Float, 0},
                                                  {"Valuta", TFieldType::String, 3},
                                                  {"Pret_achizitie_lei", TFieldType::Float, 0},
                                                  {"Pret_echiv_USD", TFieldType::Float, 0},
                                                  {"TVA", TFieldType::Float, 0},
                                                  {"Cont_marfa", TFieldType::String, 20},
                                                  {"Cont_TVA_Intrari", TFieldType::String, 20},
                                                  {"Agent", TFieldType::String, 3},
                                                  {"Contor_Com", TFieldType::Float, 0},
                                                  {"Serii", TFieldType::Boolean, 0},
                                                  {"Cod_bare", TFieldType::String, 60}};
    return fields;
}

const std::vector<TFieldLayout>& DocOutLayout()
{
    static const std::vector<TFieldLayout> fields{{"Contor", TFieldType::Float, 0},
                                                  {"Data_inregistrarii", TFieldType::Date, 0},
                                                  {"Numar", TFieldType::Float, 0},
                                                  {"Tip", TFieldType::String, 3},
                                                  {"Data", TFieldType::Date, 0},
                                                  {"Client", TFieldType::String, 30},
                                                  {"Explicatie", TFieldType::String, 255},
                                                  {"Data_scadenta", TFieldType::Date, 0},
                                                  {"Agent", TFieldType::String, 3}};
    return fields;
}

const std::vector<TFieldLayout>& ItemOutLayout()
{
    static const std::vector<TFieldLayout> fields{{"Contor", TFieldType::Float, 0},
                                                  {"Contor_secundar", TFieldType::Float, 0},
                                                  {"Cod_gestiune", TFieldType::String, 4},
                                                  {"Cod_grupa", TFieldType::String, 8},
                                                  {"Cod_articol", TFieldType::String, 30},
                                                  {"Cantitate", TFieldType::Float, 0},
                                                  {"Pret_achizitie", TFieldType::Float, 0},
                                                  {"Pret_vinzare", TFieldType::Float, 0},
                                                  {"Pret_vz_echiv_USD", TFieldType::Float, 0},
                                                  {"TVA", TFieldType::Float, 0},
                                                  {"Cont_marfa", TFieldType::String, 20},
                                                  {"Cont_cheltuieli", TFieldType::String, 20},
                                                  {"Cont_TVA_Iesiri", TFieldType::String, 20},
                                                  {"Cont_accize", TFieldType::String, 20},
                                                  {"Acciza", TFieldType::Float, 0},
                                                  {"Cont_adaos", TFieldType::String, 20},
                                                  {"Cont_venituri", TFieldType::String, 20},
                                                  {"Lot", TFieldType::String, 30},
                                                  {"Agent", TFieldType::String, 3},
                                                  {"Cod_bare", TFieldType::String, 60}};
    return fields;
}

const std::vector<TFieldLayout>& StocLayout()
{
    static const std::vector<TFieldLayout> fields{{"Cantitate", TFieldType::Float, 0},
                                                  {"Cod_articol", TFieldType::String, 30},
                                                  {"Cod_grupa", TFieldType::String, 8},
                                                  {"Cod_gestiune", TFieldType::String, 4},
                                                  {"Pret_achizitie", TFieldType::Float, 0},
                                                  {"Lot", TFieldType::String, 30},
                                                  {"Agent", TFieldType::String, 3}};
    return fields;
}

const QStringList& CalcNecesQuerySql()
{
    static const QStringList sql{
        QStringLiteral("SELECT  D1.Cod_Grupa,D1.Cod_MatPrim, (D.Cantitate * D1.Cant_MatPrim / D2.CantReteta) AS Cant"),
        QStringLiteral("FROM Item_in D, Reteta D1, Catalog D2"),
        QStringLiteral("WHERE d.Contor=:Contor"),
        QStringLiteral(" AND (D1.Cod = D.Cod_articol)"),
        QStringLiteral(" AND (D1.Cod = D2.Cod)")};
    return sql;
}

const QStringList& CalcNecesQuery2Sql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT  Cod_Grupa,Cod_MatPrim,SUM(Cant) as Cant"),
                                 QStringLiteral("FROM \"Temp.Db\""),
                                 QStringLiteral("GROUP BY Cod_Grupa,Cod_MatPrim"),
                                 QStringLiteral("ORDER BY Cod_MatPrim")};
    return sql;
}

const QStringList& ExtragRetetaSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT Cod, Cod_MatPrim, Cod_Grupa, Cant_MatPrim"),
                                 QStringLiteral("FROM \"Reteta.DB\" "),
                                 QStringLiteral("WHERE"),
                                 QStringLiteral("(Cod = :From)"),
                                 QStringLiteral("ORDER BY Cod, Cod_MatPrim, Cod_Grupa, Cant_MatPrim")};
    return sql;
}

const QStringList& StockByWarehouseSql()
{
    static const QStringList sql{QStringLiteral("SELECT Cod_gestiune, SUM(Cantitate) AS Cantitate"),
                                 QStringLiteral("FROM \"Stoc.DB\""),
                                 QStringLiteral("WHERE (Cod_grupa = :Grupa) AND (Cod_articol = :Cod)"),
                                 QStringLiteral("GROUP BY Cod_gestiune")};
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

const QStringList& IndexPricesSql()
{
    static const QStringList sql{QStringLiteral("UPDATE CATALOG"), QStringLiteral("SET Pret_vinzare = (Pret_vinzare * :Coef)"),
                                 QStringLiteral("WHERE"), QStringLiteral("(Grupa = :Group)")};
    return sql;
}

} // namespace corvanel
