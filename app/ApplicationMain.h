// The application main routine and the loading of the main window description.
#pragma once

#include "SecuritySettingsWindowController.h"

#include <QWidget>

#include <memory>

namespace keelward {

// What loading the main window description creates: the window with its controls,
// and its controller (owned by the window), whose outlets are connected.
struct MainWindowDescription {
    std::unique_ptr<QWidget> window;
    SecuritySettingsWindowController* controller = nullptr;
};

// Loads the window description: creates the window and the controller, connects
// the outlets and the Save button, makes the controller the shared application's
// delegate (when there is one) and wakes it.
MainWindowDescription LoadMainWindowDescription();

// Runs Keelward: creates the application, installs the translations for the
// user's locale, loads the window description and runs the application.
int ApplicationMain(int argc, char* argv[]);

}  // namespace keelward
