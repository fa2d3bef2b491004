#pragma once

// The engine the database tests run against. By default a company directory holds an
// SQLite file. When CORVANEL_TEST_PG names a PostgreSQL server (its connection string,
// or "@" and a file holding it, as the test command's server writes one), the same tests
// run once more with every test database on that server, each in a schema of its own.

#include "TempDir.h"

#include "platform/db/ServerDatabase.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

namespace fw {
class Connection;
}

namespace testsupport {

// Whether this run keeps its test databases on a server.
bool OnServer();
// Why the server run cannot go on (its programs are missing, it did not start); empty
// when it can, or when this run has no server.
QString ServerUnavailable();

// Makes a directory a database directory of the engine under test: on a server, a
// connection file naming a new schema of its own, made at once, and the connection to it,
// which the caller keeps while it uses the directory (a server's connection takes a while
// to make, and is made again whenever nobody holds it). The schema is dropped by
// ForgetDatabase, or with the server.
std::shared_ptr<fw::Connection> UseTestEngine(const QString& directory);
void ForgetDatabase(const QString& directory);
// The test server with a schema no test has used yet (nothing is made on the server).
fw::TServerDatabase NewServerSchema();

// A temporary directory that is a database directory of the engine under test.
class DatabaseDir : public TempDir {
public:
    DatabaseDir() : held_(UseTestEngine(Path())) {}
    ~DatabaseDir()
    {
        held_.reset();
        ForgetDatabase(Path());
    }

private:
    std::shared_ptr<fw::Connection> held_;
};

// Another program's own connection to a directory's database, outside the dataset layer
// (added to QtSql under `name`; remove it when done). Invalid when it cannot be opened.
QSqlDatabase OtherConnection(const QString& directory, const QString& name);

// Another program's transaction on a directory's database, in a thread of its own. It runs
// `statements` and holds what they lock until a connection of the company waits for it
// (seen among the server's locks, for a few seconds at most; the embedded engine shows no
// one waiting, so there for a moment), then commits. The constructor returns once the
// statements have run; Finish waits for the commit and says whether anyone was seen
// waiting (never on the embedded engine).
class TOtherTransaction {
public:
    TOtherTransaction(const QString& directory, const QStringList& statements);
    ~TOtherTransaction();
    bool Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Pieces of SQL a test writes straight to the engine under test.
QString RowIdColumn(); // the hidden row identity
// A trigger on `table` that refuses the statement `when` ("BEFORE INSERT") with `message`.
void AddRefusingTrigger(const QString& directory, const QString& table, const QString& when, const QString& message);
void DropRefusingTrigger(const QString& directory, const QString& table);

} // namespace testsupport
