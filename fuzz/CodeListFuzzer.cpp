// The code list the pickers hand to the traceability report. Any text is either refused
// or read as codes that join back to exactly that text (the list has one spelling);
// any codes join to a list that reads back as those codes.
#include "FuzzInput.h"
#include "dialogs/CodeList.h"
#include "platform/core/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = QString::fromUtf8(raw);
    try {
        const QStringList codes = corvanel::ParseCodeList(text);
        FUZZ_CHECK(corvanel::JoinCodeList(codes) == text);
    } catch (const fw::EDatabaseError&) {
    }

    // The codes are the input's NUL-separated pieces.
    QStringList codes;
    for (const QByteArray& piece : raw.split('\0'))
        codes << QString::fromUtf8(piece);
    if (raw.isEmpty())
        codes.clear();
    FUZZ_CHECK(corvanel::ParseCodeList(corvanel::JoinCodeList(codes)) == codes);
    return 0;
}
