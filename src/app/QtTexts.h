// Romanian texts for the toolkit's own dialogs (file dialog, print and page
// set-up dialogs, message and input boxes, the edit fields' context menu),
// which the toolkit would otherwise show in English: no Romanian translation
// of its base module is shipped. This is the one place that gives them. The
// program's own engine and controls word their messages in Romanian
// themselves ("Stergeti inregistrarea?").
#pragma once
#include <QString>
#include <QTranslator>

namespace app {

class RomanianQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    // The Romanian text of one of the toolkit's texts; empty (the toolkit
    // keeps its own) for every other text.
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
};

// The program's one instance.
RomanianQtTexts& qtTexts();
// Installs it in the application, ahead of any other translator (calling
// again leaves it installed once), and makes Romanian the toolkit's language
// for month and day names whatever the system locale.
void installQtTexts();

}  // namespace app
