// The component stream of the catalog lookup's layout file. Components made from the
// input are written and read back whole; the input itself, read as a stream, is either
// refused or read as components that write back to the same components.
#include "ComponentReader.h"
#include "FuzzInput.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <stdexcept>

namespace {

using fuzz::TStreamComponent;
using fuzz::TStreamItem;
using fuzz::TStreamProperty;
using fw::TStreamValueType;

// A name the writer takes: at most 255 bytes of UTF-8 once it is a QString.
QString Name(FuzzedDataProvider& in, bool mayBeEmpty)
{
    QString name = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(40)));
    while (name.toUtf8().size() > 255)
        name.chop(1);
    if (name.isEmpty() && !mayBeEmpty)
        name = QStringLiteral("P");
    return name;
}

TStreamItem Properties(FuzzedDataProvider& in, int depth);

TStreamProperty Property(FuzzedDataProvider& in, int depth)
{
    TStreamProperty p;
    p.Name = Name(in, false);
    fuzz::TStreamValue& v = p.Value;
    switch (in.ConsumeIntegralInRange(0, depth < 3 ? 6 : 5)) {
    case 0:
        v.Type = TStreamValueType::Null;
        break;
    case 1:
        v.Type = in.ConsumeBool() ? TStreamValueType::True : TStreamValueType::False;
        break;
    case 2:
        v.Integer = in.ConsumeIntegral<qint64>();
        // The writer takes the shorter form whenever it holds the value.
        v.Type = v.Integer == qint32(v.Integer) ? TStreamValueType::Int32 : TStreamValueType::Int64;
        break;
    case 3:
        v.Type = TStreamValueType::Double;
        v.Float = in.ConsumeFloatingPoint<double>();
        break;
    case 4:
        v.Type = TStreamValueType::String;
        v.Text = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(300)));
        break;
    case 5:
        v.Type = TStreamValueType::Ident;
        v.Text = Name(in, true);
        break;
    default:
        v.Type = TStreamValueType::Collection;
        v.Items.resize(in.ConsumeIntegralInRange(0, 4));
        for (TStreamItem& item : v.Items)
            item = Properties(in, depth + 1);
        break;
    }
    return p;
}

TStreamItem Properties(FuzzedDataProvider& in, int depth)
{
    TStreamItem properties(in.ConsumeIntegralInRange(0, 6));
    for (TStreamProperty& p : properties)
        p = Property(in, depth);
    return properties;
}

QByteArray Written(const std::vector<TStreamComponent>& components)
{
    QByteArray out;
    fw::TComponentWriter writer(out);
    for (const TStreamComponent& c : components)
        fuzz::WriteComponent(writer, c);
    return out;
}

bool Same(const std::vector<TStreamComponent>& a, const std::vector<TStreamComponent>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!fuzz::SameComponent(a[i], b[i]))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    // Read as it is: refused, or components that write back and read back the same.
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto read = fuzz::ReadComponents(raw)) {
        bool childless = std::all_of(read->begin(), read->end(),
                                           [](const TStreamComponent& c) { return c.Children.empty(); });
        QByteArray rewritten;
        try {
            rewritten = Written(*read);
        } catch (const std::invalid_argument&) {
            // Bytes that are no UTF-8 grew past a name's 255 bytes as text: the writer
            // refuses such a name, as it should.
            childless = false;
        }
        if (childless) {
            const auto again = fuzz::ReadComponents(rewritten);
            FUZZ_CHECK(again && Same(*again, *read));
        }
    }

    // Made from the input, written, read back.
    FuzzedDataProvider in(data, size);
    std::vector<TStreamComponent> made(in.ConsumeIntegralInRange(1, 3));
    for (TStreamComponent& c : made) {
        c.ClassName = Name(in, false);
        c.Name = Name(in, true);
        c.Properties = Properties(in, 0);
    }
    const QByteArray bytes = Written(made);
    const auto read = fuzz::ReadComponents(bytes);
    FUZZ_CHECK(read && Same(*read, made));
    return 0;
}
