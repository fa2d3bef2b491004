// The add-on as the host sees it: the built library loaded at run time, its seven entry
// points, the name, the table definition and the menus it hands over.
#include "Company.h"
#include "DbFixture.h"
#include "data/ProductionContext.h"
#include "platform/boundary/HostString.h"
#include "platform/boundary/TableDefs.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menus.h"
#include "shell/EntryPoints.h"
#include "shell/ProductionMenus.h"

#include <QCoreApplication>
#include <QProcess>
#include <QWidget>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

// The library as the host loads it, with its entry points.
class AddOnLibrary {
public:
    AddOnLibrary()
    {
        path = QCoreApplication::applicationDirPath() + "/libCorvanel.so";
        handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        GetName = reinterpret_cast<void (*)(char**)>(dlsym(handle, "QvxAddOnGetName"));
        AddTables = reinterpret_cast<void (*)(DEF_TABLE_LIST*)>(dlsym(handle, "QvxAddOnAddTables"));
        MainForm = reinterpret_cast<TMenuItem* (*)(QObject*)>(dlsym(handle, "QvxAddOnMainForm"));
        ChangeDB = reinterpret_cast<void (*)(const char*)>(dlsym(handle, "QvxAddOnChangeDB"));
        DocInForm = reinterpret_cast<TMenuItem* (*)(QObject*, TDataSet*)>(dlsym(handle, "QvxAddOnDocInForm"));
        Init = reinterpret_cast<void (*)(TScreen*, TApplication*)>(dlsym(handle, "InitAddOnDLL"));
        Clear = reinterpret_cast<void (*)()>(dlsym(handle, "ClearAddOnDLL"));
    }
    ~AddOnLibrary()
    {
        if (handle)
            dlclose(handle);
    }
    QString path;
    void* handle = nullptr;
    void (*GetName)(char**) = nullptr;
    void (*AddTables)(DEF_TABLE_LIST*) = nullptr;
    TMenuItem* (*MainForm)(QObject*) = nullptr;
    void (*ChangeDB)(const char*) = nullptr;
    TMenuItem* (*DocInForm)(QObject*, TDataSet*) = nullptr;
    void (*Init)(TScreen*, TApplication*) = nullptr;
    void (*Clear)() = nullptr;
};

template <typename T>
T* Child(QObject* root, const char* name)
{
    for (QObject* o : root->findChildren<QObject*>(QString::fromLatin1(name)))
        if (auto* t = dynamic_cast<T*>(o))
            return t;
    return nullptr;
}

TEST(EntryPoints, TheLibraryExportsTheSevenEntryPointsAndTheOptionalOneWithCLinkage)
{
    AddOnLibrary lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (void* f : {(void*)lib.GetName, (void*)lib.AddTables, (void*)lib.MainForm, (void*)lib.ChangeDB,
                    (void*)lib.DocInForm, (void*)lib.Init, (void*)lib.Clear})
        EXPECT_NE(f, nullptr);
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", lib.path});
    if (!nm.waitForFinished(20000) || nm.exitCode() != 0)
        GTEST_SKIP() << "nm is not available";
    QStringList unmangled;
    for (const QString& line : QString::fromLocal8Bit(nm.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
        const QString kind = parts.value(parts.size() - 2);
        if ((kind == "T" || kind == "W") && !parts.last().startsWith("_Z") && !parts.last().startsWith("_"))
            unmangled << parts.last();
    }
    unmangled.sort();
    EXPECT_EQ(unmangled, (QStringList{"ClearAddOnDLL", "InitAddOnDLL", "QvxAddOnAddTables", "QvxAddOnChangeDB",
                                      "QvxAddOnDocInForm", "QvxAddOnGetName", "QvxAddOnLotUsable", "QvxAddOnMainForm"}));
}

TEST(EntryPoints, TheNameIsALibraryConstantAndReleasesWhatTheVariableHeld)
{
    AddOnLibrary lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    HostStr name = NewHostStr(QStringLiteral("vechi"));
    HostStr other = HostStrAddRef(name); // someone else holds the old value too
    lib.GetName(&name);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(HostStrLength(name), 25);
    EXPECT_EQ(std::memcmp(name, "Productie produse lactate", 26), 0); // with its zero byte
    EXPECT_EQ(HostStrRefCount(name), -1);
    EXPECT_EQ(HostStrRefCount(other), 1); // the old value was released once
    HostStrRelease(other);
}

TEST(EntryPoints, TheRecipeTableDefinitionGoesIntoTheNextFreeEntry)
{
    AddOnLibrary lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (int before : {0, 49, 50}) {
        auto list = std::make_unique<DEF_TABLE_LIST>();
        std::memset(list.get(), 0, sizeof(DEF_TABLE_LIST));
        list->Count = before;
        if (before == 50) {
            EXPECT_THROW(lib.AddTables(list.get()), std::out_of_range);
            EXPECT_EQ(list->Count, 50);
            continue;
        }
        lib.AddTables(list.get());
        EXPECT_EQ(list->Count, before + 1);
        const auto* raw = reinterpret_cast<const unsigned char*>(&list->Tables[before]);
        EXPECT_EQ(raw[0], 9);
        EXPECT_EQ(std::memcmp(raw + 1, "Reteta.DB", 9), 0);
        std::int32_t fieldCount, indexCount, flag;
        std::memcpy(&fieldCount, raw + 84, 4);
        std::memcpy(&indexCount, raw + 88, 4);
        std::memcpy(&flag, raw + 92, 4);
        EXPECT_EQ(fieldCount, 4);
        EXPECT_EQ(indexCount, 1);
        EXPECT_EQ(flag, 1);
        DEF_FIELD* fields = nullptr;
        DEF_INDEX* indexes = nullptr;
        std::memcpy(&fields, raw + 96, sizeof(void*));
        std::memcpy(&indexes, raw + 96 + sizeof(void*), sizeof(void*));
        const auto* f = reinterpret_cast<const unsigned char*>(fields);
        struct Expected {
            const char* name;
            int type, size;
        } expected[] = {{"Cod", 1, 30}, {"Cod_MatPrim", 1, 30}, {"Cant_MatPrim", 6, 0}, {"Cod_Grupa", 1, 8}};
        for (int i = 0; i < 4; ++i, f += 56) {
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(f + 1), f[0]), expected[i].name);
            EXPECT_EQ(f[51], expected[i].type);
            std::int16_t size;
            std::memcpy(&size, f + 52, 2);
            EXPECT_EQ(size, expected[i].size);
            EXPECT_EQ(f[54], 0); // none required
        }
        EXPECT_EQ(indexes[0].Name, nullptr); // the primary index has no name
        EXPECT_EQ(HostStrToQString(indexes[0].Fields), "Cod;Cod_MatPrim");
        EXPECT_EQ(HostStrRefCount(indexes[0].Fields), 1);
        EXPECT_EQ(indexes[0].Options, 3);
        FreeTableDefList(*list);
    }
}

class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(lib.handle, nullptr) << dlerror();
        window.setObjectName("HostMainWindow");
        application.SetMainForm(&window);
    }
    void TearDown() override
    {
        // As the host does: destroy the owner (and with it the menus module), then clear.
        delete owner.release();
        lib.Clear();
    }
    AddOnLibrary lib;
    TestCompany company;
    QWidget window;
    TApplication application;
    TScreen screen;
    std::unique_ptr<QWidget> owner = std::make_unique<QWidget>();
};

TEST_F(Session, DocumentMenuOnlyAfterTheMainMenuAndTheLastWindowCounts)
{
    lib.Init(&screen, &application);
    TTable doc1, doc2;
    QWidget w1, w2;
    EXPECT_EQ(lib.DocInForm(&w1, &doc1), nullptr); // before the menus module exists
    TMenuItem* main = lib.MainForm(owner.get());
    ASSERT_NE(main, nullptr);
    TMenuItem* m1 = lib.DocInForm(&w1, &doc1);
    TMenuItem* m2 = lib.DocInForm(&w2, &doc2);
    ASSERT_NE(m1, nullptr);
    EXPECT_EQ(m1, m2);
    EXPECT_EQ(m1->Items(0)->Caption(), "&Document");
    EXPECT_EQ(m1->Items(0)->Items(1)->Caption(), "Calcul necesar tehnic");
    // The menus module keeps the last pair.
    QObject* module = main->parent();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->parent(), owner.get());
}

TEST_F(Session, ChangeDbLeavesOnePathParameterAndReconnectsEveryTime)
{
    lib.Init(&screen, &application);
    TMenuItem* main = lib.MainForm(owner.get());
    auto* ghost = Child<TDatabase>(owner.get(), "ProductionDatabase");
    auto* catalog = Child<TTable>(owner.get(), "ProductTable");
    ASSERT_NE(ghost, nullptr);
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(ghost->DatabaseName(), "KRBPROD");
    EXPECT_EQ(ghost->DriverName(), "STANDARD");
    const QString dirWithSlash = company.Dir() + "/";
    THostString dir(dirWithSlash);
    lib.ChangeDB(dir.Get());
    EXPECT_EQ(ghost->Params(), QStringList{"PATH=" + dirWithSlash}); // nothing added or removed
    EXPECT_TRUE(ghost->Connected());
    catalog->Open();
    lib.ChangeDB(dir.Get()); // the same directory again: disconnect and connect
    EXPECT_FALSE(catalog->Active());
    EXPECT_TRUE(ghost->Connected());
    EXPECT_EQ(ghost->Params().size(), 1);
    THostString missing(company.Dir() + "/nu-exista");
    EXPECT_THROW(lib.ChangeDB(missing.Get()), EDatabaseError);
    EXPECT_FALSE(ghost->Connected());
    EXPECT_EQ(ghost->Params(), QStringList{"PATH=" + company.Dir() + "/nu-exista"});
    Q_UNUSED(main);
}

TEST_F(Session, ConnectingAddsTheIndexesTheQueriesSeekBy)
{
    // A company made before the stock table had its article index.
    const QString stockIndexes = "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='Stoc'";
    for (const QVariant& name : RawColumn(company.Dir(), stockIndexes))
        RawColumn(company.Dir(), "DROP INDEX \"" + name.toString() + "\"");
    TTable stock;
    stock.SetDatabaseName(company.Dir());
    stock.SetTableName(fw::StocDB);
    ASSERT_FALSE(stock.HasIndexOn("Cod_grupa;Cod_articol"));
    ASSERT_FALSE(stock.HasPartialIndex("Negative"));
    lib.Init(&screen, &application);
    lib.MainForm(owner.get());
    THostString dir(company.Dir());
    lib.ChangeDB(dir.Get());
    EXPECT_TRUE(stock.HasIndexOn("Cod_grupa;Cod_articol"));
    EXPECT_TRUE(stock.HasIndexOn("Cod_grupa;Cod_articol;Cod_gestiune;Data_intrare;Cantitate")); // the stock sums read no row
    EXPECT_TRUE(stock.HasIndexOn("Cod_grupa"));
    EXPECT_FALSE(stock.HasIndexOn("Cod_articol"));
    EXPECT_TRUE(stock.HasPartialIndex("Negative")); // the lots below nothing
}

TEST_F(Session, MainMenuTreeAsTheHostMergesIt)
{
    lib.Init(&screen, &application);
    TMenuItem* main = lib.MainForm(owner.get());
    QStringList tree;
    for (int i = 0; i < main->Count(); ++i) {
        TMenuItem* top = main->Items(i);
        tree << QString("%1|%2").arg(top->Caption()).arg(top->GroupIndex());
        for (int j = 0; j < top->Count(); ++j) {
            TMenuItem* it = top->Items(j);
            tree << QString("  %1|%2|%3").arg(it->Caption()).arg(it->GroupIndex()).arg(it->Hint());
        }
    }
    EXPECT_EQ(tree, (QStringList{
                        "&Sistem|0",
                        "  -|5|",
                        QString("  Retete de productie|5|Specifica necesarul tehnic de materii prime si materiale pentru realizarea ") +
                        "unei unitati de produs finit.",
                        QString("  &Configurare productie|5|Specifica gestiunea si identificatorul de coduri de materii prime si ") +
                        "materiale",
                        "  Configurare &lapte|5|Articolul laptelui crud, gestiunea, densitatea si pretul platit furnizorilor.",
                        "Rapoarte|0",
                        "  Trasabilitate produse|1|",
                        "  Loturi care expira|1|",
                        QString("  Urmarire lot|1|Urmareste un lot: in ce loturi de produse a intrat si la ce clienti au ajuns, ") +
                        "sau din ce loturi si de la ce furnizori s-a facut.",
                        QString("  Etichete lot|1|Tipareste etichetele GS1 ale unui lot de produs finit: GTIN, lot, data ") +
                        "productiei si a expirarii.",
                        QString("  Analize laborator|1|Rezultatele de laborator ale unui lot fata de norme; lotul blocat ") +
                        "sau eliberat, cu motivul.",
                        QString("  Eliberare obligatorie|1|Articolele ale caror loturi noi asteapta eliberarea inainte ") +
                            "de a fi consumate sau livrate.",
                        QString("  Receptie lapte|1|Livrarile de lapte ale zilei pe furnizori, cu analizele lor; livrarile ") +
                            "alese golite intr-un tanc.",
                        QString("  Calitatea laptelui pe furnizori|1|Mediile geometrice NTG si NCS ale fiecarui furnizor ") +
                            "pentru o luna, cu regula probelor si verdictul.",
                        QString("  Decont lunar lapte|1|Cantitatea, grasimea, proteina, pretul si valoarea laptelui fiecarui ") +
                            "furnizor pentru o luna.",
                        QString("  Costul loturilor fabricate|1|Costul materialelor fiecarui lot de produs, la pretul de ") +
                            "achizitie al loturilor consumate.",
                        QString("  Necesar fata de consum|1|Necesarul retetelor fata de ce s-a consumat pentru fiecare ") +
                            "receptie si produs, in cantitate, valoare si procente.",
                        QString("  Tablou de bord|1|Loturile care expira, receptiile de produse fara consum si productia ") +
                            "lunii fata de luna trecuta.",
                    }));
}

// The hand-over of the application and screen, as the add-on's windows see it: in the
// production context the entry points hand to the menus module.
TEST(Handover, ClearRestoresExactlyTheObjectsThatWereCurrent)
{
    QWidget owner;
    TMenuItem* menu = QvxAddOnMainForm(&owner);
    ASSERT_NE(menu, nullptr);
    const corvanel::TProductionContext& context = static_cast<corvanel::TProductionMenus*>(menu->parent())->Context();
    TApplication* ownApp = context.Application;
    TScreen* ownScreen = context.Screen;
    ASSERT_NE(ownApp, nullptr);
    ASSERT_NE(ownScreen, nullptr);
    TApplication hostApp;
    TScreen hostScreen;
    InitAddOnDLL(&hostScreen, &hostApp);
    EXPECT_EQ(context.Application, &hostApp);
    EXPECT_EQ(context.Screen, &hostScreen);
    ClearAddOnDLL();
    EXPECT_EQ(context.Application, ownApp);
    EXPECT_EQ(context.Screen, ownScreen);
}

// A library the loader keeps mapped after the host unloads it starts again with no company:
// the menus made for the next host connect only to the company that host hands over.
TEST(Handover, ClearForgetsTheCompanyHandedOver)
{
    TestCompany company;
    auto first = std::make_unique<QWidget>();
    ASSERT_NE(QvxAddOnMainForm(first.get()), nullptr);
    THostString dir(company.Dir() + "/");
    QvxAddOnChangeDB(dir.Get());
    ASSERT_TRUE(Child<TDatabase>(first.get(), "ProductionDatabase")->Connected());
    first.reset();
    ClearAddOnDLL();

    QWidget second;
    ASSERT_NE(QvxAddOnMainForm(&second), nullptr);
    EXPECT_FALSE(Child<TDatabase>(&second, "ProductionDatabase")->Connected());
    ClearAddOnDLL();
}

} // namespace
