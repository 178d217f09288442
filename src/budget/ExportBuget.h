// "Sistem" / "Export buget pentru protopopiat": the unit's budget, computed
// for the period asked, written to the file the user chooses for the
// deanery office.
#pragma once

class QWidget;

namespace budget {

void ExportBugetProtopopiat(QWidget* owner);

}  // namespace budget
