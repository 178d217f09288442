// "Ajutor" / "Manual de utilizare" (F1 in every window): the user's manual,
// pages shipped with the program, in a window with the contents list, a
// search over every page and the page itself. F1 opens it at the section of
// the window holding the focus.
#pragma once
#include <QString>
#include <QStringList>
#include <QTextBrowser>
#include <QWidget>
#include <vector>

#include "controls/DataWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace app {

// The directory of the manual's pages ("index.html" and the topics), "" when
// none is found: the installed "share/doc/corvalinde/manual" beside the
// program's "bin", a "manual" directory beside the program, or the source
// tree's "docs/manual" of a program run from its build.
QString manualDirectory();

// A page view that reads only the manual's own files: regular files inside
// its directory, of bounded size.
class ManualView : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override;
    void setRoot(const QString& dir) { root_ = dir; }

private:
    QString root_;
};

class TAjutorFrm : public ui::DataWindow<QWidget> {
    Q_OBJECT
public:
    TAjutorFrm(QWidget* owner, const QString& directory);

    // Shows "page.html#anchor" (a page of the contents, an anchor in it).
    void showPlace(const QString& place);
    // The page and anchor shown ("documente.html#incasari").
    QString currentPlace() const;
    // The pages, as the contents list them.
    QStringList pages() const;
    // The pages holding every word of `text` (letter case and diacritics
    // ignored); an empty text gives the whole contents back.
    QStringList search(const QString& text);

private:
    struct Page {
        QString file;
        QString title;
        std::string folded;  // read on the first search
    };
    void readContents();
    void fillList(const std::vector<const Page*>& shown);
    void SearchEditReturn();
    void showTitle();

    QString dir_;
    std::vector<Page> pages_;
    ManualView* PageView;
    QListWidget* ContentsList;
    QLineEdit* SearchEdit;
    QLabel* FoundLbl;
};

// Opens the manual (one window; brought to the front when open) at the
// section of `focus`'s window. Under a modal dialog the manual is a window of
// that dialog, so that it can be read while the dialog waits.
void ShowManual(QWidget* owner, const QWidget* focus);

// F1 while a modal dialog is open (the main menu's F1 serves every other window).
void installManualKey(QWidget* owner);

}  // namespace app
