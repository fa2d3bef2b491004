#include "requirement/Reversal.h"

#include "data/FieldByName.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "data/Reversals.h"
#include "data/StockLedger.h"
#include "platform/core/Formats.h"
#include "platform/db/ConflictRetry.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/NumberCheck.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/OutgoingDocument.h"
#include "requirement/Requirement.h"

#include <array>
#include <map>
#include <optional>
#include <utility>

namespace corvanel {

using namespace fw;

namespace {

void OnProduction(TQuery& q, TProductionData& dm, const QStringList& sql)
{
    q.SetSession(dm.Session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(sql);
}

// The stock row's fields a lot is made of again, as the genealogy keeps them.
constexpr const char* kLotFields[] = {"Cod_grupa",      "Cod_articol", "Lot",       "Cod_gestiune",      "Pret_achizitie",
                                      "Agent",          "Contor_in",   "Contor_secundar_in", "Data_intrare"};
constexpr size_t kLotFieldCount = std::size(kLotFields);

// A stored value, typed as the stock table types it; null stays null.
QVariant Typed(const TField* f, TFieldType type)
{
    if (f->IsNull())
        return {};
    switch (type) {
    case TFieldType::Float:
        return f->AsFloat();
    case TFieldType::Date:
        return f->AsDate();
    default:
        return f->AsString();
    }
}

std::vector<TConsumptionDocument> Documents(TProductionData& dm, const QStringList& sql, const QVariantList& values,
                                            const QDate& date, bool withReversed)
{
    const TReversals reversals = ReadReversals(dm.Session, KRBPROD);
    TQuery q;
    OnProduction(q, dm, sql);
    for (int i = 0; i < values.size(); ++i)
        if (values[i].typeId() == QMetaType::QDate)
            q.Params(i)->SetAsDate(values[i].toDate());
        else
            q.Params(i)->SetAsFloat(values[i].toDouble());
    std::vector<TConsumptionDocument> documents;
    for (q.Open(); !q.Eof(); q.Next()) {
        const double counter = F(&q, "Contor")->AsFloat();
        const QDate day = F(&q, "Data")->AsDate();
        const bool reversed = reversals.Involves(counter);
        if ((reversed && !withReversed) || (date.isValid() && day != date))
            continue;
        const double number = F(&q, "Numar")->AsFloat();
        documents.push_back({counter, number, day, ConsumptionDocumentLabel(number, day), reversed});
    }
    return documents;
}

// One attempt at the reversal, in one transaction.
class TReversalWriter {
public:
    TReversalWriter(TProductionData& dm, double document, const QString& agent)
        : dm_(dm), original_(document), agent_(agent)
    {
    }
    ~TReversalWriter() { EndConsumptionDocument(dm_, committed_); }

    double Write();

private:
    struct TLine {
        std::map<QString, QVariant> Values; // every field of the original line
        double Quantity = 0;
    };
    // The stock row a line drew on: kept by the genealogy, or only what the line says.
    struct TLot {
        std::array<QVariant, kLotFieldCount> Kept;
        bool FromGenealogy = false;
        QVariant Field(const char* name) const;
    };

    QString Label(double counter) const;
    std::vector<TLine> ReadLines() const;
    std::map<double, TLot> ReadGenealogy() const;
    Connection& Engine() const { return *dm_.ProductionDatabase->GetConnection(); }
    TStatement FindRow(const TLot& lot) const;
    void PutBack(const std::vector<TLine>& lines, const std::vector<TLot>& lots);
    void Mark(double reversing);

    TProductionData& dm_;
    double original_;
    QString label_; // the original's
    QString agent_; // the reversing document's and the mark's
    bool committed_ = false;
};

QVariant TReversalWriter::TLot::Field(const char* name) const
{
    for (size_t i = 0; i < kLotFieldCount; ++i)
        if (qstrcmp(kLotFields[i], name) == 0)
            return Kept[i];
    return {};
}

QString TReversalWriter::Label(double counter) const { return ConsumptionDocumentLabel(dm_, counter); }

double TReversalWriter::Write()
{
    TTransaction tx(*dm_.ProductionDatabase);
    // The counter row first, as every consumption takes it: from here on no other
    // workstation consumes or reverses until this one ends.
    Reread(dm_.Requirement().CounterTable());
    TQuery header;
    OnProduction(header, dm_, OutgoingDocumentSql());
    header.ParamByName(QStringLiteral("Contor"))->SetAsFloat(original_);
    header.Open();
    if (header.Eof() || F(&header, "Tip")->AsString() != ConsumptionDocType)
        throw EReversalRefused(msg::NotAConsumptionDocument(FloatToStr(original_)));
    const QVariant number = F(&header, "Numar")->Value(), date = F(&header, "Data")->Value();
    label_ = ConsumptionDocumentLabel(F(&header, "Numar")->AsFloat(), F(&header, "Data")->AsDate());
    const QString explanation = QStringLiteral("Stornare consum nr. %1/%2")
                                    .arg(DocumentNumberText(F(&header, "Numar")->AsFloat()),
                                         F(&header, "Data")->AsDate().toString(QStringLiteral("dd.MM.yyyy")));
    header.Close();
    const TReversals reversals = ReadReversals(dm_.Session, KRBPROD);
    if (const auto by = reversals.ReversedBy.find(original_); by != reversals.ReversedBy.end())
        throw EReversalRefused(msg::AlreadyReversed(label_, Label(by->second)));
    if (const auto of = reversals.Reverses.find(original_); of != reversals.Reverses.end())
        throw EReversalRefused(msg::ReversingDocument(label_, Label(of->second)));

    const std::vector<TLine> lines = ReadLines();
    const std::map<double, TLot> drawn = ReadGenealogy();
    std::vector<TLot> lots; // each line's
    for (const TLine& line : lines) {
        const auto kept = drawn.find(line.Values.at(QStringLiteral("Contor_secundar")).toDouble());
        if (kept != drawn.end()) {
            lots.push_back(kept->second);
            continue;
        }
        TLot& said = lots.emplace_back();
        for (size_t i = 0; i < kLotFieldCount; ++i)
            if (const auto v = line.Values.find(QString::fromLatin1(kLotFields[i])); v != line.Values.end())
                said.Kept[i] = v->second;
    }
    PutBack(lines, lots);
    const double reversing = BeginConsumptionDocument(dm_, number, date, agent_, explanation);
    // Each line of the original with the opposite quantity.
    QStringList columns;
    for (const TFieldDef& def : CompanyTable(ItemOutDB).Fields)
        columns << def.Name;
    std::vector<QVariantList> reversed;
    for (const TLine& line : lines) {
        QVariantList& values = reversed.emplace_back();
        for (const QString& column : columns)
            values << (column == QLatin1String("Contor")      ? QVariant(reversing)
                       : column == QLatin1String("Cantitate") ? QVariant(-line.Quantity)
                                                              : line.Values.at(column));
    }
    Engine().ForEachRowOf(InsertStatements(QStringLiteral("Item_out"), columns, reversed), {});
    Engine().Touch(QStringLiteral("Item_out"));
    Mark(reversing);
    tx.Commit();
    committed_ = true;
    return reversing;
}

std::vector<TReversalWriter::TLine> TReversalWriter::ReadLines() const
{
    TQuery q;
    OnProduction(q, dm_, OutgoingLinesSql());
    q.ParamByName(QStringLiteral("Contor"))->SetAsFloat(original_);
    std::vector<TLine> lines;
    const TTableLayout& layout = CompanyTable(ItemOutDB);
    for (q.Open(); !q.Eof(); q.Next()) {
        TLine line;
        for (const TFieldDef& def : layout.Fields)
            line.Values[def.Name] = Typed(q.FieldByName(def.Name), def.DataType);
        line.Quantity = F(&q, "Cantitate")->AsFloat();
        lines.push_back(std::move(line));
    }
    // A quantity that is no number would be put back as 0, and the document marked reversed.
    TTable written;
    written.SetSession(dm_.Session);
    written.SetDatabaseName(KRBPROD);
    written.SetTableName(ItemOutDB);
    written.SetIndexFieldNames(QStringLiteral("Contor;Contor_secundar")); // which names the line
    RequireNumbers(written, QStringLiteral("Cantitate"), QStringLiteral("Contor = ?"), {original_});
    return lines;
}

std::map<double, TReversalWriter::TLot> TReversalWriter::ReadGenealogy() const
{
    TQuery q;
    OnProduction(q, dm_, DrawnLotsSql());
    q.ParamByName(QStringLiteral("Contor"))->SetAsFloat(original_);
    const TTableLayout& stock = CompanyTable(StocDB);
    std::map<double, TLot> drawn;
    for (q.Open(); !q.Eof(); q.Next()) {
        // A line shared among several receipt lines drew on one stock row: its first row says it.
        const auto [it, first] = drawn.try_emplace(F(&q, "Contor_secundar_out")->AsFloat());
        if (!first)
            continue;
        it->second.FromGenealogy = true;
        for (size_t i = 0; i < kLotFieldCount; ++i) {
            const QString name = QString::fromLatin1(kLotFields[i]);
            it->second.Kept[i] = Typed(q.FieldByName(name), stock.Field(name).DataType);
        }
    }
    return drawn;
}

TStatement TReversalWriter::FindRow(const TLot& lot) const
{
    // The stock row the line drew on: that of its receipt line when it came from one (the
    // row follows the line, whatever was changed on it since); else the one holding every
    // field kept; for a document without genealogy, the lot in the same warehouse. The
    // material's first such row. The genealogy keeps the values as the stock stored them.
    std::vector<std::pair<const char*, QVariant>> fields;
    const auto same = [&](const char* field) { fields.emplace_back(field, lot.Field(field)); };
    same("Cod_grupa");
    same("Cod_articol");
    if (lot.FromGenealogy && !lot.Field("Contor_in").isNull()) {
        same("Contor_in");
        same("Contor_secundar_in");
    } else if (!lot.FromGenealogy) {
        same("Lot");
        same("Cod_gestiune");
    } else {
        for (size_t i = 2; i < kLotFieldCount; ++i) // after the group and the article
            same(kLotFields[i]);
    }
    return dm_.Ledger({}).FindRow(fields);
}

void TReversalWriter::PutBack(const std::vector<TLine>& lines, const std::vector<TLot>& lots)
{
    // Every line's row looked for at once; several lines back on one row add up.
    Connection& engine = Engine();
    const TStockLedger ledger = dm_.Ledger({});
    struct TRow {
        QVariant was; // as stored
        double now = 0;
    };
    const auto rowRead = [](const NativeRow& row) { return std::pair{row.Int(0), TRow{row.Stored(1), row.Value(1).toDouble()}}; };
    std::vector<TStatement> finds;
    finds.reserve(lots.size());
    for (const TLot& lot : lots)
        finds.push_back(FindRow(lot));
    std::vector<std::optional<qint64>> found(lots.size());
    std::map<qint64, TRow> rows;
    engine.ForEachRowOf(finds, [&](size_t i, const NativeRow& row) { found[i] = rows.insert(rowRead(row)).first->first; });
    // A lot whose quantity is no number is not written over with what comes back.
    for (const auto& [row, r] : rows)
        if (!r.was.isNull() && r.was.typeId() != QMetaType::Double && r.was.typeId() != QMetaType::LongLong)
            ledger.RaiseUnreadableQuantity(row);
    std::vector<size_t> missing; // lines whose row is gone
    for (size_t i = 0; i < lines.size(); ++i)
        if (found[i])
            rows[*found[i]].now += lines[i].Quantity;
        else
            missing.push_back(i);
    std::vector<TStatement> writes;
    writes.reserve(rows.size());
    for (const auto& [row, r] : rows)
        writes.push_back(ledger.SetQuantity(row, r.now, r.was));
    RequireEachLotWritten(engine.ForEachRowOf(writes, {}));
    // A row emptied and deleted since is made again as it stood, once: a later line that
    // drew on it finds it made. Without genealogy there is nothing to make it from.
    QStringList columns;
    for (const char* field : kLotFields)
        columns << QString::fromLatin1(field);
    columns << QStringLiteral("Cantitate");
    for (const size_t i : missing) {
        const TLot& lot = lots[i];
        std::optional<std::pair<qint64, TRow>> again;
        engine.ForEachRowOf({FindRow(lot)}, [&](size_t, const NativeRow& row) { again = rowRead(row); });
        if (again) {
            const auto& [row, r] = *again;
            RequireEachLotWritten(engine.ForEachRowOf({ledger.SetQuantity(row, r.now + lines[i].Quantity, r.was)}, {}));
            continue;
        }
        if (!lot.FromGenealogy)
            throw EReversalRefused(msg::LotGoneWithoutGenealogy(
                label_, lot.Field("Cod_grupa").toString() + QLatin1Char('/') + lot.Field("Cod_articol").toString(),
                lot.Field("Lot").toString(), lot.Field("Cod_gestiune").toString()));
        QVariantList made(lot.Kept.begin(), lot.Kept.end());
        made << lines[i].Quantity;
        QStringList madeColumns = columns;
        if (ledger.Rule().OwnExpiry) {
            // The genealogy does not keep a lot's own expiry date: its receipt line does.
            QVariant own;
            engine.ForEachRow(QStringLiteral("SELECT Data_expirare FROM Item_in WHERE Contor = ? AND Contor_secundar = ?"),
                              {lot.Field("Contor_in"), lot.Field("Contor_secundar_in")},
                              [&](const NativeRow& row) { own = row.Stored(0); });
            madeColumns << QStringLiteral("Data_expirare");
            made << own;
        }
        RequireEachLotWritten(engine.ForEachRowOf(ledger.Insert(madeColumns, made), {}));
    }
    ledger.Touch();
}

void TReversalWriter::Mark(double reversing)
{
    TTable marks;
    marks.SetSession(dm_.Session);
    marks.SetDatabaseName(KRBPROD);
    marks.SetTableName(StornariDB);
    DeclareFields(marks, ReversalTable());
    marks.Open();
    marks.Insert();
    F(&marks, "Contor_out")->SetAsFloat(original_);
    F(&marks, "Contor_stornare")->SetAsFloat(reversing);
    F(&marks, "Data")->SetAsDate(QDate::currentDate());
    F(&marks, "Agent")->SetAsString(agent_);
    marks.Post();
}

} // namespace

std::vector<TConsumptionDocument> ReversibleDocumentsOf(TProductionData& dm, double receipt)
{
    TQuery q;
    OnProduction(q, dm, {QStringLiteral("SELECT Numar, Data FROM Doc_in WHERE Contor = :Contor")});
    q.ParamByName(QStringLiteral("Contor"))->SetAsFloat(receipt);
    q.Open();
    if (q.Eof() || F(&q, "Numar")->IsNull() || F(&q, "Data")->IsNull())
        return {};
    const double number = F(&q, "Numar")->AsFloat();
    const QDate date = F(&q, "Data")->AsDate();
    return Documents(dm, ConsumptionDocumentsSql(), {number, date}, {}, false);
}

std::vector<TConsumptionDocument> ConsumptionDocumentsNumbered(TProductionData& dm, double number, const QDate& date)
{
    return Documents(dm, ConsumptionDocumentsNumberedSql(), {number}, date, true);
}

double ReverseConsumption(TProductionData& dm, double document, const QString& agent)
{
    // Met another workstation's transaction: the reversal is written anew.
    return RetryOnConflict([&] { return TReversalWriter(dm, document, agent).Write(); });
}

bool AskAndReverse(TProductionData& dm, const TConsumptionDocument& document)
{
    dm.Context().ReceiptsNeedRefresh = false;
    if (MessageDlg(msg::ReversalQuestion(document.Label), TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo, TModalResult::No) !=
        TModalResult::Yes)
        return false;
    double reversing = 0;
    try {
        // No window that reverses chooses a user: the document goes under the first one.
        reversing = ReverseConsumption(dm, document.Counter, dm.Requirement().AgentInitials());
    } catch (const EReversalRefused& e) {
        MessageDlg(e.Message(), TMsgDlgType::Warning);
        return false;
    } catch (const EDatabaseError& e) {
        MessageDlg(msg::DatabaseError(e.Message()), TMsgDlgType::Error);
        return false;
    }
    dm.Context().ReceiptsNeedRefresh = true;
    MessageDlg(msg::ReversalWritten(document.Label, ConsumptionDocumentLabel(dm, reversing)), TMsgDlgType::Information);
    return true;
}

} // namespace corvanel
