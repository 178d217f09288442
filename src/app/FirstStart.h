// The first start in a database directory without tables (the user's data
// folder of an installed program): the user chooses a new installation or
// the import of an older one.
#pragma once
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace app {

// Whether `dir` holds any file of an installation.
bool holdsInstallation(const std::string& dir);

// The question asked, naming where the data is kept.
QString firstStartQuestion(const std::string& dir);

// Chooses the directory of an older installation's tables; empty: cancelled.
using SourceChooser = std::function<std::string(QWidget* parent)>;
std::string chooseOlderInstallation(QWidget* parent);

// Leaves `dir` with an installation: nothing to do when it holds one;
// otherwise asks (Da: a new installation, Nu: the import of an older one,
// Anuleaza: none) until one is made or the user declines. False when the user
// declined: the program ends without opening its window.
bool offerInstallation(const std::string& dir, QWidget* parent = nullptr,
                       const SourceChooser& chooseSource = chooseOlderInstallation);

}  // namespace app
