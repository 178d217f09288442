// The application object and the default error report: an error that escapes
// a handler is shown in an error box and the program goes on.
#pragma once
#include <QApplication>
#include <exception>
#include <functional>

namespace app {

// Shows the error in an error box (a silent abort shows nothing). Never throws.
void reportException(std::exception_ptr e);
// Runs `fn`; an escaping error is reported as above. False when it failed.
bool runGuarded(const std::function<void()>& fn);

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    // Delivers every event; an exception from any handler ends at the default
    // error report instead of unwinding through the event loop.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Fills the program's number and date separators from the system locale.
void initFormatSettingsFromLocale();

}  // namespace app
