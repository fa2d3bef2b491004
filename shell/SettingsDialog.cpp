#include "shell/SettingsDialog.h"

#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Formats.h"

#include "platform/ui/Guard.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

QChar IndGest = QLatin1Char('_');
QChar IndCod = QLatin1Char('.');
QChar IndSemi = QLatin1Char(';');
QString ProdDatabaseDir;
QString ChangeDBDirectory;
QString FixedDatabaseDir;

namespace {

// The directory of KRBDEF.INI: the company a program was given to work on; else the host's
// last database directory; when it recorded none, the one it handed over last, and before
// any, the current directory.
void LoadDatabaseDir()
{
    if (!FixedDatabaseDir.isEmpty()) {
        ProdDatabaseDir = fw::IncludeTrailingPathDelimiter(FixedDatabaseDir);
        return;
    }
    fw::TSettingsStore store;
    store.Create();
    QString dir = store.ReadString(fw::TSettingsStore::LastDatabaseDir);
    if (dir.isEmpty())
        dir = ChangeDBDirectory;
    if (dir.isEmpty())
        dir = QDir::currentPath();
    ProdDatabaseDir = fw::IncludeTrailingPathDelimiter(dir);
}

void ReadPrefix(const fw::TIniFile& ini, const QString& key, QChar& prefix)
{
    const QString value = ini.ReadString(ProductionSection, key, QString(prefix));
    if (!value.isEmpty())
        prefix = value.at(0);
}

} // namespace

void LoadProductionSettings()
{
    LoadDatabaseDir();
    const fw::TIniFile ini(ProdDatabaseDir + ProductionSettingsFile);
    ReadPrefix(ini, QStringLiteral("IndGest"), IndGest);
    ReadPrefix(ini, QStringLiteral("IndCod"), IndCod);
    ReadPrefix(ini, QStringLiteral("IndSemi"), IndSemi);
}

void SaveProductionSettings()
{
    LoadDatabaseDir();
    fw::TIniFile ini(ProdDatabaseDir + ProductionSettingsFile);
    ini.WriteString(ProductionSection, QStringLiteral("IndGest"), QString(IndGest));
    ini.WriteString(ProductionSection, QStringLiteral("IndCod"), QString(IndCod));
    ini.WriteString(ProductionSection, QStringLiteral("IndSemi"), QString(IndSemi));
}

bool StartsWithPrefix(const QString& code, QChar prefix) { return fw::StartsWithChar(code, prefix); }

// ---------------------------------------------------------------- the dialog

TProductionSettingsForm* SettingsForm = nullptr;

TProductionSettingsForm::TProductionSettingsForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("SettingsForm"));
    SetCaption(QStringLiteral("Configurarile modulului de productie"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The highlight colour behind white captions.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    Frame = new QFrame(this);
    Frame->setObjectName(QStringLiteral("Frame"));
    Frame->setFrameShape(QFrame::Panel);
    Frame->setFrameShadow(QFrame::Raised);
    auto* grid = new QGridLayout(Frame);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(12);
    auto question = [&](const char* name, const QString& text, const char* editName, int row) {
        auto* label = new QLabel(text, Frame);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        auto* edit = new QLineEdit(Frame);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setMaxLength(1);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
        edit->setAlignment(Qt::AlignCenter);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1, Qt::AlignVCenter);
        return std::make_pair(label, edit);
    };
    std::tie(WarehouseLabel, WarehousePrefixEdit) = question(
        "WarehouseLabel",
        QStringLiteral("Indicati caracterul cu care trebuie sa înceapa codurile de gestiuni de materii prime si materiale:"),
        "WarehousePrefixEdit", 0);
    std::tie(MaterialLabel, MaterialPrefixEdit) = question("MaterialLabel",
                                              QStringLiteral("Specificati caracterul cu care trebuie sa înceapa toate codurile "
                                                             "de materii prime si materiale din catalogul de produse:"),
                                              "MaterialPrefixEdit", 1);
    std::tie(SemiFinishedLabel, SemiFinishedPrefixEdit) = question("SemiFinishedLabel",
                                               QStringLiteral("Specificati caracterul cu care trebuie sa înceapa toate codurile "
                                                              "de produse semifabricate din catalogul de produse:"),
                                               "SemiFinishedPrefixEdit", 2);

    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame);
    layout->addLayout(buttons);

    // The order Tab follows: the first two boxes, OK, "&Renunta", then the third box.
    setTabOrder(WarehousePrefixEdit, MaterialPrefixEdit);
    setTabOrder(MaterialPrefixEdit, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, SemiFinishedPrefixEdit);

    connect(OKBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] {
        OKBtnClick();
        SetModalResult(fw::TModalResult::OK);
    }));
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);
    OnClose = [this](fw::TForm*, fw::TCloseAction& action) { FormClose(action); };

    // The designed size, grown where the text needs more, and fixed.
    resize(388, 188);
    const QSize need = sizeHint().expandedTo(QSize(388, 188));
    setFixedSize(need.width(), heightForWidth(need.width()) > 0 ? std::max(need.height(), heightForWidth(need.width()))
                                                                 : need.height());
    WarehousePrefixEdit->setFocus();
    FormCreate();
}

TProductionSettingsForm::~TProductionSettingsForm()
{
    if (SettingsForm == this)
        SettingsForm = nullptr;
}

void TProductionSettingsForm::FormCreate()
{
    LoadProductionSettings();
    WarehousePrefixEdit->setText(QString(IndGest));
    MaterialPrefixEdit->setText(QString(IndCod));
    SemiFinishedPrefixEdit->setText(QString(IndSemi));
}

void TProductionSettingsForm::OKBtnClick()
{
    // An emptied box keeps its setting; any character is accepted.
    auto take = [](const QLineEdit* edit, QChar& setting) {
        if (!edit->text().isEmpty())
            setting = edit->text().at(0);
    };
    take(WarehousePrefixEdit, IndGest);
    take(MaterialPrefixEdit, IndCod);
    take(SemiFinishedPrefixEdit, IndSemi);
    SaveProductionSettings();
}

void TProductionSettingsForm::FormClose(fw::TCloseAction& action) { action = fw::TCloseAction::Free; }

} // namespace corvanel
