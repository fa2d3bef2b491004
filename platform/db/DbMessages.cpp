#include "platform/db/DbMessages.h"

#include "platform/core/Formats.h"

#include <QDir>

namespace fw::dbmsg {

namespace {
const QString kChangedOrDeleted = QStringLiteral("Inregistrarea a fost modificata sau stearsa de alt utilizator.");
} // namespace

QString PostConflict()
{
    return kChangedOrDeleted + QStringLiteral("\rModificarile nu au fost salvate. Anulati-le pentru a vedea datele actuale.");
}

QString DeleteConflict()
{
    return kChangedOrDeleted + QStringLiteral("\rInregistrarea nu a fost stearsa; acum sunt afisate datele actuale.");
}

QString EditChanged()
{
    return QStringLiteral("Inregistrarea a fost modificata de alt utilizator.\rAcum sunt afisate datele actuale; reluati "
                          "modificarea.");
}

QString EditDeleted() { return QStringLiteral("Inregistrarea a fost stearsa de alt utilizator."); }

QString NotANumber(const QString& text, const QString& field)
{
    return QStringLiteral("'%1' nu este un numar valid pentru campul %2.\rSeparatorul zecimal este '%3'; nu se "
                          "folosesc separatori de mii.")
        .arg(text, field, QString(DefaultFormatSettings().DecimalSeparator));
}

QString NotAnInteger(const QString& text, const QString& field)
{
    return QStringLiteral("'%1' nu este un numar intreg valid pentru campul %2.").arg(text, field);
}

QString OutOfRange(const QString& text, const QString& field, qint64 low, qint64 high)
{
    return QStringLiteral("Valoarea %1 este in afara domeniului campului %2 (de la %3 la %4).")
        .arg(text, field)
        .arg(low)
        .arg(high);
}

QString NotADate(const QString& text, const QString& field)
{
    return QStringLiteral("'%1' nu este o data valida pentru campul %2.").arg(text, field);
}

QString MissingDatabase(const QString& file)
{
    return QStringLiteral("Baza de date <%1> nu exista.").arg(QDir::toNativeSeparators(file));
}

QString NotACompany(const QString& file)
{
    return QStringLiteral("Fisierul <%1> nu este baza de date a unei firme.").arg(QDir::toNativeSeparators(file));
}

QString ReadOnlyDatabase() { return QStringLiteral("Baza de date poate fi doar citita: modificarea nu a fost salvata."); }

} // namespace fw::dbmsg
