// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class DialogService;
class QApplication;

// Starts the program: sets up the application, opens the main window and runs until the
// operator quits. Returns the exit code.
int runApplication(int argc, char** argv);

// The application-wide font that renders Chinese, and Qt's own Chinese texts for its standard
// buttons (确定, 取消, 是, 否).
void configureApplication(QApplication& application);

// The box of a fatal data error: the error text, title "错误", error icon, OK, owned by no
// window. The caller ends the process afterwards.
void showFatalDataError(DialogService& dialogs, int code, const QString& message);
