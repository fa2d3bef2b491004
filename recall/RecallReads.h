#pragma once

// What the recall reads of the company, read in batches: the walk asks for the lots of a
// whole level at once, and each batch is a few statements (keys in chunks of a condition),
// never one statement per lot or per line. What was read is kept for the walk; asking for
// something not read yet reads it alone, so that a batch left out costs time, not truth.

#include "recall/LotKey.h"

#include <QDate>
#include <QString>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace fw {
class TSession;
} // namespace fw

namespace corvanel {

// A line of a document: of a receipt (the lot it made or brought in), of an outgoing
// document (a shipment, or a consumption drawing on a lot).
struct TRecallDocLine {
    double Document = 0; // Contor of the document
    double Line = 0;     // its Contor_secundar
    TLotKey Lot;
    QString Warehouse;
    double Quantity = 0;
    QString Type;
    double Number = 0;
    QDate Date;
    QString Partner; // the supplier (a receipt) or the customer (an outgoing document)
};

// A genealogy row: what a consumption line drew of a lot for a receipt line.
struct TRecallGenealogy {
    double Document = 0; // the consumption line
    double Line = 0;
    bool HasProduct = false; // the receipt line made of it (a row may name none)
    double Receipt = 0;
    double ReceiptLine = 0;
    double Quantity = 0;
    TLotKey Lot; // the lot drawn, where it lay and the receipt line that brought it in
    QString Warehouse;
    double In = 0;
    double InLine = 0;
};

// An article of the catalog as the recall shows it.
struct TRecallArticle {
    QString Name;
    QString Unit;
    QString Description;
};

// A partner (supplier or customer) of the partners' table, as an inspector asks for it.
struct TRecallPartner {
    QString Name; // the code itself when the table names none
    QString FiscalCode;
    QString Address; // locality and address
    QString Phone;
};

class TRecallReads final {
public:
    TRecallReads(fw::TSession* session, const QString& database);
    ~TRecallReads();
    TRecallReads(const TRecallReads&) = delete;
    TRecallReads& operator=(const TRecallReads&) = delete;

    fw::TSession* Session() const { return session_; }
    const QString& Database() const { return database_; }
    // Whether the company has the genealogy table (a company the user may only read may
    // lack it: its documents are all estimated).
    bool HasGenealogy() const { return hasGenealogy_; }

    // ---- batches: each reads what was not read yet of the keys given
    void LoadReceiptsOfLots(const std::vector<TLotKey>& lots);
    void LoadOutgoingOfLots(const std::vector<TLotKey>& lots);
    void LoadReceiptLines(const std::vector<double>& receipts);
    // The genealogy by the consumption documents that wrote it.
    void LoadGenealogyOfDocuments(const std::vector<double>& documents);
    // The genealogy by the receipts it made.
    void LoadGenealogyOfReceipts(const std::vector<double>& receipts);
    // Documents by number and date: the consumption documents (outgoing) and the receipts
    // (incoming) that a document without genealogy is tied to.
    void LoadConsumptionsNumbered(const std::vector<std::pair<double, QDate>>& numbers);
    void LoadReceiptsNumbered(const std::vector<std::pair<double, QDate>>& numbers);
    void LoadDocumentLines(const std::vector<double>& documents);
    void LoadArticles(const std::vector<TLotKey>& lots);
    void LoadPartners(const std::vector<QString>& codes);
    void LoadStock(const std::vector<TLotKey>& lots);

    // ---- what was read (reading it alone when it was not)
    // By the lot's group too: a lot of an article without group (null) has an empty one.
    const std::vector<TRecallDocLine>& ReceiptsOfLot(const TLotKey& lot);
    const std::vector<TRecallDocLine>& OutgoingOfLot(const TLotKey& lot);
    // Null when there is no such line.
    const TRecallDocLine* ReceiptLine(double receipt, double line);
    // Every line of a receipt, by line.
    std::vector<const TRecallDocLine*> LinesOfReceipt(double receipt);
    const std::vector<TRecallGenealogy>& FedByLine(double document, double line);
    bool DocumentHasGenealogy(double document);
    const std::vector<TRecallGenealogy>& IntoReceiptLine(double receipt, double line);
    const std::vector<double>& ConsumptionsNumbered(double number, const QDate& date);
    const std::vector<double>& ReceiptsNumbered(double number, const QDate& date);
    const std::vector<TRecallDocLine>& DocumentLines(double document);
    // An article of the catalog; empty when there is none.
    const TRecallArticle& Article(const QString& group, const QString& code);
    // A partner by code; only the name (the code) when the table has none of that code.
    const TRecallPartner& Partner(const QString& code);
    // What the lot holds now, by warehouse (in the order of their codes).
    const std::vector<std::pair<QString, double>>& StockOfLot(const TLotKey& lot);

private:
    struct TQueries;
    using TNumbered = std::pair<double, qint64>; // number, day (0 for none)

    fw::TSession* session_;
    QString database_;
    bool hasGenealogy_ = true;
    std::unique_ptr<TQueries> q_;

    std::set<std::pair<QString, QString>> receiptsRead_, outgoingRead_, articlesRead_;
    std::map<TLotKey, std::vector<TRecallDocLine>> receiptsOfLot_;
    std::map<TLotKey, std::vector<TRecallDocLine>> outgoingOfLot_;
    std::set<double> receiptLinesRead_, fedRead_, intoRead_, documentLinesRead_;
    std::map<std::pair<double, double>, TRecallDocLine> receiptLines_;
    std::map<std::pair<double, double>, std::vector<TRecallGenealogy>> fedBy_, into_;
    std::set<double> documentsWithGenealogy_;
    std::map<TNumbered, std::vector<double>> consumptionsNumbered_, receiptsNumbered_;
    std::map<double, std::vector<TRecallDocLine>> documentLines_;
    std::map<std::pair<QString, QString>, TRecallArticle> articles_;
    std::map<QString, TRecallPartner> partners_;
    std::set<TLotKey> stockRead_;
    std::map<TLotKey, std::vector<std::pair<QString, double>>> stock_;
};

} // namespace corvanel
