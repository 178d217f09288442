// The deanery office's units: the tree file "arbore.txt" (the office, the
// group of parishes, the group of monasteries, one node per unit) and the unit
// directories under the group directories "PAROHII" and "MANASTIRI", each
// holding the unit's budget "Bilant.DB".
//
// Plain C++. A unit's directory is always a direct child of its group
// directory: a name that could reach anywhere else is refused before anything
// is created, renamed or removed.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace budget {

inline constexpr const char* kTreeFile = "arbore.txt";
inline constexpr const char* kOficiu = "OFICIU";
inline constexpr const char* kParohii = "PAROHII";
inline constexpr const char* kManastiri = "MANASTIRI";

// A failed operation on the tree file or a unit; what() is the text of the
// error box.
class UnitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------- tree file

// One node: its depth (root 0, groups 1, units 2) and its text.
struct TreeLine {
    int depth;
    std::string text;
    bool operator==(const TreeLine&) const = default;
};

// Nodes in depth-first order: the first at depth 0, every other at most one
// level deeper than the one before it.
using TreeLines = std::vector<TreeLine>;

struct TreeRead {
    TreeLines lines;    // the nodes read
    std::string error;  // empty when the whole file was read
};

// The largest tree file read (far beyond thousands of units).
inline constexpr long long kMaxTreeFileBytes = 4LL << 20;
// The deepest level a tree file may hold.
inline constexpr int kMaxTreeDepth = 16;

// The tree of a file's text: UTF-8, or Windows-1250 when it is not valid
// UTF-8. Every leading tab or blank of a line is one level; line ends are
// CR LF or LF; empty lines are skipped. A malformed line stops the reading:
// one more than one level deeper than the one before it (or a first line that
// is not at the root level, a line deeper than kMaxTreeDepth), one of tabs or
// blanks only, one holding a CR that ends no line or another control
// character, or text in neither code page. The nodes before it stay and
// `error` says which line it was.
TreeRead parseTree(const std::string& text);
// The file's text: per node as many tabs as its depth, the text, CR LF.
std::string treeText(const TreeLines& lines);

// The root with the three groups, no units.
TreeLines builtInTree();

// The tree file of the database directory `dir` (found whatever its letter
// case). A missing, unreadable or oversized file (or one that is not an
// ordinary file) gives no lines and the error "Nu pot citi fisierul :" + path.
TreeRead readTreeFile(const std::string& dir);
// Replaces the tree file whole. Throws UnitError "Nu pot crea fisierul :" ...
void writeTreeFile(const std::string& dir, const TreeLines& lines);

// ---------------------------------------------------------------- units

inline constexpr const char* kInvalidUnitName = "Denumirea unitatii nu este valida!";

// Whether a typed name can name a new unit (at adding and renaming): not
// empty, no "/" or "\", no control characters, not only blanks and dots
// ("..", ". ."), no leading blank (the tree file would read it one level
// deeper). A unit of an older tree whose name begins with a blank can still
// be shown, renamed and deleted.
bool isValidUnitName(const std::string& name);
// Whether two directory names are the same, letter case ignored the Romanian
// way ("parohia ștefan" is "Parohia Ștefan", the cedilla ş is the comma ș).
bool sameDirectoryName(const std::string& a, const std::string& b);

// "Unitatea <name> exista deja, creati alta unitate!"
std::string unitExistsMessage(const std::string& name);
// "Unitatea <name> exista deja, alegeti alta denumire!" (a rename)
std::string nameInUseMessage(const std::string& name);

// The group directory ("PAROHII", "MANASTIRI") of the database directory
// `appDir`, in the letter case it has on disk; appDir + group when missing.
// No trailing separator.
std::string groupDirectory(const std::string& appDir, const std::string& group);
// The directory of the unit `name` of a group, in the letter case it has on
// disk; composed from the group directory when missing.
std::string unitDirectory(const std::string& appDir, const std::string& group, const std::string& name);

// The directory the budget of a unit node is read from: unitDirectory, when
// the name is a valid unit name and the directory is not a link to elsewhere.
// Throws UnitError otherwise.
std::string unitBudgetDirectory(const std::string& appDir, const std::string& group, const std::string& name);

// Adding a unit, first step: creates its directory (one level) under the
// group directory. False when it exists already (an empty name names the
// group directory itself): nothing is done. Throws UnitError: an invalid name
// (kInvalidUnitName), a directory that cannot be created (unitExistsMessage).
bool createUnitDirectory(const std::string& appDir, const std::string& group, const std::string& name);
// Adding a unit, second step: the group's empty budget ("BilantParohGol" for
// the parishes, "BilantManastGol" for the monasteries; its index file where
// there is one) copied into the unit's directory as "Bilant.DB". Throws
// UnitError "Nu pot crea fisierul :" + the unit's "Bilant.DB" (or
// "Bilant.PX") + " inchideti fisierele aferente si repetati operatia!".
void copyUnitTemplate(const std::string& appDir, const std::string& group, const std::string& name);

enum class RemoveResult { Removed, Missing };
// Deletes the unit's budget "Bilant.DB" (its index file, journal and the record
// of its period where there are any) and then its directory. Missing: there is no such directory,
// nothing was done. A budget file another program holds stays. Throws
// UnitError when the directory stays: because a budget file stayed ("Nu pot
// sterge aceasta unitate, inchideti fisierele aferente si repetati
// operatia!"), or because it keeps other files, which are never deleted (the
// message says so). The caller closes its tables on the unit first.
RemoveResult removeUnit(const std::string& appDir, const std::string& group, const std::string& name);

// Renames the unit's directory (its budget moves with it) to `newName`.
// Nothing on disk when the unit has no directory. Throws UnitError: an
// invalid name, a name another entry of the group directory has
// (nameInUseMessage), a budget another program holds or a rename that fails
// ("Nu pot redenumi aceasta unitate, ..."). The caller closes its tables on
// the unit first.
void renameUnit(const std::string& appDir, const std::string& group, const std::string& oldName,
                const std::string& newName);

}  // namespace budget
