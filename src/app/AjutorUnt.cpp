#include "app/AjutorUnt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>
#include <filesystem>
#include <optional>

#include "app/HelpTopics.h"
#include "controls/Binding.h"
#include "data/Collation.h"
#include "shell/Messages.h"
#include "shell/WindowSlots.h"
#include "ui_AjutorUnt.h"

namespace app {

namespace {

constexpr ui::WindowSpec kWindow{
    .modeless = true, .minimizable = true, .maximizable = true, .fixedSize = false, .accessError = nullptr};

// A page or picture of the manual is far smaller; a larger file is not ours.
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

bool regularFile(const QString& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(std::filesystem::path(path.toStdString()), ec).type() ==
           std::filesystem::file_type::regular;
}

// A file of the manual: inside `root`, a regular file of bounded size.
std::optional<QByteArray> readManualFile(const QString& root, const QString& path) {
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonicalRoot.isEmpty() || !canonical.startsWith(canonicalRoot + QLatin1Char('/'))) return std::nullopt;
    if (!regularFile(path) || QFileInfo(path).size() > kMaxFileBytes) return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.read(kMaxFileBytes);
}

bool holdsManual(const QString& dir) { return regularFile(dir + QStringLiteral("/index.html")); }

std::string folded(const QString& s) { return data::foldForMatch(s.toStdString()); }

}  // namespace

QString manualDirectory() {
    const QString bin = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        bin + QStringLiteral("/../share/doc/corvalinde/manual"),
        QStringLiteral(CORVALINDE_INSTALL_DATADIR "/doc/corvalinde/manual"),
        bin + QStringLiteral("/manual"),
        QStringLiteral(CORVALINDE_MANUAL_SOURCE_DIR),
    };
    for (const QString& c : candidates)
        if (holdsManual(c)) return QDir::cleanPath(c);
    return {};
}

QVariant ManualView::loadResource(int type, const QUrl& name) {
    (void)type;
    if (!name.isLocalFile()) return {};
    std::optional<QByteArray> bytes = readManualFile(root_, name.toLocalFile());
    if (!bytes) return {};
    return *bytes;
}

TAjutorFrm::TAjutorFrm(QWidget* owner, const QString& directory) : DataWindow(owner, kWindow), dir_(directory) {
    ui::setupForm<Ui_TAjutorFrm>(this);
    PageView = ui::child<ManualView>(this, "PageView");
    ContentsList = ui::child<QListWidget>(this, "ContentsList");
    SearchEdit = ui::child<QLineEdit>(this, "SearchEdit");
    FoundLbl = ui::child<QLabel>(this, "FoundLbl");
    PageView->setRoot(dir_);
    PageView->setSearchPaths({dir_});
    auto* splitter = ui::child<QSplitter>(this, "Splitter");
    splitter->setStretchFactor(1, 1);
    readContents();

    connect(ui::child<QPushButton>(this, "BackBtn"), &QPushButton::clicked, PageView, &QTextBrowser::backward);
    connect(ui::child<QPushButton>(this, "ForwardBtn"), &QPushButton::clicked, PageView, &QTextBrowser::forward);
    connect(ui::child<QPushButton>(this, "HomeBtn"), &QPushButton::clicked, this, [this] {
        SearchEdit->clear();
        showPlace(QStringLiteral("index.html"));
    });
    connect(SearchEdit, &QLineEdit::returnPressed, this, [this] { SearchEditReturn(); });
    connect(SearchEdit, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (t.trimmed().isEmpty()) search({});
    });
    connect(ContentsList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPlace(item->data(Qt::UserRole).toString()); });
    connect(ContentsList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPlace(item->data(Qt::UserRole).toString()); });
    connect(PageView, &QTextBrowser::sourceChanged, this, [this] { showTitle(); });
    finishLayout();
}

// The contents are the links of "index.html", in their order.
void TAjutorFrm::readContents() {
    pages_.push_back({QStringLiteral("index.html"), QStringLiteral("Cuprins"), {}});
    std::optional<QByteArray> index = readManualFile(dir_, dir_ + QStringLiteral("/index.html"));
    static const QRegularExpression link(QStringLiteral(R"re(<a href="([a-z0-9-]+\.html)">([^<]+)</a>)re"));
    auto it = link.globalMatch(QString::fromUtf8(index.value_or(QByteArray())));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString file = m.captured(1);
        bool known = false;
        for (const Page& p : pages_) known = known || p.file == file;
        if (!known) pages_.push_back({file, m.captured(2).trimmed(), {}});
    }
    search({});
}

void TAjutorFrm::fillList(const std::vector<const Page*>& shown) {
    const QSignalBlocker block(ContentsList);
    ContentsList->clear();
    for (const Page* p : shown) {
        auto* item = new QListWidgetItem(p->title, ContentsList);
        item->setData(Qt::UserRole, p->file);
    }
}

QStringList TAjutorFrm::pages() const {
    QStringList l;
    for (const Page& p : pages_) l << p.file;
    return l;
}

QStringList TAjutorFrm::search(const QString& text) {
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    std::vector<const Page*> shown;
    QStringList files;
    for (Page& p : pages_) {
        if (!words.isEmpty() && p.folded.empty()) {
            QTextDocument doc;
            doc.setHtml(QString::fromUtf8(readManualFile(dir_, dir_ + QLatin1Char('/') + p.file).value_or("")));
            p.folded = folded(p.title + QLatin1Char('\n') + doc.toPlainText());
        }
        bool all = true;
        for (const QString& w : words) all = all && p.folded.find(folded(w)) != std::string::npos;
        if (!all) continue;
        shown.push_back(&p);
        files << p.file;
    }
    fillList(shown);
    if (words.isEmpty())
        FoundLbl->clear();
    else if (shown.empty())
        FoundLbl->setText(QStringLiteral("Niciun capitol nu contine \"%1\".").arg(text.trimmed()));
    else
        FoundLbl->setText(QStringLiteral("Capitole care contin \"%1\": %2").arg(text.trimmed()).arg(shown.size()));
    return files;
}

// Enter in the search field: the first page found, at the first place the
// words (or the first of them) show.
void TAjutorFrm::SearchEditReturn() {
    const QStringList found = search(SearchEdit->text());
    if (found.isEmpty()) return;
    showPlace(found.first());
    ContentsList->setCurrentRow(0);
    // the words as typed, else the first of them
    const QString typed = SearchEdit->text().simplified();
    PageView->moveCursor(QTextCursor::Start);
    if (!PageView->find(typed)) PageView->find(typed.section(QLatin1Char(' '), 0, 0));
}

void TAjutorFrm::showPlace(const QString& place) {
    const qsizetype hash = place.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? place : place.left(hash);
    QUrl url = QUrl::fromLocalFile(dir_ + QLatin1Char('/') + file);
    if (hash >= 0) url.setFragment(place.mid(hash + 1));
    PageView->setSource(url);
    if (hash >= 0) PageView->scrollToAnchor(url.fragment());
    showTitle();
}

QString TAjutorFrm::currentPlace() const {
    const QUrl url = PageView->source();
    return url.fileName() + (url.hasFragment() ? QLatin1Char('#') + url.fragment() : QString());
}

void TAjutorFrm::showTitle() {
    const QString file = PageView->source().fileName();
    const QSignalBlocker block(ContentsList);
    for (int i = 0; i < ContentsList->count(); ++i)
        if (ContentsList->item(i)->data(Qt::UserRole).toString() == file) ContentsList->setCurrentRow(i);
    const QString title = PageView->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Manual de utilizare")
                                   : QStringLiteral("Manual de utilizare - ") + title);
}

void ShowManual(QWidget* owner, const QWidget* focus) {
    const QString dir = manualDirectory();
    if (dir.isEmpty()) {
        ui::Messages::error(QStringLiteral("Manualul de utilizare nu este instalat!\nEl se afla in "
                                           "share/doc/corvalinde/manual, langa directorul programului."),
                            QApplication::activeWindow() ? QApplication::activeWindow() : owner);
        return;
    }
    // the main window's buttons take no focus: its window speaks for it then
    if (!focus) focus = QApplication::activeWindow();
    const QString place = helpPlaceFor(focus ? focus : owner);
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* host = modal ? modal : owner;
    QPointer<QWidget>& slot = shell::windowSlot<TAjutorFrm>();
    // a manual that belongs to another window would wait behind the dialog
    if (slot && slot->parentWidget() != host) delete slot.data();
    auto* w = shell::OpenSingleWindow<TAjutorFrm>(host, dir);
    w->showPlace(place);
}

namespace {

class ManualKey : public QObject {
public:
    explicit ManualKey(QWidget* owner) : QObject(owner), owner_(owner) { qApp->installEventFilter(this); }
    ~ManualKey() override {
        if (qApp) qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
        if (!watched->isWidgetType() || !QApplication::activeModalWidget() || QApplication::activePopupWidget())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
        event->accept();
        if (type == QEvent::KeyPress && owner_) {
            QWidget* focus = QApplication::focusWidget();
            ShowManual(owner_, focus ? focus : static_cast<QWidget*>(watched));
        }
        return true;
    }

private:
    QPointer<QWidget> owner_;
};

}  // namespace

void installManualKey(QWidget* owner) { new ManualKey(owner); }

}  // namespace app
