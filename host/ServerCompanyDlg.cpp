#include "host/ServerCompanyDlg.h"

#include "host/Company.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelmaris {

TServerCompanyDlg::TServerCompanyDlg(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("ServerCompanyDlg"));
    SetCaption(QStringLiteral("Firma noua pe server"));
    SetPosition(fw::TPosition::OwnerFormCenter);
    AskDirectory = [this](const QString& current) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Alegeti directorul firmei"), current);
    };

    auto edit = [this](const char* name, const QString& placeholder = {}) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setPlaceholderText(placeholder);
        return e;
    };
    DirectoryEdit = edit("DirectoryEdit");
    DirectoryEdit->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    BrowseBtn = new QPushButton(QStringLiteral("..."), this);
    BrowseBtn->setObjectName(QStringLiteral("BrowseBtn"));
    BrowseBtn->setToolTip(QStringLiteral("Alegeti directorul"));
    BrowseBtn->setFixedWidth(BrowseBtn->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    HostEdit = edit("HostEdit", QStringLiteral("localhost"));
    PortEdit = edit("PortEdit", QStringLiteral("5432"));
    PortEdit->setValidator(new QIntValidator(1, 65535, PortEdit));
    DatabaseEdit = edit("DatabaseEdit");
    UserEdit = edit("UserEdit", QStringLiteral("utilizatorul sistemului"));
    SchemaEdit = edit("SchemaEdit", QStringLiteral("public"));
    PasswordNote = new QLabel(QStringLiteral("Parola nu se pastreaza in directorul firmei: serverul o cere din "
                                             "fisierul ~/.pgpass al utilizatorului sau din variabila PGPASSWORD."),
                              this);
    PasswordNote->setObjectName(QStringLiteral("PasswordNote"));
    PasswordNote->setWordWrap(true);

    auto* directory = new QHBoxLayout;
    directory->addWidget(DirectoryEdit, 1);
    directory->addWidget(BrowseBtn);
    auto* form = new QFormLayout;
    auto row = [&](const QString& caption, QWidget* field, QLayout* layout = nullptr) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        if (layout)
            form->addRow(label, layout);
        else
            form->addRow(label, field);
    };
    row(QStringLiteral("&Directorul firmei:"), DirectoryEdit, directory);
    row(QStringLiteral("Ser&ver:"), HostEdit);
    row(QStringLiteral("&Port:"), PortEdit);
    row(QStringLiteral("&Baza de date:"), DatabaseEdit);
    row(QStringLiteral("&Utilizator:"), UserEdit);
    row(QStringLiteral("S&chema:"), SchemaEdit);

    OkBtn = new QPushButton(QStringLiteral("&Creeaza"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);
    connect(OkBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { OkBtnClick(); }));
    connect(BrowseBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] {
                const QString picked = AskDirectory ? AskDirectory(DirectoryEdit->text()) : QString();
                if (!picked.isEmpty())
                    DirectoryEdit->setText(QDir::toNativeSeparators(picked));
            }));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(PasswordNote);
    layout->addLayout(buttons);
    DirectoryEdit->setFocus();
}

QString TServerCompanyDlg::Directory() const { return QDir::fromNativeSeparators(DirectoryEdit->text().trimmed()); }

fw::TServerDatabase TServerCompanyDlg::Server() const
{
    fw::TServerDatabase server;
    server.Host = HostEdit->text().trimmed();
    server.Port = PortEdit->text().toInt();
    server.Database = DatabaseEdit->text().trimmed();
    server.User = UserEdit->text().trimmed();
    server.Schema = SchemaEdit->text().trimmed();
    return server;
}

void TServerCompanyDlg::OkBtnClick()
{
    if (Directory().isEmpty() || Server().Database.isEmpty()) {
        fw::MessageDlg(QStringLiteral("Completati directorul firmei si numele bazei de date!"), fw::TMsgDlgType::Warning);
        return;
    }
    if (IsCompanyDirectory(Directory())) {
        fw::MessageDlg(QStringLiteral("Directorul <%1> contine deja o firma.").arg(QDir::toNativeSeparators(Directory())),
                       fw::TMsgDlgType::Warning);
        return;
    }
    SetModalResult(fw::TModalResult::OK);
}

} // namespace pelmaris
