// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program.
struct CommandLineRequest {
    // Set when the command line is answered on the terminal without starting the program
    // (--help, --version, a mistake): the texts for standard output and standard error, and the
    // exit code.
    bool answered = false;
    int exitCode = 0;
    QString output;
    QString errors;

    // The database file named with --database, as an absolute path; empty for the usual one.
    QString databasePath;
    // Hidden, for the installation tests: report the main window and the database on standard
    // output once the window shows, then end.
    bool quitWhenShown = false;
};

// Reads the arguments (the program's name first). Qt's own window options (-platform, -style,
// -session, ...) are accepted and left to Qt. Needs a QCoreApplication for the translated
// texts of the help.
CommandLineRequest readCommandLine(const QStringList& arguments);
