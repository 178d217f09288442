// Every message box and input box of the program goes through here, so that
// tests can read the text shown and answer as a user would.
#pragma once
#include <QString>
#include <functional>
#include <iosfwd>
#include <vector>

class QWidget;

namespace ui {

enum class MsgType { Warning, Error, Information, Confirmation };

enum MsgButton : int { Ok = 1, Cancel = 2, Yes = 4, No = 8 };

struct MessageRecord {
    MsgType type;
    QString text;
    int buttons;
    int answer;  // the button chosen
    bool isInput = false;
    QString input;          // for input boxes: the text handed back
    int defaultButton = 0;  // the button Enter chooses (0: the toolkit's choice)
};

class Messages {
public:
    // Shows a message box; returns the button chosen (Cancel/No when closed).
    // `defaultButton` is the one Enter chooses (0: the toolkit's choice).
    static int show(MsgType type, const QString& text, int buttons = Ok, QWidget* parent = nullptr,
                    int defaultButton = 0);
    static void warning(const QString& text, QWidget* parent = nullptr) { show(MsgType::Warning, text, Ok, parent); }
    static void error(const QString& text, QWidget* parent = nullptr) { show(MsgType::Error, text, Ok, parent); }
    static void information(const QString& text, QWidget* parent = nullptr) {
        show(MsgType::Information, text, Ok, parent);
    }
    // Warning box with Yes and No; true for Yes.
    static bool askYesNo(const QString& text, MsgType type = MsgType::Warning, QWidget* parent = nullptr);
    // A question whose Yes deletes, closes or changes something for good:
    // Enter answers No, Yes is one key away (its mnemonic). True for Yes.
    static bool askDestructive(const QString& text, MsgType type = MsgType::Warning, QWidget* parent = nullptr);
    // "Salvati modificarile?" with Da, Nu and Anuleaza, asked before a window
    // with pending changes closes. Enter answers Da. Returns Yes (save), No
    // (drop the changes) or Cancel (keep the window open with them).
    static int askSaveChanges(QWidget* parent = nullptr);
    static QString saveChangesText() { return QStringLiteral("Salvati modificarile?"); }
    // Input box; returns false when cancelled.
    static bool inputBox(const QString& caption, const QString& prompt, QString& value, QWidget* parent = nullptr);

    static QString title(MsgType type);

    // Runs without windows (the command line): every message's text goes to
    // `stream` as one line instead of a box; a question is answered No (or
    // Cancel), an input box is cancelled. nullptr: boxes again.
    static void writeTo(std::ostream* stream);

    // --- for tests: answer instead of showing a window, and read what was shown.
    // The responder gets each message and returns the button (for input boxes
    // it may also set record.input and return Ok or Cancel).
    using Responder = std::function<int(MessageRecord&)>;
    static void setResponder(Responder r);
    static void clearResponder() { setResponder(nullptr); }
    static const std::vector<MessageRecord>& history();
    static void clearHistory();
    static QString lastText();
};

}  // namespace ui
