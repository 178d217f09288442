#include "shell/Messages.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <ostream>

namespace ui {

namespace {
Messages::Responder& responder() {
    static Messages::Responder r;
    return r;
}
std::vector<MessageRecord>& records() {
    static std::vector<MessageRecord> h;
    return h;
}
std::ostream*& batchStream() {
    static std::ostream* s = nullptr;
    return s;
}
// The answer of a run without windows: the button that goes no further.
int batchAnswer(int buttons) {
    if (buttons & No) return No;
    if (buttons & Cancel) return Cancel;
    return Ok;
}
}  // namespace

QString Messages::title(MsgType type) {
    switch (type) {
        case MsgType::Warning: return QStringLiteral("Atentie");
        case MsgType::Error: return QStringLiteral("Eroare");
        case MsgType::Information: return QStringLiteral("Informatie");
        case MsgType::Confirmation: return QStringLiteral("Confirmare");
    }
    return {};
}

namespace {
// A box with the captions of the standard buttons, except Cancel when
// `cancelCaption` names it otherwise.
int present(MsgType type, const QString& text, int buttons, QWidget* parent, int defaultButton,
            const QString& cancelCaption) {
    MessageRecord rec{type, text, buttons, 0, false, {}, defaultButton};
    if (responder()) {
        rec.answer = responder()(rec);
        records().push_back(rec);
        return rec.answer;
    }
    if (std::ostream* out = batchStream()) {
        *out << text.toStdString() << std::endl;
        rec.answer = batchAnswer(buttons);
        records().push_back(rec);
        return rec.answer;
    }
    QMessageBox::Icon icon = type == MsgType::Warning       ? QMessageBox::Warning
                             : type == MsgType::Error       ? QMessageBox::Critical
                             : type == MsgType::Information ? QMessageBox::Information
                                                            : QMessageBox::Question;
    QMessageBox box(icon, Messages::title(type), text, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    // The captions ("&Da", "&Nu", "OK", "Renunta") are the toolkit's standard
    // buttons in the program's Romanian texts (app::RomanianQtTexts).
    struct B {
        int ours;
        QMessageBox::StandardButton qt;
    };
    const B all[] = {
        {Yes, QMessageBox::Yes}, {No, QMessageBox::No}, {Ok, QMessageBox::Ok}, {Cancel, QMessageBox::Cancel}};
    for (const auto& b : all)
        if (buttons & b.ours) {
            QPushButton* button = box.addButton(b.qt);
            if (b.ours == Cancel && !cancelCaption.isEmpty()) button->setText(cancelCaption);
            if (b.ours == defaultButton) box.setDefaultButton(b.qt);
        }
    int r = box.exec();
    rec.answer = Cancel;
    for (const auto& b : all)
        if (r == b.qt) rec.answer = b.ours;
    if (rec.answer == Cancel && !(buttons & Cancel)) rec.answer = (buttons & No) ? No : Ok;
    records().push_back(rec);
    return rec.answer;
}
}  // namespace

int Messages::show(MsgType type, const QString& text, int buttons, QWidget* parent, int defaultButton) {
    return present(type, text, buttons, parent, defaultButton, {});
}

int Messages::askSaveChanges(QWidget* parent) {
    return present(MsgType::Confirmation, saveChangesText(), Yes | No | Cancel, parent, Yes,
                   QStringLiteral("&Anuleaza"));
}

bool Messages::askYesNo(const QString& text, MsgType type, QWidget* parent) {
    return show(type, text, Yes | No, parent) == Yes;
}

bool Messages::askDestructive(const QString& text, MsgType type, QWidget* parent) {
    return show(type, text, Yes | No, parent, No) == Yes;
}

bool Messages::inputBox(const QString& caption, const QString& prompt, QString& value, QWidget* parent) {
    MessageRecord rec{MsgType::Information, caption + "\n" + prompt, Ok | Cancel, 0, true, value};
    if (responder()) {
        rec.answer = responder()(rec);
        records().push_back(rec);
        if (rec.answer != Ok) return false;
        value = rec.input;
        return true;
    }
    if (std::ostream* out = batchStream()) {
        *out << rec.text.toStdString() << std::endl;
        rec.answer = Cancel;
        records().push_back(rec);
        return false;
    }
    bool ok = false;
    QString v = QInputDialog::getText(parent ? parent : QApplication::activeWindow(), caption, prompt,
                                      QLineEdit::Normal, value, &ok);
    rec.answer = ok ? Ok : Cancel;
    rec.input = v;
    records().push_back(rec);
    if (ok) value = v;
    return ok;
}

void Messages::writeTo(std::ostream* stream) { batchStream() = stream; }
void Messages::setResponder(Responder r) { responder() = std::move(r); }
const std::vector<MessageRecord>& Messages::history() { return records(); }
void Messages::clearHistory() { records().clear(); }
QString Messages::lastText() { return records().empty() ? QString() : records().back().text; }

}  // namespace ui
