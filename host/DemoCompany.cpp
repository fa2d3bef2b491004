#include "host/DemoCompany.h"

#include "host/Company.h"
#include "host/ReceiptLedger.h"
#include "platform/config/FileLock.h"
#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace pelmaris {

namespace {

const QString kFinished = QStringLiteral("02");
const QString kRaw = QStringLiteral("01");
const QString kPackaging = QStringLiteral("03");
const QString kSemi = QStringLiteral("04");
const QString kFirmName = QStringLiteral("Lactate Izvoare SRL");
// Finished goods are received from the plant's own production section.
const QString kProductionSection = QStringLiteral("PRODUCTIE");

struct TArticle {
    QString Group;
    QString Code;
    QString Name;
    QString Unit;
    double Price;          // sale price for products, purchase price for materials
    double RecipeYield;    // 0 for what has no recipe
    double VatPercent;
    QVariant ShelfLifeDays; // null where it does not apply
    double MinimumStock;
    QString Description;
};

const std::vector<TArticle>& Articles()
{
    static const std::vector<TArticle> articles = {
        // Raw materials and ingredients.
        {kRaw, ".LAPTE", "Lapte crud de vacă", "l", 2.20, 0, 9, 2, 1000, "Lapte integral, refrigerat la 4 °C"},
        {kRaw, ".SMANT", "Smântână crudă 35% grăsime", "kg", 14.00, 0, 9, 5, 100, ""},
        {kRaw, ".LPRAF", "Lapte praf degresat", "kg", 16.50, 0, 9, 365, 20, ""},
        {kRaw, ".CULTI", "Culturi starter iaurt", "kg", 950.00, 0, 9, 540, 0.5, "Culturi liofilizate, păstrare la -18 °C"},
        {kRaw, ".CULTK", "Granule de chefir", "kg", 1200.00, 0, 9, 180, 0.5, ""},
        {kRaw, ".CHEAG", "Cheag microbian lichid", "l", 85.00, 0, 9, 365, 1, ""},
        {kRaw, ".SARE", "Sare alimentară extrafină", "kg", 1.20, 0, 9, QVariant(), 20, ""},
        {kRaw, ".CLCA", "Clorură de calciu alimentară", "kg", 12.00, 0, 9, 720, 2, ""},
        {kRaw, ".ZAHAR", "Zahăr tos", "kg", 4.80, 0, 9, 720, 50, ""},
        {kRaw, ".FRUCTE", "Piure de fructe de pădure", "kg", 18.00, 0, 9, 90, 20, ""},
        // Packaging.
        {kPackaging, ".PAHAR", "Pahar PP 150 ml", "buc", 0.18, 0, 19, QVariant(), 2000, ""},
        {kPackaging, ".CAPAC", "Folie capac aluminiu 75 mm", "buc", 0.05, 0, 19, QVariant(), 2000, ""},
        {kPackaging, ".GALEATA", "Găleată PP 5 kg cu capac", "buc", 2.10, 0, 19, QVariant(), 50, ""},
        {kPackaging, ".PUNGA", "Pungă PE lapte 1 l", "buc", 0.07, 0, 19, QVariant(), 3000, ""},
        {kPackaging, ".HARTIE", "Hârtie pergaminată unt 200 g", "buc", 0.09, 0, 19, QVariant(), 500, ""},
        {kPackaging, ".ETICH", "Etichetă autoadezivă", "buc", 0.02, 0, 19, QVariant(), 1000, ""},
        // Semi-finished products.
        {kSemi, ";MAIA", "Maia de cultură pentru iaurt", "kg", 6.00, 10, 9, 3, 0, ""},
        {kSemi, ";COAGUL", "Coagul pentru brânzeturi", "kg", 2.60, 100, 9, 1, 0, ""},
        // Finished products.
        {kFinished, "IAURT", "Iaurt cu fructe de pădure 150 g", "buc", 2.90, 100, 9, 21, 0,
         "Iaurt din lapte de vacă, 3,2% grăsime, cu 10% fructe"},
        {kFinished, "TELEMEA", "Telemea de vacă", "kg", 28.00, 100, 9, 60, 0, "Maturată în saramură, găleți de 5 kg"},
        {kFinished, "CAS", "Caș proaspăt de vacă", "kg", 24.00, 100, 9, 10, 0, "Caș nematurat, bucăți de 2 kg"},
        {kFinished, "SMANTANA", "Smântână 20%", "kg", 19.50, 100, 9, 21, 0, "Smântână fermentată, pahare de 200 g"},
        {kFinished, "UNT", "Unt 80% grăsime 200 g", "buc", 9.50, 100, 9, 45, 0, "Unt nesărat"},
        {kFinished, "LAPTE", "Lapte de consum 3,5% 1 l", "buc", 6.20, 1000, 9, 7, 0, "Lapte pasteurizat, pungă de 1 l"},
        {kFinished, "BRANZA", "Brânză proaspătă de vaci", "kg", 22.00, 100, 9, 14, 0, "Găleți de 5 kg"},
        {kFinished, "KEFIR", "Chefir 150 g", "buc", 3.20, 100, 9, 14, 0, "Chefir din lapte de vacă, 2% grăsime"},
    };
    return articles;
}

// The finished products' GTIN-13s, so that their lot labels print as they are: numbers of
// the range GS1 leaves to a company's own use (prefix 200), which no trade item outside it
// carries, each ending in its check digit.
QString GtinOf(const TArticle& a)
{
    static const std::map<QString, QString> gtins = {
        {"IAURT", "2000000000015"}, {"TELEMEA", "2000000000022"}, {"CAS", "2000000000039"},
        {"SMANTANA", "2000000000046"}, {"UNT", "2000000000053"}, {"LAPTE", "2000000000060"},
        {"BRANZA", "2000000000077"}, {"KEFIR", "2000000000084"},
    };
    const auto found = gtins.find(a.Code);
    return a.Group == kFinished && found != gtins.end() ? found->second : QString();
}

const TArticle& Article(const QString& code)
{
    for (const TArticle& a : Articles()) {
        if (a.Code == code)
            return a;
    }
    throw fw::EDatabaseError(QStringLiteral("Articol necunoscut: %1").arg(code));
}

struct TRecipeLine {
    const char* Product;
    const char* Material;
    double Quantity;
};

// Quantities for the product's recipe yield (CantReteta).
const std::vector<TRecipeLine> kRecipes = {
    {"IAURT", ".LAPTE", 13}, {"IAURT", ".LPRAF", 0.3}, {"IAURT", ";MAIA", 0.75}, {"IAURT", ".FRUCTE", 1.5},
    {"IAURT", ".ZAHAR", 0.6}, {"IAURT", ".PAHAR", 100}, {"IAURT", ".CAPAC", 100},
    {";MAIA", ".LAPTE", 10}, {";MAIA", ".CULTI", 0.01},
    {";COAGUL", ".LAPTE", 100}, {";COAGUL", ".CHEAG", 0.03}, {";COAGUL", ".CLCA", 0.02},
    {"TELEMEA", ";COAGUL", 650}, {"TELEMEA", ".SARE", 5}, {"TELEMEA", ".GALEATA", 20},
    {"CAS", ";COAGUL", 550}, {"CAS", ".SARE", 0.5}, {"CAS", ".ETICH", 50},
    {"SMANTANA", ".SMANT", 60}, {"SMANTANA", ".LAPTE", 42}, {"SMANTANA", ".CULTI", 0.005},
    {"SMANTANA", ".PAHAR", 500}, {"SMANTANA", ".CAPAC", 500},
    {"UNT", ".SMANT", 45}, {"UNT", ".HARTIE", 100}, {"UNT", ".ETICH", 100},
    {"LAPTE", ".LAPTE", 1010}, {"LAPTE", ".PUNGA", 1000},
    {"BRANZA", ".LAPTE", 550}, {"BRANZA", ".CULTI", 0.02}, {"BRANZA", ".CLCA", 0.01}, {"BRANZA", ".GALEATA", 20},
    {"KEFIR", ".LAPTE", 15.5}, {"KEFIR", ".CULTK", 0.08}, {"KEFIR", ".PAHAR", 100}, {"KEFIR", ".CAPAC", 100},
};

// One line of a receipt: warehouse, article, quantity, lot.
struct TLine {
    const char* Store;
    const char* Code;
    double Quantity;
    QString Lot;
    int ExpiresIn = 0; // the supplier's own expiry date, in days from today; 0: none (entry plus shelf life)
};

struct TReceipt {
    int DaysAgo;
    const char* Type;
    double Number;
    const char* Supplier;
    const char* Agent;
    const char* Explanation;
    std::vector<TLine> Lines;
};

// Finished goods enter at about 60% of their sale price (their production cost);
// materials at their purchase price.
double CostOf(const TArticle& a) { return a.Group == kFinished ? std::round(a.Price * 60) / 100 : a.Price; }

// Every delivery enters by the day of the first production that draws on it: a lot that
// entered after a finished-goods receipt's day is never drawn for it.
std::vector<TReceipt> Receipts()
{
    return {
        // The rennet's supplier dated its lot: it expires within the week, long before the
        // year its article keeps, and the expiring lots show it.
        {62, "SI", 1, "", "ADM", "Sold inițial materii prime și ambalaje",
         {{"_FRG", ";MAIA", 10, "MA-0901"}, {"_FRG", ";COAGUL", 2600, "CG-0901"},
          {"_FRG", ";COAGUL", 2400, "CG-0902"}, {"_FRG", ".SMANT", 300, "SM-0901"}, {"_FRG", ".FRUCTE", 120, "FP-2207"},
          {"_FRG", ".CULTI", 1.0, "CI-2403"}, {"_FRG", ".CULTK", 1.2, "CK-2402"}, {"_FRG", ".CHEAG", 3, "CH-2311", 5},
          {"_MP", ".SARE", 25, "SA-2401"}, {"_MP", ".ZAHAR", 100, "ZA-2406"}, {"_MP", ".LPRAF", 40, "LP-2405"},
          {"_MP", ".CLCA", 5, "CC-2402"}, {"_MP", ".PAHAR", 5000, "PH-2401"}, {"_MP", ".CAPAC", 5000, "CP-2401"},
          {"_AMB", ".PAHAR", 8000, "PH-2402"}, {"_AMB", ".CAPAC", 8000, "CP-2402"},
          {"_AMB", ".GALEATA", 200, "GA-2403"}, {"_AMB", ".PUNGA", 10000, "PU-2404"},
          {"_AMB", ".HARTIE", 2000, "HP-2401"}, {"_AMB", ".ETICH", 3000, "ET-2405"}}},
        // Raw milk keeps two days: each delivery comes the day before (or the day of) the
        // productions that draw on it, and holds what they take, so no production draws
        // milk past its expiry.
        {50, "NIR", 100, "FERMA1", "MPO", "Lapte crud, aviz 1120", {{"_FRG", ".LAPTE", 363, "LC-0901"}}},
        {41, "NIR", 101, "FERMA1", "MPO", "Lapte crud, aviz 1184", {{"_FRG", ".LAPTE", 4020, "LC-1184"}}},
        {35, "NIR", 102, "FERMA2", "MPO", "Smântână, aviz 562", {{"_FRG", ".SMANT", 300, "SM-0562"}}},
        {27, "NIR", 105, "FERMA2", "MPO", "Lapte crud, aviz 571", {{"_FRG", ".LAPTE", 557, "LC-0562"}}},
        {20, "NIR", 106, "FERMA3", "MPO", "Lapte crud, aviz 2184", {{"_FRG", ".LAPTE", 1100, "LC-2184"}}},
        {15, "NIR", 103, "INGRED", "MPO", "Sare și granule de chefir, factura 7781",
         {{"_MP", ".SARE", 25, "SA-2409"}, {"_FRG", ".CULTK", 0.5, "CK-2408"}}},
        {13, "NIR", 104, "FERMA3", "MPO", "Lapte crud, aviz 2210", {{"_FRG", ".LAPTE", 4124, "LC-2210"}}},
        {5, "NIR", 107, "FERMA1", "MPO", "Lapte crud, aviz 1231", {{"_FRG", ".LAPTE", 1200, "LC-1231"}}},
    };
}

// Handovers of finished goods from the plant's own production section to the
// finished-goods warehouse (of semi-finished products, to the cold room).
struct TProduction {
    int DaysAgo;
    double Number;
    std::vector<std::pair<const char*, double>> Products;
};

const std::vector<TProduction> kProduction = {
    {55, 1001, {{"TELEMEA", 250}, {"CAS", 120}}},
    // The yoghurt culture made in the plant: the yoghurt of 1002 takes the 10 kg left of
    // the opening stock and 5 kg of this lot, so its lots can be followed through it.
    {50, 2001, {{";MAIA", 40}}},
    {48, 1002, {{"IAURT", 2000}, {"SMANTANA", 150}}},
    {40, 1003, {{"LAPTE", 3000}, {"BRANZA", 180}}},
    {33, 1004, {{"UNT", 800}, {"TELEMEA", 200}}},
    {26, 1005, {{"IAURT", 2500}, {"KEFIR", 1500}}},
    {19, 1006, {{"CAS", 150}, {"BRANZA", 200}}},
    {12, 1007, {{"LAPTE", 4000}, {"SMANTANA", 200}}},
    // Needs 2.4 kg of kefir grains, 2 once the requirement rounds it to whole units; the
    // stock holds 1.7, and 0.7 once the consumption of 1005 has drawn on it.
    {4, 1008, {{"KEFIR", 3000}, {"IAURT", 1800}}},
};

struct TSale {
    int DaysAgo;
    double Number;
    const char* Client;
    std::vector<std::pair<const char*, double>> Products;
};

const std::vector<TSale> kSales = {
    {20, 5001, "Alimentara Sânpetru SRL", {{"TELEMEA", 120}, {"IAURT", 800}, {"LAPTE", 1500}}},
    {8, 5002, "Magazinul Sătesc Hărman", {{"CAS", 60}, {"BRANZA", 90}, {"SMANTANA", 50}}},
};

void Fill(const QString& dir, const QString& name, const std::vector<QVariantList>& rows)
{
    auto table = OpenTable(dir, name);
    for (const QVariantList& row : rows)
        table->AppendRecord(row);
}

QVariantList CatalogRow(const TArticle& a)
{
    struct Accounts {
        const char* Goods;
        const char* Expense;
        const char* Revenue;
    };
    static const std::map<QString, Accounts> byGroup = {
        {kRaw, {"301", "601", "707"}},
        {kPackaging, {"381", "6021", "707"}},
        {kSemi, {"341", "601", "711"}},
        {kFinished, {"345", "607", "701"}},
    };
    const Accounts& acc = byGroup.at(a.Group);
    return {a.Group, a.Code, a.Name, a.RecipeYield > 0 ? QVariant(a.RecipeYield) : QVariant(), a.Description,
            a.Unit, a.Price, QStringLiteral("RON"), a.VatPercent, 0.0, QString::fromLatin1(acc.Goods),
            QString::fromLatin1(acc.Expense), QStringLiteral("4426"), QStringLiteral("4427"), QStringLiteral("446"),
            QStringLiteral("378"), QString::fromLatin1(acc.Revenue), a.MinimumStock, a.ShelfLifeDays, GtinOf(a)};
}

constexpr double kUsdRate = 4.60;

class TBuilder {
public:
    TBuilder(QString dir, QDate today) : dir_(std::move(dir)), today_(today) {}

    void Masters();
    void Recipes();
    void Norms();
    void AllReceipts();
    void Sales();
    void Counters();
    // The finished-goods receipts written, oldest first.
    const std::vector<double>& Production() const { return production_; }

private:
    double AddHeader(const QDate& date, const QString& type, double number, const QString& supplier,
                     const QString& explanation);
    void AddLine(double contor, double line, const TLine& l, const QString& agent);

    QString dir_;
    QDate today_;
    double lastIn_ = 0;
    double lastOut_ = 0;
    std::vector<double> production_;
};

void TBuilder::Masters()
{
    Fill(dir_, fw::MaterialeDB,
         {{"MP", "Materii prime", "301"}, {"PF", "Produse finite", "345"}, {"AMB", "Ambalaje", "381"},
          {"SF", "Semifabricate", "341"}});
    Fill(dir_, fw::GrupDB,
         {{"MP", kRaw, "Materii prime lactate și ingrediente", "301"},
          {"PF", kFinished, "Produse lactate finite", "345"},
          {"AMB", kPackaging, "Ambalaje", "381"},
          {"SF", kSemi, "Semifabricate", "341"}});
    std::vector<QVariantList> catalog;
    for (const TArticle& a : Articles())
        catalog.push_back(CatalogRow(a));
    Fill(dir_, fw::CatalogDB, catalog);
    Fill(dir_, fw::GestDB,
         {{"_MP", "Depozit materii prime", "Ana Mureșan"},
          {"_AMB", "Depozit ambalaje", "Ana Mureșan"},
          {"_FRG", "Frigorifer materii prime", "Vasile Nistor"},
          {"PF", "Depozit produse finite", "Maria Popescu"},
          {"MAG", "Magazin de prezentare", "Elena Dobre"}});
    Fill(dir_, fw::FurnDB,
         {{"FERMA1", "Agroferma Valea Mureșului SRL", "RO14522871", "Sânpetru", "Str. Morii 4", "0268 411 203"},
          {"FERMA2", "Asociația Crescătorilor de Bovine Sânpetru", "RO29811460", "Sânpetru", "Str. Principală 112",
           "0268 411 877"},
          {"FERMA3", "Ferma Zootehnică Hărman SRL", "RO17340095", "Hărman", "Str. Câmpului 9", "0268 367 120"},
          {"INGRED", "Ingrediente Alimentare Carpați SRL", "RO21904418", "Brașov", "Str. Zizinului 61", "0268 330 915"},
          {"AMBALAJ", "Plastambal Brașov SRL", "RO10475592", "Brașov", "Calea Feldioarei 22", "0268 325 640"},
          {kProductionSection, "Secția de producție proprie", "RO18452736", "Sânpetru", "Str. Fabricii 1",
           "0268 412 555"},
          // The customers, under the names the outgoing documents give them: a recall finds
          // whom to call, and at what number, by that name.
          {"Alimentara Sânpetru SRL", "Alimentara Sânpetru SRL", "RO30117452", "Sânpetru", "Str. Principală 40",
           "0268 411 530"},
          {"Magazinul Sătesc Hărman", "Magazinul Sătesc Hărman", "RO25583019", "Hărman", "Str. Școlii 3", "0268 367 402"}});
    Fill(dir_, fw::ValutaDB, {{"RON", "Leu românesc", 1.0}, {"EUR", "Euro", 4.97}, {"USD", "Dolar american", kUsdRate}});
    Fill(dir_, fw::FirmDataDB, {{kFirmName, "Sânpetru, Brașov", "RO18452736", "J08/1234/2006", "0268 412 555"}});
    // The administrator first: the add-on signs its documents with the first user.
    Fill(dir_, fw::UserDB, {{"ADM", "Administrator"}, {"MPO", "Maria Popescu"}, {"VNI", "Vasile Nistor"}});
}

// The norms a dairy's laboratory judges by: raw cow's milk as the EU hygiene rules and the
// purchase contracts set it (germs and somatic cells per ml, no inhibitors, the freezing
// point of milk without added water, fat and protein minimums); every pasteurised product
// free of Listeria in 25 g and within 10 Enterobacteriaceae per ml.
void TBuilder::Norms()
{
    const QVariant none;
    Fill(dir_, fw::NormeCalitateDB,
         {{kRaw, ".LAPTE", "NTG", none, 100000.0, none},
          {kRaw, ".LAPTE", "NCS", none, 400000.0, none},
          {kRaw, ".LAPTE", "INHIBITORI", none, none, "negativ"},
          {kRaw, ".LAPTE", "PUNCT_CRIOSCOPIC", none, -0.520, none},
          {kRaw, ".LAPTE", "GRASIME", 3.2, none, none},
          {kRaw, ".LAPTE", "PROTEINA", 3.0, none, none},
          {kRaw, ".LAPTE", "TEMPERATURA", none, 8.0, none},
          {kFinished, none, "ENTEROBACTERIACEAE", none, 10.0, none},
          {kFinished, none, "LISTERIA", none, none, "absent"}});
}

void TBuilder::Recipes()
{
    std::vector<QVariantList> rows;
    for (const TRecipeLine& r : kRecipes) {
        const TArticle& material = Article(QString::fromLatin1(r.Material));
        rows.push_back({QString::fromLatin1(r.Product), material.Code, r.Quantity, material.Group});
    }
    Fill(dir_, fw::RecipeTable().Name, rows);
}

double TBuilder::AddHeader(const QDate& date, const QString& type, double number, const QString& supplier,
                           const QString& explanation)
{
    const double contor = ++lastIn_;
    // The registration date is the document's date: the traceability report finds the
    // consumption of a receipt by it.
    Fill(dir_, fw::DocInDB, {{contor, date, number, type, date, supplier, explanation}});
    return contor;
}

void TBuilder::AddLine(double contor, double line, const TLine& l, const QString& agent)
{
    const TArticle& a = Article(QString::fromLatin1(l.Code));
    const double price = CostOf(a);
    const double usd = std::round(price / kUsdRate * 10000) / 10000;
    const double vat = std::round(l.Quantity * price * a.VatPercent) / 100;
    const QVariantList byField = {contor,          line,    QString::fromLatin1(l.Store), a.Group, a.Code,
                                  l.Lot,           l.Quantity, price, QStringLiteral("RON"), price,
                                  usd,             vat,     CatalogRow(a).at(10), QStringLiteral("4426"), agent,
                                  QVariant(),      false,   QVariant(),
                                  l.ExpiresIn != 0 ? QVariant(today_.addDays(l.ExpiresIn)) : QVariant()};
    AddReceiptLine(dir_, byField);
}

void TBuilder::AllReceipts()
{
    struct TDated {
        int DaysAgo;
        std::function<void()> Write;
    };
    std::vector<TDated> documents;
    for (const TReceipt& r : Receipts()) {
        documents.push_back({r.DaysAgo, [this, r] {
                                 const QDate date = today_.addDays(-r.DaysAgo);
                                 const double contor = AddHeader(date, QString::fromLatin1(r.Type), r.Number,
                                                                 QString::fromLatin1(r.Supplier),
                                                                 QString::fromUtf8(r.Explanation));
                                 double line = 0;
                                 for (const TLine& l : r.Lines)
                                     AddLine(contor, ++line, l, QString::fromLatin1(r.Agent));
                             }});
    }
    for (const TProduction& p : kProduction) {
        documents.push_back({p.DaysAgo, [this, p] {
                                 const QDate date = today_.addDays(-p.DaysAgo);
                                 const double contor =
                                     AddHeader(date, fw::ProductionDocType, p.Number, kProductionSection,
                                               QStringLiteral("Predare produse finite din secția de producție"));
                                 production_.push_back(contor);
                                 double line = 0;
                                 for (const auto& [code, quantity] : p.Products) {
                                     const QString lot =
                                         QStringLiteral("L%1-%2").arg(date.toString(QStringLiteral("yyMMdd"))).arg(int(line + 1), 2, 10, QLatin1Char('0'));
                                     // Semi-finished products stay in the cold room, where the
                                     // production draws on them.
                                     const char* store = Article(QString::fromLatin1(code)).Group == kSemi ? "_FRG" : "PF";
                                     AddLine(contor, ++line, {store, code, quantity, lot}, QStringLiteral("MPO"));
                                 }
                             }});
    }
    // Counters follow the dates, as they would have been handed out.
    std::stable_sort(documents.begin(), documents.end(),
                     [](const TDated& a, const TDated& b) { return a.DaysAgo > b.DaysAgo; });
    for (const TDated& d : documents)
        d.Write();
}

void TBuilder::Sales()
{
    auto headers = OpenTable(dir_, fw::DocOutDB);
    auto lines = OpenTable(dir_, fw::ItemOutDB);
    auto stock = OpenTable(dir_, fw::StocDB, "Cod_grupa;Cod_articol");
    for (const TSale& s : kSales) {
        const QDate date = today_.addDays(-s.DaysAgo);
        const double contor = ++lastOut_;
        headers->AppendRecord({contor, date, s.Number, fw::InvoiceDocType, date, QString::fromUtf8(s.Client),
                               QStringLiteral("Factură %1").arg(s.Number), date.addDays(30), QStringLiteral("MPO")});
        double line = 0;
        for (const auto& [code, wanted] : s.Products) {
            const TArticle& a = Article(QString::fromLatin1(code));
            // Oldest lot first: the lots of one article come in the order they entered.
            double left = wanted;
            stock->FindKey({kFinished, a.Code});
            while (left > StockTolerance && !stock->Eof()
                   && stock->FieldByName("Cod_articol")->AsString() == a.Code) {
                const double lot = stock->FieldByName("Cantitate")->AsFloat();
                const double take = std::min(lot, left);
                lines->AppendRecord({contor, ++line, stock->FieldByName("Cod_gestiune")->Value(), a.Group, a.Code, take,
                                     stock->FieldByName("Pret_achizitie")->Value(), a.Price,
                                     std::round(a.Price / kUsdRate * 10000) / 10000,
                                     std::round(take * a.Price * a.VatPercent) / 100, CatalogRow(a).at(10),
                                     CatalogRow(a).at(11), QStringLiteral("4427"), QStringLiteral("446"), 0.0,
                                     QStringLiteral("378"), CatalogRow(a).at(16), stock->FieldByName("Lot")->Value(),
                                     QStringLiteral("MPO"), QVariant()});
                left -= take;
                if (lot - take <= StockTolerance) {
                    stock->Delete();
                } else {
                    stock->Edit();
                    stock->FieldByName("Cantitate")->SetAsFloat(lot - take);
                    stock->Post();
                    stock->Next();
                }
            }
        }
    }
}

void TBuilder::Counters()
{
    auto counter = OpenTable(dir_, fw::CounterDB);
    counter->Edit();
    counter->FieldByName("NewCounterIn")->SetAsFloat(lastIn_);
    counter->FieldByName("NewCounterOut")->SetAsFloat(lastOut_);
    counter->Post();
}

} // namespace

namespace {

// Every file the demo makes in its directory; nothing else there is ever removed.
QStringList DemoFiles()
{
    const QString db = fw::DatabaseFileName();
    return {db,           db + QStringLiteral("-wal"), db + QStringLiteral("-shm"), db + QStringLiteral("-journal"),
            fw::CompanySettingsFile, fw::CompanySettingsFile + QStringLiteral(".lock"), CompanyLockFile};
}

} // namespace

QString DemoRefusal(const QString& directory)
{
    const QDir dir(directory);
    if (!dir.exists())
        return QString();
    const QStringList own = DemoFiles();
    QStringList foreign, held;
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString name = entry.fileName() + (entry.isDir() ? QStringLiteral("/") : QString());
        if (!own.contains(name))
            foreign << name;
        else if (name != CompanyLockFile)
            held << name;
    }
    // Files of the demo's names are the demo's only when they hold it.
    if (foreign.isEmpty() && !held.isEmpty() && !(IsCompanyDirectory(directory) && CompanyName(directory) == kFirmName))
        foreign = held;
    if (foreign.isEmpty())
        return QString();
    constexpr int kNamed = 5;
    QString named = QStringList(foreign.mid(0, kNamed)).join(QStringLiteral(", "));
    if (foreign.size() > kNamed)
        named += QStringLiteral(" si inca %1").arg(foreign.size() - kNamed);
    return QStringLiteral("Directorul <%1> contine si altceva decat firma demonstrativa: %2. Nu a fost sters nimic.")
        .arg(QDir::toNativeSeparators(directory), named);
}

bool CreateDemoCompany(const QString& directory, const QDate& today, const TDemoProduction& production)
{
    if (!QDir().mkpath(directory))
        throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(QDir::toNativeSeparators(directory)));
    const QString lockFile = QDir(directory).filePath(CompanyLockFile);
    const bool lockFileWasThere = QFileInfo::exists(lockFile);
    auto alone = TakeCompanyForRemaking(directory);
    if (!alone)
        return false;
    // Looked at while nobody else can change it.
    if (const QString refusal = DemoRefusal(directory); !refusal.isEmpty()) {
        alone.reset();
        if (!lockFileWasThere)
            QFile::remove(lockFile);
        throw fw::EInOutError(refusal);
    }
    // The demo's own files but the lock itself: a new lock file would let a host in while
    // this one still holds the old.
    const QDir dir(directory);
    for (const QString& name : DemoFiles()) {
        const QString file = dir.filePath(name);
        if (name != CompanyLockFile && QFileInfo::exists(file) && !QFile::remove(file))
            throw fw::EInOutError(QStringLiteral("Nu pot sterge fisierul %1").arg(QDir::toNativeSeparators(file)));
    }

    CreateMissingTables(directory, HostTables());
    CreateMissingTables(directory, {fw::RecipeTable(), fw::QualityNormTable()});
    TBuilder builder(directory, today);
    {
        auto anyTable = OpenTable(directory, fw::CounterDB);
        fw::TTransaction tx(anyTable->GetConnection());
        builder.Masters();
        builder.Recipes();
        builder.Norms();
        builder.AllReceipts();
        builder.Sales();
        builder.Counters();
        tx.Commit();
    }

    fw::TIniFile settings(fw::JoinPath(directory, fw::CompanySettingsFile));
    settings.WriteString(QStringLiteral("Productie"), QStringLiteral("IndGest"), QStringLiteral("_"));
    settings.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("."));
    settings.WriteString(QStringLiteral("Productie"), QStringLiteral("IndSemi"), QStringLiteral(";"));
    // Still alone with the company: nobody sees it before its production is in.
    if (production)
        production(builder.Production());
    return true;
}

} // namespace pelmaris
