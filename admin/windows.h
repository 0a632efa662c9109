#pragma once

class AppContext;
class QWidget;

// The administration windows, opened modeless and owned by the main window; each deletes itself
// when closed.

QWidget* openRecordDetailsWindow(AppContext& context);
// The account window, opened from the login window, which it closes when it goes.
QWidget* openAccountWindow(AppContext& context, QWidget* loginWindow);
QWidget* openRestoreWindow(AppContext& context);
