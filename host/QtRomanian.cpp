#include "host/QtRomanian.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>

namespace pelmaris {

namespace {

struct TText {
    const char* Context;
    const char* Source;
    const char* Romanian;
};

// Written without diacritics, like every other text of the program.
const TText kTexts[] = {
    // Buttons of message boxes and dialogs.
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "Salveaza"},
    {"QPlatformTheme", "Save All", "Salveaza tot"},
    {"QPlatformTheme", "Open", "Deschide"},
    {"QPlatformTheme", "&Yes", "&Da"},
    {"QPlatformTheme", "Yes to &All", "Da pentru &toate"},
    {"QPlatformTheme", "&No", "&Nu"},
    {"QPlatformTheme", "N&o to All", "N&u pentru toate"},
    {"QPlatformTheme", "Abort", "Abandoneaza"},
    {"QPlatformTheme", "Retry", "Reincearca"},
    {"QPlatformTheme", "Ignore", "Ignora"},
    {"QPlatformTheme", "Close", "Inchide"},
    {"QPlatformTheme", "Cancel", "Renunta"},
    {"QPlatformTheme", "Discard", "Nu salva"},
    {"QPlatformTheme", "Help", "Ajutor"},
    {"QPlatformTheme", "Apply", "Aplica"},
    {"QPlatformTheme", "Reset", "Reseteaza"},
    {"QPlatformTheme", "Restore Defaults", "Valori implicite"},
    {"QDialogButtonBox", "OK", "OK"},
    {"QProgressDialog", "Cancel", "Renunta"},
    {"QMessageBox", "Show Details...", "Arata detaliile..."},
    {"QMessageBox", "Hide Details...", "Ascunde detaliile..."},
    {"QDialog", "What's This?", "Ce este aceasta?"},
    // The command line.
    {"QCommandLineParser", "Usage: %1", "Utilizare: %1"},
    {"QCommandLineParser", "Options:", "Optiuni:"},
    {"QCommandLineParser", "Arguments:", "Argumente:"},
    {"QCommandLineParser", "[options]", "[optiuni]"},
    {"QCommandLineParser", "Displays help on commandline options.", "Afiseaza ajutorul despre optiunile programului."},
    {"QCommandLineParser", "Displays help including Qt specific options.",
     "Afiseaza ajutorul, inclusiv optiunile bibliotecii Qt."},
    {"QCommandLineParser", "Displays version information.", "Afiseaza versiunea programului."},
    {"QCommandLineParser", "Unknown option '%1'.", "Optiune necunoscuta: '%1'."},
    {"QCommandLineParser", "Unknown options: %1.", "Optiuni necunoscute: %1."},
    {"QCommandLineParser", "Missing value after '%1'.", "Lipseste valoarea dupa '%1'."},
    {"QCommandLineParser", "Unexpected value after '%1'.", "Valoare neasteptata dupa '%1'."},
    // The folder and file pickers.
    {"QFileDialog", "Look in:", "Cauta in:"},
    {"QFileDialog", "Directory:", "Director:"},
    {"QFileDialog", "File &name:", "&Nume fisier:"},
    {"QFileDialog", "Files of type:", "Fisiere de tipul:"},
    {"QFileDialog", "&Choose", "&Alege"},
    {"QFileDialog", "&Open", "&Deschide"},
    {"QFileDialog", "&Save", "&Salveaza"},
    {"QFileDialog", "Open", "Deschide"},
    {"QFileDialog", "Save As", "Salveaza ca"},
    {"QFileDialog", "Find Directory", "Alegeti directorul"},
    {"QFileDialog", "Directories", "Directoare"},
    {"QFileDialog", "Files", "Fisiere"},
    {"QFileDialog", "All Files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "All files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "Back", "Inapoi"},
    {"QFileDialog", "Go back", "Inapoi"},
    {"QFileDialog", "Forward", "Inainte"},
    {"QFileDialog", "Go forward", "Inainte"},
    {"QFileDialog", "Parent Directory", "Directorul parinte"},
    {"QFileDialog", "Go to the parent directory", "Mergi la directorul parinte"},
    {"QFileDialog", "Create New Folder", "Director nou"},
    {"QFileDialog", "Create a New Folder", "Creeaza un director nou"},
    {"QFileDialog", "New Folder", "Director nou"},
    {"QFileDialog", "&New Folder", "Director &nou"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Change to list view mode", "Afiseaza ca lista"},
    {"QFileDialog", "Detail View", "Detalii"},
    {"QFileDialog", "Change to detail view mode", "Afiseaza cu detalii"},
    {"QFileDialog", "Sidebar", "Bara laterala"},
    {"QFileDialog", "List of places and bookmarks", "Locuri si semne de carte"},
    {"QFileDialog", "Recent Places", "Locuri recente"},
    {"QFileDialog", "Show &hidden files", "Arata fisierele &ascunse"},
    {"QFileDialog", "&Rename", "&Redenumeste"},
    {"QFileDialog", "&Delete", "&Sterge"},
    {"QFileDialog", "Delete", "Sterge"},
    {"QFileDialog", "Remove", "Elimina"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Sigur stergeti '%1'?"},
    {"QFileDialog", "Could not delete directory.", "Directorul nu a putut fi sters."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 exista deja.\nIl inlocuiti?"},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nDirectorul nu exista.\nVerificati numele directorului."},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFisierul nu exista.\nVerificati numele fisierului."},
    {"QFileSystemModel", "Name", "Nume"},
    {"QFileSystemModel", "Size", "Marime"},
    {"QFileSystemModel", "Type", "Tip"},
    {"QFileSystemModel", "Kind", "Tip"},
    {"QFileSystemModel", "Date Modified", "Data modificarii"},
    {"QFileSystemModel", "My Computer", "Calculatorul meu"},
    {"QFileSystemModel", "Computer", "Calculator"},
    {"QAbstractFileIconProvider", "Drive", "Unitate de disc"},
    {"QAbstractFileIconProvider", "File", "Fisier"},
    {"QAbstractFileIconProvider", "File Folder", "Director"},
    {"QAbstractFileIconProvider", "Folder", "Director"},
    {"QAbstractFileIconProvider", "Shortcut", "Scurtatura"},
    {"QAbstractFileIconProvider", "Unknown", "Necunoscut"},
    // Context menus of edit boxes.
    {"QLineEdit", "&Undo", "&Anuleaza"},
    {"QLineEdit", "&Redo", "&Refa"},
    {"QLineEdit", "Cu&t", "&Taie"},
    {"QLineEdit", "&Copy", "&Copiaza"},
    {"QLineEdit", "&Paste", "&Lipeste"},
    {"QLineEdit", "Delete", "Sterge"},
    {"QLineEdit", "Select All", "Selecteaza tot"},
    {"QWidgetTextControl", "&Undo", "&Anuleaza"},
    {"QWidgetTextControl", "&Redo", "&Refa"},
    {"QWidgetTextControl", "Cu&t", "&Taie"},
    {"QWidgetTextControl", "&Copy", "&Copiaza"},
    {"QWidgetTextControl", "&Paste", "&Lipeste"},
    {"QWidgetTextControl", "Delete", "Sterge"},
    {"QWidgetTextControl", "Select All", "Selecteaza tot"},
    // The child windows' buttons and system menu.
    {"QMdiSubWindow", "&Restore", "&Restaureaza"},
    {"QMdiSubWindow", "&Move", "&Muta"},
    {"QMdiSubWindow", "&Size", "&Dimensiune"},
    {"QMdiSubWindow", "Mi&nimize", "Mi&nimizeaza"},
    {"QMdiSubWindow", "Ma&ximize", "Ma&ximizeaza"},
    {"QMdiSubWindow", "Stay on &Top", "Mereu &deasupra"},
    {"QMdiSubWindow", "&Close", "&Inchide"},
    {"QMdiSubWindow", "Close", "Inchide"},
    {"QMdiSubWindow", "Minimize", "Minimizeaza"},
    {"QMdiSubWindow", "Maximize", "Maximizeaza"},
    {"QMdiSubWindow", "Restore", "Restaureaza"},
    {"QMdiSubWindow", "Restore Down", "Restaureaza"},
    {"QMdiSubWindow", "Menu", "Meniu"},
    {"QMdiSubWindow", "Help", "Ajutor"},
    {"QMdiSubWindow", "Shade", "Strange"},
    {"QMdiSubWindow", "Unshade", "Desface"},
    // Printing.
    {"QPrintDialog", "Print", "Tiparire"},
    {"QPrintDialog", "&Print", "&Tipareste"},
    {"QPrintDialog", "&Options >>", "&Optiuni >>"},
    {"QPrintDialog", "&Options <<", "&Optiuni <<"},
    {"QPrintDialog", "Print to File (PDF)", "Tiparire in fisier (PDF)"},
    {"QPrintDialog", "Print To File ...", "Tiparire in fisier ..."},
    {"QPrintDialog", "Local file", "Fisier local"},
    {"QPrintDialog", "Write PDF file", "Scrie fisierul PDF"},
    {"QPrintDialog", "All Pages", "Toate paginile"},
    {"QPrintDialog", "Odd Pages", "Paginile impare"},
    {"QPrintDialog", "Even Pages", "Paginile pare"},
    {"QPrintDialog", "Invalid Pages Definition", "Pagini gresit precizate"},
    {"QPrintDialog", "The 'From' value cannot be greater than the 'To' value.",
     "Prima pagina nu poate fi dupa ultima."},
    {"QPrintDialog", "%1 already exists.\nDo you want to overwrite it?", "%1 exista deja.\nIl suprascrieti?"},
    {"QPrintDialog", "%1 is a directory.\nPlease choose a different file name.",
     "%1 este un director.\nAlegeti alt nume de fisier."},
    {"QPrintDialog", "File %1 is not writable.\nPlease choose a different file name.",
     "In fisierul %1 nu se poate scrie.\nAlegeti alt nume de fisier."},
    {"QPrintWidget", "Printer", "Imprimanta"},
    {"QPrintWidget", "&Name:", "&Nume:"},
    {"QPrintWidget", "P&roperties", "P&roprietati"},
    {"QPrintWidget", "Location:", "Locatie:"},
    {"QPrintWidget", "Preview", "Previzualizare"},
    {"QPrintWidget", "Type:", "Tip:"},
    {"QPrintWidget", "Output &file:", "&Fisier de iesire:"},
    {"QPrintSettingsOutput", "Copies", "Exemplare"},
    {"QPrintSettingsOutput", "Copies:", "Exemplare:"},
    {"QPrintSettingsOutput", "Print range", "Ce se tipareste"},
    {"QPrintSettingsOutput", "Print all", "Tot"},
    {"QPrintSettingsOutput", "Pages from", "Paginile de la"},
    {"QPrintSettingsOutput", "to", "la"},
    {"QPrintSettingsOutput", "Pages", "Paginile"},
    {"QPrintSettingsOutput", "Current Page", "Pagina curenta"},
    {"QPrintSettingsOutput", "Selection", "Selectia"},
    {"QPrintSettingsOutput", "Collate", "Colationat"},
    {"QPrintSettingsOutput", "Reverse", "In ordine inversa"},
    {"QPrintSettingsOutput", "Options", "Optiuni"},
    {"QPrintSettingsOutput", "Output Settings", "Iesire"},
    {"QPrintSettingsOutput", "Color Mode", "Culori"},
    {"QPrintSettingsOutput", "Color", "Color"},
    {"QPrintSettingsOutput", "Grayscale", "Tonuri de gri"},
    {"QPrintSettingsOutput", "Double Sided Printing", "Tiparire fata-verso"},
    {"QPrintSettingsOutput", "Off", "Nu"},
    {"QPrintSettingsOutput", "Long side binding", "Legare pe latura lunga"},
    {"QPrintSettingsOutput", "Short side binding", "Legare pe latura scurta"},
    {"QPrintSettingsOutput", "Page Set:", "Paginile:"},
    {"QPageSetupWidget", "Paper", "Hartie"},
    {"QPageSetupWidget", "Page size:", "Format pagina:"},
    {"QPageSetupWidget", "Width:", "Latime:"},
    {"QPageSetupWidget", "Height:", "Inaltime:"},
    {"QPageSetupWidget", "Paper source:", "Sursa hartiei:"},
    {"QPageSetupWidget", "Orientation", "Orientare"},
    {"QPageSetupWidget", "Portrait", "Portret"},
    {"QPageSetupWidget", "Landscape", "Peisaj"},
    {"QPageSetupWidget", "Reverse landscape", "Peisaj inversat"},
    {"QPageSetupWidget", "Reverse portrait", "Portret inversat"},
    {"QPageSetupWidget", "Margins", "Margini"},
    {"QPageSetupWidget", "top margin", "marginea de sus"},
    {"QPageSetupWidget", "left margin", "marginea din stanga"},
    {"QPageSetupWidget", "right margin", "marginea din dreapta"},
    {"QPageSetupWidget", "bottom margin", "marginea de jos"},
    {"QPageSetupWidget", "Page Layout", "Asezare in pagina"},
    {"QPageSetupWidget", "Page order:", "Ordinea paginilor:"},
    {"QPageSetupWidget", "Pages per sheet:", "Pagini pe foaie:"},
    {"QPageSetupWidget", "Custom", "Personalizat"},
    {"QPageSetupWidget", "Millimeters (mm)", "Milimetri (mm)"},
    {"QPageSetupWidget", "Inches (in)", "Toli (in)"},
    {"QPageSetupWidget", "Points (pt)", "Puncte (pt)"},
    {"QPrintPropertiesDialog", "Printer Properties", "Proprietatile imprimantei"},
    {"QPrintPropertiesDialog", "Job Options", "Optiunile lucrarii"},
    {"QPrintPreviewDialog", "Print Preview", "Previzualizare"},
    {"QPrintPreviewDialog", "Print", "Tipareste"},
    {"QPrintPreviewDialog", "Page setup", "Pagina"},
    {"QPrintPreviewDialog", "Page Setup", "Pagina"},
    {"QPrintPreviewDialog", "Export to PDF", "Exporta in PDF"},
    {"QPrintPreviewDialog", "First page", "Prima pagina"},
    {"QPrintPreviewDialog", "Previous page", "Pagina anterioara"},
    {"QPrintPreviewDialog", "Next page", "Pagina urmatoare"},
    {"QPrintPreviewDialog", "Last page", "Ultima pagina"},
    {"QPrintPreviewDialog", "Fit width", "Pe latimea ferestrei"},
    {"QPrintPreviewDialog", "Fit page", "Pagina intreaga"},
    {"QPrintPreviewDialog", "Zoom in", "Mareste"},
    {"QPrintPreviewDialog", "Zoom out", "Micsoreaza"},
    {"QPrintPreviewDialog", "Portrait", "Portret"},
    {"QPrintPreviewDialog", "Landscape", "Peisaj"},
    {"QPrintPreviewDialog", "Show single page", "O pagina"},
    {"QPrintPreviewDialog", "Show facing pages", "Doua pagini alaturate"},
    {"QPrintPreviewDialog", "Show overview of all pages", "Toate paginile"},
};

QString Key(const char* context, const char* source)
{
    return QString::fromLatin1(context) + QChar(4) + QString::fromUtf8(source);
}

const QHash<QString, QString>& Texts()
{
    static const QHash<QString, QString> texts = [] {
        QHash<QString, QString> h;
        for (const TText& t : kTexts)
            h.insert(Key(t.Context, t.Source), QString::fromUtf8(t.Romanian));
        return h;
    }();
    return texts;
}

} // namespace

QString TRomanianQtTexts::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (!context || !sourceText)
        return QString();
    return Texts().value(Key(context, sourceText));
}

void InstallRomanianTexts(QCoreApplication* application)
{
    auto* own = new TRomanianQtTexts(application);
    QCoreApplication::installTranslator(own);
    // Installed last, so asked first: Qt's own catalogue, should the system have one.
    auto* qt = new QTranslator(application);
    if (qt->load(QLocale(QLocale::Romanian, QLocale::Romania), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}

} // namespace pelmaris
