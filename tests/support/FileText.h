#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

// The bytes of a file; empty when it cannot be read.
inline QByteArray ReadFileBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes the file hold exactly these bytes; false when it cannot.
inline bool WriteFileBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace testsupport
