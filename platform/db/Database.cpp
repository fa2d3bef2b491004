#include "platform/db/Database.h"

#include "platform/core/Exceptions.h"
#include "platform/db/ConflictRetry.h"
#include "platform/db/Connection.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbMessages.h"

#include <QRandomGenerator>
#include <QThread>

#include <QFileInfo>
#include <algorithm>

namespace fw {

namespace {
QHash<QString, QString>& Aliases()
{
    static QHash<QString, QString> aliases;
    return aliases;
}
} // namespace

TSession::TSession(QObject* owner, const QString& name) : QObject(owner), name_(name) {}

TSession::~TSession()
{
    for (TDatabase* db : databases_)
        db->session_ = nullptr;
}

TSession* TSession::Default()
{
    static TSession* session = new TSession(nullptr, QStringLiteral("Default"));
    return session;
}

void TSession::AddAlias(const QString& name, const QString& directory) { Aliases().insert(name.toUpper(), directory); }
void TSession::DeleteAlias(const QString& name) { Aliases().remove(name.toUpper()); }
bool TSession::IsAlias(const QString& name) { return Aliases().contains(name.toUpper()); }
QString TSession::AliasPath(const QString& name) { return Aliases().value(name.toUpper()); }

TDatabase* TSession::FindDatabase(const QString& name) const
{
    for (TDatabase* db : databases_)
        if (db->DatabaseName().compare(name, Qt::CaseInsensitive) == 0)
            return db;
    return nullptr;
}

QString TSession::ResolveDirectory(const QString& databaseName) const
{
    if (TDatabase* db = FindDatabase(databaseName))
        return db->Directory();
    if (IsAlias(databaseName))
        return AliasPath(databaseName);
    if (!databaseName.isEmpty() && QFileInfo(databaseName).isDir())
        return databaseName;
    throw EDatabaseError(dbmsg::UnknownDatabase(databaseName));
}

std::shared_ptr<Connection> TSession::ConnectionFor(const QString& databaseName, TOpenMode mode)
{
    if (TDatabase* db = FindDatabase(databaseName)) {
        if (!db->Connected())
            db->Open();
        return db->GetConnection();
    }
    return Connection::Open(ResolveDirectory(databaseName), mode);
}

TDatabase::TDatabase(QObject* owner, TSession* session)
    : QObject(owner), session_(session ? session : TSession::Default())
{
    session_->databases_.push_back(this);
}

TDatabase::~TDatabase()
{
    for (TDataSet* ds : std::vector<TDataSet*>(dataSets_))
        ds->Shutdown();
    dataSets_.clear();
    connection_.reset();
    if (session_) {
        auto& list = session_->databases_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TDatabase::SetDatabaseName(const QString& name)
{
    if (Connected())
        throw EDatabaseError(dbmsg::ConnectedDatabaseRenamed());
    databaseName_ = name;
}

QString TDatabase::Directory() const
{
    for (const QString& p : params_) {
        const int eq = int(p.indexOf(QLatin1Char('=')));
        if (eq > 0 && p.left(eq).trimmed().compare(QLatin1String("PATH"), Qt::CaseInsensitive) == 0)
            return p.mid(eq + 1);
    }
    return QString();
}

void TDatabase::Open()
{
    if (Connected())
        return;
    if (driverName_.compare(QLatin1String("STANDARD"), Qt::CaseInsensitive) != 0)
        throw EDatabaseError(dbmsg::UnknownDriver(driverName_));
    connection_ = Connection::Open(Directory());
}

void TDatabase::Close()
{
    // Closing a dataset unregisters it, so work on a copy. Every one is closed; the first
    // error is reported after.
    std::exception_ptr first;
    const auto open = dataSets_;
    for (TDataSet* ds : open) {
        try {
            ds->Close();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
        ds->Shutdown(); // closed whatever its details did
    }
    dataSets_.clear();
    connection_.reset();
    if (first)
        std::rethrow_exception(first);
}

void TDatabase::StartTransaction()
{
    if (!connection_)
        throw EDatabaseError(dbmsg::DatabaseNotConnected(databaseName_));
    connection_->Begin();
}

void TDatabase::Commit()
{
    if (connection_)
        connection_->Commit();
}

void TDatabase::Rollback()
{
    if (connection_)
        connection_->Rollback();
}

bool TDatabase::InTransaction() const { return connection_ && connection_->TransactionDepth() > 0; }

void TDatabase::RegisterDataSet(TDataSet* dataSet)
{
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end())
        dataSets_.push_back(dataSet);
}

void TDatabase::UnregisterDataSet(TDataSet* dataSet)
{
    dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), dataSet), dataSets_.end());
}

TTransaction::TTransaction(std::shared_ptr<Connection> connection) : connection_(std::move(connection))
{
    if (!connection_)
        throw EDatabaseError(dbmsg::NoConnectionForTransaction());
    outermost_ = connection_->TransactionDepth() == 0;
    connection_->Begin();
}

TTransaction::~TTransaction()
{
    if (!done_) {
        try {
            connection_->Rollback();
        } catch (...) {
            // A failed rollback leaves the engine to discard the transaction with the connection.
        }
    }
}

void TTransaction::Commit()
{
    connection_->Commit();
    done_ = true;
}

bool RetryAfterConflict(const std::exception& error, int attempt)
{
    if (!dynamic_cast<const ETransactionConflict*>(&error) || attempt >= kTransactionAttempts)
        return false;
    // The other transaction goes on meanwhile; a random part keeps two that met from
    // meeting again in step.
    QThread::msleep(unsigned(20 * attempt + QRandomGenerator::global()->bounded(20)));
    return true;
}

void RunTransaction(const std::shared_ptr<Connection>& connection, const std::function<void()>& work)
{
    RetryOnConflict(
        [&] {
            TTransaction tx(connection);
            work();
            tx.Commit();
        },
        connection.get());
}

} // namespace fw
