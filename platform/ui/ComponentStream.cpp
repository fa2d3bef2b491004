#include "platform/ui/ComponentStream.h"

#include <QtEndian>
#include <algorithm>
#include <limits>
#include <stdexcept>

namespace fw {

namespace {

template <typename T>
void AppendLittleEndian(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

} // namespace

QByteArray TComponentWriter::Signature() { return QByteArrayLiteral("FWC1"); }

void TComponentWriter::ShortString(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() > 255)
        throw std::invalid_argument("component stream: name longer than 255 bytes");
    out_.append(char(quint8(bytes.size())));
    out_.append(bytes);
}

void TComponentWriter::Name(const QString& name)
{
    // An empty name is the end mark, so a property must have one.
    if (name.isEmpty())
        throw std::invalid_argument("component stream: property without a name");
    ShortString(name);
}

void TComponentWriter::BeginComponent(const QString& className, const QString& name)
{
    if (className.isEmpty())
        throw std::invalid_argument("component stream: component without a class name");
    ShortString(className);
    ShortString(name);
}

void TComponentWriter::EndComponent()
{
    EndMark(); // properties
    EndMark(); // children
}

void TComponentWriter::WriteNull(const QString& name)
{
    Name(name);
    Tag(TStreamValueType::Null);
}

void TComponentWriter::WriteBoolean(const QString& name, bool value)
{
    Name(name);
    Tag(value ? TStreamValueType::True : TStreamValueType::False);
}

void TComponentWriter::WriteInteger(const QString& name, qint64 value)
{
    Name(name);
    if (value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max()) {
        Tag(TStreamValueType::Int32);
        AppendLittleEndian(out_, qint32(value));
    } else {
        Tag(TStreamValueType::Int64);
        AppendLittleEndian(out_, value);
    }
}

void TComponentWriter::WriteFloat(const QString& name, double value)
{
    Name(name);
    Tag(TStreamValueType::Double);
    AppendLittleEndian(out_, value);
}

void TComponentWriter::WriteString(const QString& name, const QString& value)
{
    Name(name);
    Tag(TStreamValueType::String);
    const QByteArray bytes = value.toUtf8();
    AppendLittleEndian(out_, quint32(bytes.size()));
    out_.append(bytes);
}

void TComponentWriter::WriteIdent(const QString& name, const QString& value)
{
    Name(name);
    Tag(TStreamValueType::Ident);
    ShortString(value);
}

void TComponentWriter::BeginCollection(const QString& name, int count)
{
    Name(name);
    Tag(TStreamValueType::Collection);
    AppendLittleEndian(out_, quint32(std::max(count, 0)));
}

void TComponentWriter::EndItem() { EndMark(); }

} // namespace fw
