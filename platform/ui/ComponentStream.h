#pragma once

// The framework's binary component-streaming format: how a component and its properties
// are written to a file (window layouts, grid column layouts). docs/component-stream.md
// describes the bytes.

#include <QByteArray>
#include <QString>
#include <vector>

namespace fw {

class TDBGridNormal;

// The tag before each property value.
enum class TStreamValueType : quint8 {
    Null = 0x00,
    False = 0x01,
    True = 0x02,
    Int32 = 0x03,
    Int64 = 0x04,
    Double = 0x05,
    String = 0x06,
    Ident = 0x07,
    Collection = 0x08,
};

// Writes components into a byte array, in order: a signature, then a component's class
// name and name, its properties (name + typed value), the end of its properties and the
// end of its (here always absent) children. A collection property holds a count and, per
// item, the item's properties and an end mark. Names are at most 255 bytes of UTF-8;
// a longer one is a programming error and throws std::invalid_argument.
class TComponentWriter final {
public:
    explicit TComponentWriter(QByteArray& out) : out_(out) {}

    // The four bytes a stream of components begins with.
    static QByteArray Signature();

    void WriteSignature() { out_.append(Signature()); }
    void BeginComponent(const QString& className, const QString& name);
    // Ends the current component's properties and children.
    void EndComponent();

    void WriteNull(const QString& name);
    void WriteBoolean(const QString& name, bool value);
    // The shortest of the two integer forms that holds the value.
    void WriteInteger(const QString& name, qint64 value);
    void WriteFloat(const QString& name, double value);
    void WriteString(const QString& name, const QString& value);
    // A symbolic value (an enumeration's name).
    void WriteIdent(const QString& name, const QString& value);
    // A collection of `count` items; each item is its properties followed by EndItem().
    void BeginCollection(const QString& name, int count);
    void EndItem();

private:
    void Name(const QString& name);
    void Tag(TStreamValueType type) { out_.append(char(type)); }
    void ShortString(const QString& text);
    void EndMark() { out_.append('\0'); }

    QByteArray& out_;
};

// Writes a grid's columns as a collection property: per column its field name, title,
// width in pixels, alignment, and, when it has them, its own colour (as 0xRRGGBB) and
// read-only flag.
void WriteGridColumns(TComponentWriter& writer, const QString& name, const TDBGridNormal& grid);

} // namespace fw
