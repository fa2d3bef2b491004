#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace fw {

class TDataSet;
class TDatabase;
class Connection;

// How the database file of a directory is come by.
enum class TOpenMode {
    Existing,      // it must be there: connecting never makes one
    CreateMissing, // made, empty, when missing (where tables are about to be created)
};

// A module's database session: its database components, where it looks up names, and
// the network control directory (kept for hosts that share lock files; the engine here
// locks through the database file itself). Aliases are process-wide, like the engine's
// configuration, so a host's aliases are visible to the add-on's session.
class TSession final : public QObject {
public:
    explicit TSession(QObject* owner = nullptr, const QString& name = QStringLiteral("Default"));
    ~TSession() override;

    // The session of datasets and databases that were given none.
    static TSession* Default();

    const QString& SessionName() const { return name_; }
    const QString& NetFileDir() const { return netFileDir_; }
    void SetNetFileDir(const QString& dir) { netFileDir_ = dir; }

    static void AddAlias(const QString& name, const QString& directory);
    static void DeleteAlias(const QString& name);
    static bool IsAlias(const QString& name);
    static QString AliasPath(const QString& name);

    // The database component of this session with that name, or null.
    TDatabase* FindDatabase(const QString& name) const;
    // The directory a database name stands for: a connected or defined component of this
    // session, else an alias, else the name itself when it is a directory.
    // EDatabaseError when none applies.
    QString ResolveDirectory(const QString& databaseName) const;
    // The open connection for a database name, connecting a component if needed. Only
    // CreateMissing makes a directory's database file (a component never makes one).
    std::shared_ptr<Connection> ConnectionFor(const QString& databaseName, TOpenMode mode = TOpenMode::Existing);

private:
    friend class TDatabase;
    QString name_;
    QString netFileDir_;
    std::vector<TDatabase*> databases_;
};

// A named database: driver "STANDARD" is a directory given by the parameter "PATH=<dir>";
// its tables live in one SQLite file inside that directory.
class TDatabase final : public QObject {
public:
    explicit TDatabase(QObject* owner = nullptr, TSession* session = nullptr);
    ~TDatabase() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    const QString& DriverName() const { return driverName_; }
    void SetDriverName(const QString& name) { driverName_ = name; }
    QStringList& Params() { return params_; }
    const QStringList& Params() const { return params_; }
    TSession* Session() const { return session_; }
    QString Directory() const; // value of PATH=

    void Open();
    void Close(); // closes every dataset opened through it
    bool Connected() const { return connection_ != nullptr; }
    void SetConnected(bool connected) { connected ? Open() : Close(); }

    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    std::shared_ptr<Connection> GetConnection() const { return connection_; }

    // Datasets register while open so that Close can close them.
    void RegisterDataSet(TDataSet* dataSet);
    void UnregisterDataSet(TDataSet* dataSet);

private:
    friend class TSession;
    QString databaseName_;
    QString driverName_ = QStringLiteral("STANDARD");
    QStringList params_;
    TSession* session_;
    std::shared_ptr<Connection> connection_;
    std::vector<TDataSet*> dataSets_;
};

// Rolls back unless committed: a change of several rows is written whole or not at all.
class TTransaction final {
public:
    explicit TTransaction(std::shared_ptr<Connection> connection);
    explicit TTransaction(TDatabase& database) : TTransaction(database.GetConnection()) {}
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    ~TTransaction();
    void Commit();
    // Whether this is the whole transaction rather than a level inside another one: only
    // the whole of it can be run again.
    bool Outermost() const { return outermost_; }

private:
    std::shared_ptr<Connection> connection_;
    bool done_ = false;
    bool outermost_ = false;
};

// How many times in all a write is tried when it meets another user's transaction in a
// way the engine resolves by failing it (ETransactionConflict: a deadlock, a serialization
// failure) before the error is the caller's.
inline constexpr int kTransactionAttempts = 4;

// Runs `work` in a transaction and commits it. When the engine fails it for meeting
// another user's transaction, everything is rolled back and `work` runs again from the
// start (a short, growing pause between attempts), at most kTransactionAttempts times;
// inside another transaction it runs once. Any other error rolls back and propagates.
void RunTransaction(const std::shared_ptr<Connection>& connection, const std::function<void()>& work);
// Whether an error is such a conflict that running the whole transaction again may cure,
// and waits a moment before the next attempt (`attempt` counts from 1).
bool RetryAfterConflict(const std::exception& error, int attempt);

// The file that holds the tables of a directory.
QString DatabaseFileName();

// Called whenever the engine reports a database file as damaged (a page it cannot read)
// or as no database at all, before the error is raised, with the file when it is known
// (empty otherwise); the error raised is then an EDatabaseDamaged. One handler for the
// process: the program's.
void SetDamagedDatabaseHandler(std::function<void(const QString& file)> handler);

} // namespace fw
