// "Sistem" / "Despre": the program's version and where its data is kept.
#pragma once
#include <QString>

class QWidget;

namespace app {

QString aboutText();
void ShowAbout(QWidget* owner);

}  // namespace app
