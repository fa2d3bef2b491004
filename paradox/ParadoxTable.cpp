#include "paradox/ParadoxTable.h"

#include "paradox/CodePage.h"
#include "paradox/ImportMessages.h"
#include "paradox/MemoFile.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <QtEndian>

// The library's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace paradox {

namespace {

// What the library may allocate at once: a header or a value claiming more is damaged,
// and must not take the program's memory with it.
constexpr size_t kMaxAllocation = size_t(64) << 20;
// The header's fixed part, and where its fields are listed (type and length, two bytes
// each) in the tables of Paradox 4 and later and in the older ones.
constexpr qint64 kFixedHeader = 0x78;
constexpr qint64 kFieldListNew = 0x78;
constexpr qint64 kFieldListOld = 0x58;
constexpr int kMaxFields = 255;
// Days between the start of the Julian day count and the day before 1 January of year 1,
// the origin of Paradox's dates.
constexpr long kDayZero = 1721425;
constexpr double kMsPerDay = 86400000.0;

quint16 U16(const unsigned char* p) { return qFromLittleEndian<quint16>(p); }
quint32 U32(const unsigned char* p) { return qFromLittleEndian<quint32>(p); }

// The header as it stands in the file, checked before the library reads it: the sizes
// must fit one another and the file.
QString CheckRawHeader(const unsigned char* h, qint64 fileSize)
{
    if (fileSize < kFixedHeader)
        return msg::FileTooShort();
    const int recordSize = U16(h);
    const qint64 headerSize = U16(h + 2);
    const int fileType = h[4];
    const int blockKiB = h[5];
    const qint64 records = U32(h + 6);
    const qint64 blocks = U16(h + 0x0c);
    const int fields = U16(h + 0x21);
    const int version = h[0x39];
    if (fileType != pxfFileTypIndexDB && fileType != pxfFileTypNonIndexDB)
        return msg::NotATable(fileType);
    if (version < 3 || version > 12)
        return msg::UnsupportedVersion(QStringLiteral("0x%1").arg(version, 2, 16, QLatin1Char('0')));
    if (blockKiB != 1 && blockKiB != 2 && blockKiB != 3 && blockKiB != 4 && blockKiB != 8 && blockKiB != 16
        && blockKiB != 32)
        return msg::DamagedHeader(msg::BadBlockSize(blockKiB));
    const qint64 blockSize = qint64(blockKiB) * 1024;
    if (fields < 1 || fields > kMaxFields)
        return msg::DamagedHeader(msg::BadFieldCount(fields));
    // A block starts with six bytes of links and size.
    if (recordSize < 1 || recordSize > blockSize - 6)
        return msg::DamagedHeader(msg::BadRecordSize(recordSize));
    const qint64 fieldList = version >= 5 ? kFieldListNew : kFieldListOld;
    if (headerSize < fieldList + 2 * qint64(fields) || headerSize > fileSize)
        return msg::DamagedHeader(msg::BadHeaderSize(headerSize));
    if (blocks * blockSize > fileSize - headerSize)
        return msg::Truncated(fileSize, headerSize + blocks * blockSize);
    if (records > blocks * ((blockSize - 6) / recordSize))
        return msg::DamagedHeader(msg::TooManyRecords(records, blocks));
    // The library would take the password for a key and read noise as the chain of blocks.
    // Tables of Paradox 4 and later mark the older place with FF00FF00 and keep it further on.
    constexpr quint32 kSeeLater = 0xff00ff00;
    const quint32 older = U32(h + 0x25);
    if ((older != 0 && older != kSeeLater) || (version >= 5 && headerSize >= 0x60 && U32(h + 0x5c) != 0))
        return msg::Encrypted();
    return {};
}

// The width a field of each type takes in a row (BCD and the alpha, memo and byte
// fields have their own rules).
int FixedWidth(TParadoxType type)
{
    switch (type) {
    case TParadoxType::Short:
        return 2;
    case TParadoxType::Date:
    case TParadoxType::Long:
    case TParadoxType::Time:
    case TParadoxType::AutoIncrement:
        return 4;
    case TParadoxType::Currency:
    case TParadoxType::Number:
    case TParadoxType::Timestamp:
        return 8;
    case TParadoxType::Logical:
        return 1;
    case TParadoxType::Bcd:
        return 17;
    default:
        return 0;
    }
}

std::optional<TParadoxType> TypeOf(int code)
{
    switch (code) {
    case pxfAlpha: return TParadoxType::Alpha;
    case pxfDate: return TParadoxType::Date;
    case pxfShort: return TParadoxType::Short;
    case pxfLong: return TParadoxType::Long;
    case pxfCurrency: return TParadoxType::Currency;
    case pxfNumber: return TParadoxType::Number;
    case pxfLogical: return TParadoxType::Logical;
    case pxfMemoBLOb: return TParadoxType::Memo;
    case pxfBLOb: return TParadoxType::Blob;
    case pxfFmtMemoBLOb: return TParadoxType::FormattedMemo;
    case pxfOLE: return TParadoxType::Ole;
    case pxfGraphic: return TParadoxType::Graphic;
    case pxfTime: return TParadoxType::Time;
    case pxfTimestamp: return TParadoxType::Timestamp;
    case pxfAutoInc: return TParadoxType::AutoIncrement;
    case pxfBCD: return TParadoxType::Bcd;
    case pxfBytes: return TParadoxType::Bytes;
    default: return std::nullopt;
    }
}

bool WidthFits(const TParadoxField& f)
{
    if (InMemoFile(f.Type))
        return f.Length >= 10 && f.Length <= 250; // the leading part, then the 10-byte pointer
    if (f.Type == TParadoxType::Alpha || f.Type == TParadoxType::Bytes)
        return f.Length >= 1 && f.Length <= 255;
    if (f.Type == TParadoxType::Bcd && (f.Decimals < 0 || f.Decimals > 32))
        return false;
    return f.Length == FixedWidth(f.Type);
}

// A decimal number written as digits with an optional sign and point, in a form two
// writings of the same value share: no sign for zero, no leading or trailing zeros.
QByteArray CanonicalDecimal(QByteArray text)
{
    bool negative = false;
    if (text.startsWith('-') || text.startsWith('+')) {
        negative = text.startsWith('-');
        text.remove(0, 1);
    }
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    while (text.size() > 1 && text.startsWith('0') && text.at(1) != '.')
        text.remove(0, 1);
    if (text.isEmpty() || text == "0")
        return "0";
    return negative ? '-' + text : text;
}

void* Allocate(pxdoc_t*, size_t size, const char*)
{
    return size > kMaxAllocation ? nullptr : std::malloc(std::max<size_t>(size, 1));
}
void* Reallocate(pxdoc_t*, void* mem, size_t size, const char*)
{
    return size > kMaxAllocation ? nullptr : std::realloc(mem, std::max<size_t>(size, 1));
}
void Release(pxdoc_t*, void* mem) { std::free(mem); }

} // namespace

QString TypeName(TParadoxType type) { return msg::ParadoxTypeName(int(type)); }

bool InMemoFile(TParadoxType type)
{
    return type == TParadoxType::Memo || type == TParadoxType::Blob || type == TParadoxType::FormattedMemo
        || type == TParadoxType::Ole || type == TParadoxType::Graphic;
}

// One data block of the chain: where its rows start in the file and how many it holds.
struct TDataBlock {
    qint64 Offset = 0;
    qint64 Rows = 0;
};

struct TParadoxTable::State {
    QString fileName;
    QString memoName;
    QByteArray bytes;            // the table of an in-memory file
    std::FILE* stream = nullptr; // the table file, read here at offsets
    QByteArray header;           // the header as the library is given it
    std::FILE* headerStream = nullptr;
    pxdoc_t* doc = nullptr;
    std::unique_ptr<TMemoFile> memo;
    std::shared_ptr<const TCodePage> codePage;
    int codePageNumber = 0;
    bool codePageFromHeader = false;
    int version = 0;
    std::vector<TParadoxField> fields;
    std::vector<bool> wanted;
    int recordSize = 0;
    qint64 rows = 0;
    qint64 next = 0;
    std::vector<TDataBlock> blocks;
    size_t block = 0;      // the block the next row is in
    qint64 inBlock = 0;    // that row's place in it
    bool loaded = false;   // whether `rowsOfBlock` holds that block's rows
    std::vector<char> rowsOfBlock;

    ~State()
    {
        if (doc) {
            PX_close(doc);
            PX_delete(doc);
        }
        if (headerStream)
            std::fclose(headerStream);
        if (stream)
            std::fclose(stream);
    }

    // The library's own words are English and never reach the user: what it could not do
    // is said here, in the user's words, by whoever called it.
    static void OnError(pxdoc_t*, int, const char*, void*) {}

    [[noreturn]] void Refuse(const QString& reason) const { throw EParadoxFile(msg::FileUnreadable(fileName, reason)); }

    // `size` bytes of the table file at `offset`; false when they are not all there.
    bool ReadAt(qint64 offset, void* to, qint64 size) const
    {
        if (offset < 0 || size < 0)
            return false;
        if (!stream) {
            if (offset > bytes.size() || size > bytes.size() - offset)
                return false;
            std::memcpy(to, bytes.constData() + offset, size_t(size));
            return true;
        }
        return pread(fileno(stream), to, size_t(size), off_t(offset)) == ssize_t(size);
    }

    void Open(const unsigned char* head, qint64 fileSize, int fallbackCodePage);
    QString WalkBlocks(const unsigned char* head);
    void ReadFieldList();
    void Decode(const char* bytes, qsizetype size, int field, TParadoxRow& row) const;
    void ReadValue(const char* p, int field, TParadoxRow& row) const;
};

// The data blocks are a chain, each naming the next and how many rows it holds: walked
// here, once, before anything else reads them. A damaged chain (a block out of the file, a
// loop) would have a reader walk it forever; a block that claims more rows than it has
// room for would have it read beyond; rows the header does not count would be left out
// unseen. The rows are read from the blocks found here, never through the library, which
// counts an empty block as thousands of rows.
QString TParadoxTable::State::WalkBlocks(const unsigned char* head)
{
    const int size = U16(head);
    const qint64 headerSize = U16(head + 2);
    const qint64 blockSize = qint64(head[5]) * 1024;
    const qint64 fileBlocks = U16(head + 0x0c);
    const qint64 declared = U32(head + 6);
    const qint64 room = (blockSize - 6) / size;
    qint64 held = 0;
    blocks.clear();
    for (qint64 number = U16(head + 0x0e); number != 0;) {
        const qint64 at = headerSize + (number - 1) * blockSize;
        unsigned char link[6] = {};
        if (number > fileBlocks || qint64(blocks.size()) >= fileBlocks || !ReadAt(at, link, sizeof link))
            return msg::DamagedHeader(msg::BrokenBlockChain(number));
        // The bytes beyond the block's first row: (rows - 1) times the row's size, so
        // minus one row's size for an empty block.
        const qint64 beyond = qint16(U16(link + 4));
        if (beyond < -size || (beyond + size) % size != 0 || (beyond + size) / size > room)
            return msg::DamagedBlock(number, beyond + size);
        blocks.push_back({at + 6, (beyond + size) / size});
        held += blocks.back().Rows;
        number = U16(link);
    }
    if (held != declared)
        return msg::RowCountWrong(declared, held);
    return {};
}

void TParadoxTable::State::Open(const unsigned char* head, qint64 fileSize, int fallbackCodePage)
{
    if (const QString wrong = CheckRawHeader(head, fileSize); !wrong.isEmpty())
        Refuse(wrong);
    if (const QString wrong = WalkBlocks(head); !wrong.isEmpty())
        Refuse(wrong);
    recordSize = U16(head);
    rows = U32(head + 6);

    // The library is given the header alone, saying it has no block: it reads the fields
    // and the code page, and decodes the values of the rows read here. (Zeros after it, so
    // that a name running past the header ends there.)
    const qint64 headerSize = U16(head + 2);
    header = QByteArray(headerSize + 1024, '\0');
    if (!ReadAt(0, header.data(), headerSize))
        Refuse(msg::FileTooShort());
    auto* h = reinterpret_cast<uchar*>(header.data());
    qToLittleEndian<quint32>(0, h + 6);    // rows
    qToLittleEndian<quint16>(0, h + 0x0c); // blocks in the file
    qToLittleEndian<quint16>(0, h + 0x0e); // first block
    qToLittleEndian<quint16>(0, h + 0x10); // last block
    headerStream = fmemopen(header.data(), size_t(header.size()), "rb");
    if (!headerStream)
        Refuse(QString::fromLocal8Bit(std::strerror(errno)));

    doc = PX_new3(&State::OnError, &Allocate, &Reallocate, &Release, this);
    if (!doc)
        Refuse(msg::OutOfMemory());
    if (PX_open_fp(doc, headerStream) < 0)
        Refuse(msg::DamagedHeader(msg::LibraryRefused()));

    float value = 0;
    if (PX_get_value(doc, "encryption", &value) == 0 && value != 0)
        Refuse(msg::Encrypted());
    version = PX_get_value(doc, "fileversion", &value) == 0 ? int(std::lround(value * 10)) : 0;
    if (version != 30 && version != 35 && version != 40 && version != 45 && version != 50 && version != 70)
        Refuse(msg::UnsupportedVersion(QString::number(version)));
    const int declared = PX_get_value(doc, "codepage", &value) == 0 ? int(std::lround(value)) : 0;
    codePageFromHeader = declared > 0;
    codePageNumber = codePageFromHeader ? declared : fallbackCodePage;
    if (codePageNumber > 0) {
        QString why;
        codePage = TCodePage::Find(codePageNumber, &why);
        if (!codePage)
            Refuse(why);
    }
    ReadFieldList();

    // The library read the same size that was checked above, or the file is not what it seemed.
    if (PX_get_recordsize(doc) != recordSize)
        Refuse(msg::DamagedHeader(msg::LibraryDisagrees()));
    int sum = 0;
    for (const TParadoxField& f : fields)
        sum += f.Length;
    if (sum != recordSize)
        Refuse(msg::DamagedHeader(msg::FieldsDoNotFillRecord(sum, recordSize)));
    wanted.assign(fields.size(), true);
}

void TParadoxTable::State::ReadFieldList()
{
    const int count = PX_get_num_fields(doc);
    pxfield_t* list = PX_get_fields(doc);
    if (count < 1 || count > kMaxFields || !list)
        Refuse(msg::DamagedHeader(msg::BadFieldCount(count)));
    for (int i = 0; i < count; ++i) {
        const pxfield_t& f = list[i];
        const std::optional<TParadoxType> type = TypeOf(static_cast<unsigned char>(f.px_ftype));
        const QByteArray rawName = f.px_fname ? QByteArray(f.px_fname, int(strnlen(f.px_fname, 256))) : QByteArray();
        QString name;
        if (!codePage || !codePage->Decode(rawName.constData(), rawName.size(), name, nullptr))
            name = QString::fromLatin1(rawName);
        if (!type)
            Refuse(msg::DamagedHeader(msg::UnknownFieldType(name, static_cast<unsigned char>(f.px_ftype))));
        TParadoxField field{name, *type, f.px_flen, *type == TParadoxType::Bcd ? f.px_fdc : 0};
        if (name.trimmed().isEmpty() || !WidthFits(field))
            Refuse(msg::DamagedHeader(msg::BadField(name, TypeName(*type), f.px_flen)));
        for (const TParadoxField& before : fields)
            if (before.Name.compare(name, Qt::CaseInsensitive) == 0)
                Refuse(msg::DamagedHeader(msg::FieldTwice(name)));
        fields.push_back(field);
    }
}

void TParadoxTable::State::Decode(const char* bytes, qsizetype size, int field, TParadoxRow& row) const
{
    if (!codePage) {
        row.Faults.push_back({field, msg::NoCodePage()});
        return;
    }
    QString text;
    unsigned char bad = 0;
    if (codePage->Decode(bytes, size, text, &bad))
        row.Values[size_t(field)] = text;
    else
        row.Faults.push_back({field, msg::ByteWithoutCharacter(bad, codePageNumber)});
}

void TParadoxTable::State::ReadValue(const char* p, int i, TParadoxRow& row) const
{
    const TParadoxField& f = fields[size_t(i)];
    char* data = const_cast<char*>(p);
    QVariant& out = row.Values[size_t(i)];
    const auto fault = [&](const QString& reason) { row.Faults.push_back({i, reason}); };
    // A value of fixed width is stored with its sign bit set (zero and false too): all
    // bytes zero is an empty value, which the library reads as a number for some types.
    if (FixedWidth(f.Type) > 0 && std::all_of(p, p + f.Length, [](char c) { return c == 0; }))
        return;
    switch (f.Type) {
    case TParadoxType::Alpha: {
        char* text = nullptr;
        const int got = PX_get_data_alpha(doc, data, f.Length, &text);
        if (got < 0)
            fault(msg::ValueUnreadable());
        if (got > 0 && text)
            Decode(text, qsizetype(strnlen(text, size_t(f.Length))), i, row);
        if (text)
            doc->free(doc, text);
        break;
    }
    case TParadoxType::Short: {
        short value = 0;
        if (PX_get_data_short(doc, data, f.Length, &value) > 0)
            out = qint64(value);
        break;
    }
    case TParadoxType::Long:
    case TParadoxType::AutoIncrement: {
        long value = 0;
        if (PX_get_data_long(doc, data, f.Length, &value) > 0)
            out = qint64(value);
        break;
    }
    case TParadoxType::Number:
    case TParadoxType::Currency: {
        double value = 0;
        if (PX_get_data_double(doc, data, f.Length, &value) > 0) {
            if (std::isfinite(value))
                out = value;
            else
                fault(msg::NotANumber());
        }
        break;
    }
    case TParadoxType::Logical: {
        char value = 0;
        if (PX_get_data_byte(doc, data, f.Length, &value) > 0)
            out = value != 0;
        break;
    }
    case TParadoxType::Date: {
        long days = 0;
        if (PX_get_data_long(doc, data, f.Length, &days) <= 0)
            break;
        int y = 0, m = 0, d = 0;
        if (days > 0 && days < 4000000)
            PX_SdnToGregorian(days + kDayZero, &y, &m, &d);
        const QDate date(y, m, d);
        if (date.isValid() && y >= 1 && y <= 9999)
            out = date;
        else
            fault(msg::NotADate(qint64(days)));
        break;
    }
    case TParadoxType::Time: {
        long ms = 0;
        if (PX_get_data_long(doc, data, f.Length, &ms) <= 0)
            break;
        if (ms >= 0 && ms < long(kMsPerDay))
            out = QTime::fromMSecsSinceStartOfDay(int(ms));
        else
            fault(msg::NotATime(qint64(ms)));
        break;
    }
    case TParadoxType::Timestamp: {
        double ms = 0;
        if (PX_get_data_double(doc, data, f.Length, &ms) <= 0)
            break;
        // Milliseconds from the same origin as dates: whole days, then the time of day.
        const double days = std::isfinite(ms) ? std::floor(ms / kMsPerDay) : -1;
        int y = 0, m = 0, d = 0;
        if (days > 0 && days < 4000000)
            PX_SdnToGregorian(long(days) + kDayZero, &y, &m, &d);
        const QDate date(y, m, d);
        const auto inDay = qint64(std::llround(ms - days * kMsPerDay));
        if (date.isValid() && y >= 1 && y <= 9999 && inDay >= 0 && inDay < qint64(kMsPerDay))
            out = QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(inDay)));
        else
            fault(msg::NotATimestamp(ms));
        break;
    }
    case TParadoxType::Bcd: {
        char* text = nullptr;
        const int got = PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), f.Decimals, &text);
        if (got < 0)
            fault(msg::ValueUnreadable());
        if (got > 0 && text) {
            const QByteArray written(text, int(strnlen(text, 64)));
            bool ok = false;
            const double value = written.toDouble(&ok);
            // Kept only as the double the company stores it in, and only when that double
            // is the same number: a BCD of 20 digits is refused, never rounded unseen.
            if (ok && std::isfinite(value)
                && CanonicalDecimal(QByteArray::number(value, 'f', QLocale::FloatingPointShortest)) == CanonicalDecimal(written))
                out = value;
            else
                fault(msg::BcdNotExact(QString::fromLatin1(written)));
        }
        if (text)
            doc->free(doc, text);
        break;
    }
    case TParadoxType::Bytes: {
        char* bytes = nullptr;
        const int got = PX_get_data_bytes(doc, data, f.Length, &bytes);
        if (got > 0 && bytes)
            out = QByteArray(bytes, f.Length);
        if (bytes)
            doc->free(doc, bytes);
        break;
    }
    case TParadoxType::Memo:
    case TParadoxType::Blob:
    case TParadoxType::FormattedMemo:
    case TParadoxType::Ole:
    case TParadoxType::Graphic: {
        QByteArray value;
        QString why;
        if (!ReadBlobField(memo.get(), p, f.Length, value, why))
            fault(why);
        else if (!value.isNull() && f.Type == TParadoxType::Memo)
            Decode(value.constData(), value.size(), i, row);
        else if (!value.isNull())
            out = value;
        break;
    }
    }
}

TParadoxTable::TParadoxTable(std::unique_ptr<State> state) : state_(std::move(state)) {}
TParadoxTable::~TParadoxTable() = default;

std::unique_ptr<TParadoxTable> TParadoxTable::Open(const QString& path, int fallbackCodePage)
{
    auto state = std::make_unique<State>();
    const QFileInfo info(path);
    state->fileName = info.fileName();
    if (!info.isFile())
        state->Refuse(info.exists() ? msg::NotARegularFile() : msg::FileMissing());
    state->stream = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!state->stream)
        state->Refuse(QString::fromLocal8Bit(std::strerror(errno)));
    // Header, blocks and rows are all read through this one stream, so that all see one file.
    struct stat stat {};
    if (fstat(fileno(state->stream), &stat) != 0 || !S_ISREG(stat.st_mode))
        state->Refuse(msg::NotARegularFile());
    unsigned char head[kFixedHeader] = {};
    if (stat.st_size < kFixedHeader || pread(fileno(state->stream), head, sizeof head, 0) != qint64(sizeof head))
        state->Refuse(msg::FileTooShort());
    state->Open(head, stat.st_size, fallbackCodePage);

    const bool needsMemo = std::any_of(state->fields.begin(), state->fields.end(),
                                       [](const TParadoxField& f) { return InMemoFile(f.Type); });
    if (needsMemo) {
        // Beside the table, under its name with ".MB", in whatever case the files were copied.
        const QString wanted = info.completeBaseName() + QStringLiteral(".MB");
        const QStringList found = info.dir().entryList({wanted}, QDir::Files | QDir::Hidden | QDir::System);
        QString name = found.contains(wanted) ? wanted : found.value(0);
        if (name.isEmpty())
            state->Refuse(msg::MemoFileMissing(wanted));
        QString why;
        state->memo = TMemoFile::Open(info.dir().filePath(name), &why);
        if (!state->memo)
            state->Refuse(msg::MemoFileUnreadable(name, why));
        state->memoName = name;
    }
    return std::unique_ptr<TParadoxTable>(new TParadoxTable(std::move(state)));
}

std::unique_ptr<TParadoxTable> TParadoxTable::FromBytes(const QByteArray& table, const std::optional<QByteArray>& memo,
                                                        int fallbackCodePage)
{
    auto state = std::make_unique<State>();
    state->fileName = msg::InMemoryTable();
    state->bytes = table;
    if (state->bytes.size() < kFixedHeader)
        state->Refuse(msg::FileTooShort());
    state->Open(reinterpret_cast<const unsigned char*>(state->bytes.constData()), state->bytes.size(), fallbackCodePage);
    if (memo) {
        QString why;
        state->memo = TMemoFile::FromBytes(*memo, &why);
        if (!state->memo)
            state->Refuse(msg::MemoFileUnreadable(msg::InMemoryMemo(), why));
        state->memoName = msg::InMemoryMemo();
    }
    return std::unique_ptr<TParadoxTable>(new TParadoxTable(std::move(state)));
}

const QString& TParadoxTable::FileName() const { return state_->fileName; }
const std::vector<TParadoxField>& TParadoxTable::Fields() const { return state_->fields; }
qint64 TParadoxTable::RowCount() const { return state_->rows; }
int TParadoxTable::FileVersion() const { return state_->version; }
int TParadoxTable::CodePage() const { return state_->codePage ? state_->codePageNumber : 0; }
bool TParadoxTable::CodePageFromHeader() const { return state_->codePageFromHeader; }
QString TParadoxTable::MemoFileName() const { return state_->memoName; }

void TParadoxTable::ReadFields(const std::vector<bool>& wanted)
{
    state_->wanted = wanted;
    state_->wanted.resize(state_->fields.size(), false);
}

bool TParadoxTable::Next(TParadoxRow& row)
{
    State& s = *state_;
    if (s.next >= s.rows)
        return false;
    // The blocks hold as many rows as the header counts (WalkBlocks): one is left.
    while (s.inBlock >= s.blocks[s.block].Rows) {
        ++s.block;
        s.inBlock = 0;
        s.loaded = false;
    }
    const TDataBlock& block = s.blocks[s.block];
    if (!s.loaded) {
        // A block's rows at once (a few KiB): a read for each block, not for each row.
        s.rowsOfBlock.resize(size_t(block.Rows * s.recordSize));
        if (!s.ReadAt(block.Offset, s.rowsOfBlock.data(), qint64(s.rowsOfBlock.size())))
            s.Refuse(msg::RowUnreadable(s.next + 1));
        s.loaded = true;
    }
    const char* p = s.rowsOfBlock.data() + s.inBlock++ * s.recordSize;
    row.Number = ++s.next;
    row.Values.assign(s.fields.size(), QVariant());
    row.Faults.clear();
    for (size_t i = 0; i < s.fields.size(); ++i) {
        if (s.wanted[i])
            s.ReadValue(p, int(i), row);
        p += s.fields[i].Length;
    }
    return true;
}

TParadoxContents ReadParadoxTable(const QByteArray& table, const std::optional<QByteArray>& memo, int fallbackCodePage,
                                  qint64 maxRows)
{
    TParadoxContents contents;
    try {
        auto reader = TParadoxTable::FromBytes(table, memo, fallbackCodePage);
        contents.Fields = reader->Fields();
        TParadoxRow row;
        while (qint64(contents.Rows.size()) < maxRows && reader->Next(row))
            contents.Rows.push_back(row);
    } catch (const EParadoxFile& e) {
        contents.Refusal = e.Message();
    }
    return contents;
}

} // namespace paradox
