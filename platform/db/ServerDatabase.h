#pragma once

// A company kept on a PostgreSQL server: its directory holds, instead of the SQLite file,
// a small connection file naming the server's database. The settings file and the company
// lock stay in the directory. No password is ever stored there: the server asks the
// user's ~/.pgpass or the PG* environment variables, as every PostgreSQL client does.
//
//   [PostgreSQL]
//   host=depozit.local
//   port=5432
//   database=fabrica
//   user=ion
//   schema=lactate        (optional: where the company's tables are; "public" by default)

#include <QString>
#include <optional>

namespace fw {

struct TServerDatabase {
    QString Host;     // empty: the client's default (PGHOST, else the local socket)
    int Port = 0;     // 0: the client's default (PGPORT, else 5432)
    QString Database; // required
    QString User;     // empty: the client's default (PGUSER, else the login name)
    QString Schema;   // empty: "public"

    // The name of the connection file in a company directory.
    static QString FileName();
    // What the connection file of a directory says; nullopt when the directory has none.
    // EDatabaseError naming the file when it names no database or cannot be read.
    static std::optional<TServerDatabase> Read(const QString& directory);
    // Writes the connection file of a directory, whole or not at all; EInOutError when it
    // cannot be written.
    void Write(const QString& directory) const;

    // The database a PostgreSQL connection string names ("host=depozit port=5432
    // dbname=fabrica user=ion", values quoted with single quotes where they hold blanks);
    // keywords it does not know are left out.
    static TServerDatabase FromConnectionString(const QString& text);

    // The schema the tables are in, as the server stores its name.
    QString SchemaName() const;
    // "host:port/database" (and the schema when there is one), for the user's eyes.
    QString Describe() const;
};

} // namespace fw
