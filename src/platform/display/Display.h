#pragma once

#include <QByteArray>

// Whether the program's windows can be shown, asked before the application
// object exists: Qt ends the process when its platform cannot reach the
// window system. `argc` and `argv` are the program's, with Qt's options
// (-platform, -display). Returns what keeps the windows from being shown,
// one line for the operator ("cannot open the display :0"), or nothing.
QByteArray DisplayProblem(int argc, char **argv);
