#include "ParadoxWriter.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

// The library's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <cstdio>
#include <cstring>
#include <memory>

namespace paradoxtest {

namespace {

constexpr long kDayZero = 1721425;

long Days(const QDate& d) { return PX_GregorianToSdn(d.year(), d.month(), d.day()) - kDayZero; }

bool InMemo(int type)
{
    return type == pxfMemoBLOb || type == pxfBLOb || type == pxfFmtMemoBLOb || type == pxfOLE || type == pxfGraphic;
}

bool Put(pxdoc_t* doc, char* at, const TField& f, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return true; // the record starts zeroed: an empty value
    switch (f.Type) {
    case pxfAlpha:
    case pxfBytes: {
        QByteArray bytes = v.toByteArray();
        return (f.Type == pxfAlpha ? PX_put_data_alpha : PX_put_data_bytes)(doc, at, f.Length, bytes.data()), true;
    }
    case pxfNumber:
    case pxfCurrency:
        PX_put_data_double(doc, at, f.Length, v.toDouble());
        return true;
    case pxfShort:
        PX_put_data_short(doc, at, f.Length, short(v.toInt()));
        return true;
    case pxfLong:
    case pxfAutoInc:
        PX_put_data_long(doc, at, f.Length, v.toInt());
        return true;
    case pxfLogical:
        PX_put_data_byte(doc, at, f.Length, v.toBool() ? 1 : 0);
        return true;
    case pxfDate:
        PX_put_data_long(doc, at, f.Length, int(Days(v.toDate())));
        return true;
    case pxfTime:
        PX_put_data_long(doc, at, f.Length, v.toTime().msecsSinceStartOfDay());
        return true;
    case pxfTimestamp: {
        const QDateTime t = v.toDateTime();
        PX_put_data_double(doc, at, f.Length, double(Days(t.date())) * 86400000.0 + t.time().msecsSinceStartOfDay());
        return true;
    }
    case pxfBCD: {
        QByteArray digits = v.toByteArray();
        PX_put_data_bcd(doc, at, f.Decimals, digits.data());
        return true;
    }
    default:
        if (InMemo(f.Type)) {
            QByteArray bytes = v.toByteArray();
            return PX_put_data_blob(doc, at, f.Length, bytes.data(), int(bytes.size())) >= 0;
        }
        return false;
    }
}

} // namespace

bool WriteTable(const QString& path, const TFixtureTable& table)
{
    return WriteTable(path, table.Fields, table.CodePage, qint64(table.Rows.size()),
                      [&](qint64 i) { return table.Rows[size_t(i)]; });
}

bool WriteTable(const QString& path, const std::vector<TField>& fieldList, int codePage, qint64 rows,
                const std::function<TRow(qint64)>& makeRow)
{
    QFile::remove(path);
    pxdoc_t* doc = PX_new();
    if (!doc)
        return false;
    std::unique_ptr<pxdoc_t, void (*)(pxdoc_t*)> owned(doc, [](pxdoc_t* d) {
        PX_close(d);
        PX_delete(d);
    });
    // pxlib takes the field list (names included) over and frees it with the document.
    auto* fields = static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * fieldList.size(), "fields"));
    bool memo = false;
    for (size_t i = 0; i < fieldList.size(); ++i) {
        const TField& f = fieldList[i];
        fields[i].px_fname = static_cast<char*>(doc->malloc(doc, size_t(f.Name.size()) + 1, "name"));
        std::memcpy(fields[i].px_fname, f.Name.constData(), size_t(f.Name.size()) + 1);
        fields[i].px_ftype = char(f.Type);
        fields[i].px_flen = f.Length;
        fields[i].px_fdc = f.Decimals;
        memo = memo || InMemo(f.Type);
    }
    if (PX_create_file(doc, fields, int(fieldList.size()), QFile::encodeName(path).constData(), pxfFileTypNonIndexDB) < 0)
        return false;
    if (codePage > 0)
        PX_set_value(doc, "codepage", float(codePage));
    if (memo) {
        QString mb = path;
        mb.replace(mb.size() - 3, 3, QStringLiteral(".MB"));
        if (PX_set_blob_file(doc, QFile::encodeName(mb).constData()) < 0)
            return false;
    }
    const int size = PX_get_recordsize(doc);
    for (qint64 n = 0; n < rows; ++n) {
        const TRow row = makeRow(n);
        std::vector<char> record(size_t(size), 0);
        char* at = record.data();
        for (size_t i = 0; i < fieldList.size(); ++i) {
            if (!Put(doc, at, fieldList[i], i < row.size() ? row[i] : QVariant()))
                return false;
            at += fieldList[i].Length;
        }
        if (PX_put_record(doc, record.data()) < 0)
            return false;
    }
    owned.reset(); // written out
    if (codePage == 0) {
        // pxlib always names a page; a table of the old program may name none.
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite) || !file.seek(0x6a) || file.write(QByteArray(2, '\0')) != 2)
            return false;
    }
    return true;
}

TField Alpha(const char* name, int length) { return {name, pxfAlpha, length}; }
TField Number(const char* name) { return {name, pxfNumber, 8}; }
TField Date(const char* name) { return {name, pxfDate, 4}; }
TField Logical(const char* name) { return {name, pxfLogical, 1}; }
TField Memo(const char* name, int length) { return {name, pxfMemoBLOb, length}; }

} // namespace paradoxtest
