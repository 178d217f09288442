#include "app/Application.h"

#include <QLocale>

#include "app/QtTexts.h"
#include "shell/Messages.h"
#include "data/Errors.h"
#include "data/Format.h"

namespace app {

void reportException(std::exception_ptr e) {
    try {
        try {
            std::rethrow_exception(e);
        } catch (const data::Abort&) {
        } catch (const std::exception& ex) {
            ui::Messages::error(QString::fromUtf8(ex.what()));
        } catch (...) {
            ui::Messages::error(QStringLiteral("Eroare necunoscuta"));
        }
    } catch (...) {
        // The error box itself failed; nothing more can be shown.
    }
}

bool runGuarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (...) {
        reportException(std::current_exception());
        return false;
    }
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The toolkit's own dialogs in Romanian.
    installQtTexts();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportException(std::current_exception());
        return true;
    }
}

namespace {
// The first character of `s` when it is a single ASCII character.
bool asciiChar(const QString& s, char& c) {
    if (s.size() != 1 || s[0].unicode() >= 128) return false;
    c = static_cast<char>(s[0].unicode());
    return true;
}
}  // namespace

void initFormatSettingsFromLocale() {
    const QLocale loc = QLocale::system();
    data::FormatSettings& fs = data::formatSettings();
    char c = 0;
    if (asciiChar(loc.decimalPoint(), c)) fs.decimalSeparator = c;
    if (asciiChar(loc.groupSeparator(), c) && c != fs.decimalSeparator)
        fs.thousandSeparator = c;
    else if (fs.thousandSeparator == fs.decimalSeparator)
        fs.thousandSeparator = fs.decimalSeparator == ',' ? '.' : ',';
    // The date separator: the first character of the short date format that
    // is not part of a day, month or year field.
    const QString df = loc.dateFormat(QLocale::ShortFormat);
    for (QChar ch : df) {
        if (ch.isLetter() || ch.isSpace() || ch.unicode() >= 128) continue;
        if (ch == '\'') break;
        fs.dateSeparator = static_cast<char>(ch.unicode());
        break;
    }
}

}  // namespace app
