#pragma once

#include <QString>

class QApplication;

// Start-up: the database is the one named (a file or a server URI), else the
// one verolan.conf's database= names, else testing.mdb. The main window opens
// its connection (or the program ends with the database message), then shows
// maximized; returns when the program ends.
int runProgram(QApplication &app, const QString &database = QString());

// The program as started by the user: --help and --version answer and end;
// --database names the database; then runProgram.
int runFromCommandLine(int argc, char **argv);
