#pragma once

class QApplication;

// Start-up: the main window opens its connection (or the program ends with the
// database message), then shows maximized; returns when the program ends.
int runProgram(QApplication &app);

// The program as started by the user: --help and --version answer and end;
// without arguments, runProgram.
int runFromCommandLine(int argc, char **argv);
