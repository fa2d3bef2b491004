#include "paradox/ParadoxImport.h"

#include "paradox/ImportMessages.h"
#include "platform/config/AtomicFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <unordered_map>

namespace paradox {

namespace {

// Rows between two reports of progress (and chances to stop).
constexpr qint64 kProgressRows = 4096;
// Problems with values found before the import gives up reading on: enough to show what
// kind of fault the old data has, not a listing of a whole table.
constexpr int kMaxProblems = 20;

QString Shown(const QString& dir) { return QDir::toNativeSeparators(dir); }

// What the target directory held before, so that a failure takes away exactly what the
// import made: the directory itself, the database file with its logs, the settings file.
class TTarget final {
public:
    explicit TTarget(QString dir) : dir_(std::move(dir))
    {
        existed_ = QFileInfo(dir_).isDir();
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
            Watch(fw::DatabaseFileName() + suffix);
        Watch(fw::CompanySettingsFile);
    }
    void Make()
    {
        if (!existed_ && !QDir().mkpath(dir_))
            throw fw::EInOutError(msg::CannotMakeDirectory(Shown(dir_)));
    }
    // Only once nothing holds the database open any more.
    void Undo() noexcept
    {
        for (const QString& file : made_)
            if (QFileInfo::exists(file))
                QFile::remove(file);
        if (!existed_)
            QDir().rmdir(dir_);
    }
    QString Settings() const { return QDir(dir_).filePath(fw::CompanySettingsFile); }

private:
    void Watch(const QString& name)
    {
        const QString file = QDir(dir_).filePath(name);
        if (!QFileInfo::exists(file))
            made_ << file;
    }

    QString dir_;
    bool existed_ = false;
    QStringList made_;
};

class TProblems final {
public:
    void Add(const QString& problem)
    {
        if (list_.size() < kMaxProblems)
            list_ << problem;
        else
            more_ = true;
    }
    bool Any() const { return !list_.isEmpty(); }
    bool Full() const { return more_; }
    [[noreturn]] void Refuse() const
    {
        QStringList all = list_;
        if (more_)
            all << msg::MoreProblems(kMaxProblems);
        throw EImportRefused(all);
    }

private:
    QStringList list_;
    bool more_ = false;
};

// The names of the primary key's fields (none for a table without a key).
QStringList KeyFields(const fw::TTableLayout& layout)
{
    for (const fw::TIndexDef& index : layout.Indexes)
        if (index.Options.testFlag(fw::TIndexOption::Primary))
            return index.Fields.split(QLatin1Char(';'));
    return {};
}

// A duplicate key is found again in the file, so that the user is told which rows share it.
QString DuplicateKey(const QString& directory, const TTablePlan& t, int codePage, const QString& engineText)
{
    const QStringList key = KeyFields(*t.Layout);
    std::vector<int> sources;
    for (const QString& field : key) {
        const fw::TFieldDef* def = t.Layout->FindField(field);
        sources.push_back(def ? t.SourceOf[size_t(def - t.Layout->Fields.data())] : -1);
    }
    try {
        auto reader = TParadoxTable::Open(QDir(directory).filePath(t.File), codePage);
        std::vector<bool> wanted(reader->Fields().size(), false);
        for (int s : sources)
            if (s >= 0)
                wanted[size_t(s)] = true;
        reader->ReadFields(wanted);
        std::unordered_map<QString, qint64> seen;
        TParadoxRow row;
        while (reader->Next(row)) {
            QStringList values;
            bool null = false;
            for (int s : sources) {
                const QVariant& v = s >= 0 ? row.Values[size_t(s)] : QVariant();
                null = null || !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
                values << v.toString();
            }
            if (null)
                continue; // empty values never collide in a key
            const auto [it, fresh] = seen.emplace(values.join(QChar(0)), row.Number);
            if (!fresh)
                return msg::DuplicateKey(t.File, key.join(QLatin1Char(';')), it->second, row.Number, values);
        }
    } catch (const fw::Exception&) {
        // Only the engine's own words then.
    }
    return msg::KeyViolationIn(t.File, engineText);
}

class TWriter final {
public:
    TWriter(TImportPlan& plan, QString target, int codePage, const TImportProgressFn& progress)
        : plan_(plan), target_(std::move(target)), codePage_(codePage), progress_(progress)
    {
    }

    TImportReport Run(const QString& settingsFile);

private:
    void Report(const QString& table, qint64 tableRows, qint64 tableDone)
    {
        if (progress_ && !progress_({table, tableRows, tableDone, plan_.Rows, done_}))
            throw EImportStopped();
    }
    // Makes the table (its secondary indexes once it holds its rows) and fills it.
    void Fill(fw::Connection& conn, TTablePlan& t, TImportedTable& out);
    void Compare(fw::Connection& conn);

    TImportPlan& plan_;
    QString target_;
    int codePage_;
    const TImportProgressFn& progress_;
    qint64 done_ = 0;
    TProblems problems_;
    std::vector<fw::TTableMeasures> measures_;
};

void TWriter::Fill(fw::Connection& conn, TTablePlan& t, TImportedTable& out)
{
    const fw::TTableLayout& layout = *t.Layout;
    fw::TTableLayout keyed = layout;
    keyed.Indexes.erase(std::remove_if(keyed.Indexes.begin(), keyed.Indexes.end(),
                                       [](const fw::TIndexDef& i) { return !i.Options.testFlag(fw::TIndexOption::Primary); }),
                        keyed.Indexes.end());
    fw::CreateCompanyTable(target_, keyed);
    Report(layout.Name, t.Reader ? t.Reader->RowCount() : 0, 0);

    if (t.Reader && !problems_.Full()) {
        QString stored = layout.Name;
        stored.chop(3);
        stored = conn.StoredTableName(stored);
        const std::vector<fw::ColumnInfo> columns = conn.Columns(stored);
        // Columns as made, each with the layout's field it is.
        std::vector<const fw::TFieldDef*> defs;
        std::vector<int> sources;
        QStringList names;
        for (const fw::ColumnInfo& c : columns) {
            const fw::TFieldDef* def = layout.FindField(c.name);
            defs.push_back(def);
            sources.push_back(def ? t.SourceOf[size_t(def - layout.Fields.data())] : -1);
            names << c.name;
        }
        fw::TRowBatch batch(conn, stored, names);
        fw::TTableMeasures measures(stored, columns);
        const std::vector<TParadoxField>& fields = t.Reader->Fields();
        TParadoxRow row;
        QVariant value;
        QString why;
        qint64 read = 0;
        try {
            while (!problems_.Full() && t.Reader->Next(row)) {
                for (const TValueFault& fault : row.Faults)
                    problems_.Add(msg::ValueProblem(t.File, row.Number, fields[size_t(fault.Field)].Name, fault.Reason));
                QVariantList values;
                values.reserve(qsizetype(columns.size()));
                for (size_t c = 0; c < columns.size(); ++c) {
                    const int s = sources[c];
                    if (s < 0 || !TargetValue(row.Values[size_t(s)], *defs[c], value, why)) {
                        if (s >= 0)
                            problems_.Add(msg::ValueProblem(t.File, row.Number, fields[size_t(s)].Name, why));
                        values << QVariant();
                        continue;
                    }
                    values << fw::ToSqlValue(defs[c]->DataType, value);
                }
                // Once anything is wrong nothing is written: the rest is only read for what else is.
                if (!problems_.Any()) {
                    measures.Count(values);
                    batch.Add(std::move(values));
                }
                ++done_;
                if (++read % kProgressRows == 0)
                    Report(layout.Name, t.Reader->RowCount(), read);
            }
            if (!problems_.Any())
                batch.Flush();
        } catch (const fw::EKeyViolation& e) {
            problems_.Add(DuplicateKey(plan_.Directory, t, codePage_, e.Message()));
            problems_.Refuse();
        } catch (const EParadoxFile& e) {
            problems_.Add(e.Message());
        }
        out.Rows = read;
        Report(layout.Name, t.Reader->RowCount(), read);
        measures_.push_back(std::move(measures));
    }

    fw::TTable table;
    table.SetDatabaseName(target_);
    table.SetTableName(layout.Name);
    for (const fw::TIndexDef& index : layout.Indexes)
        if (!index.Options.testFlag(fw::TIndexOption::Primary))
            table.AddIndex(index.Name, index.Fields, index.Options);
}

void TWriter::Compare(fw::Connection& conn)
{
    for (const fw::TTableMeasures& m : measures_) {
        const std::vector<double> stored = m.Measure(conn);
        if (const int i = m.FirstDifference(m.Counted(), stored); i >= 0) {
            const auto at = [i](const std::vector<double>& v) { return size_t(i) < v.size() ? v[size_t(i)] : 0.0; };
            throw fw::EDatabaseError(msg::ImportMismatch(m.Table(), m.Names(conn).value(i), at(m.Counted()), at(stored)));
        }
    }
}

TImportReport TWriter::Run(const QString& settingsFile)
{
    auto conn = fw::Connection::Open(target_, fw::TOpenMode::CreateMissing);
    if (conn->ReadOnly())
        throw fw::EDatabaseError(fw::dbmsg::MigrationTargetReadOnly(conn->Describe()));
    // A new company only: nothing of anyone's is overwritten or mixed with.
    if (const QStringList there = conn->TableNames(); !there.isEmpty())
        throw fw::EDatabaseError(msg::TargetNotEmpty(conn->Describe(), there.first()));

    TImportReport report;
    fw::TTransaction writing(conn);
    for (TTablePlan& t : plan_.Tables) {
        TImportedTable out{t.Layout->Name, t.File, 0, t.Reader ? t.Reader->CodePage() : 0};
        Fill(*conn, t, out);
        report.Tables.push_back(out);
        if (problems_.Full())
            break;
    }
    if (problems_.Any())
        problems_.Refuse();
    Compare(*conn);
    if (!plan_.SettingsFile.isEmpty()) {
        if (!fw::SaveFileAtomically(settingsFile, plan_.Settings))
            throw fw::EInOutError(msg::SettingsNotWritten(Shown(settingsFile)));
        report.SettingsCopied = true;
    }
    writing.Commit();
    conn->Touch();
    // A server plans its reads by what it knows of a table's contents: tell it at once.
    if (conn->Engine() == fw::TEngine::PostgreSQL)
        for (const QString& table : conn->TableNames())
            conn->Exec(QStringLiteral("ANALYZE %1").arg(conn->Quote(table)));
    report.Notes = plan_.Notes;
    return report;
}

} // namespace

EImportStopped::EImportStopped() : Exception(msg::ImportStopped()) {}

TImportReport ImportParadoxCompany(const QString& from, const QString& to, const TImportOptions& options,
                                   const TImportProgressFn& progress)
{
    const QString source = QDir::cleanPath(QDir(from).absolutePath());
    const QString target = QDir::cleanPath(QDir(to).absolutePath());
    if (!QFileInfo(source).isDir())
        throw EImportRefused({msg::SourceMissing(Shown(source))});
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        throw EImportRefused({msg::SameDirectory()});

    TImportPlan plan = PlanImport(source, options.CodePage);
    TTarget made(target);
    if (!plan.SettingsFile.isEmpty() && QFileInfo::exists(made.Settings()))
        throw EImportRefused({msg::SettingsExist(Shown(made.Settings()))});
    made.Make();
    try {
        return TWriter(plan, target, options.CodePage, progress).Run(made.Settings());
    } catch (...) {
        made.Undo();
        throw;
    }
}

} // namespace paradox
