#include "labels/LotLabelsDialog.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "labels/ScannedLot.h"
#include "platform/print/Printer.h"
#include "platform/report/ReportPainter.h"
#include "platform/ui/MessageDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvanel {

TLotLabelsDialog::TLotLabelsDialog(TProductionContext& context, QWidget* parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("LotLabelsDialog"));
    setWindowTitle(QStringLiteral("Etichete lot"));
    buildControls();
    checkLabel();
}

void TLotLabelsDialog::buildControls()
{
    group_ = new QLineEdit(this);
    group_->setObjectName(QStringLiteral("GroupEdit"));
    group_->setMaximumWidth(80);
    article_ = new QLineEdit(this);
    article_->setObjectName(QStringLiteral("ArticleEdit"));
    lot_ = new QLineEdit(this);
    lot_->setObjectName(QStringLiteral("LotEdit"));
    lot_->setToolTip(QStringLiteral("Lotul, tastat sau citit cu scanerul de pe o eticheta GS1"));
    quantity_ = new QLineEdit(this);
    quantity_->setObjectName(QStringLiteral("QuantityEdit"));
    quantity_->setPlaceholderText(QStringLiteral("a lotului"));
    copies_ = new QSpinBox(this);
    copies_->setObjectName(QStringLiteral("CopiesSpin"));
    copies_->setRange(1, 1000);
    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("SizeCombo"));
    size_->addItems({QStringLiteral("100x50"), QStringLiteral("100x150"), QStringLiteral("A4")});
    check_ = new QLabel(this);
    check_->setObjectName(QStringLiteral("CheckLabel"));
    check_->setWordWrap(true);
    check_->setMinimumWidth(420);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    print_ = buttons_->addButton(QStringLiteral("&Tipareste"), QDialogButtonBox::ActionRole);
    print_->setObjectName(QStringLiteral("PrintButton"));
    save_ = buttons_->addButton(QStringLiteral("&Salveaza PDF..."), QDialogButtonBox::ActionRole);
    save_->setObjectName(QStringLiteral("SaveButton"));

    auto* articleRow = new QHBoxLayout;
    articleRow->addWidget(group_);
    articleRow->addWidget(new QLabel(QStringLiteral("/"), this));
    articleRow->addWidget(article_);
    auto* form = new QFormLayout;
    auto* articleLabel = new QLabel(QStringLiteral("&Articol (grupa / cod):"), this);
    articleLabel->setBuddy(group_);
    form->addRow(articleLabel, articleRow);
    form->addRow(QStringLiteral("&Lot:"), lot_);
    form->addRow(QStringLiteral("Cantitate &neta a unui ambalaj:"), quantity_);
    form->addRow(QStringLiteral("&Marime:"), size_);
    form->addRow(QStringLiteral("Numar de &etichete:"), copies_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(check_);
    layout->addWidget(buttons_);

    connect(lot_, &QLineEdit::returnPressed, this, &TLotLabelsDialog::takeScannedLot);
    for (QLineEdit* edit : {group_, article_, lot_, quantity_})
        connect(edit, &QLineEdit::editingFinished, this, &TLotLabelsDialog::checkLabel);
    connect(save_, &QPushButton::clicked, this, &TLotLabelsDialog::savePdf);
    connect(print_, &QPushButton::clicked, this, &TLotLabelsDialog::printLabels);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TLotLabelsDialog::takeScannedLot()
{
    if (!gs1::LooksLikeElementString(lot_->text()))
        return;
    try {
        const TScannedLot scanned = ReadScannedLot(context_.Session(), lot_->text());
        if (!scanned.Code.isEmpty()) {
            group_->setText(scanned.Group);
            article_->setText(scanned.Code);
        }
        lot_->setText(scanned.Lot);
    } catch (const gs1::EInvalid& e) {
        check_->setText(e.Message());
        return;
    } catch (const fw::EDatabaseError& e) {
        check_->setText(msg::DatabaseError(e.Message()));
        return;
    }
    checkLabel();
}

std::optional<double> TLotLabelsDialog::quantity() const
{
    QString text = quantity_->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // Typed with a decimal comma or point.
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value > 0))
        throw ELabelRefused(QStringLiteral("\"%1\" nu este o cantitate neta.").arg(quantity_->text()));
    return value;
}

std::optional<fw::TReportDocument> TLotLabelsDialog::labels()
{
    if (article_->text().trimmed().isEmpty() || lot_->text().trimmed().isEmpty()) {
        check_->setText(QStringLiteral("Alegeti articolul si lotul."));
        return std::nullopt;
    }
    try {
        const TLotLabel label = ReadLotLabel(context_, group_->text().trimmed(), article_->text().trimmed(),
                                             lot_->text().trimmed(), quantity());
        check_->setText(QStringLiteral("%1, lot %2: %3").arg(label.Name, label.Lot, gs1::HumanReadable(label.Elements)));
        return LabelDocument(label, LabelSizeNamed(size_->currentText()).value_or(TLabelSize::Label100x50),
                             copies_->value());
    } catch (const gs1::EInvalid& e) {
        check_->setText(e.Message());
    } catch (const ELabelRefused& e) {
        check_->setText(e.Message());
    } catch (const fw::EDatabaseError& e) {
        check_->setText(msg::DatabaseError(e.Message()));
    }
    return std::nullopt;
}

void TLotLabelsDialog::checkLabel()
{
    // Nothing to say until the article and the lot are there.
    const bool chosen = !article_->text().trimmed().isEmpty() && !lot_->text().trimmed().isEmpty();
    const bool made = chosen && labels().has_value();
    if (!chosen)
        check_->setText(QStringLiteral("Alegeti articolul si lotul."));
    print_->setEnabled(made);
    save_->setEnabled(made);
}

bool TLotLabelsDialog::saveTo(const QString& fileName)
{
    const std::optional<fw::TReportDocument> document = labels();
    if (!document) {
        fw::MessageDlg(check_->text(), fw::TMsgDlgType::Warning);
        return false;
    }
    try {
        return fw::ExportPdf(*document, fileName);
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return false;
    }
}

void TLotLabelsDialog::savePdf()
{
    QFileDialog dialog(this, QStringLiteral("Salveaza etichetele"), QStringLiteral("etichete-%1.pdf").arg(lot_->text().trimmed()),
                       QStringLiteral("Fisiere PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (fw::ExecPrintModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveTo(dialog.selectedFiles().constFirst());
}

void TLotLabelsDialog::printLabels()
{
    fw::TPrinter& printer = fw::Printer();
    // Without a printer the labels go to a file, as the reports do.
    if (printer.IsPdfPrinter()) {
        savePdf();
        return;
    }
    const std::optional<fw::TReportDocument> document = labels();
    if (!document) {
        fw::MessageDlg(check_->text(), fw::TMsgDlgType::Warning);
        return;
    }
    try {
        fw::PrintDocument(*document, printer.DeviceFor(document->Title), fw::TReportPrinterSettings{});
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
    }
}

void ExecuteLotLabels(TProductionContext& context, QWidget* owner)
{
    TLotLabelsDialog dialog(context, owner);
    // Run as the reports' print dialogs are, so that a test can answer it.
    fw::ExecPrintModal(dialog);
}

} // namespace corvanel
