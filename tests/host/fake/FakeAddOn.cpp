// A stand-in for the add-on: the seven entry points with the add-on's menus, one line
// per call in the file named by FAKE_ADDON_LOG, and a simulated failure of the entry
// point named by FAKE_ADDON_THROW. Loading and unloading are logged too, so a test sees
// whether ClearAddOnDLL came before the library went.
#include "platform/boundary/HostString.h"
#include "platform/boundary/TableDefs.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menus.h"

#include <QFile>
#include <QPointer>
#include <QString>

namespace {

void Log(const QString& line)
{
    const QByteArray file = qgetenv("FAKE_ADDON_LOG");
    if (file.isEmpty())
        return;
    QFile out(QString::fromLocal8Bit(file));
    if (out.open(QIODevice::Append | QIODevice::Text))
        out.write((line + QLatin1Char('\n')).toUtf8());
}

void MaybeFail(const char* entryPoint)
{
    if (qgetenv("FAKE_ADDON_THROW") == entryPoint)
        throw fw::EDatabaseError(QStringLiteral("Eroare simulata in %1").arg(QString::fromLatin1(entryPoint)));
}

QString Pointer(const void* p) { return QString::asprintf("%p", p); }

// The menus module: owned by the host's main window, it owns the two menus.
class TFakeModule final : public QObject {
public:
    explicit TFakeModule(QObject* owner) : QObject(owner)
    {
        setObjectName(QStringLiteral("DummyModule"));
        fw::TMenuItem* system = MainMenu->Add(QStringLiteral("Fisier1"), QStringLiteral("&Sistem"));
        system->AddSeparator(QStringLiteral("N1"), 5);
        fw::TMenuItem* recipes = system->Add(QStringLiteral("Retetedeproductie1"), QStringLiteral("Retete de productie"), 5);
        recipes->SetHint(QStringLiteral("Specifica necesarul tehnic de materii prime si materiale pentru realizarea unei "
                                        "unitati de produs finit."));
        system->Add(QStringLiteral("Productie1"), QStringLiteral("&Configurare productie"), 5);
        fw::TMenuItem* reports = MainMenu->Add(QStringLiteral("Rapoarte1"), QStringLiteral("Rapoarte"));
        reports->Add(QStringLiteral("Trasabilitateproduse1"), QStringLiteral("Trasabilitate produse"), 1);

        fw::TMenuItem* document = DocInMenu->Add(QStringLiteral("Document1"), QStringLiteral("&Document"), 1);
        document->AddSeparator(QStringLiteral("N11"), 5);
        document->Add(QStringLiteral("CalcNec"), QStringLiteral("Calcul necesar tehnic"), 5, [this](fw::TMenuItem*) {
            if (!DocInDataSet || !DocInDataSet->Active())
                return;
            Log(QStringLiteral("CalcNec|%1").arg(DocInDataSet->FieldByName(QStringLiteral("Contor"))->AsFloat()));
        });
    }
    ~TFakeModule() override { Log(QStringLiteral("MenusDestroyed")); }

    fw::TMainMenu* MainMenu = new fw::TMainMenu(this);
    fw::TMainMenu* DocInMenu = new fw::TMainMenu(this);
    QPointer<fw::TDataSet> DocInDataSet;
};

QPointer<TFakeModule> DummyModule;

struct TLoadLog {
    TLoadLog() { Log(QStringLiteral("load")); }
    ~TLoadLog() { Log(QStringLiteral("unload")); }
} loadLog;

constexpr fw::TConstHostStr kName{"Modul de proba"};

} // namespace

extern "C" {

Q_DECL_EXPORT void InitAddOnDLL(fw::TScreen* screen, fw::TApplication* application)
{
    Log(QStringLiteral("InitAddOnDLL|%1|%2").arg(Pointer(screen), Pointer(application)));
    MaybeFail("InitAddOnDLL");
}

Q_DECL_EXPORT void ClearAddOnDLL()
{
    Log(QStringLiteral("ClearAddOnDLL"));
}

Q_DECL_EXPORT void QvxAddOnGetName(char** variable)
{
    Log(QStringLiteral("QvxAddOnGetName"));
    MaybeFail("QvxAddOnGetName");
    fw::HostStrAssign(*variable, kName.Str());
}

Q_DECL_EXPORT void QvxAddOnAddTables(fw::DEF_TABLE_LIST* list)
{
    Log(QStringLiteral("QvxAddOnAddTables|%1").arg(list->Count));
    const fw::TFieldDescriptor fields[] = {{QStringLiteral("Cod"), fw::TFieldType::String, 12, true},
                                           {QStringLiteral("Cantitate"), fw::TFieldType::Float, 0, false},
                                           {QStringLiteral("Nota"), fw::TFieldType::String, 0, false}};
    const fw::TIndexDescriptor indexes[] = {{QString(), QStringLiteral("Cod"), fw::ixPrimary | fw::ixUnique}};
    fw::AddTableDef(list, QStringLiteral("Proba.DB"), fields, 1, indexes);
    MaybeFail("QvxAddOnAddTables"); // after the first table: what was written is the host's to free
    fw::AddTableDef(list, QStringLiteral("Jurnal.DB"), std::span(fields, 2), 0, {});
}

Q_DECL_EXPORT fw::TMenuItem* QvxAddOnMainForm(QObject* owner)
{
    Log(QStringLiteral("QvxAddOnMainForm|%1").arg(Pointer(owner)));
    MaybeFail("QvxAddOnMainForm");
    DummyModule = new TFakeModule(owner);
    return DummyModule->MainMenu;
}

Q_DECL_EXPORT void QvxAddOnChangeDB(const char* directory)
{
    Log(QStringLiteral("QvxAddOnChangeDB|%1|%2")
            .arg(fw::HostStrToQString(const_cast<char*>(directory)))
            .arg(fw::HostStrRefCount(const_cast<char*>(directory))));
    MaybeFail("QvxAddOnChangeDB");
}

#ifndef FAKE_ADDON_PARTIAL
Q_DECL_EXPORT fw::TMenuItem* QvxAddOnDocInForm(QObject* window, fw::TDataSet* dataSet)
{
    Log(QStringLiteral("QvxAddOnDocInForm|%1|%2").arg(window->objectName(), dataSet->objectName()));
    MaybeFail("QvxAddOnDocInForm");
    if (!DummyModule)
        return nullptr;
    DummyModule->DocInDataSet = dataSet;
    return DummyModule->DocInMenu;
}
#endif
}
