#pragma once

// A reader of the component stream as docs/component-stream.md describes it: the other
// half of TComponentWriter, for the round trip of the fuzz harness (the add-on writes its
// layout file and never reads it back). Nothing in the bytes is trusted: every count and
// length is checked against what is left before anything is allocated, and nesting is
// bounded.

#include "platform/ui/ComponentStream.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace fuzz {

struct TStreamProperty;
using TStreamItem = std::vector<TStreamProperty>;

struct TStreamValue {
    fw::TStreamValueType Type = fw::TStreamValueType::Null;
    qint64 Integer = 0;
    double Float = 0;
    QString Text; // of a text or an identifier
    std::vector<TStreamItem> Items;
};

struct TStreamProperty {
    QString Name;
    TStreamValue Value;
};

struct TStreamComponent {
    QString ClassName;
    QString Name;
    std::vector<TStreamProperty> Properties;
    std::vector<TStreamComponent> Children;
};

// Equal as stored: floats by their bits, so that NaN equals itself and -0 differs from 0;
// a 32-bit and a 64-bit integer of the same value are equal.
bool SameValue(const TStreamValue& a, const TStreamValue& b);
bool SameItem(const TStreamItem& a, const TStreamItem& b);
bool SameComponent(const TStreamComponent& a, const TStreamComponent& b);

// Every stream of `bytes`, each one component; nullopt when the bytes are no such streams.
std::optional<std::vector<TStreamComponent>> ReadComponents(const QByteArray& bytes);

// Writes one component (without children) back, as the writer writes it.
void WriteComponent(fw::TComponentWriter& writer, const TStreamComponent& component);

} // namespace fuzz
