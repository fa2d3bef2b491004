#include "platform/db/Table.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/KeyConditions.h"
#include "platform/db/RowWrite.h"
#include "platform/db/StoredValue.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <iterator>
#include <map>

namespace fw {

// Follows the master data source of a detail table.
class TMasterLink final : public TDataLink {
public:
    explicit TMasterLink(TTable* detail) : detail_(detail) {}
    void ActiveChanged() override { detail_->MasterChanged(); }
    void DataSetChanged() override { detail_->MasterChanged(); }
    void DataSetScrolled(int) override { detail_->MasterChanged(); }
    void RecordChanged(TField*) override { detail_->MasterChanged(); }
    // Moving the master first finishes the detail's edit; a refusal stops the move.
    void FinishEditing() override
    {
        if (detail_->Active())
            detail_->CheckBrowseMode();
    }
    // Closing the master: the detail's edit is posted, or given up when the post is refused
    // (the refusal still reaches the caller); during teardown only given up.
    void MasterClosing(bool teardown) override
    {
        if (!detail_->Active() || !detail_->IsEditing())
            return;
        if (!teardown) {
            try {
                detail_->CheckBrowseMode();
                return;
            } catch (...) {
                detail_->Cancel();
                throw;
            }
        }
        detail_->Cancel();
    }

private:
    TTable* detail_;
};

struct TTable::Impl {
    QString table;                 // stored name
    std::vector<ColumnInfo> columns;
    QString select;                // "rowid, "A", "B" ..."
    std::vector<int> fieldColumn;  // per dataset field: index in the select list, -1 when not stored
    std::vector<QString> orderCols;
    std::vector<int> orderSelect;  // index in the select list of each order column
    std::vector<int> orderField;   // the field read from each order column, or -1
    std::vector<TFieldType> orderTypes;
    int indexFieldCount = 0;       // how many order columns come from IndexFieldNames
    QString orderAsc, orderDesc;
    QString selectFrom;            // "SELECT <select> FROM <table>"
    // The master-detail restriction.
    QString range;
    QVariantList rangeValues;
    QVariantList appliedMaster;
    bool masterInactive = false;
    // Write statements by the fields they name (a post's text depends on nothing else):
    // built once, not on every post.
    // With an update's, where its row afterwards comes from among its values.
    struct PostWrite {
        TRowWrite statement;
        TRowLayout layout;
    };
    std::map<std::vector<bool>, PostWrite> inserts, updates;
    QString stillHolds;
    // A search's condition by the fields it names and which of its values are null.
    std::map<std::vector<int>, QString> matchTexts;
    // The first rows of a detail for the last master rows it followed, the latest first. A
    // report steps back onto a group's last row to print its footers and on again: read
    // each time, a detail was read three times where once does. Kept only while the
    // table's rows are as they were read (DataGeneration), and dropped whenever the detail
    // is read for another reason (a refresh, a record read anew) or its order changes.
    struct FollowedRows {
        QString range;
        QVariantList values;
        int count = 0;
        quint64 generation = 0;
        std::optional<quint64> version; // the engine's count before they were read
        std::vector<TRecord> rows;
    };
    static constexpr size_t kFollowedKept = 2;
    std::vector<FollowedRows> followed;
    bool followingMaster = false; // the rows being read are for a master row moved onto
    // Whether the rows after a key are read a level of the order at a time (an index
    // serves each level as a range), asked of the engine once for the range it was asked with.
    std::optional<bool> levelsAsRanges;
    QString levelsRange;

    const ColumnInfo* Column(const QString& name) const
    {
        for (const ColumnInfo& c : columns)
            if (c.name.compare(name, Qt::CaseInsensitive) == 0)
                return &c;
        return nullptr;
    }
};

namespace {

QString StripExtension(const QString& fileName)
{
    QString name = fileName;
    const int slash = int(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))));
    if (slash >= 0)
        name = name.mid(slash + 1);
    if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        name.chop(3);
    return name;
}

} // namespace

namespace {

using keys::AfterRowValue;
using keys::AfterTies;
using keys::IsNull;
using keys::KeyCondition;
using keys::KeyOp;
using keys::LowerBound;

// A lone key column declared INTEGER on SQLite is the row number itself: a change of its
// value moves the row's identity. Said of any table, whatever its engine, to be safe.
bool IsRowNumber(const std::vector<ColumnInfo>& columns, const ColumnInfo& c)
{
    const auto keyed = std::count_if(columns.begin(), columns.end(), [](const ColumnInfo& k) { return k.pkPosition > 0; });
    return keyed == 1 && c.pkPosition == 1 && c.declType.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
}

// Where an update's row afterwards comes from among its values (TRowLayout): the select
// list is the identity, the stored fields in their order (`fieldColumn`, each field's place
// in it), then the order columns that are no field's, which are not among the values. The
// update's values are those it sets (the fields `named`), the identity, then the stored
// fields as read.
TRowLayout UpdateLayout(const QString& table, const std::vector<int>& fieldColumn, const std::vector<int>& orderField,
                        const std::vector<bool>& named, int identity, const std::function<QString(int)>& columnOf)
{
    TRowLayout layout;
    if (std::find(orderField.begin(), orderField.end(), -1) != orderField.end())
        return layout;
    layout.table = table;
    layout.from.assign(1, identity);
    int set = 0;
    for (size_t i = 0; i < fieldColumn.size(); ++i) {
        if (fieldColumn[i] < 0)
            continue;
        layout.columns << columnOf(int(i));
        layout.from.push_back(named[i] ? set++ : identity + fieldColumn[i]);
    }
    return layout;
}

// A select's text in one allocation: a key search or a block of a walk builds it every time.
QString SelectText(const QString& selectFrom, const QString& range, const QString& where, const QString& order, int limit,
                   int offset)
{
    QString text;
    text.reserve(selectFrom.size() + range.size() + where.size() + order.size() + 64);
    text += selectFrom;
    if (!range.isEmpty() || !where.isEmpty())
        text += QLatin1String(" WHERE ");
    text += range;
    if (!range.isEmpty() && !where.isEmpty())
        text += QLatin1String(" AND ");
    text += where;
    text += QLatin1String(" ORDER BY ");
    text += order;
    text += QLatin1String(" LIMIT ");
    text += QString::number(limit);
    if (offset > 0)
        text += QLatin1String(" OFFSET ") + QString::number(offset);
    return text;
}

} // namespace

TTable::TTable(QObject* owner) : TDataSet(owner), impl_(std::make_unique<Impl>()) {}

TTable::~TTable()
{
    Shutdown();
    if (masterLink_) {
        try {
            masterLink_->SetDataSource(nullptr);
        } catch (...) {
        }
    }
}

TSession* TTable::Session() const { return session_ ? session_ : TSession::Default(); }

QString TTable::SqlTableName() const { return StripExtension(tableName_); }

void TTable::SetIndexFieldNames(const QString& names)
{
    if (indexFieldNames_ == names)
        return;
    if (Active())
        CheckBrowseMode();
    indexFieldNames_ = names;
    if (Active()) {
        // The current record stays current in the new order.
        impl_->orderCols.clear();
        InternalOpenOrder();
        BuildRange();
        Resync(true);
    }
}

void TTable::SetMasterSource(TDataSource* source)
{
    impl_->followed.clear();
    masterSource_ = source;
    if (!masterLink_)
        masterLink_ = std::make_unique<TMasterLink>(this);
    masterLink_->SetDataSource(source);
}

void TTable::SetMasterFields(const QString& fields)
{
    impl_->followed.clear();
    masterFields_ = fields;
    // Split once: the detail asks for the master's values on every move of the master.
    masterFieldNames_.clear();
    for (const QString& name : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        masterFieldNames_ << name.trimmed();
    MasterChanged();
}

void TTable::InternalOpen()
{
    auto conn = Session()->ConnectionFor(databaseName_);
    const QString stored = conn->StoredTableName(SqlTableName());
    if (stored.isEmpty())
        throw EDatabaseError(dbmsg::MissingTable(tableName_));
    impl_ = std::make_unique<Impl>();
    impl_->table = stored;
    impl_->columns = conn->Columns(stored);

    if (FieldCount() == 0) {
        SetDefaultFields(true);
        for (const ColumnInfo& c : impl_->columns)
            AddField(c.name, c.type == TFieldType::Unknown ? TFieldType::String : c.type, c.size);
    } else {
        SetDefaultFields(false);
        for (TField* f : DataFields()) {
            const ColumnInfo* c = impl_->Column(f->FieldName());
            if (!c)
                throw EDatabaseError(dbmsg::MissingColumn(tableName_, f->FieldName()));
            if (c->type != TFieldType::Unknown && f->DataType() != TFieldType::Unknown && !SameFamily(c->type, f->DataType()))
                throw EDatabaseError(dbmsg::ColumnOfAnotherType(tableName_, f->FieldName(), FieldTypeName(f->DataType()),
                                                                FieldTypeName(c->type)));
            if (f->DataType() == TFieldType::String && c->size > 0 && f->Size() > 0 && c->size != f->Size())
                throw EDatabaseError(dbmsg::ColumnOfAnotherWidth(tableName_, f->FieldName(), f->Size(), c->size));
        }
    }

    // The select list: the row identity, the stored fields, then order columns not among them.
    QStringList select{conn->RowIdColumn()};
    impl_->fieldColumn.assign(size_t(FieldCount()), -1);
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        if (!f->IsStored())
            continue;
        impl_->fieldColumn[size_t(i)] = int(select.size());
        select << conn->Quote(impl_->Column(f->FieldName())->name);
    }
    impl_->select = select.join(QStringLiteral(", "));
    connection_ = conn;
    tableWrites_ = conn->TableCounter(stored);
    InternalOpenOrder();
    BuildRange();
    if (TDatabase* db = Session()->FindDatabase(databaseName_))
        db->RegisterDataSet(this);
}

void TTable::InternalOpenOrder()
{
    Impl& d = *impl_;
    d.orderCols.clear();
    d.orderSelect.clear();
    d.orderField.clear();
    d.orderTypes.clear();
    d.matchTexts.clear();
    // A write's RETURNING and read back name the select list, which the order extends.
    d.inserts.clear();
    d.updates.clear();
    d.followed.clear();
    d.levelsAsRanges.reset();
    for (const QString& name : indexFieldNames_.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const ColumnInfo* c = d.Column(name.trimmed());
        if (!c)
            throw EDatabaseError(dbmsg::MissingColumn(tableName_, name.trimmed()));
        d.orderCols.push_back(c->name);
    }
    d.indexFieldCount = int(d.orderCols.size());
    // Ties (and the primary order itself) follow the primary key, then the insertion order.
    std::vector<const ColumnInfo*> pk;
    for (const ColumnInfo& c : d.columns)
        if (c.pkPosition > 0)
            pk.push_back(&c);
    std::sort(pk.begin(), pk.end(), [](auto* a, auto* b) { return a->pkPosition < b->pkPosition; });
    for (const ColumnInfo* c : pk) {
        const bool present = std::any_of(d.orderCols.begin(), d.orderCols.end(),
                                         [&](const QString& o) { return o.compare(c->name, Qt::CaseInsensitive) == 0; });
        if (!present)
            d.orderCols.push_back(c->name);
    }
    // Order columns are read with each row so that the next block can start after it.
    QStringList select = d.select.split(QStringLiteral(", "));
    QStringList asc, desc;
    for (const QString& col : d.orderCols) {
        const QString quoted = connection_->Quote(col);
        int at = int(select.indexOf(quoted));
        if (at < 0) {
            at = int(select.size());
            select << quoted;
        }
        d.orderSelect.push_back(at);
        const auto field = std::find(d.fieldColumn.begin(), d.fieldColumn.end(), at);
        d.orderField.push_back(field == d.fieldColumn.end() ? -1 : int(field - d.fieldColumn.begin()));
        d.orderTypes.push_back(d.Column(col)->type);
        asc << connection_->OrderTerm(quoted, false);
        desc << connection_->OrderTerm(quoted, true);
    }
    asc << connection_->RowIdColumn();
    desc << connection_->RowIdColumn() + QStringLiteral(" DESC");
    d.select = select.join(QStringLiteral(", "));
    d.selectFrom = QStringLiteral("SELECT ") + d.select + QStringLiteral(" FROM ") + connection_->Quote(d.table);
    d.orderAsc = asc.join(QStringLiteral(", "));
    d.orderDesc = desc.join(QStringLiteral(", "));
}

void TTable::BuildRange()
{
    Impl& d = *impl_;
    d.range.clear();
    d.rangeValues.clear();
    d.appliedMaster.clear();
    d.masterInactive = false;
    if (!masterSource_ || masterFields_.isEmpty())
        return;
    TDataSet* master = masterSource_->DataSet();
    const QStringList& names = masterFieldNames_;
    if (!master || !master->Active()) {
        d.masterInactive = true;
        return;
    }
    if (names.size() > d.indexFieldCount)
        throw EDatabaseError(dbmsg::MasterFieldsBeyondOrder(objectName()));
    QStringList parts;
    for (int i = 0; i < names.size(); ++i) {
        TField* mf = master->FieldByName(names.at(i));
        const QVariant value = mf->Value();
        d.appliedMaster << value;
        const QVariant sqlValue = ToSqlValue(d.orderTypes[size_t(i)], value);
        const QString col = connection_->Quote(d.orderCols[size_t(i)]);
        if (IsNull(sqlValue)) {
            parts << col + QStringLiteral(" IS NULL");
        } else {
            parts << col + QStringLiteral(" = ?");
            d.rangeValues << sqlValue;
        }
    }
    d.range = parts.join(QStringLiteral(" AND "));
}

void TTable::MasterChanged()
{
    if (!Active() || !masterSource_)
        return;
    TDataSet* master = masterSource_->DataSet();
    QVariantList now;
    bool masterActive = master && master->Active();
    if (masterActive) {
        now.reserve(masterFieldNames_.size());
        for (const QString& n : masterFieldNames_)
            now << master->FieldByName(n)->Value();
    }
    if (masterActive && !impl_->masterInactive && now == impl_->appliedMaster)
        return;
    if (!masterActive && impl_->masterInactive)
        return;
    CheckBrowseMode();
    BuildRange();
    if (BeforeScroll)
        BeforeScroll(this);
    {
        // Rows kept for a master row serve only a master that moved: one whose link fields
        // are being edited, or rows to be locked, are read from the table.
        Impl& d = *impl_;
        d.followingMaster = masterActive && master->State() == TDataSetState::Browse && !readForUpdate_;
        const auto reset = qScopeGuard([&d] { d.followingMaster = false; });
        Resync(false);
    }
    if (AfterScroll)
        AfterScroll(this);
}

void TTable::InitNewRecord()
{
    if (!masterSource_ || masterFields_.isEmpty())
        return;
    TDataSet* master = masterSource_->DataSet();
    if (!master || !master->Active())
        return;
    const QStringList& names = masterFieldNames_;
    for (int i = 0; i < names.size() && i < impl_->indexFieldCount; ++i) {
        TField* detail = FieldByName(impl_->orderCols[size_t(i)]);
        detail->SetValue(master->FieldByName(names.at(i))->Value());
    }
}

void TTable::InternalClose()
{
    if (TDatabase* db = Session()->FindDatabase(databaseName_))
        db->UnregisterDataSet(this);
    connection_.reset();
    tableWrites_ = nullptr;
    // Another connection's count says nothing about the next one's rows.
    readSinceTaken_ = false;
}

// ---------------------------------------------------------------- reading

// Turns the rows of the select list into records: each field's value, the stored forms
// where a value read does not give its stored form back, the order columns.
class TTable::RecordReader {
public:
    explicit RecordReader(TTable& table) : table_(table), d_(*table.impl_)
    {
        for (int i = 0; i < table.FieldCount(); ++i)
            types_.push_back(table.Fields(i)->DataType());
        stored_.resize(types_.size());
        storedTypes_.resize(types_.size(), QMetaType::UnknownType);
        asIs_.resize(types_.size(), 0);
    }

    // Reads a row into `r`, a new record or one the cursor let go: every part of it is
    // written anew, its values over the old ones so that their storage serves again.
    void Read(const NativeRow& row, TRecord& r)
    {
        r.id = row.Int(0);
        r.values.resize(types_.size());
        r.key.clear();
        r.stored.clear();
        unreadable_.clear();
        // The stored forms are kept with the record only where a value read does not give
        // its stored form back (rarely: most rows need none).
        bool allExact = true;
        for (size_t i = 0; i < types_.size(); ++i) {
            const int col = d_.fieldColumn[i];
            if (col < 0) {
                r.values[i].clear();
                continue;
            }
            // Most values are their own stored form: read straight into the record.
            const int storedType = row.Stored(col, r.values[i]);
            storedTypes_[i] = storedType;
            const bool asIs = StoredIsValue(types_[i], r.values[i], storedType);
            asIs_[i] = char(asIs);
            if (asIs)
                continue;
            stored_[i] = std::move(r.values[i]);
            r.values[i].clear();
            bool exact = false;
            // Engine text is read again as the engine converts it; any other stored form is
            // its own readable value (passed as is: this runs for every value of every row).
            const QVariant& stored = stored_[i];
            const bool read = storedType == engineText_
                                  ? ReadStoredValue(types_[i], stored, storedType, row.Value(col), r.values[i], exact)
                                  : ReadStoredValue(types_[i], stored, storedType, stored, r.values[i], exact);
            if (!read)
                unreadable_.push_back(i);
            allExact = allExact && exact;
        }
        if (!allExact) {
            r.stored.resize(types_.size());
            for (size_t i = 0; i < types_.size(); ++i)
                if (d_.fieldColumn[i] >= 0)
                    r.stored[i] = StoredOf(r, i);
        }
        // Named once the row's readable values are known.
        for (size_t i : unreadable_)
            r.values[i] = ValueFault(dbmsg::UnreadableValue(table_.tableName_, table_.Fields(int(i))->FieldName(),
                                                            table_.RowDescription(r)));
        // An order column that is also a field's is read once for both; where every one
        // of them is its field's value as stored, the key is left to KeyOf (most rows: a
        // walk copies no key).
        const bool ownValues = std::all_of(d_.orderField.begin(), d_.orderField.end(),
                                           [&](int field) { return field >= 0 && asIs_[size_t(field)]; });
        if (ownValues)
            return;
        r.key.reserve(d_.orderSelect.size());
        for (size_t k = 0; k < d_.orderSelect.size(); ++k) {
            // The stored form is the value itself unless it is the engine's own text.
            const int field = d_.orderField[k];
            if (field >= 0 && storedTypes_[size_t(field)] != engineText_)
                r.key.push_back(StoredOf(r, size_t(field)));
            else
                r.key.push_back(row.Value(d_.orderSelect[k]));
        }
    }

private:
    // A field's value as stored in the row just read: kept apart only where it differs
    // from the value read.
    const QVariant& StoredOf(const TRecord& r, size_t i) const { return asIs_[i] ? r.values[i] : stored_[i]; }

    TTable& table_;
    const Impl& d_;
    std::vector<TFieldType> types_;
    std::vector<QVariant> stored_;
    std::vector<int> storedTypes_; // the type of each stored_ value, asked once per value
    // Per field: the value read was its stored form, not kept in stored_ (bytes, not
    // std::vector<bool>'s bits: set and tested for every value of every row).
    std::vector<char> asIs_;
    const int engineText_ = EngineTextType();
    std::vector<size_t> unreadable_;
};

std::vector<TRecord> TTable::Select(const QString& where, const QVariantList& values, bool descending, int limit,
                                    int offset)
{
    const Impl& d = *impl_;
    if (d.masterInactive)
        return {};
    QString text = SelectText(d.selectFrom, d.range, where, descending ? d.orderDesc : d.orderAsc, limit, offset);
    if (readForUpdate_ && connection_->TransactionDepth() > 0)
        text += connection_->LockRowsClause();
    QVariantList all = d.rangeValues;
    all += values;
    std::vector<TRecord> out;
    out.reserve(size_t(std::clamp(limit, 0, 4096)));
    RecordReader reader(*this);
    // Taken before the read: a change counted after it may or may not be in the rows.
    if (!readSinceTaken_) {
        readVersion_ = connection_->StoredVersion(false);
        readSinceTaken_ = true;
    }
    connection_->ForEachRow(text, all, [&](const NativeRow& row) { reader.Read(row, out.emplace_back(SpareRecord())); });
    return out;
}

QString TTable::RowDescription(const TRecord& record) const
{
    // The row by its key (or, without one, by this dataset's order), as far as those
    // values can be read; else by its number in the table.
    const Impl& d = *impl_;
    std::vector<QString> columns;
    for (int position = 1;; ++position) {
        const auto c = std::find_if(d.columns.begin(), d.columns.end(),
                                    [&](const ColumnInfo& info) { return info.pkPosition == position; });
        if (c == d.columns.end())
            break;
        columns.push_back(c->name);
    }
    if (columns.empty())
        columns.assign(d.orderCols.begin(), d.orderCols.begin() + d.indexFieldCount);
    QStringList parts;
    for (const QString& column : columns) {
        const TField* f = FindField(column);
        if (!f || !f->IsStored())
            continue;
        const QVariant& v = record.values[size_t(f->Index())];
        if (IsValueFault(v))
            continue;
        const QString shown = v.typeId() == QMetaType::Double ? FloatToStr(v.toDouble())
                              : v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                                                               : v.toString();
        parts << QStringLiteral("%1 = %2").arg(f->FieldName(), IsNull(v) ? QStringLiteral("(nimic)") : shown);
    }
    return dbmsg::RowNamed(parts.join(QStringLiteral(", ")), record.id);
}

int TTable::Count(const QString& where, const QVariantList& values)
{
    const Impl& d = *impl_;
    if (d.masterInactive)
        return 0;
    QStringList conds;
    if (!d.range.isEmpty())
        conds << d.range;
    if (!where.isEmpty())
        conds << where;
    QString text = QStringLiteral("SELECT COUNT(*) FROM ") + connection_->Quote(d.table);
    if (!conds.isEmpty())
        text += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    QVariantList all = d.rangeValues;
    all += values;
    return int(connection_->ScalarInt(text, all));
}

QVariantList TTable::KeyOf(const TRecord& record) const
{
    if (!record.key.empty())
        return QVariantList(record.key.begin(), record.key.end());
    // The order columns are fields whose values are as stored (RecordReader). A record read
    // before the order changed gives the new order's values; a column no field reads has
    // none to give, and counts as null.
    QVariantList key;
    key.reserve(qsizetype(impl_->orderField.size()));
    for (int field : impl_->orderField)
        key << (field >= 0 && size_t(field) < record.values.size() ? record.values[size_t(field)] : QVariant());
    return key;
}

std::vector<TRecord> TTable::FetchFirst(int count)
{
    Impl& d = *impl_;
    if (!d.followingMaster || d.masterInactive) {
        // Read for another reason (a refresh, a move to the first row): what is read now
        // is what counts, not what was kept.
        d.followed.clear();
        return Select({}, {}, false, count);
    }
    // Kept rows serve while nothing is known to have changed them, as the records around
    // the cursor do: the table's generation (writes through this connection, other
    // programs' commits as often as they are polled) and, where the engine counts changes,
    // its count as the last statement left it (any write of this connection's, past the
    // datasets too) stand. Not asked anew: that statement on every move of the master cost
    // as much as the read it saves. An edit of a kept row asks (TakeKeptRead).
    const std::optional<quint64> version = connection_->StoredVersion(false);
    const quint64 generation = DataGeneration();
    if (!d.followed.empty()) {
        std::erase_if(d.followed, [&](const Impl::FollowedRows& f) {
            return f.generation != generation || f.version != version;
        });
        const auto kept = std::find_if(d.followed.begin(), d.followed.end(), [&](const Impl::FollowedRows& f) {
            return f.count == count && f.range == d.range && f.values == d.rangeValues;
        });
        if (kept != d.followed.end()) {
            std::rotate(d.followed.begin(), kept, kept + 1);
            TakeKeptRead(d.followed.front().version);
            return d.followed.front().rows;
        }
    }
    std::vector<TRecord> rows = Select({}, {}, false, count);
    if (d.followed.size() >= Impl::kFollowedKept)
        d.followed.pop_back();
    d.followed.insert(d.followed.begin(), Impl::FollowedRows{d.range, d.rangeValues, count, generation, version, rows});
    return rows;
}

void TTable::TakeKeptRead(std::optional<quint64> version)
{
    // Rows kept from an earlier read hold no change counted after it: an edit of one of
    // them is checked against the older count (none: it reads its record again).
    if (!readSinceTaken_)
        readVersion_ = version;
    else if (readVersion_ && version)
        readVersion_ = std::min(*readVersion_, *version);
    else
        readVersion_.reset();
    readSinceTaken_ = true;
}

std::vector<TRecord> TTable::FetchLast(int count) { return Select({}, {}, true, count); }

std::vector<TRecord> TTable::FetchAfter(const TRecord& record, int count)
{
    Sql sql;
    const QVariantList key = KeyOf(record);
    Impl& d = *impl_;
    const std::vector<QString>& cols = d.orderCols;
    const bool planKnown = d.levelsAsRanges && d.levelsRange == d.range;
    // Where the levels are known not to be ranges, their statements are not built for each block.
    if ((!planKnown || *d.levelsAsRanges) && keys::LevelsApply(*connection_, cols, key)) {
        const std::vector<Sql> levels = keys::AfterLevels(*connection_, cols, key, record.id);
        if (!planKnown) {
            std::vector<QString> texts;
            texts.reserve(levels.size());
            for (const Sql& level : levels)
                texts.push_back(SelectText(d.selectFrom, d.range, level.text, d.orderAsc, count, 0));
            d.levelsAsRanges = keys::ReadAsRanges(*connection_, texts);
            d.levelsRange = d.range;
        }
        if (*d.levelsAsRanges) {
            // A level asks for what the block still needs, rounded up to a multiple of
            // kLevelStep so that its text (the engine's prepared statement) serves block
            // after block; the block ends with the level that fills it, whole, a few rows
            // over the count at most.
            constexpr int kLevelStep = 64;
            std::vector<TRecord> rows;
            for (const Sql& level : levels) {
                const int need = count - int(rows.size());
                const int ask = std::min(count, (need + kLevelStep - 1) / kLevelStep * kLevelStep);
                std::vector<TRecord> more = Select(level.text, level.values, false, ask);
                if (rows.empty())
                    rows = std::move(more);
                else
                    std::move(more.begin(), more.end(), std::back_inserter(rows));
                if (int(rows.size()) >= count)
                    break;
            }
            return rows;
        }
    }
    if (!AfterRowValue(*connection_, sql, cols, key, record.id)) {
        if (!cols.empty() && LowerBound(*connection_, sql, cols, key) == cols.size())
            AfterTies(*connection_, sql, cols, key, record.id);
        else
            KeyCondition(*connection_, sql, cols, key, record.id, KeyOp::After);
    }
    return Select(sql.text, sql.values, false, count);
}

// Rows before a record are read in two index-friendly parts: the rows at or below its
// leading value, then (when that value is not null) the rows whose leading value is null,
// which sort below every value. The first part's condition; true when a second part exists.
bool TTable::BeforeCondition(const TRecord& record, Sql& sql) const
{
    const QVariantList key = KeyOf(record);
    const bool leadNull = impl_->orderCols.empty() || IsNull(key.value(0));
    if (!leadNull)
        sql.Add(connection_->Quote(impl_->orderCols[0]) + QStringLiteral(" <= ? AND "), key[0]);
    KeyCondition(*connection_, sql, impl_->orderCols, key, record.id, KeyOp::Before);
    return !leadNull;
}

QString TTable::LeadingNull() const { return connection_->Quote(impl_->orderCols[0]) + QStringLiteral(" IS NULL"); }

std::vector<TRecord> TTable::FetchBefore(const TRecord& record, int count)
{
    Sql sql;
    const bool nullsBelow = BeforeCondition(record, sql);
    std::vector<TRecord> rows = Select(sql.text, sql.values, true, count);
    if (nullsBelow && int(rows.size()) < count) {
        for (auto& r : Select(LeadingNull(), {}, true, count - int(rows.size())))
            rows.push_back(std::move(r));
    }
    return rows;
}

std::optional<TRecord> TTable::FetchById(TBookmark id)
{
    // A record read anew (a refresh, an edit): the rows kept may be older than it.
    impl_->followed.clear();
    std::vector<TRecord> rows = Select(connection_->RowIdColumn() + QStringLiteral(" = ?"), {id}, false, 1);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

std::vector<TRecord> TTable::FetchAt(int position, int count) { return Select({}, {}, false, count, position); }

int TTable::CountAll() { return Count({}, {}); }

int TTable::CountBefore(const TRecord& record)
{
    Sql sql;
    const bool nullsBelow = BeforeCondition(record, sql);
    return Count(sql.text, sql.values) + (nullsBelow ? Count(LeadingNull(), {}) : 0);
}

std::vector<TRecord> TTable::FetchMatching(const std::vector<TField*>& fields, const QVariantList& values, int offset,
                                           int limit)
{
    QVariantList sqlValues;
    std::vector<int> shape; // per field, its index and whether its value is null
    shape.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        QVariant v = ToSqlValue(fields[i]->DataType(), values.at(int(i)));
        const bool null = IsNull(v);
        shape.push_back(fields[i]->Index() * 2 + (null ? 1 : 0));
        if (!null)
            sqlValues << std::move(v);
    }
    QString& text = impl_->matchTexts[shape];
    if (text.isEmpty()) {
        QStringList parts;
        for (size_t i = 0; i < fields.size(); ++i) {
            const ColumnInfo* c = impl_->Column(fields[i]->FieldName());
            if (!c || !fields[i]->IsStored()) {
                impl_->matchTexts.erase(shape);
                throw EDatabaseError(dbmsg::FieldNotSearchable(fields[i]->FieldName()));
            }
            parts << connection_->Quote(c->name) + (shape[i] % 2 ? QStringLiteral(" IS NULL") : QStringLiteral(" = ?"));
        }
        text = parts.join(QStringLiteral(" AND "));
    }
    return Select(text, sqlValues, false, limit, offset);
}

std::vector<TRecord> TTable::FetchNearest(const std::vector<TField*>& fields, const QVariantList& values, int limit)
{
    QVariantList sqlValues;
    for (size_t i = 0; i < fields.size(); ++i)
        sqlValues << ToSqlValue(fields[i]->DataType(), values.at(int(i)));
    Sql sql;
    LowerBound(*connection_, sql, impl_->orderCols, sqlValues);
    KeyCondition(*connection_, sql, impl_->orderCols, sqlValues, 0, KeyOp::AtOrAfter);
    return Select(sql.text, sql.values, false, limit);
}

std::vector<TField*> TTable::OrderFields(int count)
{
    CheckActive();
    if (count > int(impl_->orderCols.size()))
        throw EDatabaseError(dbmsg::MissingKey(tableName_));
    std::vector<TField*> out;
    for (int i = 0; i < count; ++i) {
        // The field read from the order column where there is one, found when the order was set.
        const int read = impl_->orderField[size_t(i)];
        TField* f = read >= 0 ? Fields(read) : FindField(impl_->orderCols[size_t(i)]);
        if (!f || !f->IsStored())
            throw EDatabaseError(dbmsg::OrderFieldNotFound(objectName(), impl_->orderCols[size_t(i)]));
        out.push_back(f);
    }
    return out;
}

bool TTable::FindKey(const QVariantList& values)
{
    CheckActive();
    CheckBrowseMode();
    const std::vector<TField*> fields = OrderFields(int(values.size()));
    // The records read answer only where nobody else can have changed them since: read in
    // this transaction under its locks. Otherwise the engine is asked, which knows of
    // another program's commit at once, where the cache learns of it only when it polls.
    return GotoFirstMatch(fields, CoerceKey(fields, values), HoldsRowsRead());
}

void TTable::FindNearest(const QVariantList& values)
{
    CheckActive();
    CheckBrowseMode();
    const std::vector<TField*> fields = OrderFields(int(values.size()));
    GotoNearest(fields, CoerceKey(fields, values));
}

// ---------------------------------------------------------------- writing

// Rows are written by their identity, and only while they still hold what was read: the
// stored values the dataset read are part of the condition, so a row another user changed,
// deleted or replaced (the engine reuses the identities of deleted rows) is left alone.
const QString& TTable::StillHoldsText() const
{
    QString& text = impl_->stillHolds;
    if (!text.isEmpty())
        return text;
    text = connection_->RowIdColumn() + QStringLiteral(" = ?");
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        if (f->IsStored())
            text += QStringLiteral(" AND ") + connection_->Quote(impl_->Column(f->FieldName())->name)
                    + connection_->NullSafeEqual() + QLatin1Char('?');
    }
    return text;
}

void TTable::StillHoldsValues(const TRecord& record, QVariantList& values) const
{
    // What is stored now is compared with what was stored then, each exactly as the engine
    // holds it: whatever the layer made of a value (text that is not UTF-8, text in a
    // number column, an unreadable date), an unchanged row matches.
    values << record.id;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        if (f->IsStored())
            values << StoredForm(record, f);
    }
}

std::optional<TBookmark> TTable::InternalPost(const TRecord& record, const TRecord* old, const std::vector<bool>& changed)
{
    written_.reset();
    const int count = FieldCount();
    std::vector<bool> named(size_t(count), false);
    QVariantList values;
    // The values set, then the identity and every stored value read.
    values.reserve(2 * count + 1);
    for (int i = 0; i < count; ++i) {
        TField* f = Fields(i);
        if (!f->IsStored() || (old && !changed[size_t(i)]))
            continue;
        QVariant v = ToSqlValue(f->DataType(), record.values[size_t(i)]);
        // A new row leaves out what it has no value for: the column's default fills it.
        if (!old && IsNull(v))
            continue;
        named[size_t(i)] = true;
        values << std::move(v);
    }
    if (old && values.isEmpty())
        return old->id;
    Impl::PostWrite& post = (old ? impl_->updates : impl_->inserts)[named];
    TRowWrite& statement = post.statement;
    if (statement.returning.isEmpty()) {
        const QString table = connection_->Quote(impl_->table);
        QStringList cols;
        bool movesIdentity = false;
        for (int i = 0; i < count; ++i) {
            if (!named[size_t(i)])
                continue;
            const ColumnInfo* c = impl_->Column(Fields(i)->FieldName());
            cols << connection_->Quote(c->name);
            movesIdentity = movesIdentity || (old && IsRowNumber(impl_->columns, *c));
        }
        if (old)
            statement.write = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3").arg(table, cols.join(QStringLiteral(" = ?, ")), StillHoldsText());
        else if (cols.isEmpty())
            statement.write = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
        else
            statement.write = QStringLiteral("INSERT INTO %1 (%2) VALUES (?%3)")
                                  .arg(table, cols.join(QStringLiteral(", ")), QStringLiteral(", ?").repeated(cols.size() - 1));
        // The row as it is stored afterwards, with the identity it has then (a key that is
        // the engine's row number moves it along).
        statement.returning = statement.write + QStringLiteral(" RETURNING ") + impl_->select;
        statement.readBack = impl_->selectFrom + QStringLiteral(" WHERE ") + connection_->RowIdColumn() + QStringLiteral(" = ?");
        // An update's values: the changed ones, then the identity and the values read.
        statement.identity = old ? int(values.size()) : -1;
        if (movesIdentity)
            statement.write.clear();
        else if (old)
            post.layout = UpdateLayout(impl_->table, impl_->fieldColumn, impl_->orderField, named,
                                                       statement.identity,
                                                       [&](int i) { return impl_->Column(Fields(i)->FieldName())->name; });
    }
    if (old)
        StillHoldsValues(*old, values);
    std::optional<TBookmark> id;
    RecordReader reader(*this);
    const auto read = [&](const NativeRow& row) {
        reader.Read(row, written_.emplace());
        id = written_->id;
    };
    if (old && !statement.write.isEmpty()) {
        // The row keeps its identity; a row written but not read back is read again by the post.
        if (WriteUpdate(*connection_, statement, post.layout, values, read) > 0 && !id)
            id = old->id;
    } else {
        connection_->WriteRow(statement, values, read);
    }
    connection_->Touch(impl_->table);
    return id;
}

std::optional<TRecord> TTable::TakeWrittenRecord()
{
    std::optional<TRecord> written = std::move(written_);
    written_.reset();
    // A detail shows only the rows of its master, which the engine tells.
    if (!impl_->range.isEmpty() || impl_->masterInactive)
        return std::nullopt;
    return written;
}

bool TTable::InternalDelete(const TRecord& record)
{
    QVariantList values;
    StillHoldsValues(record, values);
    const int deleted = connection_->ForEachRow(
        QStringLiteral("DELETE FROM %1 WHERE ").arg(connection_->Quote(impl_->table)) + StillHoldsText(), values, {});
    connection_->Touch(impl_->table);
    return deleted > 0;
}

std::unique_ptr<TTransaction> TTable::BeginWrite() { return std::make_unique<TTransaction>(connection_); }

quint64 TTable::DataGeneration()
{
    if (!connection_)
        return 0;
    const quint64 generation = connection_->TableGeneration(tableWrites_);
    // Rows read before the transaction began were not locked: inside it they are read
    // again before they are relied on.
    return HoldsRowsRead() ? generation + (connection_->TransactionSerial() << 40) : generation;
}

std::optional<quint64> TTable::StoredVersion() { return connection_ ? connection_->StoredVersion(true) : std::nullopt; }

std::optional<quint64> TTable::TakeReadVersion()
{
    const bool read = readSinceTaken_;
    readSinceTaken_ = false;
    return read ? readVersion_ : std::nullopt;
}

bool TTable::HoldsRowsRead() const { return readForUpdate_ && connection_ && connection_->TransactionDepth() > 0; }

} // namespace fw
