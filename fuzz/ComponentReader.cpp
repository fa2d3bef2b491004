#include "ComponentReader.h"

#include <QtEndian>
#include <cstring>

namespace fuzz {

using fw::TStreamValueType;

namespace {

// Deep enough for any layout; shallow enough that a crafted file cannot exhaust the stack.
constexpr int kMaxDepth = 32;

class TCursor {
public:
    explicit TCursor(const QByteArray& bytes) : bytes_(bytes) {}

    qsizetype Left() const { return bytes_.size() - at_; }
    bool AtEnd() const { return at_ == bytes_.size(); }

    bool Take(qsizetype n, QByteArray& out)
    {
        if (n < 0 || n > Left())
            return false;
        out = bytes_.mid(at_, n);
        at_ += n;
        return true;
    }
    template <typename T>
    bool Number(T& value)
    {
        QByteArray b;
        if (!Take(sizeof(T), b))
            return false;
        value = qFromLittleEndian<T>(b.constData());
        return true;
    }
    bool ShortString(QString& text)
    {
        quint8 n = 0;
        QByteArray b;
        if (!Number(n) || !Take(n, b))
            return false;
        text = QString::fromUtf8(b);
        return true;
    }

private:
    const QByteArray& bytes_;
    qsizetype at_ = 0;
};

bool ReadProperties(TCursor& in, TStreamItem& properties, int depth);

bool ReadValue(TCursor& in, TStreamValue& value, int depth)
{
    quint8 tag = 0;
    if (!in.Number(tag))
        return false;
    value.Type = fw::TStreamValueType(tag);
    switch (value.Type) {
    case fw::TStreamValueType::Null:
    case fw::TStreamValueType::False:
    case fw::TStreamValueType::True:
        return true;
    case fw::TStreamValueType::Int32: {
        qint32 v = 0;
        if (!in.Number(v))
            return false;
        value.Integer = v;
        return true;
    }
    case fw::TStreamValueType::Int64:
        return in.Number(value.Integer);
    case fw::TStreamValueType::Double: {
        quint64 bits = 0;
        if (!in.Number(bits))
            return false;
        std::memcpy(&value.Float, &bits, sizeof bits);
        return true;
    }
    case fw::TStreamValueType::String: {
        quint32 n = 0;
        QByteArray b;
        if (!in.Number(n) || qint64(n) > in.Left() || !in.Take(qsizetype(n), b))
            return false;
        value.Text = QString::fromUtf8(b);
        return true;
    }
    case fw::TStreamValueType::Ident:
        return in.ShortString(value.Text);
    case fw::TStreamValueType::Collection: {
        quint32 count = 0;
        // Each item takes at least its end mark: a count beyond the bytes left is a lie.
        if (!in.Number(count) || qint64(count) > in.Left() || depth >= kMaxDepth)
            return false;
        value.Items.resize(count);
        for (TStreamItem& item : value.Items) {
            if (!ReadProperties(in, item, depth + 1))
                return false;
        }
        return true;
    }
    }
    return false;
}

// Properties up to their end mark.
bool ReadProperties(TCursor& in, TStreamItem& properties, int depth)
{
    for (;;) {
        TStreamProperty property;
        if (!in.ShortString(property.Name))
            return false;
        if (property.Name.isEmpty())
            return true;
        if (!ReadValue(in, property.Value, depth))
            return false;
        properties.push_back(std::move(property));
    }
}

bool ReadComponent(TCursor& in, TStreamComponent& component, int depth)
{
    if (depth >= kMaxDepth || !in.ShortString(component.ClassName) || component.ClassName.isEmpty())
        return false;
    if (!in.ShortString(component.Name) || !ReadProperties(in, component.Properties, depth))
        return false;
    for (;;) {
        // A child begins with its class name; an empty one is the end of the children.
        QByteArray mark;
        if (in.Left() < 1)
            return false;
        TCursor peek = in;
        quint8 n = 0;
        peek.Number(n);
        if (n == 0)
            return in.Take(1, mark);
        TStreamComponent child;
        if (!ReadComponent(in, child, depth + 1))
            return false;
        component.Children.push_back(std::move(child));
    }
}

bool SameProperty(const TStreamProperty& a, const TStreamProperty& b)
{
    return a.Name == b.Name && SameValue(a.Value, b.Value);
}

template <typename T, typename Same>
bool SameList(const std::vector<T>& a, const std::vector<T>& b, Same same)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!same(a[i], b[i]))
            return false;
    }
    return true;
}

void WriteProperty(fw::TComponentWriter& writer, const TStreamProperty& p)
{
    switch (p.Value.Type) {
    case fw::TStreamValueType::Null:
        writer.WriteNull(p.Name);
        break;
    case fw::TStreamValueType::False:
    case fw::TStreamValueType::True:
        writer.WriteBoolean(p.Name, p.Value.Type == fw::TStreamValueType::True);
        break;
    case fw::TStreamValueType::Int32:
    case fw::TStreamValueType::Int64:
        writer.WriteInteger(p.Name, p.Value.Integer);
        break;
    case fw::TStreamValueType::Double:
        writer.WriteFloat(p.Name, p.Value.Float);
        break;
    case fw::TStreamValueType::String:
        writer.WriteString(p.Name, p.Value.Text);
        break;
    case fw::TStreamValueType::Ident:
        writer.WriteIdent(p.Name, p.Value.Text);
        break;
    case fw::TStreamValueType::Collection:
        writer.BeginCollection(p.Name, int(p.Value.Items.size()));
        for (const TStreamItem& item : p.Value.Items) {
            for (const TStreamProperty& q : item)
                WriteProperty(writer, q);
            writer.EndItem();
        }
        break;
    }
}

} // namespace

bool SameValue(const TStreamValue& a, const TStreamValue& b)
{
    // The two integer forms are one kind: the writer picks the form by the value.
    const auto kind = [](TStreamValueType t) { return t == TStreamValueType::Int64 ? TStreamValueType::Int32 : t; };
    if (kind(a.Type) != kind(b.Type) || a.Integer != b.Integer || a.Text != b.Text)
        return false;
    if (std::memcmp(&a.Float, &b.Float, sizeof a.Float) != 0)
        return false;
    return SameList(a.Items, b.Items, SameItem);
}

bool SameItem(const TStreamItem& a, const TStreamItem& b) { return SameList(a, b, SameProperty); }

bool SameComponent(const TStreamComponent& a, const TStreamComponent& b)
{
    return a.ClassName == b.ClassName && a.Name == b.Name && SameItem(a.Properties, b.Properties) &&
           SameList(a.Children, b.Children, SameComponent);
}

std::optional<std::vector<TStreamComponent>> ReadComponents(const QByteArray& bytes)
{
    const QByteArray signature = fw::TComponentWriter::Signature();
    TCursor in(bytes);
    std::vector<TStreamComponent> components;
    while (!in.AtEnd()) {
        QByteArray head;
        if (!in.Take(signature.size(), head) || head != signature)
            return std::nullopt;
        TStreamComponent component;
        if (!ReadComponent(in, component, 0))
            return std::nullopt;
        components.push_back(std::move(component));
    }
    return components;
}

void WriteComponent(fw::TComponentWriter& writer, const TStreamComponent& component)
{
    writer.WriteSignature();
    writer.BeginComponent(component.ClassName, component.Name);
    for (const TStreamProperty& p : component.Properties)
        WriteProperty(writer, p);
    writer.EndComponent();
}

} // namespace fuzz
