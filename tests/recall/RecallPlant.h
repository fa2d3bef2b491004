#pragma once

// A company to follow lots in: receipts, outgoing documents, the genealogy and the
// reversals written as the add-on writes them, and the walk over them.

#include "Company.h"
#include "ProductionFixture.h"
#include "platform/schema/CompanyTables.h"
#include "recall/LotRecall.h"
#include "recall/RecallOutput.h"

#include <string>
#include <vector>

struct TRecallPlant {
    struct TOut {
        QString Group, Code, Lot;
        double Quantity;
    };
    // A receipt of one line per lot, in warehouse PF.
    void Receipt(double contor, double number, const QString& type, const QDate& date, const QString& supplier,
                 const std::vector<TOut>& lines)
    {
        company.Add(fw::DocInDB, {{contor, date, number, type, date, supplier}});
        double n = 0;
        for (const TOut& l : lines)
            company.Add(fw::ItemInDB, {{contor, ++n, "PF", l.Group, l.Code, l.Lot, l.Quantity}});
    }
    void Document(double contor, const QString& type, double number, const QDate& date, const QString& client,
                  const std::vector<TOut>& lines)
    {
        company.Add(fw::DocOutDB, {{contor, date, number, type, date, client.isEmpty() ? QVariant() : QVariant(client)}});
        double n = 0;
        for (const TOut& l : lines) {
            QVariantList row{contor, ++n, "_FRG", l.Group, l.Code, l.Quantity};
            for (int i = 0; i < 11; ++i)
                row << QVariant();
            row << l.Lot;
            company.Add(fw::ItemOutDB, {row});
        }
    }
    // What line `line` of consumption `document` drew of `lot` (brought in by receipt `in`)
    // for line `receiptLine` of receipt `receipt`.
    void Fed(double document, double line, double receipt, double receiptLine, double quantity,
             const corvanel::TLotKey& lot, double in)
    {
        company.Add(fw::GenealogieDB, {{document, line, receipt, receiptLine, quantity, lot.Group, lot.Article, lot.Lot,
                                        "_FRG", 2.5, "ADM", in, 1.0, QDate(2026, 11, 1)}});
    }
    void Reversed(double document, double by)
    {
        company.Add(fw::StornariDB, {{document, by, QDate(2026, 11, 20), "ADM"}});
    }
    void InStock(const QString& group, const QString& code, const QString& lot, const QString& warehouse, double quantity)
    {
        company.Add(fw::StocDB, {{quantity, code, group, warehouse, 2.5, lot, "ADM", 1.0, 1.0, QDate(2026, 11, 1)}});
    }
    corvanel::TRecall Follow(const QString& lot, corvanel::TRecallDirection direction)
    {
        corvanel::TLotWalk walk(production.Context.Session(), QStringLiteral("KRBPROD"));
        return walk.Follow(walk.FindLots(lot), direction);
    }
    // Compared as std::string, which a failure prints as text.
    std::string Csv(const QString& lot, corvanel::TRecallDirection direction)
    {
        return corvanel::RecallCsv(Follow(lot, direction)).toStdString();
    }

    testsupport::TestCompany company;
    testsupport::TProduction production;
};
