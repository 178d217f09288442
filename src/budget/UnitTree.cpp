#include "budget/UnitTree.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "budget/CalcBilant.h"
#include "data/Collation.h"
#include "data/Engine.h"
#include "data/FileCopy.h"
#include "data/Format.h"
#include "data/Install.h"
#include "data/OrdinaryFile.h"
#include "data/Windows1250.h"

namespace fs = std::filesystem;

namespace budget {

namespace {

std::string withoutSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

// The entry of `dir` named `name` whatever its letter case (the exact name
// first); empty when there is none.
std::string findEntry(const std::string& dir, const std::string& name) {
    std::error_code ec;
    const fs::path exact = fs::path(dir) / name;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact.string();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (sameDirectoryName(it->path().filename().string(), name)) return it->path().string();
    return {};
}

// A unit directory this window may work in: a real directory, not a link
// that could lead outside its group directory.
bool isRealDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path, ec));
}

bool openElsewhere(const std::string& file) {
    try {
        return data::OpenFiles::instance().openInAnotherProgram(data::canonicalPath(file));
    } catch (const std::exception&) {
        return false;
    }
}

// Lets every SQL session of this program let go of a file about to move or go.
void release(const std::string& file) {
    try {
        data::SqlSession::releaseEverywhere(data::canonicalPath(file));
    } catch (const std::exception&) {
    }
}

// The unit's own files in its directory: the budget, its index file and the
// budget's journal, each whatever its letter case.
std::vector<std::string> budgetFiles(const std::string& dir) {
    std::vector<std::string> out;
    // the record of what the budget's figures are for belongs to it
    for (const char* name : {"Bilant.DB", "Bilant.PX", "Bilant.DB-journal", kComputationFile}) {
        std::string f = findEntry(dir, name);
        std::error_code ec;
        if (!f.empty() && !fs::is_directory(fs::symlink_status(f, ec))) out.push_back(f);
    }
    return out;
}

// Whether a name can only name an entry of its group directory: what an
// existing unit (an older tree's, whose name may begin with a blank) must be.
bool isSafeDirectoryName(const std::string& name) {
    if (name.empty() || !data::isValidUtf8(name)) return false;
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
    return name.find_first_not_of(" .") != std::string::npos;
}

const char* templateName(const std::string& group) {
    return sameDirectoryName(group, kManastiri) ? "BilantManastGol" : "BilantParohGol";
}

}  // namespace

// ---------------------------------------------------------------- tree file

TreeRead parseTree(const std::string& raw) {
    // A file saved by an older installation, or edited in a Windows editor, is
    // in Windows-1250; a byte that code page lacks stays and stops the reading
    // at its line.
    std::string converted;
    if (!data::isValidUtf8(raw) && data::appendWindows1250AsUtf8(raw, converted) == std::string::npos)
        return parseTree(converted);
    const std::string& text = raw;
    TreeRead r;
    size_t pos = 0;
    int lineNo = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        auto malformed = [&](const char* why) {
            r.error = "Fisierul " + std::string(kTreeFile) + " nu este corect: linia " + std::to_string(lineNo) + why;
        };
        size_t depth = 0;
        while (depth < line.size() && (line[depth] == '\t' || line[depth] == ' ')) ++depth;
        const int previous = r.lines.empty() ? -1 : r.lines.back().depth;
        // A name that begins with a blank is written after its tabs as it is; it is
        // read one level deeper, except where that would be too deep (the first
        // unit of its group): there the blanks stay in the name, so the lines
        // after it are not lost from the tree.
        size_t tabs = 0;
        while (tabs < line.size() && line[tabs] == '\t') ++tabs;
        if (tabs > 0 && depth > tabs && static_cast<int>(depth) > previous + 1 &&
            static_cast<int>(tabs) <= previous + 1 && line.find('\t', tabs) >= depth)
            depth = tabs;
        const int level = static_cast<int>(std::min<size_t>(depth, kMaxTreeDepth + 1));
        // a CR alone ends no line here: the whole file would become one node
        if (line.find('\r') != std::string::npos) {
            malformed(" are sfarsituri de linie necunoscute (doar CR)!");
            break;
        }
        const bool control = std::any_of(line.begin(), line.end(), [](char c) {
            return c != '\t' && (static_cast<unsigned char>(c) < 0x20 || c == 0x7f);
        });
        if (control || !data::isValidUtf8(line)) {
            malformed(" nu este un text valid!");
            break;
        }
        if (line.find_first_not_of(" \t") == std::string::npos) {
            malformed(" nu are nici o denumire!");
            break;
        }
        if (level > previous + 1 || level > kMaxTreeDepth) {
            malformed(" nu se potriveste in structura!");
            break;
        }
        r.lines.push_back({static_cast<int>(depth), line.substr(depth)});
    }
    return r;
}

std::string treeText(const TreeLines& lines) {
    std::string out;
    for (const TreeLine& l : lines) out += std::string(static_cast<size_t>(l.depth), '\t') + l.text + "\r\n";
    return out;
}

TreeLines builtInTree() { return parseTree(data::builtInTreeText()).lines; }

TreeRead readTreeFile(const std::string& dir) {
    std::string path = findEntry(withoutSlash(dir), kTreeFile);
    if (path.empty()) path = data::withSlash(dir) + kTreeFile;
    try {
        return parseTree(data::readOrdinaryFile(path, kMaxTreeFileBytes));
    } catch (const data::FileAccessError& e) {
        return {{}, "Nu pot citi fisierul :" + path + " (" + e.what() + ")!"};
    }
}

void writeTreeFile(const std::string& dir, const TreeLines& lines) {
    std::string path = findEntry(withoutSlash(dir), kTreeFile);
    if (path.empty()) path = data::withSlash(dir) + kTreeFile;
    try {
        data::replaceOrdinaryFile(path, treeText(lines));
    } catch (const data::FileAccessError&) {
        throw UnitError("Nu pot crea fisierul :" + path + " inchideti fisierele aferente si repetati operatia!");
    }
}

// ---------------------------------------------------------------- units

bool isValidUnitName(const std::string& name) {
    // A leading blank would be read back from the tree file as one more level.
    return isSafeDirectoryName(name) && name.front() != ' ';
}

bool sameDirectoryName(const std::string& a, const std::string& b) {
    return data::iequals(a, b) || data::sameName(a, b);
}

std::string unitExistsMessage(const std::string& name) {
    return "Unitatea " + name + " exista deja, creati alta unitate!";
}

std::string nameInUseMessage(const std::string& name) {
    return "Unitatea " + name + " exista deja, alegeti alta denumire!";
}

std::string groupDirectory(const std::string& appDir, const std::string& group) {
    const std::string base = withoutSlash(appDir.empty() ? "." : appDir);
    std::string found = findEntry(base, group);
    return found.empty() ? (fs::path(base) / group).string() : found;
}

std::string unitDirectory(const std::string& appDir, const std::string& group, const std::string& name) {
    const std::string g = groupDirectory(appDir, group);
    if (name.empty()) return g;
    std::string found = findEntry(g, name);
    return found.empty() ? (fs::path(g) / name).string() : found;
}

std::string unitBudgetDirectory(const std::string& appDir, const std::string& group, const std::string& name) {
    if (!isSafeDirectoryName(name)) throw UnitError(kInvalidUnitName);
    const std::string dir = unitDirectory(appDir, group, name);
    std::error_code ec;
    if (fs::is_symlink(dir, ec)) throw UnitError("Directorul unitatii " + dir + " nu este un director obisnuit!");
    return dir;
}

bool createUnitDirectory(const std::string& appDir, const std::string& group, const std::string& name) {
    if (name.empty()) return false;  // the group directory itself, which is there
    if (!isValidUnitName(name)) throw UnitError(kInvalidUnitName);
    const std::string g = groupDirectory(appDir, group);
    if (!findEntry(g, name).empty()) return false;
    std::error_code ec;
    if (!isRealDirectory(g) || !fs::create_directory(fs::path(g) / name, ec)) throw UnitError(unitExistsMessage(name));
    return true;
}

void copyUnitTemplate(const std::string& appDir, const std::string& group, const std::string& name) {
    if (!isValidUnitName(name)) throw UnitError(kInvalidUnitName);
    const std::string dir = unitDirectory(appDir, group, name);
    const std::string shown = data::withSlash(appDir) + group + "/" + name + "/";
    if (!isRealDirectory(dir))
        throw UnitError("Nu pot crea fisierul :" + shown +
                        "Bilant.DB inchideti fisierele aferente si repetati operatia!");
    const std::string tpl = templateName(group);
    struct Copy {
        const char *ext, *target;
    };
    for (Copy c : {Copy{".DB", "Bilant.DB"}, Copy{".PX", "Bilant.PX"}}) {
        std::string source = data::resolveTableFile(appDir, tpl + c.ext);
        // an index file is copied where the template has one
        if (source.empty() && std::string(c.ext) == ".PX") continue;
        std::string target = findEntry(dir, c.target);
        if (target.empty()) target = (fs::path(dir) / c.target).string();
        try {
            if (source.empty())
                throw data::FileError(data::sourceErrorText((fs::path(appDir) / (tpl + c.ext)).string()));
            data::CopyWholeFile(source, target);
        } catch (const std::exception&) {
            throw UnitError("Nu pot crea fisierul :" + shown + c.target +
                            " inchideti fisierele aferente si repetati operatia!");
        }
    }
}

RemoveResult removeUnit(const std::string& appDir, const std::string& group, const std::string& name) {
    if (!isSafeDirectoryName(name)) throw UnitError(kInvalidUnitName);
    const std::string dir = unitDirectory(appDir, group, name);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(dir, ec))) return RemoveResult::Missing;
    const char* const kCannotRemove =
        "Nu pot sterge aceasta unitate, inchideti fisierele aferente si repetati operatia!";
    if (!isRealDirectory(dir)) throw UnitError(kCannotRemove);

    // Only the unit's own budget goes, and none of it while another program
    // holds it (its journal may be needed to finish that program's write).
    const std::vector<std::string> own = budgetFiles(dir);
    if (std::none_of(own.begin(), own.end(), openElsewhere)) {
        for (const std::string& f : own) {
            release(f);
            fs::remove(f, ec);
        }
    }
    if (fs::remove(dir, ec)) return RemoveResult::Removed;

    // Why the directory stays: one of its own files, or files of the user's.
    if (!budgetFiles(dir).empty()) throw UnitError(kCannotRemove);
    throw UnitError("Nu pot sterge aceasta unitate, directorul ei " + dir +
                    " contine si alte fisiere, care au fost pastrate! Bugetul unitatii a fost sters.");
}

void renameUnit(const std::string& appDir, const std::string& group, const std::string& oldName,
                const std::string& newName) {
    if (!isValidUnitName(newName) || !isSafeDirectoryName(oldName)) throw UnitError(kInvalidUnitName);
    if (newName == oldName) return;
    const std::string g = groupDirectory(appDir, group);
    const std::string from = findEntry(g, oldName);
    const std::string taken = findEntry(g, newName);
    std::error_code ec;
    // a change of letter case alone finds the unit's own directory
    if (!taken.empty() && (from.empty() || !fs::equivalent(taken, from, ec)))
        throw UnitError(nameInUseMessage(newName));
    if (from.empty()) return;  // a node without its directory: only the node changes

    const char* const kCannotRename =
        "Nu pot redenumi aceasta unitate, inchideti fisierele aferente si repetati operatia!";
    if (!isRealDirectory(from)) throw UnitError(kCannotRename);
    const std::vector<std::string> own = budgetFiles(from);
    if (std::any_of(own.begin(), own.end(), openElsewhere)) throw UnitError(kCannotRename);
    for (const std::string& f : own) release(f);
    fs::rename(from, fs::path(g) / newName, ec);
    if (ec) throw UnitError(kCannotRename);
}

}  // namespace budget
