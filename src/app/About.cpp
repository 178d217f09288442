#include "app/About.h"

#include "app/Version.h"
#include "data/AppDir.h"
#include "shell/Messages.h"

namespace app {

QString aboutText() {
    return QStringLiteral(
               "Corvalinde - evidenta veniturilor si cheltuielilor\n\nVersiunea %1\n\nDirectorul bazei de date:\n%2")
        .arg(QString::fromStdString(currentVersionText()), QString::fromStdString(data::AppDir()));
}

void ShowAbout(QWidget* owner) { ui::Messages::information(aboutText(), owner); }

}  // namespace app
