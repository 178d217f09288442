// Where the manual speaks of each window: a table from a window's class name
// (or a control's object name) to a page and anchor of the manual, and the
// look-up that F1 uses for the control holding the focus.
#pragma once
#include <QString>
#include <span>

class QWidget;

namespace app {

struct HelpTopic {
    const char* name;   // class name without its namespace, or an object name
    const char* place;  // "page.html#anchor"
};

// Every window of the program the manual describes.
std::span<const HelpTopic> helpTopics();

// The place of the manual for `w`: the first of `w` and its parents whose
// class (or a base class) or object name is in the table; the contents page
// when none is.
QString helpPlaceFor(const QWidget* w);

}  // namespace app
