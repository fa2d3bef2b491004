// The component-streaming format, byte by byte (docs/component-stream.md): a reader
// elsewhere depends on exactly these bytes.
#include "platform/ui/ComponentStream.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(ComponentStream, WritesTheSignatureTheComponentAndEachKindOfValue)
{
    QByteArray out;
    TComponentWriter w(out);
    w.WriteSignature();
    w.BeginComponent("TX", "n");
    w.WriteNull("A");
    w.WriteBoolean("B", true);
    w.WriteInteger("I", -2);
    w.WriteInteger("L", qint64(1) << 40);
    w.WriteFloat("F", 1.5);
    w.WriteString("S", QStringLiteral("ă"));
    w.WriteIdent("E", "Left");
    w.BeginCollection("C", 2);
    w.WriteInteger("W", 7);
    w.EndItem();
    w.EndItem();
    w.EndComponent();
    const QByteArray expected = QByteArray::fromHex("46574331"        // signature
                                                    "025458" "016e"    // class TX, name n
                                                    "014100"           // A: null
                                                    "014202"           // B: true
                                                    "014903feffffff"   // I: 32-bit
                                                    "014c04" "0000000000010000" // L: 64-bit
                                                    "014605" "000000000000f83f" // F: double
                                                    "01530602000000c483"        // S: UTF-8 text
                                                    "014507044c656674"          // E: ident
                                                    "01430802000000" "015703" "07000000" "00" "00" // C: two items
                                                    "0000");           // end of properties, of children
    EXPECT_EQ(out.toHex(), expected.toHex());
}
