// Start-up on a Qt desktop: the application object, the splash, and the main window with its
// menu, status bar, dialogs, clipboard and shell.
#pragma once

#include "StartUp.h"

#include <memory>

// argc and argv must outlive the host (Qt keeps them).
std::unique_ptr<StartUpHost> CreateQtStartUpHost(int& argc, char** argv);
