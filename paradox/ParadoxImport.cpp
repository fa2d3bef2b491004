#include "paradox/ParadoxImport.h"

#include "paradox/ImportMessages.h"
#include "paradox/ReadAhead.h"
#include "platform/config/AtomicFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/BulkCopy.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/ServerDatabase.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyCopy.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_map>

namespace paradox {

namespace {

// Rows between two reports of progress (and chances to stop).
constexpr qint64 kProgressRows = 4096;
// Rows read ahead are handed over this many at a time: few enough hand-overs that the
// threads rarely wait on each other, small enough to hold several of them.
constexpr qint64 kChunkRows = 2048;
// Chunks that may wait to be written: about sixteen thousand rows, a few MiB.
constexpr size_t kChunksAhead = 8;
// Problems with values found before the import gives up reading on: enough to show what
// kind of fault the old data has, not a listing of a whole table.
constexpr int kMaxProblems = 20;

QString Shown(const QString& dir) { return QDir::toNativeSeparators(dir); }

// The settings file waits under this name beside the company until the company's tables
// are committed, then takes its own name: a run killed before its commit leaves no
// settings file that would have every later run refused (the next run writes it again),
// one killed between the two leaves it for the next run to put in place.
QString StagedSettingsName() { return fw::CompanySettingsFile + QStringLiteral(".import"); }

// The target directory, looked at before anything is made: only a new directory, an empty
// one, or one holding no more than a server's connection file (or what a run killed
// before its commit left: an empty database, the staged settings file) is taken. A
// failure then takes away exactly what the import made: the folders (every one of a new
// nested path), the database file with its logs, the settings file.
class TTarget final {
public:
    explicit TTarget(QString dir) : dir_(std::move(dir))
    {
        const QFileInfo info(dir_);
        if (info.exists() && !info.isDir())
            throw EImportDirectoryRefused(msg::TargetNotADirectory(Shown(dir_)));
        if (info.isDir()) {
            QStringList allowed{fw::TServerDatabase::FileName(), StagedSettingsName()};
            for (const QString& suffix : kDatabaseFiles)
                allowed << fw::DatabaseFileName() + suffix;
            const QStringList there =
                QDir(dir_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& name : there)
                if (!allowed.contains(name))
                    throw EImportDirectoryRefused(msg::TargetHoldsFile(Shown(dir_), name));
            stagedBefore_ = there.contains(StagedSettingsName());
        } else {
            // Every folder of the path that is not there yet, the deepest first.
            for (QString d = dir_; !QFileInfo::exists(d) && !QDir(d).isRoot(); d = QFileInfo(d).absolutePath())
                folders_ << d;
        }
        for (const QString& suffix : kDatabaseFiles)
            Watch(fw::DatabaseFileName() + suffix);
    }
    void Make()
    {
        if (!folders_.isEmpty() && !QDir().mkpath(dir_)) {
            Undo();
            throw fw::EInOutError(msg::CannotMakeDirectory(Shown(dir_)));
        }
    }
    // Only once nothing holds the database open any more.
    void Undo() noexcept
    {
        for (const QString& file : made_)
            if (QFileInfo::exists(file))
                QFile::remove(file);
        QFile::remove(Staged());
        for (const QString& folder : folders_)
            QDir().rmdir(folder);
    }
    QString Settings() const { return QDir(dir_).filePath(fw::CompanySettingsFile); }
    QString Staged() const { return QDir(dir_).filePath(StagedSettingsName()); }
    // Whether a run before this one left the settings staged.
    bool StagedBefore() const { return stagedBefore_; }
    // The staged settings under their own name; EInOutError when the name cannot be given.
    void PutSettingsInPlace() const
    {
        if (std::rename(QFile::encodeName(Staged()).constData(), QFile::encodeName(Settings()).constData()) != 0)
            throw fw::EInOutError(msg::SettingsNotPutInPlace(Shown(Staged()), fw::CompanySettingsFile));
    }

private:
    inline static const QStringList kDatabaseFiles{QString(), QStringLiteral("-wal"), QStringLiteral("-shm"),
                                                   QStringLiteral("-journal")};

    void Watch(const QString& name)
    {
        const QString file = QDir(dir_).filePath(name);
        if (!QFileInfo::exists(file))
            made_ << file;
    }

    QString dir_;
    bool stagedBefore_ = false;
    QStringList folders_;
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

// How SQLite writes a new company, for as long as it is written: a rollback journal, the
// engine's log again once the company is in. The journal keeps only pages the file held
// when the transaction began, and a new file holds next to none, so the rows are written
// once, where the log takes every page and copies it into the file again at the commit.
// A run stopped on the way leaves a journal that empties the file at its next opening,
// which is what the target accepts from an earlier run. The file is read through the
// engine's own pages meanwhile, not mapped: mapped, every page the indexes and the check
// read back would count in the process's memory (a million rows took it from about 110
// to 250 MiB).
class TWritingSettings final {
public:
    explicit TWritingSettings(fw::Connection& conn) : conn_(conn), sqlite_(conn.Engine() == fw::TEngine::SQLite)
    {
        if (!sqlite_)
            return;
        conn_.ForEachRow(QStringLiteral("PRAGMA mmap_size"), {}, [&](const fw::NativeRow& r) { mapped_ = r.Int(0); });
        conn_.Exec(QStringLiteral("PRAGMA mmap_size=0"));
        conn_.Exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    // Once the transaction is over, committed or not.
    ~TWritingSettings()
    {
        if (!sqlite_)
            return;
        try {
            conn_.Exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            conn_.Exec(QStringLiteral("PRAGMA mmap_size=%1").arg(mapped_));
        } catch (const fw::Exception&) {
            // What was written is whole either way; whoever opens the company next puts the log back.
        }
    }
    TWritingSettings(const TWritingSettings&) = delete;
    TWritingSettings& operator=(const TWritingSettings&) = delete;

private:
    fw::Connection& conn_;
    bool sqlite_;
    qint64 mapped_ = 0;
};

class TWriter final {
public:
    TWriter(TImportPlan& plan, QString target, int codePage, const TImportProgressFn& progress)
        : plan_(plan), target_(std::move(target)), codePage_(codePage), progress_(progress)
    {
    }

    // Writes the company and commits it; the settings file is left staged for the caller.
    TImportReport Run(const TTarget& target);
    // Whether the company was committed: from then on a failure takes nothing away.
    bool Committed() const { return committed_; }

private:
    void Report(const QString& table, qint64 tableRows, qint64 tableDone, bool saving = false)
    {
        if (!progress_)
            return;
        // Whole seconds of rows only: a figure from the first milliseconds says nothing.
        const qint64 ms = clock_.elapsed();
        const qint64 rate = ms >= 1000 ? done_ * 1000 / ms : 0;
        if (!progress_({table, tableRows, tableDone, plan_.Rows, done_, saving, rate}))
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
    QElapsedTimer clock_; // since the first table was begun
    bool committed_ = false;
    TProblems problems_;
    std::vector<fw::TTableMeasures> measures_;
};

bool IsNumber(fw::TFieldType type)
{
    return type == fw::TFieldType::Float || type == fw::TFieldType::Currency || type == fw::TFieldType::Smallint
        || type == fw::TFieldType::Integer || type == fw::TFieldType::Word;
}

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
        const std::unique_ptr<fw::TBulkCopy> batch = conn.BulkCopy(stored, names);
        fw::TTableMeasures measures(stored, columns);
        // The check after writing sums each number column, its magnitudes too: values whose
        // sum passes the largest double could not be checked (a server refuses the sum), so
        // the value that takes it there is named before anything is written.
        std::vector<double> magnitudes(columns.size(), 0.0);
        const std::vector<TParadoxField>& fields = t.Reader->Fields();
        // Until the reading thread has returned, the reader, the problems and the measures
        // are its own: this thread only writes what it is handed.
        const auto produce = [&](const TReadAhead::TPut& put) {
            TParadoxRow row;
            QVariant value;
            QString why;
            TRowChunk chunk;
            try {
                while (!problems_.Full() && t.Reader->Next(row)) {
                    for (const TValueFault& fault : row.Faults)
                        problems_.Add(msg::ValueProblem(t.File, row.Number, fields[size_t(fault.Field)].Name, fault.Reason));
                    QVariantList values;
                    values.reserve(qsizetype(columns.size()));
                    for (size_t c = 0; c < columns.size(); ++c) {
                        const int s = sources[c];
                        if (s < 0 || !BoundValue(row.Values[size_t(s)], *defs[c], value, why)) {
                            if (s >= 0)
                                problems_.Add(msg::ValueProblem(t.File, row.Number, fields[size_t(s)].Name, why));
                            values << QVariant();
                            continue;
                        }
                        if (IsNumber(defs[c]->DataType) && !value.isNull() && std::isfinite(magnitudes[c])) {
                            magnitudes[c] += std::abs(value.toDouble());
                            if (!std::isfinite(magnitudes[c]))
                                problems_.Add(msg::ValueProblem(t.File, row.Number, fields[size_t(s)].Name,
                                                                msg::SumTooLarge(value.toDouble())));
                        }
                        values << std::move(value);
                    }
                    // Once anything is wrong nothing is written: the rest is only read for what else is.
                    if (!problems_.Any()) {
                        measures.Count(values);
                        chunk.Rows.push_back(std::move(values));
                    }
                    if (++chunk.Read == kChunkRows) {
                        if (!put(std::move(chunk)))
                            return;
                        chunk = {};
                    }
                }
            } catch (...) {
                // The rows read before the fault are counted as they were.
                put(std::move(chunk));
                throw;
            }
            put(std::move(chunk));
        };
        qint64 read = 0;
        try {
            TReadAhead ahead(produce, kChunksAhead);
            for (TRowChunk chunk; ahead.Take(chunk);) {
                for (QVariantList& values : chunk.Rows)
                    batch->Add(std::move(values));
                const qint64 before = read;
                read += chunk.Read;
                done_ += chunk.Read;
                if (read / kProgressRows != before / kProgressRows)
                    Report(layout.Name, t.Reader->RowCount(), read);
            }
            // The reading thread has returned: the problems are this thread's again.
            if (!problems_.Any())
                batch->Flush();
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

TImportReport TWriter::Run(const TTarget& target)
{
    auto conn = fw::Connection::Open(target_, fw::TOpenMode::CreateMissing);
    if (conn->ReadOnly())
        throw fw::EDatabaseError(fw::dbmsg::MigrationTargetReadOnly(conn->Describe()));
    // A new company only: nothing of anyone's is overwritten or mixed with.
    if (const QStringList there = conn->TableNames(); !there.isEmpty()) {
        // Unless a run before this one committed the company and was stopped before its
        // settings file took its name: that is finished now, and nothing imported again.
        if (target.StagedBefore()) {
            target.PutSettingsInPlace();
            throw EImportDirectoryRefused(msg::EarlierImportFinished(conn->Describe(), fw::CompanySettingsFile));
        }
        throw EImportDirectoryRefused(msg::TargetNotEmpty(conn->Describe(), there.first()));
    }

    TImportReport report;
    // Staged first: a directory that takes no file says so before anything is written.
    if (!plan_.SettingsFile.isEmpty()) {
        if (!fw::SaveFileAtomically(target.Staged(), plan_.Settings))
            throw fw::EInOutError(msg::SettingsNotWritten(Shown(target.Settings())));
        report.SettingsCopied = true;
    }
    const TWritingSettings settings(*conn);
    fw::TTransaction writing(conn);
    clock_.start();
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
    // Everything is in and checked: the last moment to stop.
    Report(QString(), 0, 0, true);
    writing.Commit();
    committed_ = true;
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

QString RateText(const TImportProgress& progress)
{
    return progress.RowsPerSecond > 0 ? msg::RowsPerSecond(progress.RowsPerSecond) : QString();
}

TImportReport ImportParadoxCompany(const QString& from, const QString& to, const TImportOptions& options,
                                   const TImportProgressFn& progress)
{
    const QString source = QDir::cleanPath(QDir(from).absolutePath());
    const QString target = QDir::cleanPath(QDir(to).absolutePath());
    if (!QFileInfo(source).isDir())
        throw EImportDirectoryRefused(msg::SourceMissing(Shown(source)));
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        throw EImportDirectoryRefused(msg::SameDirectory());

    TTarget made(target);
    TImportPlan plan = PlanImport(source, options.CodePage);
    made.Make();
    TWriter writer(plan, target, options.CodePage, progress);
    TImportReport report;
    try {
        report = writer.Run(made);
    } catch (...) {
        // Once committed the company stays, whatever fails after.
        if (!writer.Committed())
            made.Undo();
        throw;
    }
    if (report.SettingsCopied)
        made.PutSettingsInPlace();
    return report;
}

} // namespace paradox
