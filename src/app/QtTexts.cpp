#include "app/QtTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <cstring>
#include <string>
#include <unordered_map>

namespace app {

namespace {

struct Text {
    const char* context;
    const char* english;
    const char* romanian;
};

// The toolkit's texts, by the class that shows them. Accelerators (&) sit on
// letters of the Romanian word; keyboard shortcuts ("Alt+Left") are not texts
// and stay as they are.
const Text kTexts[] = {
    // Standard buttons of message boxes and dialog button boxes.
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "Salveaza"},
    {"QPlatformTheme", "Save All", "Salveaza tot"},
    {"QPlatformTheme", "Open", "Deschide"},
    {"QPlatformTheme", "&Yes", "&Da"},
    {"QPlatformTheme", "Yes to &All", "Da la &toate"},
    {"QPlatformTheme", "&No", "&Nu"},
    {"QPlatformTheme", "N&o to All", "N&u la toate"},
    {"QPlatformTheme", "Abort", "Abandoneaza"},
    {"QPlatformTheme", "Retry", "Reincearca"},
    {"QPlatformTheme", "Ignore", "Ignora"},
    {"QPlatformTheme", "Close", "Inchide"},
    {"QPlatformTheme", "Cancel", "Renunta"},
    {"QPlatformTheme", "Discard", "Nu salva"},
    {"QPlatformTheme", "Help", "Ajutor"},
    {"QPlatformTheme", "Apply", "Aplica"},
    {"QPlatformTheme", "Reset", "Reface"},
    {"QPlatformTheme", "Restore Defaults", "Valorile initiale"},
    // The same buttons under the GNOME desktop's theme.
    {"QGnomeTheme", "&OK", "&OK"},
    {"QGnomeTheme", "&Save", "&Salveaza"},
    {"QGnomeTheme", "&Cancel", "&Renunta"},
    {"QGnomeTheme", "&Close", "&Inchide"},
    {"QGnomeTheme", "Close without Saving", "Inchide fara a salva"},
    {"QMessageBox", "Show Details...", "Arata detaliile..."},
    {"QMessageBox", "Hide Details...", "Ascunde detaliile..."},
    {"QInputDialog", "Enter a value:", "Introduceti o valoare:"},

    // File dialog.
    {"QFileDialog", "Look in:", "Cauta in:"},
    {"QFileDialog", "Back", "Inapoi"},
    {"QFileDialog", "Go back", "Inapoi"},
    {"QFileDialog", "Forward", "Inainte"},
    {"QFileDialog", "Go forward", "Inainte"},
    {"QFileDialog", "Parent Directory", "Directorul parinte"},
    {"QFileDialog", "Go to the parent directory", "Mergi la directorul parinte"},
    {"QFileDialog", "Create New Folder", "Director nou"},
    {"QFileDialog", "Create a New Folder", "Creeaza un director nou"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Change to list view mode", "Afiseaza ca lista"},
    {"QFileDialog", "Detail View", "Detalii"},
    {"QFileDialog", "Change to detail view mode", "Afiseaza cu detalii"},
    {"QFileDialog", "Sidebar", "Locuri"},
    {"QFileDialog", "List of places and bookmarks", "Locuri si semne de carte"},
    {"QFileDialog", "Files", "Fisiere"},
    {"QFileDialog", "Files of type:", "Fisiere de tipul:"},
    {"QFileDialog", "File &name:", "&Nume fisier:"},
    {"QFileDialog", "Directory:", "Director:"},
    {"QFileDialog", "&Open", "&Deschide"},
    {"QFileDialog", "&Save", "&Salveaza"},
    {"QFileDialog", "&Choose", "&Alege"},
    {"QFileDialog", "Open", "Deschide"},
    {"QFileDialog", "Save As", "Salveaza ca"},
    {"QFileDialog", "Find Directory", "Alege directorul"},
    {"QFileDialog", "All Files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "All files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "Directories", "Directoare"},
    {"QFileDialog", "Show ", "Arata "},
    {"QFileDialog", "&Rename", "&Redenumeste"},
    {"QFileDialog", "&Delete", "&Sterge"},
    {"QFileDialog", "Show &hidden files", "Arata fisierele &ascunse"},
    {"QFileDialog", "&New Folder", "Director &nou"},
    {"QFileDialog", "New Folder", "Director nou"},
    {"QFileDialog", "Recent Places", "Locuri recente"},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 exista deja.\nDoriti sa il inlocuiti?"},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFisierul nu exista.\nVerificati numele fisierului."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nDirectorul nu exista.\nVerificati numele directorului."},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' este protejat la scriere.\nDoriti sa il stergeti totusi?"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Sigur doriti sa stergeti '%1'?"},
    {"QFileDialog", "Could not delete directory.", "Directorul nu poate fi sters."},
    {"QFileSystemModel", "Name", "Nume"},
    {"QFileSystemModel", "Size", "Marime"},
    {"QFileSystemModel", "Type", "Tip"},
    {"QFileSystemModel", "Kind", "Tip"},
    {"QFileSystemModel", "Date Modified", "Data modificarii"},
    {"QFileSystemModel", "Computer", "Calculator"},
    {"QFileSystemModel", "My Computer", "Calculatorul meu"},
    {"QFileSystemModel", "Invalid filename", "Nume de fisier gresit"},
    {"QFileSystemModel",
     "<b>The name \"%1\" cannot be used.</b><p>Try using another name, with fewer characters or no punctuation marks.",
     "<b>Numele \"%1\" nu poate fi folosit.</b><p>Incercati un nume mai scurt sau fara semne de punctuatie."},
    {"QAbstractFileIconProvider", "Drive", "Unitate"},
    {"QAbstractFileIconProvider", "Folder", "Director"},
    {"QAbstractFileIconProvider", "File", "Fisier"},
    {"QAbstractFileIconProvider", "%1 File", "Fisier %1"},
    {"QAbstractFileIconProvider", "Shortcut", "Scurtatura"},
    {"QAbstractFileIconProvider", "Alias", "Scurtatura"},
    {"QAbstractFileIconProvider", "Unknown", "Necunoscut"},

    // Print dialog.
    {"QPrintDialog", "Print", "Tiparire"},
    {"QPrintDialog", "&Print", "&Tipareste"},
    {"QPrintDialog", "&Options >>", "&Optiuni >>"},
    {"QPrintDialog", "&Options <<", "&Optiuni <<"},
    {"QPrintDialog", "Print to File (PDF)", "Tiparire in fisier (PDF)"},
    {"QPrintDialog", "Print To File ...", "Tiparire in fisier..."},
    {"QPrintDialog", "Local file", "Fisier local"},
    {"QPrintDialog", "Write PDF file", "Scrie un fisier PDF"},
    {"QPrintDialog", "All Pages", "Toate paginile"},
    {"QPrintDialog", "Odd Pages", "Paginile impare"},
    {"QPrintDialog", "Even Pages", "Paginile pare"},
    {"QPrintDialog", "%1 is a directory.\nPlease choose a different file name.",
     "%1 este un director.\nAlegeti alt nume de fisier."},
    {"QPrintDialog", "%1 already exists.\nDo you want to overwrite it?", "%1 exista deja.\nDoriti sa il inlocuiti?"},
    {"QPrintDialog", "File %1 is not writable.\nPlease choose a different file name.",
     "Fisierul %1 nu poate fi scris.\nAlegeti alt nume de fisier."},
    {"QPrintDialog", "Invalid Pages Definition", "Paginile sunt date gresit"},
    {"QPrintDialog",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to define ranges and "
     "make sure ranges do not intersect with each other.",
     "%1 nu este scris corect. Separati paginile si intervalele prin ',', scrieti intervalele cu '-' si nu "
     "lasati intervalele sa se suprapuna."},
    {"QPrintDialog",
     "Options 'Pages Per Sheet' and 'Page Set' cannot be used together.\nPlease turn one of those options off.",
     "Optiunile 'Pagini pe foaie' si 'Setul de pagini' nu pot fi folosite impreuna.\nRenuntati la una dintre ele."},
    {"QPrintDialog", "There are conflicts in some options. Please fix them.",
     "Unele optiuni se contrazic. Corectati-le."},
    {"QPrintDialog", "Duplex Settings Conflicts", "Optiuni fata-verso contradictorii"},
    {"QPrintDialog", "There are conflicts in duplex settings. Do you want to fix them?",
     "Optiunile fata-verso se contrazic. Doriti sa le corectati?"},
    {"QPrintDialog", "Left to Right, Top to Bottom", "De la stanga la dreapta, de sus in jos"},
    {"QPrintDialog", "Left to Right, Bottom to Top", "De la stanga la dreapta, de jos in sus"},
    {"QPrintDialog", "Right to Left, Bottom to Top", "De la dreapta la stanga, de jos in sus"},
    {"QPrintDialog", "Right to Left, Top to Bottom", "De la dreapta la stanga, de sus in jos"},
    {"QPrintDialog", "Bottom to Top, Left to Right", "De jos in sus, de la stanga la dreapta"},
    {"QPrintDialog", "Bottom to Top, Right to Left", "De jos in sus, de la dreapta la stanga"},
    {"QPrintDialog", "Top to Bottom, Left to Right", "De sus in jos, de la stanga la dreapta"},
    {"QPrintDialog", "Top to Bottom, Right to Left", "De sus in jos, de la dreapta la stanga"},
    {"QPrintWidget", "Printer", "Imprimanta"},
    {"QPrintWidget", "&Name:", "&Nume:"},
    {"QPrintWidget", "P&roperties", "P&roprietati"},
    {"QPrintWidget", "Location:", "Locul:"},
    {"QPrintWidget", "Preview", "Previzualizare"},
    {"QPrintWidget", "Type:", "Tipul:"},
    {"QPrintWidget", "Output &file:", "&Fisierul:"},
    {"QPrintSettingsOutput", "Copies", "Copii"},
    {"QPrintSettingsOutput", "Print range", "Ce se tipareste"},
    {"QPrintSettingsOutput", "Print all", "Tot"},
    {"QPrintSettingsOutput", "Pages from", "Paginile de la"},
    {"QPrintSettingsOutput", "to", "la"},
    {"QPrintSettingsOutput", "Pages", "Paginile"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: "
     "3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Scrieti paginile sau intervalele separate prin virgula. Un interval se scrie ca doua numere legate prin "
     "cratima. De exemplu 3,5-7,9 tipareste paginile 3, 5, 6, 7 si 9."},
    {"QPrintSettingsOutput", "Current Page", "Pagina curenta"},
    {"QPrintSettingsOutput", "Selection", "Selectia"},
    {"QPrintSettingsOutput", "Page Set:", "Setul de pagini:"},
    {"QPrintSettingsOutput", "Output Settings", "Exemplare"},
    {"QPrintSettingsOutput", "Copies:", "Copii:"},
    {"QPrintSettingsOutput", "Collate", "Asamblate"},
    {"QPrintSettingsOutput", "Reverse", "In ordine inversa"},
    {"QPrintSettingsOutput", "Options", "Optiuni"},
    {"QPrintSettingsOutput", "Color Mode", "Culori"},
    {"QPrintSettingsOutput", "Color", "Color"},
    {"QPrintSettingsOutput", "Grayscale", "Tonuri de gri"},
    {"QPrintSettingsOutput", "Double Sided Printing", "Tiparire fata-verso"},
    {"QPrintSettingsOutput", "Off", "Nu"},
    {"QPrintSettingsOutput", "Long side binding", "Legare pe latura lunga"},
    {"QPrintSettingsOutput", "Short side binding", "Legare pe latura scurta"},
    {"QPrintPropertiesDialog", "Printer Properties", "Proprietatile imprimantei"},
    {"QPrintPropertiesDialog", "Job Options", "Optiunile lucrarii"},
    {"QPrintPropertiesDialog", "Page Setup Conflicts", "Optiuni de pagina contradictorii"},
    {"QPrintPropertiesDialog", "There are conflicts in page setup options. Do you want to fix them?",
     "Optiunile de pagina se contrazic. Doriti sa le corectati?"},
    {"QPrintPropertiesDialog", "Advanced Option Conflicts", "Optiuni avansate contradictorii"},
    {"QPrintPropertiesDialog", "There are conflicts in some advanced options. Do you want to fix them?",
     "Unele optiuni avansate se contrazic. Doriti sa le corectati?"},
    {"QPrintPropertiesWidget", "Page", "Pagina"},
    // The printer properties' "Job Options" tab (CUPS).
    {"QCupsJobWidget", "Job", "Lucrarea"},
    {"QCupsJobWidget", "Job Control", "Controlul lucrarii"},
    {"QCupsJobWidget", "Scheduled printing:", "Tiparire programata:"},
    {"QCupsJobWidget", "Billing information:", "Date de facturare:"},
    {"QCupsJobWidget", "Job priority:", "Prioritatea lucrarii:"},
    {"QCupsJobWidget", "Banner Pages", "Pagini de separare"},
    {"QCupsJobWidget", "Banner page at start", "Pagina de separare la inceput"},
    {"QCupsJobWidget", "Start:", "La inceput:"},
    {"QCupsJobWidget", "Banner page at end", "Pagina de separare la sfarsit"},
    {"QCupsJobWidget", "End:", "La sfarsit:"},
    {"QCupsJobWidget", "Print Immediately", "Tipareste imediat"},
    {"QCupsJobWidget", "Hold Indefinitely", "Tine in asteptare"},
    {"QCupsJobWidget", "Day (06:00 to 17:59)", "Ziua (06:00 - 17:59)"},
    {"QCupsJobWidget", "Night (18:00 to 05:59)", "Noaptea (18:00 - 05:59)"},
    {"QCupsJobWidget", "Second Shift (16:00 to 23:59)", "Schimbul doi (16:00 - 23:59)"},
    {"QCupsJobWidget", "Third Shift (00:00 to 07:59)", "Schimbul trei (00:00 - 07:59)"},
    {"QCupsJobWidget", "Weekend (Saturday to Sunday)", "Sfarsitul saptamanii (sambata - duminica)"},
    {"QCupsJobWidget", "Specific Time", "La ora data"},
    {"QCupsJobWidget", "None", "Fara"},
    {"QCupsJobWidget", "Standard", "Standard"},
    {"QCupsJobWidget", "Unclassified", "Neclasificat"},
    {"QCupsJobWidget", "Confidential", "Confidential"},
    {"QCupsJobWidget", "Classified", "Clasificat"},
    {"QCupsJobWidget", "Secret", "Secret"},
    {"QCupsJobWidget", "Top Secret", "Strict secret"},
    {"QPrintPropertiesWidget", "Advanced", "Avansat"},

    // Page set-up dialog.
    {"QPrintPreviewDialog", "Page Setup", "Configurare pagina"},
    {"QPageSetupWidget", "Paper", "Hartie"},
    {"QPageSetupWidget", "Page size:", "Formatul:"},
    {"QPageSetupWidget", "Width:", "Latime:"},
    {"QPageSetupWidget", "Height:", "Inaltime:"},
    {"QPageSetupWidget", "Paper source:", "Sursa hartiei:"},
    {"QPageSetupWidget", "Orientation", "Orientare"},
    {"QPageSetupWidget", "Portrait", "Portret"},
    {"QPageSetupWidget", "Landscape", "Peisaj"},
    {"QPageSetupWidget", "Reverse landscape", "Peisaj intors"},
    {"QPageSetupWidget", "Reverse portrait", "Portret intors"},
    {"QPageSetupWidget", "Margins", "Margini"},
    {"QPageSetupWidget", "top margin", "marginea de sus"},
    {"QPageSetupWidget", "left margin", "marginea din stanga"},
    {"QPageSetupWidget", "right margin", "marginea din dreapta"},
    {"QPageSetupWidget", "bottom margin", "marginea de jos"},
    {"QPageSetupWidget", "Page Layout", "Asezare in pagina"},
    {"QPageSetupWidget", "Page order:", "Ordinea paginilor:"},
    {"QPageSetupWidget", "Pages per sheet:", "Pagini pe foaie:"},
    {"QPageSetupWidget", "Custom", "Alt format"},
    {"QPageSetupWidget", "Millimeters (mm)", "Milimetri (mm)"},
    {"QPageSetupWidget", "Inches (in)", "Toli (in)"},
    {"QPageSetupWidget", "Points (pt)", "Puncte (pt)"},
    {"QPageSetupWidget", "Didot (DD)", "Didot (DD)"},
    {"QPageSetupWidget", "Cicero (CC)", "Cicero (CC)"},

    // The context menu of edit fields.
    {"QLineEdit", "&Undo", "&Anuleaza"},
    {"QLineEdit", "&Redo", "&Reface"},
    {"QLineEdit", "Cu&t", "&Taie"},
    {"QLineEdit", "&Copy", "&Copiaza"},
    {"QLineEdit", "&Paste", "&Lipeste"},
    {"QLineEdit", "Delete", "Sterge"},
    {"QLineEdit", "Select All", "Selecteaza tot"},
    {"QWidgetTextControl", "&Undo", "&Anuleaza"},
    {"QWidgetTextControl", "&Redo", "&Reface"},
    {"QWidgetTextControl", "Cu&t", "&Taie"},
    {"QWidgetTextControl", "&Copy", "&Copiaza"},
    {"QWidgetTextControl", "&Paste", "&Lipeste"},
    {"QWidgetTextControl", "Delete", "Sterge"},
    {"QWidgetTextControl", "Select All", "Selecteaza tot"},
    {"QWidgetTextControl", "Copy &Link Location", "Copiaza &adresa legaturii"},
    {"QAbstractSpinBox", "&Select All", "&Selecteaza tot"},

    // The context menu of the grids' and lists' scroll bars.
    {"QScrollBar", "Scroll here", "Deruleaza pana aici"},
    {"QScrollBar", "Left edge", "Marginea din stanga"},
    {"QScrollBar", "Top", "Sus de tot"},
    {"QScrollBar", "Right edge", "Marginea din dreapta"},
    {"QScrollBar", "Bottom", "Jos de tot"},
    {"QScrollBar", "Page left", "O pagina la stanga"},
    {"QScrollBar", "Page up", "O pagina mai sus"},
    {"QScrollBar", "Page right", "O pagina la dreapta"},
    {"QScrollBar", "Page down", "O pagina mai jos"},
    {"QScrollBar", "Scroll left", "Deruleaza la stanga"},
    {"QScrollBar", "Scroll up", "Deruleaza in sus"},
    {"QScrollBar", "Scroll right", "Deruleaza la dreapta"},
    {"QScrollBar", "Scroll down", "Deruleaza in jos"},
    // The file dialog's places: a place taken off the list.
    {"QFileDialog", "Remove", "Scoate din lista"},
    {"QAbstractSpinBox", "&Step up", "&Creste"},
    {"QAbstractSpinBox", "Step &down", "&Scade"},
};

// Context and English text joined by a character neither contains.
std::string keyOf(const char* context, const char* english) {
    std::string key(context);
    key += '\x1f';
    key += english;
    return key;
}

const std::unordered_map<std::string, const char*>& table() {
    static const std::unordered_map<std::string, const char*> t = [] {
        std::unordered_map<std::string, const char*> m;
        for (const Text& x : kTexts) m.emplace(keyOf(x.context, x.english), x.romanian);
        return m;
    }();
    return t;
}

// The file dialog's list writes sizes and dates in the system's language
// whatever the program's; this view of it writes them the program's way
// ("12.05.2014 09:30", "3,5 KB").
class FileDialogDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole) return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == 3)
            return QLocale().toString(files->lastModified(source), QStringLiteral("dd.MM.yyyy HH:mm"));
        if (index.column() == 1 && !files->isDir(source)) return sizeText(files->size(source));
        return QIdentityProxyModel::data(index, role);
    }

private:
    static QString sizeText(qint64 bytes) {
        if (bytes < 1024) return QStringLiteral("%1 octeti").arg(bytes);
        double size = bytes / 1024.0;
        for (const char* unit : {"KB", "MB", "GB"}) {
            if (size < 1024 || unit[0] == 'G')
                return QLocale().toString(size, 'f', 1) + QLatin1Char(' ') + QLatin1String(unit);
            size /= 1024;
        }
        return {};
    }
};

// Gives every file dialog the program's sizes and dates before it shows.
class FileDialogWatcher : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched); dialog && !dialog->proxyModel())
                dialog->setProxyModel(new FileDialogDates(dialog));
        return false;
    }
};

}  // namespace

QString RomanianQtTexts::translate(const char* context, const char* sourceText, const char*, int) const {
    if (!context || !sourceText) return {};
    const auto& t = table();
    auto it = t.find(keyOf(context, sourceText));
    return it == t.end() ? QString() : QString::fromUtf8(it->second);
}

RomanianQtTexts& qtTexts() {
    static RomanianQtTexts texts;
    return texts;
}

void installQtTexts() {
    // Month and day names (the calendar, the file dialog's dates) in Romanian
    // whatever the system's language; amounts and the date fields keep the
    // program's own formats.
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    // The desktop's own file dialogs would speak the system's language.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    static FileDialogWatcher watcher;
    QCoreApplication::instance()->removeEventFilter(&watcher);
    QCoreApplication::instance()->installEventFilter(&watcher);
    // Installing twice would list it twice.
    QCoreApplication::removeTranslator(&qtTexts());
    QCoreApplication::installTranslator(&qtTexts());
}

}  // namespace app
