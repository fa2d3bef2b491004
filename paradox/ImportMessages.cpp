#include "paradox/ImportMessages.h"

#include <QLocale>

namespace paradox::msg {

QString FileUnreadable(const QString& file, const QString& reason)
{
    return QStringLiteral("Fisierul %1 nu poate fi citit: %2.").arg(file, reason);
}
QString FileMissing() { return QStringLiteral("nu exista"); }
QString NotARegularFile() { return QStringLiteral("nu este un fisier obisnuit"); }
QString FileTooShort() { return QStringLiteral("este prea scurt pentru antetul unei tabele Paradox"); }
QString NotATable(int fileType)
{
    return QStringLiteral("nu este o tabela Paradox cu date (tipul fisierului este %1, poate un index)").arg(fileType);
}
QString UnsupportedVersion(const QString& version)
{
    return QStringLiteral("versiunea %1 a formatului Paradox nu este cunoscuta").arg(version);
}
QString DamagedHeader(const QString& detail) { return QStringLiteral("antetul este deteriorat (%1)").arg(detail); }
QString BadBlockSize(int kib) { return QStringLiteral("blocuri de %1 KiB").arg(kib); }
QString BadFieldCount(int fields) { return QStringLiteral("%1 campuri").arg(fields); }
QString BadRecordSize(int bytes) { return QStringLiteral("inregistrari de %1 octeti").arg(bytes); }
QString BadHeaderSize(qint64 bytes) { return QStringLiteral("antet de %1 octeti").arg(bytes); }
QString TooManyRecords(qint64 records, qint64 blocks)
{
    return QStringLiteral("%1 inregistrari in %2 blocuri").arg(records).arg(blocks);
}
QString BrokenBlockChain(qint64 block)
{
    return QStringLiteral("lantul blocurilor de date se rupe la blocul %1").arg(block);
}
QString DamagedBlock(qint64 block, qint64 bytes)
{
    return QStringLiteral("blocul de date %1 este deteriorat (spune ca tine %2 octeti de inregistrari)").arg(block).arg(bytes);
}
QString RowCountWrong(qint64 declared, qint64 held)
{
    return QStringLiteral("tabela este deteriorata (antetul ei numara %1 inregistrari, iar blocurile de date tin %2)")
        .arg(declared)
        .arg(held);
}
QString Truncated(qint64 size, qint64 needed)
{
    return QStringLiteral("este trunchiat (are %1 octeti, antetul cere %2)").arg(size).arg(needed);
}
QString LibraryRefused() { return QStringLiteral("biblioteca Paradox nu l-a putut citi"); }
QString LibraryDisagrees() { return QStringLiteral("biblioteca Paradox l-a citit altfel"); }
QString FieldsDoNotFillRecord(int fields, int record)
{
    return QStringLiteral("campurile au %1 octeti, inregistrarea %2").arg(fields).arg(record);
}
QString UnknownFieldType(const QString& field, int code)
{
    return QStringLiteral("campul %1 are tipul necunoscut 0x%2").arg(field).arg(code, 2, 16, QLatin1Char('0'));
}
QString BadField(const QString& field, const QString& type, int length)
{
    return QStringLiteral("campul %1, de tip %2, are lungimea %3").arg(field, type).arg(length);
}
QString FieldTwice(const QString& field) { return QStringLiteral("campul %1 apare de doua ori").arg(field); }
QString OutOfMemory() { return QStringLiteral("nu este destula memorie"); }
QString Encrypted()
{
    return QStringLiteral("tabela este protejata cu parola; scoateti parola in programul vechi, apoi incercati din nou");
}
QString UnknownCodePage(int number)
{
    return QStringLiteral("pagina de cod %1 nu este cunoscuta").arg(number);
}
QString MultiByteCodePage(int number)
{
    return QStringLiteral("pagina de cod %1 nu are un octet pe caracter").arg(number);
}
QString MemoFileMissing(const QString& name)
{
    return QStringLiteral("tabela are campuri memo sau BLOB, dar fisierul %1 lipseste").arg(name);
}
QString MemoFileUnreadable(const QString& name, const QString& reason)
{
    return QStringLiteral("fisierul memo %1 nu poate fi citit (%2)").arg(name, reason);
}
QString NotAMemoFile() { return QStringLiteral("nu este un fisier memo Paradox"); }
QString RowUnreadable(qint64 row) { return QStringLiteral("inregistrarea %1 nu poate fi citita").arg(row); }
QString InMemoryTable() { return QStringLiteral("(tabela)"); }
QString InMemoryMemo() { return QStringLiteral("(memo)"); }

QString ParadoxTypeName(int type)
{
    // In the order of TParadoxType.
    static const char* const names[] = {"alfanumeric", "data",    "intreg scurt",  "intreg lung",  "valoare monetara",
                                        "numar",       "logic",   "memo",          "BLOB",         "memo formatat",
                                        "OLE",         "grafic",  "ora",           "data si ora",  "autoincrement",
                                        "BCD",         "octeti"};
    return type >= 0 && type < int(std::size(names)) ? QString::fromLatin1(names[type]) : QString::number(type);
}

QString NoCodePage()
{
    return QStringLiteral("antetul tabelei nu spune pagina de cod a textelor; dati-o cu optiunea --codepage");
}
QString ByteWithoutCharacter(unsigned char byte, int codePage)
{
    return QStringLiteral("octetul 0x%1 nu este un caracter in pagina de cod %2")
        .arg(int(byte), 2, 16, QLatin1Char('0'))
        .arg(codePage);
}
QString ValueUnreadable() { return QStringLiteral("valoarea nu poate fi citita"); }
QString NotANumber() { return QStringLiteral("valoarea nu este un numar"); }
QString NotADate(qint64 days) { return QStringLiteral("%1 nu este o data (zile)").arg(days); }
QString NotATime(qint64 ms) { return QStringLiteral("%1 nu este o ora (milisecunde)").arg(ms); }
QString NotATimestamp(double ms) { return QStringLiteral("%1 nu este o data si ora").arg(ms, 0, 'g', 17); }
QString BcdNotExact(const QString& value)
{
    return QStringLiteral("valoarea %1 nu poate fi pastrata exact ca numar").arg(value);
}
QString MemoPointerMissing(quint32 size)
{
    return QStringLiteral("memo de %1 octeti fara loc in fisierul memo").arg(size);
}
QString MemoFileMissingForValue() { return QStringLiteral("valoarea este in fisierul memo, care lipseste"); }
QString MemoPointerOutside(qint64 offset, qint64 fileSize)
{
    return QStringLiteral("valoarea ar fi la octetul %1, dincolo de fisierul memo de %2 octeti").arg(offset).arg(fileSize);
}
QString MemoBlockWrong(qint64 block)
{
    return QStringLiteral("blocul %1 al fisierului memo nu tine valoarea").arg(block);
}
QString MemoSizeWrong(qint64 block, quint32 size, quint32 stored)
{
    return QStringLiteral("valoarea are %1 octeti, dar blocul %2 al fisierului memo tine %3").arg(size).arg(block).arg(stored);
}

QString NotAnInteger(double value)
{
    return QStringLiteral("valoarea %1 nu este un numar intreg").arg(value, 0, 'g', 17);
}
QString OutOfRange(double value, qint64 low, qint64 high)
{
    return QStringLiteral("valoarea %1 este in afara domeniului campului (%2 .. %3)").arg(value, 0, 'g', 17).arg(low).arg(high);
}
QString TooLong(qint64 length, int width)
{
    return QStringLiteral("textul are %1 caractere, campul tine cel mult %2").arg(length).arg(width);
}
QString TimeWouldBeLost(const QDateTime& moment)
{
    return QStringLiteral("campul tine doar data, iar ora din %1 s-ar pierde").arg(moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
}
QString FieldTypeMismatchShort() { return QStringLiteral("campul firmei nu poate tine o asemenea valoare"); }
QString CompanyTypeName(fw::TFieldType type)
{
    switch (type) {
    case fw::TFieldType::String: return QStringLiteral("text");
    case fw::TFieldType::Smallint:
    case fw::TFieldType::Integer:
    case fw::TFieldType::Word: return QStringLiteral("intreg");
    case fw::TFieldType::Float: return QStringLiteral("numar");
    case fw::TFieldType::Currency: return QStringLiteral("valoare monetara");
    case fw::TFieldType::Boolean: return QStringLiteral("logic");
    case fw::TFieldType::Date: return QStringLiteral("data");
    case fw::TFieldType::DateTime: return QStringLiteral("data si ora");
    default: return QStringLiteral("necunoscut");
    }
}

QString FieldNotInCompany(const QString& file, const QString& field, const QString& table)
{
    return QStringLiteral("%1: campul %2 nu exista in tabela %3 a firmei si nu a fost preluat.").arg(file, field, table);
}
QString FieldLeftOut(const QString& file, const QString& field, const QString& type)
{
    return QStringLiteral("%1: campul %2, de tip %3, nu are loc in firma si nu a fost preluat.").arg(file, field, type);
}
QString FieldTypeMismatch(const QString& file, const QString& field, const QString& type, const QString& companyType)
{
    return QStringLiteral("%1: campul %2 este de tip %3, dar in firma este de tip %4.").arg(file, field, type, companyType);
}
QString FieldMissingStaysEmpty(const QString& table, const QString& field, const QString& file)
{
    return QStringLiteral("%1: campul %2 lipseste din fisierul %3 si ramane gol.").arg(table, field, file);
}
QString FileTwice(const QString& what, const QString& first, const QString& second)
{
    return QStringLiteral("%1 apare de doua ori in director: %2 si %3.").arg(what, first, second);
}
QString UnknownTableLeftOut(const QString& file)
{
    return QStringLiteral("%1 nu este o tabela a firmei si nu a fost preluata.").arg(file);
}
QString TableMissingMadeEmpty(const QString& table)
{
    return QStringLiteral("%1 lipseste din director; tabela a fost creata goala.").arg(table);
}
QString SettingsUnreadable(const QString& file, const QString& reason)
{
    return QStringLiteral("Fisierul %1 nu poate fi citit: %2.").arg(file, reason);
}
QString NoSettingsFile(const QString& name)
{
    return QStringLiteral("%1 lipseste din director; firma porneste cu setarile implicite.").arg(name);
}
QString SourceMissing(const QString& directory) { return QStringLiteral("Directorul <%1> nu exista!").arg(directory); }
QString NoCompanyTables(const QString& directory, const QStringList& lookedFor)
{
    return QStringLiteral("Directorul <%1> nu contine nicio tabela Paradox a firmei (s-au cautat, fara deosebire intre "
                          "litere mari si mici: %2); nu a fost creat nimic.")
        .arg(directory, lookedFor.join(QStringLiteral(", ")));
}
QString SameDirectory() { return QStringLiteral("Firma nu poate fi importata in directorul din care este citita."); }
QString TargetNotADirectory(const QString& path)
{
    return QStringLiteral("<%1> nu este un director; firma se importa doar intr-un director nou sau gol.").arg(path);
}
QString TargetHoldsFile(const QString& directory, const QString& name)
{
    return QStringLiteral("Directorul <%1> nu este gol (contine %2); firma se importa doar intr-un director nou, gol sau "
                          "numai cu fisierul de conectare la server. Nu a fost scris nimic.")
        .arg(directory, name);
}
QString TargetNotEmpty(const QString& database, const QString& table)
{
    return QStringLiteral("Baza de date %1 contine deja tabela %2; firma se importa doar intr-o baza de date goala.")
        .arg(database, table);
}
QString EarlierImportFinished(const QString& database, const QString& file)
{
    return QStringLiteral("Baza de date %1 tine deja firma unui import oprit dupa ce a scris-o, dar inainte de a pune la "
                          "locul lui fisierul %2; acesta a fost pus acum la locul lui, iar firma se poate deschide. Nu s-a "
                          "importat nimic din nou.")
        .arg(database, file);
}

QString ImportRefused(const QStringList& problems)
{
    return QStringLiteral("Firma nu a fost importata; nu a fost scris nimic.\n") + problems.join(QLatin1Char('\n'));
}
QString ValueProblem(const QString& file, qint64 row, const QString& field, const QString& reason)
{
    return QStringLiteral("%1, inregistrarea %2, campul %3: %4.").arg(file).arg(row).arg(field, reason);
}
QString MoreProblems(int shown) { return QStringLiteral("... si alte probleme dupa primele %1.").arg(shown); }
QString DuplicateKey(const QString& file, const QString& key, qint64 firstRow, qint64 secondRow, const QStringList& values)
{
    return QStringLiteral("%1: inregistrarile %2 si %3 au aceeasi cheie %4 (%5).")
        .arg(file)
        .arg(firstRow)
        .arg(secondRow)
        .arg(key, values.join(QStringLiteral(", ")));
}
QString KeyViolationIn(const QString& file, const QString& engineText)
{
    return QStringLiteral("%1: doua inregistrari au aceeasi cheie (%2).").arg(file, engineText);
}
QString SumTooLarge(double value)
{
    return QStringLiteral("cu valoarea %1, suma valorilor campului trece de cel mai mare numar pe care il tine baza de date, "
                          "iar ce se scrie nu mai poate fi comparat cu ce s-a citit; valoarea pare deteriorata")
        .arg(QString::number(value, 'g', QLocale::FloatingPointShortest));
}
QString ImportMismatch(const QString& table, const QString& measure, double read, double stored)
{
    return QStringLiteral("Tabela %1 nu a fost scrisa intocmai (%2: %3 citit, %4 scris); nu a fost importat nimic.")
        .arg(table, measure)
        .arg(read, 0, 'g', 15)
        .arg(stored, 0, 'g', 15);
}
QString CannotMakeDirectory(const QString& directory)
{
    return QStringLiteral("Directorul <%1> nu poate fi creat.").arg(directory);
}
QString SettingsNotWritten(const QString& file) { return QStringLiteral("Fisierul %1 nu poate fi scris.").arg(file); }
QString SettingsNotPutInPlace(const QString& staged, const QString& file)
{
    return QStringLiteral("Firma a fost importata, dar fisierul %1 nu a putut fi redenumit %2; redenumiti-l, altfel firma "
                          "porneste cu setarile implicite.")
        .arg(staged, file);
}
QString ImportStopped() { return QStringLiteral("Importul a fost oprit; nu a fost scris nimic."); }

QString RowsPerSecond(qint64 rows) { return QStringLiteral("%1 inregistrari/s").arg(rows); }

QString NoReadingThread()
{
    return QStringLiteral("Importul nu a putut porni citirea tabelelor: sistemul nu mai are resurse pentru inca un fir de "
                          "executie. Inchideti alte programe si porniti importul din nou; nu a fost importat nimic.");
}

} // namespace paradox::msg
