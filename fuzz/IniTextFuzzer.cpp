// The settings file editor: any bytes read, then a key written, then read back. The
// written key reads back, and every byte of the text outside the one line the edit
// touches stays as it was.
#include "FuzzInput.h"
#include "platform/config/IniText.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool HasBreak(const QByteArray& s) { return s.contains('\n') || s.contains('\r'); }
bool BlankAtEnd(const QByteArray& s) { return !s.isEmpty() && (IsBlank(s.front()) || IsBlank(s.back())); }

// Names the file can hold so that they read back as themselves.
bool Writable(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    if (section.isEmpty() || HasBreak(section) || section.contains(']') || BlankAtEnd(section))
        return false;
    if (key.isEmpty() || HasBreak(key) || key.contains('=') || BlankAtEnd(key))
        return false;
    if (key.front() == ';' || key.front() == '#' || key.front() == '[')
        return false;
    return !HasBreak(value);
}

// The bytes of `before` an edit replaced: what lies between the common head and tail.
QByteArray Replaced(const QByteArray& before, const QByteArray& after)
{
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return before.mid(head, before.size() - head - tail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    // section \0 key \0 value \0 the file's text
    const QList<QByteArray> f = fuzz::Fields(data, size, 3);
    const QByteArray& section = f[0];
    const QByteArray& key = f[1];
    const QByteArray& value = f[2];
    fw::TIniText ini(f[3]);
    FUZZ_CHECK(ini.Text() == f[3]);
    // Reading anything is safe.
    for (const QByteArray& k : ini.Keys(section))
        FUZZ_CHECK(ini.Value(section, k).has_value());
    if (!Writable(section, key, value))
        return 0;

    const QByteArray before = ini.Text();
    const QList<QByteArray> keysBefore = ini.Keys(section);
    const bool existed = ini.Value(section, key).has_value();
    ini.SetValue(section, key, value);
    const QByteArray after = ini.Text();
    FUZZ_CHECK(ini.Value(section, key) == value);
    FUZZ_CHECK(fw::TIniText(after).Value(section, key) == value);
    // A changed value stays within its line; a new key only adds lines.
    const QByteArray replaced = Replaced(before, after);
    FUZZ_CHECK(!HasBreak(replaced));
    FUZZ_CHECK(!existed || !HasBreak(Replaced(after, before)));
    QList<QByteArray> keysAfter = ini.Keys(section);
    if (!existed)
        FUZZ_CHECK(keysAfter.size() == keysBefore.size() + 1 && keysAfter.removeAll(key) >= 1);
    else
        FUZZ_CHECK(keysAfter == keysBefore);

    // Writing the same again changes nothing; deleting removes it.
    FUZZ_CHECK(!ini.SetValue(section, key, value) && ini.Text() == after);
    FUZZ_CHECK(ini.DeleteKey(section, key) && !ini.Value(section, key));
    FUZZ_CHECK(ini.EraseSection(section) && !ini.HasSection(section));
    return 0;
}
