// The passage to a new working year from the menu ("Setari" / "Trecerea la an
// nou"), from the command line (`Corvalinde --dir DIR --new-year`) and at
// start-up, where an interrupted passage is finished.
#pragma once
#include <iosfwd>
#include <iostream>
#include <string>

class QString;
class QWidget;

namespace app {

class TMainFrm;

// Refuses while another window is open; asks for confirmation with the year
// and the balances (and again when the year is not over yet); runs the
// passage under the hourglass and shows its summary or what failed.
void TrecereaAnNou(TMainFrm& m);

// Finishes a passage a kill cut short and tells the user which year the
// database directory holds.
void RecoverNewYear(QWidget* owner);

// "Sistem" / "Corectie arhiva" in the archive of a closed year: opens the
// archive for correction after two questions (both answered No by Enter), or,
// when it is open, closes the correction and carries its closing balances
// into the following year, showing the old and new opening balances.
void CorectieArhiva(TMainFrm& m);
// Closes an open correction when the main window closes; true when none is
// left open (or there was none).
bool CloseArchiveCorrection(QWidget* owner);
// What the database directory is, for the title and the status line:
// "Arhiva anului 2025 - doar citire", "... - corectie deschisa", or empty for
// the working year's directory.
QString archiveStateText();
// Tells at start-up that an archive's correction was left open.
void WarnPendingCorrection(QWidget* owner);

// The command-line passage in `dir`: the questions are written to `out` and
// answered on `in` ("d" or "da" for yes). Returns the exit code: 0 the new
// year is made, 1 refused, cancelled or failed with the old year kept.
int runNewYear(const std::string& dir, std::ostream& out, std::ostream& err, std::istream& in = std::cin);

}  // namespace app
