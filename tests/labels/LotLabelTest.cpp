// A finished lot's label as read from the company and laid out on its pages.
#include "ProductionFixture.h"
#include "labels/LabelSheet.h"
#include "labels/LotLabel.h"
#include "labels/LotLabelsDialog.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace corvanel;

namespace {

QVariantList CatalogRow(const char* code, const char* name, const char* unit, const QVariant& shelfLife,
                        const char* barcode)
{
    return {"02", code, name, 100.0, QString(), unit, 20.0, "RON", 9.0, 0.0, "345", "607",
            "4426", "4427", "446", "378", "701", 0.0, shelfLife, barcode};
}

struct TLabelCompany {
    TLabelCompany()
    {
        company.Add(fw::FirmDataDB, {{"Lactate SRL", "Sanpetru", "RO1", "J08/1", "0268"}});
        company.Add(fw::CatalogDB, {CatalogRow("CAS", "Cas", "kg", 45.0, "9501101530003"),
                                    CatalogRow("IAURT", "Iaurt 150 g", "buc", QVariant(), "12345670"),
                                    CatalogRow("UNT", "Unt", "buc", 30.0, "9501101530004"),
                                    CatalogRow("LAPTE", "Lapte", "buc", 7.0, "")});
        company.Add(fw::DocInDB, {{1.0, QDate(2026, 12, 7), 1001.0, "BP", QDate(2026, 12, 7), "PROD"}});
        // The lot of cas came in on two lines; its stock entered the day after the receipt.
        company.Add(fw::ItemInDB, {{1.0, 1.0, "PF", "02", "CAS", "C-1", 10.0},
                                   {1.0, 2.0, "PF", "02", "CAS", "C-1", 2.5},
                                   {1.0, 3.0, "PF", "02", "IAURT", "I-1", 400.0}});
        company.Add(fw::StocDB, {{7.0, "CAS", "02", "PF", 2.5, "C-1", "ADM", 1.0, 1.0, QDate(2026, 12, 8)},
                                 {2.5, "CAS", "02", "PF", 2.5, "C-1", "ADM", 1.0, 2.0, QDate(2026, 12, 8)},
                                 {3.0, "UNT", "02", "PF", 2.5, "U-1", "ADM", 0.0, 0.0, QDate(2026, 12, 1)},
                                 {3.0, "LAPTE", "02", "PF", 2.5, "P-1", "ADM", 0.0, 0.0, QDate(2026, 12, 1)}});
        production.Connect(company);
    }
    testsupport::TestCompany company;
    testsupport::TProduction production;
};

QString Refusal(TLabelCompany& c, const char* code, const QString& lot)
{
    try {
        ReadLotLabel(c.production.Context, "02", code, lot);
    } catch (const fw::Exception& e) {
        return e.Message();
    }
    return "(nothing refused)";
}

TEST(LotLabel, ReadFromTheCatalogTheReceiptAndTheStock)
{
    TLabelCompany c;
    // Cas is sold by weight: what the two receipt lines brought in (not what is left) in kg;
    // produced on the stock's entry day, 45 days to eat it.
    const TLotLabel cas = ReadLotLabel(c.production.Context, "02", "CAS", "C-1");
    EXPECT_EQ(cas.Company, "Lactate SRL");
    EXPECT_EQ(cas.Name, "Cas");
    EXPECT_EQ(cas.Produced, QDate(2026, 12, 8));
    EXPECT_EQ(cas.UseBy, QDate(2027, 1, 22));
    EXPECT_EQ(cas.Quantity, 12.5);
    EXPECT_EQ(gs1::HumanReadable(cas.Elements), "(01)09501101530003(11)261208(17)270122(3102)001250(10)C-1");
    // One package of it, given.
    EXPECT_EQ(gs1::HumanReadable(ReadLotLabel(c.production.Context, "02", "CAS", "C-1", 2.0).Elements),
              "(01)09501101530003(11)261208(17)270122(3102)000200(10)C-1");
    // Yoghurt by the piece, no shelf life, no stock row: the receipt's day, no (17), no weight.
    const TLotLabel iaurt = ReadLotLabel(c.production.Context, "02", "IAURT", "I-1");
    EXPECT_EQ(iaurt.Produced, QDate(2026, 12, 7));
    EXPECT_FALSE(iaurt.UseBy.isValid());
    EXPECT_EQ(gs1::EncodeData(iaurt.Elements), "0100000012345670" "11261207" "10I-1");
}

// The lot's own expiry date wins over its entry plus the shelf life: from its stock row
// while it has one, else from its receipt line.
TEST(LotLabel, TheLotsOwnExpiryDateIsTheUseByDate)
{
    TLabelCompany c;
    const auto dated = [](double counter, double line, const char* code, const char* lot, double quantity, const QDate& own) {
        QVariantList row{counter, line, "PF", "02", code, lot, quantity};
        while (row.size() < 18)
            row << QVariant();
        return row << own;
    };
    // Cas keeps 45 days: by them C-2 (entered 1.12) would last to 15.01, its own date is 20.12.
    c.company.Add(fw::StocDB, {{3.0, "CAS", "02", "PF", 2.5, "C-2", "ADM", 0.0, 0.0, QDate(2026, 12, 1), QDate(2026, 12, 20)}});
    EXPECT_EQ(ReadLotLabel(c.production.Context, "02", "CAS", "C-2").UseBy, QDate(2026, 12, 20));
    // Yoghurt keeps no shelf life; I-2's line gives 15.12, and no stock row is left of it.
    c.company.Add(fw::ItemInDB, {dated(1.0, 4.0, "IAURT", "I-2", 100.0, QDate(2026, 12, 15))});
    const TLotLabel iaurt = ReadLotLabel(c.production.Context, "02", "IAURT", "I-2");
    EXPECT_EQ(iaurt.UseBy, QDate(2026, 12, 15));
    EXPECT_EQ(gs1::EncodeData(iaurt.Elements), "0100000012345670" "11261207" "17261215" "10I-2");
}

TEST(LotLabel, WhatWouldMakeAWrongLabelIsRefused)
{
    TLabelCompany c;
    const struct {
        const char* code;
        QString lot;
        const char* said;
    } refused[] = {
        {"UNT", "U-1", "Codul de bare \"9501101530004\" al articolului 02/UNT (Unt) are cifra de control gresita (ar fi 3)"},
        {"LAPTE", "P-1", "Articolul 02/LAPTE (Lapte) nu are cod de bare (GTIN) in catalog"},
        {"CAS", "C-2", "Lotul \"C-2\" al articolului 02/CAS nu exista in firma."},
        {"BRANZA", "B-1", "Articolul 02/BRANZA nu exista in catalog."},
        {"CAS", "C 1", "contine caracterul \" \""},
    };
    for (const auto& r : refused)
        EXPECT_TRUE(Refusal(c, r.code, r.lot).contains(r.said)) << Refusal(c, r.code, r.lot).toStdString();
}

TLotLabel HandMadeLabel()
{
    TLotLabel label;
    label.Company = "Lactate SRL";
    label.Name = "Cas";
    label.Unit = "kg";
    label.Lot = "C-1";
    label.Produced = QDate(2026, 12, 8);
    label.UseBy = QDate(2027, 1, 22);
    label.Quantity = 12.5;
    label.Elements = gs1::LotElements("09501101530003", "C-1", label.Produced, label.UseBy, 12.5);
    return label;
}

TEST(LotLabel, PagesOfEachSize)
{
    const TLotLabel label = HandMadeLabel();
    const struct {
        TLabelSize size;
        int copies;
        int pages;
        QSizeF page;
        size_t labelsOnFirst;
    } sizes[] = {
        {TLabelSize::Label100x50, 3, 3, QSizeF(100, 50), 1},
        {TLabelSize::Label100x150, 1, 1, QSizeF(100, 150), 1},
        {TLabelSize::SheetA4, 11, 2, QSizeF(210, 297), 10},
    };
    for (const auto& s : sizes) {
        const fw::TReportDocument doc = LabelDocument(label, s.size, s.copies);
        ASSERT_EQ(doc.PageCount(), s.pages);
        const fw::TReportPage& first = doc.Pages.front();
        EXPECT_EQ(first.Size, s.page);
        const auto readable = first.TextsNamed("GS1");
        ASSERT_EQ(readable.size(), s.labelsOnFirst);
        EXPECT_EQ(readable.front()->Text, "(01)09501101530003(11)261208(17)270122(3102)001250(10)C-1");
        EXPECT_EQ(first.TextsNamed("Expirare").front()->Text, "A se consuma pina la: 22.01.2027");
        EXPECT_EQ(first.TextsNamed("Cantitate").front()->Text, "Cantitate neta: 12,50 kg");
        // Every bar inside the page.
        ASSERT_FALSE(first.Fills.empty());
        for (const QRectF& bar : first.Fills)
            EXPECT_TRUE(QRectF(QPointF(0, 0), s.page).contains(bar));
    }
    EXPECT_EQ(LabelDocument(label, TLabelSize::SheetA4, 11).Pages.back().TextsNamed("GS1").size(), 1u);
    EXPECT_EQ(LabelSizeNamed(" a4 "), TLabelSize::SheetA4);
    EXPECT_EQ(LabelSizeNamed("100x150"), TLabelSize::Label100x150);
    EXPECT_EQ(LabelSizeNamed("62x29"), std::nullopt);
}

} // namespace

namespace {

// The dialog takes a scanned label's string, says what the codes will hold, and saves the
// labels; a lot it cannot label is told where the choices are, and nothing is saved.
TEST(LotLabelsDialog, AScannedLotCheckedThenSaved)
{
    TLabelCompany c;
    fw::TMessageRecorder messages;
    TLotLabelsDialog dialog(c.production.Context, nullptr);
    auto* lot = dialog.findChild<QLineEdit*>("LotEdit");
    auto* check = dialog.findChild<QLabel*>("CheckLabel");
    auto* save = dialog.findChild<QPushButton*>("SaveButton");
    EXPECT_FALSE(save->isEnabled());

    lot->setText("(01)09501101530003(17)270122(10)C-1");
    emit lot->returnPressed();
    EXPECT_EQ(dialog.findChild<QLineEdit*>("GroupEdit")->text(), "02");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("ArticleEdit")->text(), "CAS");
    EXPECT_EQ(lot->text(), "C-1");
    EXPECT_EQ(check->text(), "Cas, lot C-1: (01)09501101530003(11)261208(17)270122(3102)001250(10)C-1");
    EXPECT_TRUE(save->isEnabled());
    dialog.findChild<QComboBox*>("SizeCombo")->setCurrentText("A4");
    dialog.findChild<QSpinBox*>("CopiesSpin")->setValue(11);
    testsupport::TempDir temp;
    ASSERT_TRUE(dialog.saveTo(temp.File("etichete.pdf")));
    EXPECT_TRUE(QFile::exists(temp.File("etichete.pdf")));

    // One package of 2,5 kg, typed with a comma.
    dialog.findChild<QLineEdit*>("QuantityEdit")->setText("2,5");
    emit dialog.findChild<QLineEdit*>("QuantityEdit")->editingFinished();
    EXPECT_TRUE(check->text().endsWith("(3102)000250(10)C-1")) << check->text().toStdString();

    dialog.findChild<QLineEdit*>("ArticleEdit")->setText("UNT");
    lot->setText("U-1");
    emit lot->editingFinished();
    EXPECT_TRUE(check->text().contains("are cifra de control gresita")) << check->text().toStdString();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(dialog.saveTo(temp.File("unt.pdf")));
    EXPECT_FALSE(QFile::exists(temp.File("unt.pdf")));
    EXPECT_EQ(messages.Count(), 1);
}

} // namespace
