#include "host/ServerCompanyDlg.h"

#include "host/Company.h"
#include "platform/ui/DialogButtons.h"
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

struct TServerCompanyDlg::Ui {
    QLineEdit* directory = nullptr;
    QLineEdit* host = nullptr;
    QLineEdit* port = nullptr;
    QLineEdit* database = nullptr;
    QLineEdit* user = nullptr;
    QLineEdit* schema = nullptr;
};

TServerCompanyDlg::TServerCompanyDlg(QWidget* owner) : fw::TForm(owner), ui_(std::make_unique<Ui>())
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
    Ui& u = *ui_;
    u.directory = edit("DirectoryEdit");
    u.directory->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    browse->setToolTip(QStringLiteral("Alegeti directorul"));
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    connect(browse, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { browseForDirectory(); }));
    u.host = edit("HostEdit", QStringLiteral("localhost"));
    u.port = edit("PortEdit", QStringLiteral("5432"));
    u.port->setValidator(new QIntValidator(1, 65535, u.port));
    u.database = edit("DatabaseEdit");
    u.user = edit("UserEdit", QStringLiteral("utilizatorul sistemului"));
    u.schema = edit("SchemaEdit", QStringLiteral("public"));
    auto* passwordNote = new QLabel(QStringLiteral("Parola nu se pastreaza in directorul firmei: serverul o cere din "
                                                   "fisierul ~/.pgpass al utilizatorului sau din variabila PGPASSWORD."),
                                    this);
    passwordNote->setObjectName(QStringLiteral("PasswordNote"));
    passwordNote->setWordWrap(true);

    auto* directory = new QHBoxLayout;
    directory->addWidget(u.directory, 1);
    directory->addWidget(browse);
    auto* form = new QFormLayout;
    auto row = [&](const QString& caption, QWidget* field, QLayout* layout = nullptr) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        if (layout)
            form->addRow(label, layout);
        else
            form->addRow(label, field);
    };
    row(QStringLiteral("&Directorul firmei:"), u.directory, directory);
    row(QStringLiteral("Ser&ver:"), u.host);
    row(QStringLiteral("&Port:"), u.port);
    row(QStringLiteral("&Baza de date:"), u.database);
    row(QStringLiteral("&Utilizator:"), u.user);
    row(QStringLiteral("S&chema:"), u.schema);
    QDialogButtonBox* buttons = fw::DialogButtons(this, {{QDialogButtonBox::Ok, QStringLiteral("&Creeaza")},
                                                         {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}});
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(passwordNote);
    layout->addWidget(buttons);
    u.directory->setFocus();
}

TServerCompanyDlg::~TServerCompanyDlg() = default;

void TServerCompanyDlg::browseForDirectory()
{
    const QString picked = AskDirectory ? AskDirectory(ui_->directory->text()) : QString();
    if (!picked.isEmpty())
        ui_->directory->setText(QDir::toNativeSeparators(picked));
}

QString TServerCompanyDlg::Directory() const { return QDir::fromNativeSeparators(ui_->directory->text().trimmed()); }

fw::TServerDatabase TServerCompanyDlg::Server() const
{
    const Ui& u = *ui_;
    fw::TServerDatabase server;
    server.Host = u.host->text().trimmed();
    server.Port = u.port->text().toInt();
    server.Database = u.database->text().trimmed();
    server.User = u.user->text().trimmed();
    server.Schema = u.schema->text().trimmed();
    return server;
}

void TServerCompanyDlg::accept()
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
