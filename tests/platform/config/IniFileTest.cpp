// INI files shared with other programs: what a write keeps, what a read gives, and what
// happens when the file cannot be written.
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"

#include "support/FileText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fw;

namespace {

QByteArray ReadAll(const QString& fileName) { return testsupport::ReadFileBytes(fileName); }

void WriteAll(const QString& fileName, const QByteArray& text) { ASSERT_TRUE(testsupport::WriteFileBytes(fileName, text)); }

// A literal with the NUL bytes inside it.
template <size_t N>
QByteArray Bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// A text in UTF-16, little- or big-endian, as Windows' editors save it.
QByteArray Utf16(const char16_t* text, bool bigEndian)
{
    QByteArray out;
    for (; *text; ++text) { // each unit as it stands, the mark included
        const char high = char(*text >> 8), low = char(*text & 0xFF);
        out.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return out;
}

// True when every line break in text is lineEnd.
bool OnlyLineEnds(const QByteArray& text, const QByteArray& lineEnd)
{
    const QByteArray rest = QByteArray(text).replace(lineEnd, "");
    return !rest.contains('\r') && !rest.contains('\n');
}

// Files may grow no larger than a few bytes while it lives: a write that fails halfway,
// which even a superuser cannot write past.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

// The message of the EInOutError a call raises, or empty when it raises none.
template <typename F>
QString InOutErrorOf(F call)
{
    try {
        call();
    } catch (const EInOutError& e) {
        return e.Message();
    }
    return {};
}

const QByteArray SharedFile = "; Setari comune ale firmei\r\n"
                              "\r\n"
                              "[Firma]\r\n"
                              "Nume=Lactate SRL\r\n"
                              "; prefixele productiei\r\n"
                              "[Productie]\r\n"
                              "IndGest=_\r\n"
                              "IndCod=.\r\n"
                              "\r\n"
                              "[Gol]\r\n"
                              "Cheie=\r\n"
                              "; sfarsit\r\n";

} // namespace

TEST(IniFile, WriteKeepsLineEndsCommentsAndTheRestOfTheFile)
{
    struct Case {
        const char* Name;
        QByteArray LineEnd;
    };
    for (const Case& c : {Case{"CRLF", "\r\n"}, Case{"LF", "\n"}}) {
        SCOPED_TRACE(c.Name);
        testsupport::TempDir dir;
        const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
        WriteAll(fileName, QByteArray(SharedFile).replace("\r\n", c.LineEnd));
        TIniFile ini(fileName);
        ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("M"));
        ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndSemi"), QStringLiteral(";"));

        const QByteArray text = ReadAll(fileName);
        EXPECT_TRUE(OnlyLineEnds(text, c.LineEnd)) << text.constData();
        for (const char* kept : {"; Setari comune ale firmei", "; prefixele productiei", "; sfarsit", "Nume=Lactate SRL",
                                 "IndGest=_", "Cheie=", "IndSemi=;"})
            EXPECT_TRUE(text.contains(kept)) << kept;

        const QString productie = QStringLiteral("Productie");
        EXPECT_EQ(ini.ReadString(productie, QStringLiteral("IndCod"), QString()), QStringLiteral("M"));
        EXPECT_EQ(ini.ReadString(productie, QStringLiteral("IndSemi"), QString()), QStringLiteral(";"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("Firma"), QStringLiteral("Nume"), QString()), QStringLiteral("Lactate SRL"));
        EXPECT_EQ(ini.ReadSection(productie), (QStringList{"IndGest", "IndCod", "IndSemi"}));

        // A second write does not pile up blank lines or comments.
        ini.WriteString(productie, QStringLiteral("IndCod"), QStringLiteral("N"));
        const QByteArray again = ReadAll(fileName);
        EXPECT_EQ(again.size(), text.size());
        EXPECT_EQ(again.count(';'), text.count(';'));
    }
}

TEST(IniFile, ReadsGiveTheDefaultOnlyForWhatIsMissing)
{
    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, SharedFile);
    const TIniFile ini(fileName);
    const TIniFile missing(dir.File(QStringLiteral("nu-exista.ini")));
    const QString dflt = QStringLiteral("implicit");

    // A key with nothing after "=" is there, and empty.
    EXPECT_EQ(ini.ReadString(QStringLiteral("Gol"), QStringLiteral("Cheie"), dflt), QString());
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("Gol"), QStringLiteral("Cheie")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Gol"), QStringLiteral("Alta"), dflt), dflt);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Lipsa"), QStringLiteral("Cheie"), dflt), dflt);
    EXPECT_EQ(missing.ReadString(QStringLiteral("Productie"), QStringLiteral("IndCod"), dflt), dflt);
    EXPECT_FALSE(missing.SectionExists(QStringLiteral("Productie")));

    // Section and key names ignore case.
    EXPECT_EQ(ini.ReadString(QStringLiteral("PRODUCTIE"), QStringLiteral("indcod"), dflt), QStringLiteral("."));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("productie")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("FIRMA"), QStringLiteral("NUME")));

    // Reading and removing what is not there never creates the file.
    TIniFile absent(dir.File(QStringLiteral("nu-exista.ini")));
    absent.DeleteKey(QStringLiteral("Productie"), QStringLiteral("IndCod"));
    absent.EraseSection(QStringLiteral("Productie"));
    EXPECT_FALSE(QFile::exists(absent.FileName()));
}

TEST(IniFile, OnlyARegularFileOfASettingsFilesSizeIsReadAndWhatCannotBeReadIsAnError)
{
    testsupport::TempDir dir;
    const QString fifo = dir.File(QStringLiteral("pipe.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = dir.File(QStringLiteral("loop.ini"));
    ASSERT_TRUE(QFile::link(dir.File(QStringLiteral("loop2.ini")), loop));
    ASSERT_TRUE(QFile::link(loop, dir.File(QStringLiteral("loop2.ini"))));
    const QString zero = dir.File(QStringLiteral("zero.ini"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QByteArray entry = "[Productie]\nIndCod=M\n";
    const QString atLimit = dir.File(QStringLiteral("limit.ini"));
    WriteAll(atLimit, entry + QByteArray(int(MaxIniFileSize - entry.size()), ';'));
    const QString over = dir.File(QStringLiteral("over.ini"));
    WriteAll(over, entry + QByteArray(int(MaxIniFileSize - entry.size() + 1), ';'));

    const TIniFile limit(atLimit);
    EXPECT_EQ(limit.ReadString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QString()), QStringLiteral("M"));
    const QString notRegular = QStringLiteral("<%1> nu este un fisier obisnuit: setarile nu pot fi citite din el.");
    const std::pair<QString, QString> refused[] = {
        {fifo, notRegular},
        {zero, notRegular},
        {dir.Path(), notRegular},
        {loop, QStringLiteral("Fisierul de setari <%1> nu poate fi citit.")},
        {over, QStringLiteral("Fisierul de setari <%1> este prea mare (peste 1 MiB): nu poate fi citit.")},
    };
    for (const auto& [fileName, message] : refused) {
        TIniFile ini(fileName);
        EXPECT_EQ(InOutErrorOf([&] { ini.ReadString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QString()); }),
                  message.arg(fileName));
        EXPECT_EQ(InOutErrorOf([&] { ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("N")); }),
                  QStringLiteral("Unable to write to ") + fileName);
    }
    // Nothing was put in their place.
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(zero).isSymLink());
}

TEST(IniFile, WritesReplaceTheKeyWhateverItsCase)
{
    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, SharedFile);
    TIniFile ini(fileName);
    ini.WriteString(QStringLiteral("PRODUCTIE"), QStringLiteral("indcod"), QStringLiteral("M"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("Productie")), (QStringList{"IndGest", "IndCod"}));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QString()), QStringLiteral("M"));
    EXPECT_EQ(ReadAll(fileName).count("[Productie]"), 1);
}

TEST(IniFile, EachWriteStartsFromTheFileAsItIsNow)
{
    // Two users (or the host and the add-on) each change their own key of one file.
    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    TIniFile first(fileName);
    TIniFile second(fileName);
    first.WriteString(QStringLiteral("Productie"), QStringLiteral("IndGest"), QStringLiteral("G"));
    second.WriteString(QStringLiteral("Initial"), QStringLiteral("NetControlDir"), QStringLiteral("/srv/net"));
    first.WriteInteger(QStringLiteral("Productie"), QStringLiteral("Versiune"), 3);
    EXPECT_EQ(second.ReadString(QStringLiteral("Productie"), QStringLiteral("IndGest"), QString()), QStringLiteral("G"));
    EXPECT_EQ(first.ReadString(QStringLiteral("Initial"), QStringLiteral("NetControlDir"), QString()),
              QStringLiteral("/srv/net"));
    EXPECT_EQ(second.ReadInteger(QStringLiteral("Productie"), QStringLiteral("Versiune"), 0), 3);
    // A new file takes the platform's line ends.
    EXPECT_TRUE(OnlyLineEnds(ReadAll(fileName), "\n"));

    first.DeleteKey(QStringLiteral("Productie"), QStringLiteral("Versiune"));
    second.EraseSection(QStringLiteral("Initial"));
    EXPECT_FALSE(first.SectionExists(QStringLiteral("Initial")));
    EXPECT_EQ(first.ReadSection(QStringLiteral("Productie")), QStringList{"IndGest"});
}

TEST(IniFile, ValuesReadBackAsWritten)
{
    testsupport::TempDir dir;
    TIniFile ini(dir.File(QStringLiteral("valori.ini")));
    const QString values[] = {QStringLiteral(";"), QStringLiteral("#"), QStringLiteral("="), QStringLiteral("\""),
                              QStringLiteral(" "), QStringLiteral("  doua  spatii "), QStringLiteral("D:\\Firma\\"),
                              QStringLiteral("ăîâşţ"), QString()};
    for (const QString& value : values) {
        ini.WriteString(QStringLiteral("S"), QStringLiteral("K"), value);
        EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("?")), value);
    }
}

TEST(IniFile, NumbersAndSwitchesFallBackOnTheDefault)
{
    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("n.ini"));
    WriteAll(fileName, "[N]\nzece=10\nminus=-7\nhex=$1F\nhex2=0x10\ntext=abc\ngol=\nmare=99999999999\nplus=+5\ndublu=--5\n");
    const TIniFile ini(fileName);
    const struct {
        const char* Key;
        int Expected;
    } cases[] = {{"zece", 10}, {"minus", -7}, {"hex", 31}, {"hex2", 16}, {"text", 42},
                 {"gol", 42},  {"mare", 42},  {"plus", 5}, {"dublu", 42}, {"lipsa", 42}};
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("N"), QString::fromLatin1(c.Key), 42), c.Expected) << c.Key;
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("zece"), false));
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("text"), false));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("lipsa"), true));
}

TEST(IniFile, EntriesThatWouldReadBackAsSomethingElseAreRefused)
{
    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, SharedFile);
    TIniFile ini(fileName);
    const struct {
        const char* Section;
        const char* Key;
        const char* Value;
    } cases[] = {{"Productie", "IndCod", "M\r\nIndGest=X"}, {"Productie", "Ind=Cod", "M"}, {"Productie", "", "M"},
                 {"Productie", ";IndCod", "M"},           {"Prod]uctie", "IndCod", "M"}, {"Prod\nuctie", "IndCod", "M"}};
    for (const auto& c : cases) {
        EXPECT_THROW(ini.WriteString(QString::fromLatin1(c.Section), QString::fromLatin1(c.Key), QString::fromLatin1(c.Value)),
                     std::invalid_argument)
            << c.Key;
    }
    EXPECT_EQ(ReadAll(fileName), SharedFile);
}

TEST(IniFile, AFileThatCannotBeWrittenRaisesAndStaysIntact)
{
    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, SharedFile);
    TIniFile ini(fileName);

    // The disk refuses the new text halfway: the old file must survive whole.
    QString message;
    {
        FileSizeLimit limit(16);
        message = InOutErrorOf([&] { ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("M")); });
    }
    EXPECT_EQ(message, QStringLiteral("Unable to write to ") + fileName);
    EXPECT_EQ(ReadAll(fileName), SharedFile);
    // Only the writers' lock file stands beside it.
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), (QStringList{"KRBDEF.INI", "KRBDEF.INI.lock"}))
        << "a temporary file was left behind";

    // A directory that does not exist; the message carries the name as given.
    const QString nowhere = QStringLiteral("nu/exista/KRBDEF.INI");
    TIniFile lost(nowhere);
    EXPECT_EQ(InOutErrorOf([&] { lost.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("M")); }),
              QStringLiteral("Unable to write to nu/exista/KRBDEF.INI"));

    // A read-only file in a read-only directory (permissions bind all but the superuser).
    if (geteuid() != 0) {
        QFile::setPermissions(fileName, QFileDevice::ReadOwner);
        QFile::setPermissions(dir.Path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(InOutErrorOf([&] { ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("M")); }),
                  QStringLiteral("Unable to write to ") + fileName);
        EXPECT_EQ(ReadAll(fileName), SharedFile);
        QFile::setPermissions(dir.Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

TEST(IniFile, AWriteChangesOnlyItsOwnLineAndReadsTakeTheFirstOccurrence)
{
    using Change = std::function<void(TIniFile&)>;
    const auto write = [](const char* section, const char* key, const char* value) -> Change {
        return [=](TIniFile& ini) { ini.WriteString(QString::fromLatin1(section), QString::fromLatin1(key), QString::fromLatin1(value)); };
    };
    const struct {
        const char* Name;
        QByteArray Before;
        Change Apply;
        QByteArray After;
    } cases[] = {
        {"a line without '=' stays", "[Productie]\r\nIndCod=.\r\nrand fara egal\r\n", write("Productie", "IndCod", "M"),
         "[Productie]\r\nIndCod=M\r\nrand fara egal\r\n"},
        {"duplicate sections stay apart: the key is changed where it stands", "[P]\nA=1\n[F]\nN=x\n[P]\nB=2\n",
         write("P", "B", "3"), "[P]\nA=1\n[F]\nN=x\n[P]\nB=3\n"},
        {"... and a new key joins the first of them", "[P]\nA=1\n[F]\nN=x\n[P]\nB=2\n", write("p", "C", "4"),
         "[P]\nA=1\nC=4\n[F]\nN=x\n[P]\nB=2\n"},
        {"a duplicate key: the first is the one written", "[P]\nK=1\nK=2\n", write("P", "K", "3"), "[P]\nK=3\nK=2\n"},
        {"UTF-16 with its mark stays UTF-16, in its byte order", Utf16(u"\uFEFF[P]\r\nA=1\r\n; not\u0103\r\n", false),
         write("P", "A", "2"), Utf16(u"\uFEFF[P]\r\nA=2\r\n; not\u0103\r\n", false)},
        {"... big-endian too, with a new key", Utf16(u"\uFEFF[P]\nA=1\n", true), write("P", "B", "x"),
         Utf16(u"\uFEFF[P]\nA=1\nB=x\n", true)},
        {"single-byte text, the key's spelling and blanks around '=' stay", "; Set\xE3ri\r\n[P]\r\n  indcod = .\r\nX=\xEE\r\n",
         write("P", "IndCod", "M"), "; Set\xE3ri\r\n[P]\r\n  indcod = M\r\nX=\xEE\r\n"},
        {"no line break at the end: the new key gets one before it", "[P]\r\nA=1", write("P", "B", "2"), "[P]\r\nA=1\r\nB=2"},
        {"a new section goes at the end, after a blank line", "\xEF\xBB\xBF[P]\nA=1\n", write("Q", "K", "v"),
         "\xEF\xBB\xBF[P]\nA=1\n\n[Q]\nK=v\n"},
        {"an unchanged value writes nothing", "[P]\nA = 1 \n", write("P", "A", "1"), "[P]\nA = 1 \n"},
        {"deleting a key takes only its lines", "[P]\r\nA=1\r\n; nota\r\nB=2\r\nA=3\r\n",
         [](TIniFile& ini) { ini.DeleteKey(QStringLiteral("P"), QStringLiteral("A")); }, "[P]\r\n; nota\r\nB=2\r\n"},
        {"erasing a section takes every block of it", "[A]\nx=1\n[P]\nk=1\n\n[B]\ny=2\n[P]\nj=2\n",
         [](TIniFile& ini) { ini.EraseSection(QStringLiteral("P")); }, "[A]\nx=1\n[B]\ny=2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        testsupport::TempDir dir;
        const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
        WriteAll(fileName, c.Before);
        TIniFile ini(fileName);
        c.Apply(ini);
        EXPECT_EQ(ReadAll(fileName), c.After);
    }

    testsupport::TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, "[P]\nK=1\n[Q]\nZ=0\n[P]\nK=2\nL=3\nrand fara egal\n[R]\nN=4\n");
    const TIniFile ini(fileName);
    EXPECT_EQ(ini.ReadString(QStringLiteral("P"), QStringLiteral("K"), QString()), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("P"), QStringLiteral("L"), QString()), QStringLiteral("3"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("R"), QStringLiteral("N"), QString()), QStringLiteral("4"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("P")), (QStringList{"K", "L"}));
}

namespace {

TEST(IniFile, ReadsUtf16WithItsMarkAndRefusesWhatIsNoTextAndLinksToNothing)
{
    testsupport::TempDir dir;
    for (const bool bigEndian : {false, true}) {
        const QString fileName = dir.File(QStringLiteral("utf16.ini"));
        WriteAll(fileName, Utf16(u"\uFEFF[Productie]\r\nOrdineLoturi=FEFO\r\nNume=Brad\u0103\r\n", bigEndian));
        const TIniFile ini(fileName);
        EXPECT_EQ(ini.ReadString(QStringLiteral("Productie"), QStringLiteral("OrdineLoturi"), QString()), QStringLiteral("FEFO"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("Productie"), QStringLiteral("Nume"), QString()), QStringLiteral("Brad\u0103"));
    }

    const QString notText = QStringLiteral("Fisierul de setari <%1> nu este un fisier text: contine octeti de control (date "
                                           "binare, sau text UTF-16 fara marca de ordine a octetilor). Setarile nu pot fi "
                                           "citite din el.");
    const QString junk = dir.File(QStringLiteral("gunoi.ini"));
    WriteAll(junk, Bytes("\x7F" "ELF\x02\x01\x01\0\0\0[Productie]\nLoturiExpirate=Exclude\n"));
    const QString nul = dir.File(QStringLiteral("nul.ini"));
    WriteAll(nul, Bytes("[Productie]\nIndCod=M\n\0\n"));
    const QString noMark = dir.File(QStringLiteral("fara-marca.ini")); // UTF-16 without its mark
    WriteAll(noMark, Utf16(u"[Productie]\nIndCod=M\n", false));
    const QString odd = dir.File(QStringLiteral("impar.ini")); // an odd byte after UTF-16
    WriteAll(odd, Utf16(u"\uFEFF[Productie]\nIndCod=M\n", false) + "x");
    const QString dangling = dir.File(QStringLiteral("legatura.ini"));
    ASSERT_TRUE(QFile::link(dir.File(QStringLiteral("sters.ini")), dangling));
    const std::pair<QString, QString> refused[] = {
        {junk, notText},
        {nul, notText},
        {noMark, notText},
        {odd, QStringLiteral("Fisierul de setari <%1> incepe ca un text UTF-16, dar textul lui este deteriorat: setarile "
                             "nu pot fi citite din el.")},
        {dangling, QStringLiteral("Fisierul de setari <%1> este o legatura catre un fisier care nu exista: setarile nu pot "
                                  "fi citite din el.")},
    };
    for (const auto& [fileName, message] : refused) {
        SCOPED_TRACE(fileName.toStdString());
        const QByteArray before = QFileInfo(fileName).exists() ? ReadAll(fileName) : QByteArray();
        TIniFile ini(fileName);
        EXPECT_EQ(InOutErrorOf([&] { ini.ReadString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QString()); }),
                  message.arg(fileName));
        EXPECT_EQ(InOutErrorOf([&] { ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("N")); }),
                  QStringLiteral("Unable to write to ") + fileName);
        EXPECT_EQ(QFileInfo(fileName).exists() ? ReadAll(fileName) : QByteArray(), before);
    }
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.File(QStringLiteral("sters.ini"))));
}

} // namespace
