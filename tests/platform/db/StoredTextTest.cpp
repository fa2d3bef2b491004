// Text from the engine written over a value a record held before: ASCII in place, wider
// UTF-8 decoded, bytes that are no UTF-8 kept as the engine's own text, and a string a
// caller still holds left as it was.
#include "platform/db/StoredValue.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace fw;

namespace {

int Write(const char* bytes, QVariant& into) { return StoredText(bytes, qsizetype(std::strlen(bytes)), into); }

TEST(StoredText, OverAStringOrAnotherValueGivesTheTextTheBytesSay)
{
    // Each row's text in turn into one value, as a walk reads rows into a record it let go.
    QVariant value = 2.5;
    EXPECT_EQ(Write("L00000001", value), QMetaType::QString);
    EXPECT_EQ(value.toString(), QStringLiteral("L00000001"));
    const QString held = value.toString(); // what a caller kept of the row before
    EXPECT_EQ(Write("ADM", value), QMetaType::QString);
    EXPECT_EQ(value.toString(), QStringLiteral("ADM"));
    EXPECT_EQ(held, QStringLiteral("L00000001"));
    // "ȘTEFĂNEȘTI" in UTF-8 over the ASCII string: decoded, not widened byte by byte.
    EXPECT_EQ(Write("\xC8\x98TEF\xC4\x82NE\xC8\x98TI", value), QMetaType::QString);
    EXPECT_EQ(value.toString(), QString::fromUtf8("\xC8\x98TEF\xC4\x82NE\xC8\x98TI"));
    EXPECT_EQ(value.toString().size(), 10);
    // Left by an 8-bit program ("Marié" in Latin-1): no UTF-8, so kept as the engine's bytes,
    // over a string and over a number alike.
    for (QVariant into : {QVariant(QStringLiteral("LOT LUNG DE PROBA")), QVariant(1.0)}) {
        EXPECT_EQ(Write("Mari\xE9", into), EngineTextType());
        EXPECT_EQ(EngineTextBytes(into), QByteArray("Mari\xE9"));
    }
    // Empty text over a string is an empty string, not null.
    QVariant empty = QStringLiteral("X");
    EXPECT_EQ(Write("", empty), QMetaType::QString);
    EXPECT_TRUE(empty.toString().isEmpty());
    EXPECT_EQ(empty.typeId(), QMetaType::QString);
}

} // namespace
