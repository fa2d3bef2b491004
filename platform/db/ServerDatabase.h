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
//   sslmode=require       (optional: any other connection keyword of the client library)

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace fw {

struct TServerDatabase {
    QString Host;     // empty: the client's default (PGHOST, else the local socket)
    int Port = 0;     // 0: the client's default (PGPORT, else 5432)
    QString Database; // required
    QString User;     // empty: the client's default (PGUSER, else the login name)
    QString Schema;   // empty: "public"
    // Every other connection keyword of the client library, in the order given
    // ("sslmode", "require"). Never a password.
    std::vector<std::pair<QString, QString>> Options;

    // The name of the connection file in a company directory.
    static QString FileName();
    // What the connection file of a directory says; nullopt when the directory has none.
    // EDatabaseError naming the file when it names no database, cannot be read (a link to
    // nothing among them), or holds a key that is no connection keyword, a key given twice,
    // a password or a value the keyword cannot take.
    static std::optional<TServerDatabase> Read(const QString& directory);
    // Writes the connection file of a directory, whole or not at all; EInOutError when it
    // cannot be written.
    void Write(const QString& directory) const;

    // The database a PostgreSQL connection string names ("host=depozit port=5432
    // dbname=fabrica user=ion sslmode=require", values quoted with single quotes where
    // they hold blanks, a backslash escaping the next character), plus "schema". A text
    // that is no such string, a keyword the client does not know, a password or a value
    // its keyword cannot take is refused with EDatabaseError.
    static TServerDatabase FromConnectionString(const QString& text);

    // The schema the tables are in, as the server stores its name.
    QString SchemaName() const;
    // "host:port/database" (and the schema when there is one), for the user's eyes.
    QString Describe() const;
    // Every connection keyword with its value, for the client library.
    std::vector<std::pair<QString, QString>> Parameters() const;
};

} // namespace fw
