#pragma once

#include <QString>
#include <exception>
#include <string>

namespace fw {

// Base of every error the framework raises. The message is the text a user may see.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// The silent abort: ends the current operation without any message. The guard at
// every entry from the event loop swallows it.
class EAbort final : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// A failure reported by the database engine or by the dataset layer. The message is
// the engine's own (shown after a fixed Romanian lead text by the forms).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// The engine found the database file damaged (a page it cannot read) or no database at
// all. The program hears of it through its damaged-database handler (see Database.h).
class EDatabaseDamaged final : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// A value that cannot be converted to the type asked for (text to number or date).
class EConvertError final : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be read or written.
class EInOutError final : public Exception {
public:
    using Exception::Exception;
};

// Throws the silent abort.
[[noreturn]] void Abort();

} // namespace fw
