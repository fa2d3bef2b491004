#include "requirement/Requirement.h"

#include "data/FieldByName.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "data/Reversals.h"
#include "data/StockLedger.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/db/ConflictRetry.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/GenealogyWriter.h"
#include "requirement/OutgoingDocument.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace corvanel {

using namespace fw;

namespace {

// A dataset of the user's private directory, beside the data module's.
template <typename DataSet>
void InPrivateDirectory(DataSet& ds, TProductionData& dm)
{
    ds.SetSession(dm.Session);
    ds.SetDatabaseName(KRB_PRIV);
}

// A query of the company's tables, on the data module's connection (and transaction).
void OnProduction(TQuery& q, TProductionData& dm, const QStringList& sql)
{
    q.SetSession(dm.Session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(sql);
}

void CopyIntoTemp(TProductionData& dm, TQuery* source)
{
    TBatchMove* move = dm.Requirement().TempBatchMove();
    move->SetSource(source);
    move->Execute();
    source->Close();
}

// A row of the requirement: an empty quantity counts as 0.
using TRequirementRow = TMaterialDraw;

// The rows of temp.DB as the user left them (a pending change saved), in key order: group,
// then code. Read past the requirement dataset, whose every row would look up its name and
// compute its stock.
std::vector<TRequirementRow> RequirementRows(TProductionData& dm)
{
    TTable temp;
    InPrivateDirectory(temp, dm);
    temp.SetTableName(TempDB);
    temp.Open();
    std::vector<TRequirementRow> rows;
    for (; !temp.Eof(); temp.Next())
        rows.push_back({F(&temp, "Cod_grupa")->AsString(), F(&temp, "Cod_MatPrim")->AsString(), F(&temp, "Cant")->AsFloat()});
    return rows;
}

// The group and material of every requirement row whose unrounded terms sum above zero.
std::set<std::pair<QString, QString>> NeededMaterials(TProductionData& dm)
{
    TQuery sums;
    InPrivateDirectory(sums, dm);
    sums.SetSQL(RequirementSumSql());
    sums.Open();
    std::set<std::pair<QString, QString>> needed;
    for (; !sums.Eof(); sums.Next())
        if (sums.Fields(2)->AsFloat() > 0)
            needed.emplace(sums.Fields(0)->AsString(), sums.Fields(1)->AsString());
    return needed;
}

// Every term is rounded on its own to the settings' decimals before anything is summed
// (halves to the even neighbour). Terms of equal value round alike, so each value is
// rewritten once for all its rows. An empty term, from a product without yield, is no
// part of the requirement: a material only such products need is not listed.
void RoundTerms(TProductionData& dm, int decimals)
{
    TQuery values;
    InPrivateDirectory(values, dm);
    values.SetSQL(TempTermValuesSql());
    values.Open();
    TQuery round;
    InPrivateDirectory(round, dm);
    round.SetSQL(RoundTempTermSql());
    TQuery dropEmpty;
    InPrivateDirectory(dropEmpty, dm);
    dropEmpty.SetSQL(DropEmptyTempTermsSql());
    TTransaction tx(values.GetConnection());
    for (; !values.Eof(); values.Next()) {
        const TField* term = values.Fields(0);
        if (term->IsNull())
            continue;
        const double rounded = RoundHalfEven(term->AsFloat(), decimals);
        if (rounded == term->AsFloat())
            continue;
        round.ParamByName(QStringLiteral("Term"))->SetAsFloat(term->AsFloat());
        round.ParamByName(QStringLiteral("Rounded"))->SetAsFloat(rounded);
        round.ExecSQL();
    }
    values.Close();
    dropEmpty.ExecSQL();
    tx.Commit();
}

// The materials needed above zero whose rounded requirement is 0, named from the catalog.
std::vector<TLeftOutProduct> RoundedAway(TProductionData& dm, const std::set<std::pair<QString, QString>>& needed)
{
    std::vector<TLeftOutProduct> materials;
    TTable* catalog = dm.Requirement().RequirementMaterialTable();
    for (const TRequirementRow& row : RequirementRows(dm)) {
        if (row.Quantity != 0 || !needed.contains({row.Group, row.Code}))
            continue;
        const QString name = catalog->FindKey({row.Group, row.Code}) ? F(catalog, "Denumire")->AsString() : QString();
        materials.push_back({row.Group, row.Code, name});
    }
    return materials;
}

std::vector<TLeftOutProduct> LeftOutProducts(TProductionData& dm, double counter)
{
    TQuery* q = dm.Requirement().NoYieldQuery();
    q->Close();
    q->ParamByName(QStringLiteral("Contor"))->SetAsFloat(counter);
    q->Open();
    std::vector<TLeftOutProduct> products;
    for (; !q->Eof(); q->Next())
        products.push_back({q->Fields(0)->AsString(), q->Fields(1)->AsString(), q->Fields(2)->AsString()});
    q->Close();
    return products;
}

// Where each value that is no number lies, said once however many terms it is part of.
QStringList UnreadableValues(TProductionData& dm, double counter)
{
    TQuery q;
    OnProduction(q, dm, UnreadableTermValuesSql());
    q.ParamByName(QStringLiteral("Contor"))->SetAsFloat(counter);
    q.Open();
    QStringList said;
    auto say = [&](const char* field, const QString& where) {
        const TField* value = F(&q, field);
        if (!value->IsNull() && !said.contains(where + value->AsString()))
            said << where + value->AsString();
    };
    for (; !q.Eof(); q.Next()) {
        const QString line = FloatToStr(F(&q, "Linie")->AsFloat(), dm.Context().Formats);
        const QString product = F(&q, "Grupa")->AsString() + QStringLiteral("  ") + F(&q, "Produs")->AsString();
        const QString material = F(&q, "Grupa_MatPrim")->AsString() + QStringLiteral("  ") + F(&q, "MatPrim")->AsString();
        say("Cantitate", msg::UnreadableLineQuantity(line, product));
        say("Cant_MatPrim", msg::UnreadableRecipeQuantity(product, material));
        say("CantReteta", msg::UnreadableYield(product));
    }
    return said;
}

// The tables the requirement works on, in the order they are opened: the requirement's
// rows last, when the day their stock figures are judged on is known.
std::array<TDataSet*, 7> RequirementTables(TProductionData& dm)
{
    const TRequirementSession& s = dm.Requirement();
    return {s.StocTable(),   s.AgentsTable(), s.RequirementMaterialTable(), s.ItemInTable(),
            s.CounterTable(), s.DocInTable(), s.TempTable()};
}

} // namespace

TPreparedRequirement PrepareRequirement(TProductionData& dm, double counter)
{
    TRequirementSession& session = dm.Requirement();
    dm.Context().Settings.Load();
    session.TempTable()->Close();
    TQuery* terms = session.RequirementTermsQuery();
    terms->Close();
    terms->ParamByName(QStringLiteral("Contor"))->SetAsFloat(counter);
    terms->Open();
    CopyIntoTemp(dm, terms);
    const std::set<std::pair<QString, QString>> needed = NeededMaterials(dm);
    RoundTerms(dm, dm.Context().Settings.RequirementDecimals);
    session.RequirementSumQuery()->Close();
    session.RequirementSumQuery()->Open();
    CopyIntoTemp(dm, session.RequirementSumQuery());
    session.TempTable()->AddIndex(QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod_grupa;Cod_MatPrim"), TIndexOption::Primary);
    for (TDataSet* ds : RequirementTables(dm))
        if (ds != session.TempTable())
            ds->Open();
    TPreparedRequirement prepared;
    prepared.ReceiptFound = session.DocInTable()->FindKey({counter});
    // The stock figures leave out the lots that entered after the receipt's date and,
    // when the settings say so, those expired by then.
    if (prepared.ReceiptFound && !session.DocInTable()->FieldByName(QStringLiteral("Data"))->IsNull()) {
        try {
            prepared.LotsDay = session.DocInTable()->FieldByName(QStringLiteral("Data"))->AsDate();
        } catch (const EDatabaseError&) {
            // A date that cannot be read judges no lot; generation names it.
        }
    }
    session.OpenRequirementRows(prepared.LotsDay);
    prepared.LeftOut = LeftOutProducts(dm, counter);
    prepared.RoundedAway = RoundedAway(dm, needed);
    prepared.Unreadable = UnreadableValues(dm, counter);
    return prepared;
}

QStringList PreparationWarnings(const TPreparedRequirement& prepared)
{
    QStringList products;
    for (const TLeftOutProduct& p : prepared.LeftOut)
        products << msg::ProductLine(p.Group, p.Code, p.Name);
    QStringList materials;
    for (const TLeftOutProduct& m : prepared.RoundedAway)
        materials << msg::ProductLine(m.Group, m.Code, m.Name);
    QStringList warnings{msg::LeftOutProducts(products), msg::RoundedAwayMaterials(materials),
                         msg::UnreadableValues(prepared.Unreadable)};
    warnings.removeAll(QString());
    return warnings;
}

void CloseRequirement(TProductionData& dm)
{
    for (TDataSet* ds : RequirementTables(dm))
        ds->Close();
    TTable* temp = dm.Requirement().TempTable();
    if (temp->Exists())
        temp->DeleteTable();
}

// ---------------------------------------------------------------- the consumption document

namespace {

// The account fields a consumption line copies from the material's catalog row.
constexpr std::array<const char*, 6> LineAccounts{"Cont_marfa",  "Cont_TVA_Iesiri", "Cont_cheltuieli",
                                                 "Cont_accize", "Cont_adaos",      "Cont_venituri"};

// The lot's fields a consumption line carries as they are.
constexpr std::array<const char*, 5> kLineLotFields{"Cod_grupa", "Cod_gestiune", "Lot", "Agent", "Pret_achizitie"};

enum class TOutcome { Written, ReceiptNotSaved, AlreadyConsumed, NegativeStock, ExpiredLots, NothingToConsume };

// A consumption document the receipt already has.
struct TEarlierConsumption {
    double Counter = 0;
    QString Label; // "nr. N din DD.MM.YYYY"
    bool operator==(const TEarlierConsumption& other) const { return Counter == other.Counter; }
};

// One attempt at writing the document, in one transaction.
class TConsumptionWriter {
public:
    // `accepted`: the consumption documents of the receipt the user agreed to add one to.
    TConsumptionWriter(TProductionData& dm, double receipt, const QString& agent, const std::vector<TRequirementRow>& rows,
                       const std::vector<TEarlierConsumption>& accepted)
        : dm_(dm), receipt_(receipt), agent_(agent), rows_(rows), accepted_(accepted)
    {
    }
    ~TConsumptionWriter();

    // Writes the document unless the receipt is not saved, it has consumption documents
    // other than those accepted, a row would leave the stock negative and such rows may
    // not be left out, it would draw on expired lots and that is not agreed to, or no row
    // is left to draw. Nothing is written unless Written.
    TOutcome Write(bool leaveOutNegative, bool drawExpired);
    double Counter() const { return counter_; }
    // The receipt's consumption documents as read inside the transaction.
    const std::vector<TEarlierConsumption>& Earlier() const { return earlier_; }
    // The expired lots the document would have drawn on (ExpiredLots), as the user reads them.
    const QStringList& ExpiredLots() const { return expiredLots_; }

private:
    using TAccounts = std::array<QVariant, LineAccounts.size()>;

    std::vector<TEarlierConsumption> ReadEarlier(double number, const QDate& date) const;
    // The lots each drawn row (`drawnRows` index rows_ and `stock`) draws on, in order:
    // those read while deciding, the others read now.
    std::vector<std::vector<TStockLot>> LotsOf(const std::vector<size_t>& drawnRows, std::vector<TMaterialStock>& stock);
    // The expired lots the draws of `drawn` reach, named for the question.
    QStringList ExpiredLotsDrawn(const std::vector<TRequirementRow>& drawn,
                                 const std::vector<std::vector<TStockLot>>& lots) const;
    // Writes the lines drawing on each material's lots, their genealogy and what the lots
    // keep, sent to the engine together.
    void Draw(const std::vector<TRequirementRow>& drawn, const std::vector<std::vector<TStockLot>>& lots);
    std::vector<TAccounts> AccountsOf(const std::vector<TRequirementRow>& drawn) const;
    // A line's values, of LineColumns.
    QVariantList Line(const TRequirementRow& row, const TAccounts& accounts, double quantity, const TStockLot& lot);
    static const QStringList& LineColumns();

    TProductionData& dm_;
    double receipt_;
    QString agent_; // the header's
    QDate day_; // the receipt's: lots entered after it are not drawn, lots expired by then may not be
    const std::vector<TRequirementRow>& rows_;
    const std::vector<TEarlierConsumption>& accepted_;
    std::vector<TEarlierConsumption> earlier_;
    QStringList expiredLots_;
    double counter_ = 0;
    int line_ = 1;
    bool committed_ = false;
    // What each line fed, written with it (made once the document is begun).
    std::optional<TGenealogyWriter> genealogy_;
};

TConsumptionWriter::~TConsumptionWriter()
{
    // Runs after the transaction has ended.
    EndConsumptionDocument(dm_, committed_);
}

TOutcome TConsumptionWriter::Write(bool leaveOutNegative, bool drawExpired)
{
    TTransaction tx(*dm_.ProductionDatabase);
    // From here on everything read is what the other workstations have committed: the
    // write lock is held (on a server, the counter row is: every consumption takes it
    // first, so two of them never hold lots the other one wants).
    Reread(dm_.Requirement().CounterTable());
    TTable* receipt = dm_.Requirement().DocInTable();
    Reread(receipt);
    if (!receipt->FindKey({receipt_}) || F(receipt, "Numar")->IsNull() || F(receipt, "Data")->IsNull())
        return TOutcome::ReceiptNotSaved;
    // Decided under the lock: of two workstations consuming one receipt, the second sees
    // the first one's document and its user is asked.
    earlier_ = ReadEarlier(F(receipt, "Numar")->AsFloat(), F(receipt, "Data")->AsDate());
    if (earlier_ != accepted_)
        return TOutcome::AlreadyConsumed;
    day_ = F(receipt, "Data")->AsDate();
    // The decision is taken on the lots as committed, and nothing changes them until the
    // document ends: whoever writes lots (the receipt ledger, another consumption, a
    // reversal) takes the counter row first, and waits for this one. A row its lots
    // cannot give whole is a shortage.
    std::vector<TMaterialStock> stock = dm_.Ledger(day_).Stock(rows_);
    std::vector<size_t> drawn;
    bool negative = false;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const TRequirementRow& row = rows_[i];
        const TLotTotals& sums = stock[i].Totals;
        const bool shortage = !stock[i].Covered
                              && (FinalStock(sums.OnHand, row.Quantity) < 0 || sums.Drawable < row.Quantity - QuantityTolerance);
        negative = negative || shortage;
        if (!shortage && row.Quantity != 0 && (stock[i].Covered || sums.Found))
            drawn.push_back(i);
    }
    if (negative && !leaveOutNegative)
        return TOutcome::NegativeStock;
    if (drawn.empty())
        return TOutcome::NothingToConsume;
    std::vector<std::vector<TStockLot>> lots = LotsOf(drawn, stock);
    std::vector<TRequirementRow> drawnRows;
    drawnRows.reserve(drawn.size());
    for (const size_t i : drawn)
        drawnRows.push_back(rows_[i]);
    // Where the settings draw expired lots, the user agrees to each document that does.
    expiredLots_ = ExpiredLotsDrawn(drawnRows, lots);
    if (!expiredLots_.isEmpty() && !drawExpired)
        return TOutcome::ExpiredLots;

    const QVariant number = F(receipt, "Numar")->Value(), date = F(receipt, "Data")->Value();
    counter_ = BeginConsumptionDocument(dm_, number, date, agent_,
                                        QStringLiteral("Consum coresp. %1 %2/%3")
                                            .arg(F(receipt, "Tip")->AsString(), FloatToStr(number.toDouble(), dm_.Context().Formats),
                                                 DateToStr(F(receipt, "Data")->AsDateTime(), dm_.Context().Formats)));
    genealogy_.emplace(dm_, receipt_);
    Draw(drawnRows, lots);
    tx.Commit();
    committed_ = true;
    return TOutcome::Written;
}

std::vector<TEarlierConsumption> TConsumptionWriter::ReadEarlier(double number, const QDate& date) const
{
    // Tied to the receipt as the host's column and the reports tie them: every consumption
    // document carries its receipt's number and date.
    TQuery q;
    OnProduction(q, dm_, ConsumptionDocumentsSql());
    q.ParamByName(QStringLiteral("Numar"))->SetAsFloat(number);
    q.ParamByName(QStringLiteral("Data"))->SetAsDate(date);
    q.Open();
    // A reversed document, and the one that reversed it, consumed nothing in the end.
    const TReversals reversals = ReadReversals(dm_.Session, KRBPROD);
    std::vector<TEarlierConsumption> earlier;
    for (; !q.Eof(); q.Next())
        if (!reversals.Involves(F(&q, "Contor")->AsFloat()))
            earlier.push_back({F(&q, "Contor")->AsFloat(), ConsumptionDocumentLabel(F(&q, "Numar")->AsFloat(), F(&q, "Data")->AsDate())});
    return earlier;
}

std::vector<std::vector<TStockLot>> TConsumptionWriter::LotsOf(const std::vector<size_t>& drawnRows,
                                                                std::vector<TMaterialStock>& stock)
{
    // Only the lots the draws reach are read, where deciding has not read them already;
    // nothing but this document writes them until it ends.
    std::vector<TRequirementRow> unread;
    std::vector<std::vector<TStockLot>> lots;
    std::vector<size_t> unreadAt;
    for (const size_t i : drawnRows) {
        lots.push_back(std::move(stock[i].Lots));
        if (!stock[i].Read) {
            unread.push_back(rows_[i]);
            unreadAt.push_back(lots.size() - 1);
        }
    }
    std::vector<std::vector<TStockLot>> read = dm_.Ledger(day_).ToDraw(unread);
    for (size_t k = 0; k < unread.size(); ++k)
        lots[unreadAt[k]] = std::move(read[k]);
    return lots;
}

QStringList TConsumptionWriter::ExpiredLotsDrawn(const std::vector<TRequirementRow>& drawn,
                                                 const std::vector<std::vector<TStockLot>>& lots) const
{
    QStringList expired;
    for (size_t m = 0; m < drawn.size(); ++m)
        for (const TLotTake& take : PlanDraw(lots[m], drawn[m].Quantity)) {
            const TStockLot& lot = lots[m][take.Lot];
            if (Expired(lot, day_))
                expired << msg::ExpiredLotLine(drawn[m].Group, drawn[m].Code, lot.Lot, lot.Warehouse,
                                               lot.Expiry.toString(QStringLiteral("dd.MM.yyyy")));
        }
    return expired;
}

void TConsumptionWriter::Draw(const std::vector<TRequirementRow>& drawn, const std::vector<std::vector<TStockLot>>& lots)
{
    const std::vector<TAccounts> accounts = AccountsOf(drawn);
    Connection& engine = *dm_.ProductionDatabase->GetConnection();
    const TStockLedger ledger = dm_.Ledger(day_);
    std::vector<QVariantList> lines, genealogy;
    std::vector<TStatement> lotWrites; // each must change its lot
    for (size_t m = 0; m < drawn.size(); ++m) {
        // The lots in the settings' order; they hold enough (a shortage is never drawn).
        for (const TLotTake& take : PlanDraw(lots[m], drawn[m].Quantity)) {
            const TStockLot& lot = lots[m][take.Lot];
            lines.push_back(Line(drawn[m], accounts[m], take.Quantity, lot));
            // The lot as it was before this line drew on it.
            genealogy_->Record(counter_, line_ - 1, drawn[m].Group, drawn[m].Code, take.Quantity, lot, genealogy);
            lotWrites.push_back(ledger.Take(lot, take));
        }
    }
    std::vector<TStatement> writes = InsertStatements(QStringLiteral("Item_out"), LineColumns(), lines);
    for (TStatement& rows : InsertStatements(QStringLiteral("Genealogie"), TGenealogyWriter::Columns(), genealogy))
        writes.push_back(std::move(rows));
    const size_t firstLot = writes.size();
    writes.insert(writes.end(), lotWrites.begin(), lotWrites.end());
    const std::vector<int> written = engine.ForEachRowOf(writes, {});
    // The tables the statements name, so that their datasets read again.
    for (const char* table : {"Item_out", "Genealogie"})
        engine.Touch(QLatin1String(table));
    ledger.Touch();
    RequireEachLotWritten(written, firstLot);
}

std::vector<TConsumptionWriter::TAccounts> TConsumptionWriter::AccountsOf(const std::vector<TRequirementRow>& drawn) const
{
    // From the material's catalog row; none where the catalog holds no such material.
    QStringList columns;
    for (const char* account : LineAccounts)
        columns << QStringLiteral("t.") + QLatin1String(account);
    std::vector<TRequirementRow> materials;
    std::vector<size_t> asked;
    for (size_t m = 0; m < drawn.size(); ++m)
        if (dm_.IsMaterial(drawn[m].Code)) {
            materials.push_back(drawn[m]);
            asked.push_back(m);
        }
    std::vector<TAccounts> accounts(drawn.size());
    ForEachCatalogRow(*dm_.ProductionDatabase->GetConnection(), columns.join(QStringLiteral(", ")), materials,
                      [&](size_t m, const NativeRow& row) {
                          for (size_t a = 0; a < LineAccounts.size(); ++a)
                              accounts[asked[m]][a] = row.Stored(int(a) + 1);
                      });
    return accounts;
}

const QStringList& TConsumptionWriter::LineColumns()
{
    static const QStringList columns = [] {
        QStringList names{QStringLiteral("Contor"),       QStringLiteral("Contor_secundar"), QStringLiteral("Cod_articol"),
                          QStringLiteral("Cantitate"),    QStringLiteral("Pret_vinzare"),    QStringLiteral("TVA"),
                          QStringLiteral("Pret_vz_echiv_USD")};
        for (const char* same : kLineLotFields)
            names << QLatin1String(same);
        for (const char* account : LineAccounts)
            names << QLatin1String(account);
        return names;
    }();
    return columns;
}

QVariantList TConsumptionWriter::Line(const TRequirementRow& row, const TAccounts& accounts, double quantity,
                                      const TStockLot& lot)
{
    QVariantList values{counter_, double(line_++), row.Code, quantity, StoredValue(lot, "Pret_achizitie"), 0.0, 0.0};
    for (const char* same : kLineLotFields)
        values << StoredValue(lot, same);
    for (const QVariant& account : accounts)
        values << account;
    return values;
}

} // namespace

std::optional<double> GenerateConsumption(TProductionData& dm, double counter, const QString& agent, TScreen* screen)
{
    dm.Requirement().TempTable()->CheckBrowseMode();
    dm.Context().ReceiptsNeedRefresh = false;
    const std::vector<TRequirementRow> rows = RequirementRows(dm);
    // The question follows the stock as it is when the document is written. It is never
    // asked while the write lock is held: the attempt that meets a negative row writes
    // nothing, and after a "Da" the next one leaves such rows out.
    bool leaveOutNegative = false, drawExpired = false;
    std::vector<TEarlierConsumption> accepted;
    // What one attempt at writing the document came to.
    struct TAttempt {
        TOutcome outcome = TOutcome::Written;
        double written = 0;
        std::vector<TEarlierConsumption> earlier;
        QStringList expiredLots;
    };
    for (;;) {
        // Met another workstation's transaction: the document is written anew.
        auto [outcome, written, earlier, expiredLots] = RetryOnConflict([&] {
            THourGlass wait(screen);
            TConsumptionWriter writer(dm, counter, agent, rows, accepted);
            TAttempt attempt;
            attempt.outcome = writer.Write(leaveOutNegative, drawExpired);
            attempt.written = writer.Counter();
            attempt.earlier = writer.Earlier();
            attempt.expiredLots = writer.ExpiredLots();
            return attempt;
        });
        switch (outcome) {
        case TOutcome::Written:
            dm.Context().ReceiptsNeedRefresh = true;
            return written;
        case TOutcome::ReceiptNotSaved:
            MessageDlg(msg::ReceiptNotSaved(), TMsgDlgType::Warning);
            return std::nullopt;
        case TOutcome::NothingToConsume:
            MessageDlg(msg::NothingToConsume(), TMsgDlgType::Warning);
            return std::nullopt;
        case TOutcome::AlreadyConsumed: {
            // Asked with no lock held; a document written meanwhile by another workstation
            // makes the next attempt ask again.
            // Each document carries its receipt's number and date: named once however many.
            QStringList labels;
            for (const TEarlierConsumption& e : earlier)
                labels << e.Label;
            const bool several = labels.size() > 1;
            labels.removeDuplicates();
            if (!earlier.empty() && MessageDlg(msg::SecondConsumptionQuestion(labels, several), TMsgDlgType::Confirmation,
                                               TMsgDlgButtons::YesNo, TModalResult::No) != TModalResult::Yes)
                return std::nullopt;
            accepted = earlier;
            break;
        }
        case TOutcome::NegativeStock:
            if (MessageDlg(msg::NegativeStockQuestion(), TMsgDlgType::Information, TMsgDlgButtons::YesNo) != TModalResult::Yes)
                return std::nullopt;
            leaveOutNegative = true;
            break;
        case TOutcome::ExpiredLots:
            // Asked with no lock held, as the others; the lots are decided again after a "Da".
            if (MessageDlg(msg::ExpiredLotsQuestion(expiredLots), TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo,
                           TModalResult::No)
                != TModalResult::Yes)
                return std::nullopt;
            drawExpired = true;
            break;
        }
    }
}

QString DocumentNumberText(double number) { return QString::number(number, 'f', number == std::floor(number) ? 0 : 2); }

QString ConsumptionDocumentLabel(double number, const QDate& date)
{
    return QStringLiteral("nr. %1 din %2").arg(DocumentNumberText(number), date.toString(QStringLiteral("dd.MM.yyyy")));
}

QString ConsumptionDocumentLabel(TProductionData& dm, double counter)
{
    TQuery q;
    OnProduction(q, dm, ConsumptionDocumentSql());
    q.ParamByName(QStringLiteral("Contor"))->SetAsFloat(counter);
    q.Open();
    return q.Eof() ? QString() : ConsumptionDocumentLabel(F(&q, "Numar")->AsFloat(), F(&q, "Data")->AsDate());
}

} // namespace corvanel
