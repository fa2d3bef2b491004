#include "platform/db/DbMessages.h"

#include "platform/core/Formats.h"

#include <QDir>
#include <QRegularExpression>

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

QString NotFinite(const QString& field)
{
    return QStringLiteral("Valoarea calculata pentru campul %1 este in afara domeniului numerelor: una dintre valorile din "
                          "care se calculeaza este prea mare.\rVerificati valorile inregistrarii.")
        .arg(field);
}

QString UnreadableValue(const QString& table, const QString& field, const QString& row)
{
    return QStringLiteral("Valoarea campului %1 din tabela %2 (%3) nu poate fi citita: este deteriorata sau in afara "
                          "domeniului campului.\rIntroduceti din nou valoarea corecta a campului sau refaceti firma "
                          "dintr-o copie de siguranta.")
        .arg(field, table, row);
}

QString RowNamed(const QString& keyValues, qint64 number)
{
    return keyValues.isEmpty() ? QStringLiteral("inregistrarea nr. %1").arg(number)
                               : QStringLiteral("inregistrarea cu %1").arg(keyValues);
}

QString ErrorMark() { return QStringLiteral("#EROARE"); }

namespace {
const QString kRebuild = QStringLiteral("\rTabela a fost facuta sau schimbata de alt program; refaceti-o sau refaceti firma "
                                        "dintr-o copie de siguranta.");
} // namespace

QString MissingTable(const QString& table)
{
    return QStringLiteral("Tabela %1 nu exista in baza de date a firmei.").arg(table);
}

QString MissingColumn(const QString& table, const QString& field)
{
    return QStringLiteral("Tabela %1 nu are campul %2.").arg(table, field) + kRebuild;
}

QString ColumnOfAnotherType(const QString& table, const QString& field, const QString& expected, const QString& actual)
{
    return QStringLiteral("Campul %1 din tabela %2 este de tipul %3 in loc de %4.").arg(field, table, actual, expected) + kRebuild;
}

QString ColumnOfAnotherWidth(const QString& table, const QString& field, int expected, int actual)
{
    return QStringLiteral("Campul %1 din tabela %2 are latimea %3 in loc de %4.").arg(field, table).arg(actual).arg(expected)
           + kRebuild;
}

QString MissingKey(const QString& table)
{
    return QStringLiteral("Tabela %1 nu are cheia dupa care este cautata.").arg(table) + kRebuild;
}

QString DatabaseBusy(const QString& database)
{
    return QStringLiteral("Baza de date <%1> este ocupata: alt program sau alt utilizator o modifica si nu a eliberat-o la "
                          "timp.\rModificarea nu a fost salvata. Reluati operatia peste cateva momente; daca nu reuseste "
                          "nici atunci, inchideti firma in celelalte programe.")
        .arg(QDir::toNativeSeparators(database));
}

QString DiskFull(const QString& database)
{
    return QStringLiteral("Discul pe care se afla baza de date <%1> este plin: modificarea nu a fost salvata.\rFaceti loc "
                          "pe disc (stergeti fisierele de care nu mai este nevoie) si reluati operatia.")
        .arg(QDir::toNativeSeparators(database));
}

QString DiskError(const QString& database)
{
    return QStringLiteral("Discul pe care se afla baza de date <%1> a raportat o eroare de citire sau scriere: operatia "
                          "nu a fost facuta.\rVerificati discul si locul liber de pe el, apoi reluati operatia.")
        .arg(QDir::toNativeSeparators(database));
}

QString DatabaseDamaged(const QString& where)
{
    return QStringLiteral("Baza de date a firmei (<%1>) este deteriorata: o parte din ea nu poate fi citita, iar ce s-ar "
                          "citi de acolo nu este de incredere. Operatia nu a fost facuta.\rRefaceti firma dintr-o copie "
                          "de siguranta (in pelmaris, \"Sistem > Verificare firma\" arata ce este deteriorat).")
        .arg(QDir::toNativeSeparators(where));
}

QString OpeningDiskFull()
{
    return QStringLiteral("discul este plin.\rFaceti loc pe disc (stergeti fisierele de care nu mai este nevoie) si "
                          "deschideti din nou firma.");
}

QString OpeningDiskError()
{
    return QStringLiteral("discul a raportat o eroare de citire sau scriere.\rVerificati discul si locul liber de pe el, "
                          "apoi deschideti din nou firma.");
}

QString OpeningFileUnusable()
{
    return QStringLiteral("fisierul bazei de date nu poate fi deschis.\rVerificati ca aveti drept de citire si scriere "
                          "asupra lui si asupra directorului firmei.");
}

QString OpeningBusy()
{
    return QStringLiteral("alt program o tine blocata.\rIncercati din nou peste cateva momente; daca nu reuseste nici "
                          "atunci, inchideti firma in celelalte programe.");
}

QString OpeningEngineText(const QString& engineText)
{
    return QStringLiteral("motorul bazei de date a raportat: %1").arg(engineText);
}

QString MissingDatabase(const QString& file)
{
    return QStringLiteral("Baza de date <%1> nu exista.").arg(QDir::toNativeSeparators(file));
}

QString NotACompany(const QString& file)
{
    return QStringLiteral("Fisierul <%1> nu este baza de date a unei firme.").arg(QDir::toNativeSeparators(file));
}

namespace {

// The first text between double quotes in an engine's message; empty when there is none.
QString FirstQuoted(const QString& message)
{
    const qsizetype open = message.indexOf(QLatin1Char('"'));
    const qsizetype close = open < 0 ? -1 : message.indexOf(QLatin1Char('"'), open + 1);
    return close < 0 ? QString() : message.mid(open + 1, close - open - 1);
}

// Why the client could not reach the server, and what to do, for the texts it is known to
// give (libpq's, in English whatever the locale); empty for any other.
QString UnreachableReason(const QString& text)
{
    const auto has = [&](const char* part) { return text.contains(QLatin1String(part), Qt::CaseInsensitive); };
    if (has("Connection refused"))
        return QStringLiteral("serverul nu primeste conexiuni (nu este pornit, sau asculta pe alt port).\rPorniti "
                              "serverul sau corectati host= si port= in fisierul de conectare al firmei.");
    if (has("could not translate host name") || has("Name or service not known") || has("name resolution"))
        return QStringLiteral("numele serverului nu este cunoscut in retea.\rCorectati host= in fisierul de conectare al "
                              "firmei sau verificati reteaua.");
    if (has("timeout expired") || has("timed out"))
        return QStringLiteral("serverul nu a raspuns in timpul permis.\rVerificati reteaua si ca serverul este pornit, "
                              "apoi incercati din nou.");
    if (has("No route to host") || has("Network is unreachable"))
        return QStringLiteral("reteaua nu ajunge la server.\rVerificati legatura la retea, apoi incercati din nou.");
    if (has("password authentication failed") || has("no password supplied") || has("authentication failed"))
        return QStringLiteral("serverul nu a primit parola corecta a utilizatorului.\rScrieti parola in fisierul "
                              "~/.pgpass al utilizatorului (sau in variabila de mediu PGPASSWORD).");
    if (has("no pg_hba.conf entry"))
        return QStringLiteral("serverul nu permite acestui utilizator sa se conecteze de pe acest calculator.\rCereti "
                              "administratorului serverului accesul.");
    if (has("database \"") && has("does not exist"))
        return QStringLiteral("baza de date %1 nu exista pe server.\rCorectati database= in fisierul de conectare al "
                              "firmei, sau cereti administratorului serverului sa o creeze.")
            .arg(FirstQuoted(text));
    if (has("role \"") && has("does not exist"))
        return QStringLiteral("utilizatorul %1 nu exista pe server.\rCorectati user= in fisierul de conectare al firmei, "
                              "sau cereti administratorului serverului sa il creeze.")
            .arg(FirstQuoted(text));
    if (has("No such file or directory"))
        return QStringLiteral("pe acest calculator nu ruleaza niciun server (nu exista punctul lui de conectare).\rPorniti "
                              "serverul, sau scrieti in fisierul de conectare al firmei calculatorul lui (host=).");
    if (has("too many") || has("remaining connection slots"))
        return QStringLiteral("serverul are deja prea multe conexiuni deschise.\rIncercati din nou peste cateva momente.");
    if (has("starting up") || has("shutting down") || has("in recovery mode"))
        return QStringLiteral("serverul porneste sau se opreste.\rIncercati din nou peste cateva momente.");
    if (has("SSL"))
        return QStringLiteral("conexiunea criptata (SSL) ceruta nu a putut fi stabilita.\rVerificati sslmode= in fisierul "
                              "de conectare al firmei, sau cereti administratorului serverului sa o permita.");
    return QString();
}

} // namespace

QString ServerUnreachable(const QString& server, const QString& engineMessage)
{
    const QString reason = UnreachableReason(engineMessage);
    if (!reason.isEmpty())
        return QStringLiteral("Serverul bazei de date <%1> nu poate fi contactat: %2").arg(server, reason);
    return QStringLiteral("Serverul bazei de date <%1> nu poate fi contactat.\rVerificati ca serverul este pornit si "
                          "fisierul de conectare al firmei. Clientul PostgreSQL a raportat: %2")
        .arg(server, engineMessage);
}

QString ServerError(const QString& state, const QString& message, const QString& server)
{
    const QString name = FirstQuoted(message);
    if (state == QLatin1String("42P01"))
        return QStringLiteral("Tabela %1 nu exista in baza de date de pe serverul <%2>: firma de acolo nu este completa, "
                              "sau fisierul de conectare numeste alta schema.\rVerificati schema= in fisierul de "
                              "conectare al firmei, sau refaceti firma pe server.")
            .arg(name, server);
    if (state == QLatin1String("3F000"))
        return QStringLiteral("Schema %1 nu exista in baza de date de pe serverul <%2>.\rVerificati schema= in fisierul "
                              "de conectare al firmei.")
            .arg(name, server);
    if (state == QLatin1String("42939"))
        return QStringLiteral("Numele de schema %1 nu poate fi folosit pe serverul <%2>: numele care incep cu \"pg_\" "
                              "sunt ale serverului.\rAlegeti alt nume (schema=) in fisierul de conectare al firmei.")
            .arg(name, server);
    if (state == QLatin1String("57014"))
        return message.contains(QLatin1String("timeout"), Qt::CaseInsensitive)
            ? QStringLiteral("Serverul <%1> a oprit operatia: a durat mai mult decat ii permite limita de timp "
                             "(statement_timeout). Nimic din ea nu a fost salvat.\rReluati operatia cand serverul "
                             "este mai putin ocupat, sau cereti administratorului serverului o limita mai mare.")
                  .arg(server)
            : QStringLiteral("Serverul <%1> a oprit operatia la cererea administratorului sau a altui program. Nimic "
                             "din ea nu a fost salvat.\rReluati operatia.")
                  .arg(server);
    if (state == QLatin1String("42501"))
        return QStringLiteral("Serverul <%1> nu va permite aceasta operatie: nu aveti drepturile necesare asupra bazei "
                              "de date a firmei. Nimic nu a fost salvat.\rCereti administratorului serverului "
                              "drepturile.")
            .arg(server);
    return message;
}

QString ServerConnectionLost(const QString& server)
{
    return QStringLiteral("Legatura cu serverul bazei de date <%1> s-a intrerupt: serverul a fost oprit sau reteaua nu "
                          "mai raspunde, iar operatia in curs nu a fost salvata.\rReluati operatia cand serverul este din "
                          "nou disponibil; legatura se reface singura.")
        .arg(server);
}

QString CommitOutcomeUnknown(const QString& server)
{
    return QStringLiteral("Legatura cu serverul bazei de date <%1> s-a intrerupt chiar cand operatia era salvata, iar "
                          "serverul nu poate fi intrebat acum daca a salvat-o: nu se stie daca operatia a fost salvata."
                          "\rNu o reluati inainte de a verifica: cand serverul este din nou disponibil, deschideti firma "
                          "si cautati ce scria operatia (documentul, preturile sau firma importata); reluati operatia "
                          "doar daca nu este acolo.")
        .arg(server);
}

QString ServerTooOld(const QString& server, int version)
{
    return QStringLiteral("Serverul bazei de date <%1> are PostgreSQL %2; programul are nevoie de versiunea 10 sau mai noua.")
        .arg(server, QStringLiteral("%1.%2").arg(version / 10000).arg(version / 100 % 100));
}

QString ReadOnlyDatabase() { return QStringLiteral("Baza de date poate fi doar citita: modificarea nu a fost salvata."); }

QString ConnectionFileUnreadable(const QString& file)
{
    return QStringLiteral("Fisierul de conectare <%1> nu poate fi citit.").arg(QDir::toNativeSeparators(file));
}

QString ConnectionFileWithoutDatabase(const QString& file)
{
    return QStringLiteral("Fisierul de conectare <%1> nu numeste baza de date (database=).").arg(QDir::toNativeSeparators(file));
}

QString ConnectionFileInvalid(const QString& file, const QString& problem)
{
    return QStringLiteral("Fisierul de conectare <%1> nu este valid: %2").arg(QDir::toNativeSeparators(file), problem);
}

QString ConnectionStringInvalid(const QString& problem)
{
    return QStringLiteral("Sirul de conectare nu este valid: %1").arg(problem);
}

QString ConnectionNotKeyValue(const QString& text)
{
    return QStringLiteral("'%1' nu este de forma cheie=valoare.").arg(text);
}

QString ConnectionOpenQuote(const QString& keyword)
{
    return QStringLiteral("valoarea cheii %1 incepe cu un apostrof care nu este inchis.").arg(keyword);
}

QString ConnectionKeywordUnknown(const QString& keyword)
{
    return QStringLiteral("'%1' nu este o cheie de conectare PostgreSQL (de exemplu host, port, dbname, user, sslmode, "
                          "options; si schema).")
        .arg(keyword);
}

QString ConnectionKeywordRepeated(const QString& keyword)
{
    return QStringLiteral("cheia %1 apare de doua ori.").arg(keyword);
}

QString ConnectionPassword(const QString& keyword)
{
    return QStringLiteral("parola nu se scrie aici (cheia %1): clientul serverului o ia din fisierul ~/.pgpass al "
                          "utilizatorului sau din variabila de mediu PGPASSWORD.")
        .arg(keyword);
}

QString ConnectionValueCharacter(const QString& keyword)
{
    return QStringLiteral("valoarea cheii %1 nu poate contine ';' sau caractere de control.").arg(keyword);
}

QString ConnectionValueInvalid(const QString& keyword, const QString& value, const QString& expected)
{
    return QStringLiteral("'%1' nu este o valoare valida pentru cheia %2 (%3).").arg(value, keyword, expected);
}

QString ConnectionExpectsPort() { return QStringLiteral("se asteapta un numar de port intre 1 si 65535"); }

QString ConnectionExpectsInteger() { return QStringLiteral("se asteapta un numar intreg"); }

QString ConnectionExpectsOneOf(const QStringList& choices)
{
    return QStringLiteral("se asteapta una dintre: %1").arg(choices.join(QStringLiteral(", ")));
}

QString KeyViolation(const QString& engineMessage)
{
    QString lead = QStringLiteral("Exista deja o inregistrare cu aceeasi cheie: inregistrarea nu a fost salvata.");
    // The embedded engine: "UNIQUE constraint failed: Tabela.Camp, Tabela.Camp2" or
    // "UNIQUE constraint failed: index 'nume'".
    static const QRegularExpression fields(QStringLiteral("constraint failed: ((\\w+)\\.\\w+(?:, \\w+\\.\\w+)*)"));
    static const QRegularExpression index(QStringLiteral("constraint failed: index '([^']*)'"));
    // A server: "... unique constraint \"nume\" Key (camp, camp2)=(1, 2) already exists."
    static const QRegularExpression key(QStringLiteral("Key \\((.*)\\)=\\((.*)\\) already exists"));
    if (const QRegularExpressionMatch m = fields.match(engineMessage); m.hasMatch()) {
        QStringList names;
        for (const QString& qualified : m.captured(1).split(QStringLiteral(", ")))
            names << qualified.section(QLatin1Char('.'), 1);
        return lead + QStringLiteral(" (tabela %1, %2 %3)")
                          .arg(m.captured(2), names.size() > 1 ? QStringLiteral("campurile") : QStringLiteral("campul"),
                               names.join(QStringLiteral(", ")));
    }
    if (const QRegularExpressionMatch m = key.match(engineMessage); m.hasMatch()) {
        const bool several = m.captured(1).contains(QLatin1Char(','));
        return lead + QStringLiteral(" (%1 %2 = %3)")
                          .arg(several ? QStringLiteral("campurile") : QStringLiteral("campul"), m.captured(1), m.captured(2));
    }
    if (const QRegularExpressionMatch m = index.match(engineMessage); m.hasMatch())
        return lead + QStringLiteral(" (indexul %1)").arg(m.captured(1));
    if (const QString constraint = FirstQuoted(engineMessage); !constraint.isEmpty())
        return lead + QStringLiteral(" (indexul %1)").arg(constraint);
    return lead;
}

QString CannotOpenDatabase(const QString& directory, const QString& why)
{
    return QStringLiteral("Baza de date din <%1> nu poate fi deschisa: %2").arg(QDir::toNativeSeparators(directory), why);
}

QString EngineUnavailable(const QString& detail)
{
    const QString text = QStringLiteral("Motorul bazei de date nu este disponibil.");
    return detail.isEmpty() ? text : text + QStringLiteral(" (%1)").arg(detail);
}

QString UnknownEngineError() { return QStringLiteral("Eroare necunoscuta a bazei de date."); }

QString TransactionRolledBack()
{
    return QStringLiteral("Serverul a anulat tranzactia: una dintre instructiunile ei nu a reusit. Nimic din ea nu a fost "
                          "salvat.");
}

QString OutOfMemory() { return QStringLiteral("Memorie insuficienta."); }

QString OutputNotRegularFile(const QString& file)
{
    return QStringLiteral("<%1> nu este un fisier obisnuit (este un director, un dispozitiv sau o conducta): nu a fost "
                          "scris nimic in el.\rAlegeti un fisier obisnuit.")
        .arg(file);
}

QString OutputIsDatabaseFile(const QString& file, const QString& directory)
{
    return QStringLiteral("Fisierul <%1> este unul dintre fisierele bazei de date din <%2> (sau o alta cale catre unul "
                          "dintre ele): nu a fost scris nimic peste el.\rAlegeti un fisier din afara bazei de date.")
        .arg(file, directory);
}

QString UnusableCounter(const QString& table, const QString& field, double value, double largest)
{
    return QStringLiteral("Campul %1 din tabela %2 are valoarea %3, din care nu se poate da numarul urmatorului document: "
                          "numerele documentelor sunt numere intregi mai mici decat %4. Nu a fost scris nimic.\r"
                          "Corectati valoarea (cel mai mare numar de document folosit) si reluati operatia.")
        .arg(field, table, QString::number(value, 'g', 17), QString::number(largest, 'f', 0));
}

QString MigrationOntoItself() { return QStringLiteral("Firma nu poate fi copiata in propria ei baza de date."); }

QString MigrationTargetReadOnly(const QString& database)
{
    return QStringLiteral("Baza de date <%1> poate fi doar citita.").arg(database);
}

QString MigrationTargetHoldsTable(const QString& database, const QString& table)
{
    return QStringLiteral("Baza de date <%1> contine deja tabela %2; nu a fost schimbata nimic.").arg(database, table);
}

QString MigrationMismatch(const QString& table, const QString& measure, double source, double target)
{
    return QStringLiteral("Tabela %1 nu a fost copiata intocmai (%2: %3 in sursa, %4 in destinatie); nu a fost copiat "
                          "nimic.")
        .arg(table, measure)
        .arg(source, 0, 'g', 15)
        .arg(target, 0, 'g', 15);
}

QString RequiredField(const QString& field) { return QStringLiteral("Campul %1 trebuie completat.").arg(field); }

namespace {
// "RetetaTable: ..." names the dataset a program's mistake concerns, when it has a name.
QString Of(const QString& dataSet, const QString& text)
{
    return dataSet.isEmpty() ? text : dataSet + QStringLiteral(": ") + text;
}
} // namespace

QString NoDatabaseDirectory() { return QStringLiteral("Directorul bazei de date nu a fost stabilit."); }

QString DirectoryNotFound(const QString& directory)
{
    return QStringLiteral("Directorul bazei de date <%1> nu exista.").arg(QDir::toNativeSeparators(directory));
}

QString DirectoryUnreadable(const QString& directory)
{
    return QStringLiteral("Directorul bazei de date <%1> nu poate fi citit: nu aveti drept de acces la el sau la un "
                          "director care il contine.")
        .arg(QDir::toNativeSeparators(directory));
}

QString UnknownDatabase(const QString& database)
{
    return QStringLiteral("Baza de date %1 nu este definita.").arg(database);
}

QString UnknownDriver(const QString& driver)
{
    return QStringLiteral("Driverul de baze de date %1 nu este cunoscut.").arg(driver);
}

QString DatabaseNotConnected(const QString& database)
{
    return QStringLiteral("Baza de date %1 nu este conectata.").arg(database);
}

QString ConnectedDatabaseRenamed()
{
    return QStringLiteral("Numele unei baze de date conectate nu poate fi schimbat.");
}

QString NoTransaction() { return QStringLiteral("Nu este deschisa nicio tranzactie."); }

QString NoConnectionForTransaction() { return QStringLiteral("Tranzactia nu are o baza de date conectata."); }

QString DataSetOpen(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("operatia nu se poate face cat timp setul de date este deschis."));
}

QString DataSetClosed(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("operatia nu se poate face pe un set de date inchis."));
}

QString DataSetEmpty(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("operatia nu se poate face pe un set de date fara inregistrari."));
}

QString DataSetReadOnly(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("datele pot fi doar citite, nu si modificate."));
}

QString DataSetNotEditing(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("setul de date nu este in modificare sau adaugare."));
}

QString FieldAddedToOpenDataSet(const QString& dataSet, const QString& field)
{
    return Of(dataSet, QStringLiteral("campul %1 nu poate fi adaugat cat timp setul de date este deschis.").arg(field));
}

QString DuplicateField(const QString& field) { return QStringLiteral("Campul %1 este declarat de doua ori.").arg(field); }

QString FieldNotFound(const QString& dataSet, const QString& field)
{
    return Of(dataSet, QStringLiteral("campul %1 nu exista.").arg(field));
}

QString FieldReadOnly(const QString& field) { return QStringLiteral("Campul %1 nu poate fi modificat.").arg(field); }

QString FieldNotSearchable(const QString& field)
{
    return QStringLiteral("Dupa campul %1 nu se poate cauta.").arg(field);
}

QString OrderFieldNotFound(const QString& dataSet, const QString& field)
{
    return Of(dataSet, QStringLiteral("campul de ordonare %1 nu este un camp al setului de date.").arg(field));
}

QString MasterFieldsBeyondOrder(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("legatura cu tabela principala are mai multe campuri decat ordinea tabelei."));
}

QString NoSearchOrder(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("setul de date nu are o ordine dupa care sa se caute."));
}

QString KeyValueCount(const QString& dataSet)
{
    return Of(dataSet, QStringLiteral("se cere cate o valoare pentru fiecare camp al cheii."));
}

QString RecordNotFound(const QString& dataSet) { return Of(dataSet, QStringLiteral("inregistrarea nu a fost gasita.")); }

QString TableWithoutFields(const QString& table)
{
    return QStringLiteral("Tabela %1 nu poate fi creata fara campuri.").arg(table);
}

QString CopyWithoutEnds(const QString& batchMove)
{
    return Of(batchMove, QStringLiteral("copierea are nevoie de o sursa si de o destinatie."));
}

QString ParameterNotFound(const QString& query, const QString& parameter)
{
    return Of(query, QStringLiteral("parametrul %1 nu exista.").arg(parameter));
}

QString StatementWithoutRows(const QString& query)
{
    return Of(query, QStringLiteral("instructiunea nu intoarce inregistrari."));
}

} // namespace fw::dbmsg
