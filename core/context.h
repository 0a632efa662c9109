// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/loginthrottle.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class Clock;
class QSettings;
class Database;
class DialogService;

// What every window shares: the one database connection, the login state and the permission
// rule, the clock, the dialog service, and the main window's refresh. Windows reach each other
// only through here.
class AppContext : public QObject
{
    Q_OBJECT
public:
    // The data directory holds the database file (datalx.mdb unless another file was chosen) and
    // the files that belong with it, such as the backup folder 数据库备份. Start-up decides where
    // it is: beside the program, the folder of a chosen file, or the operator's own data folder.
    AppContext(DialogService& dialogs, Clock& clock, const QString& dataDirectory,
               const QString& databaseFileName = QStringLiteral("datalx.mdb"));
    ~AppContext() override;

    Database& database() { return *mDatabase; }
    DialogService& dialogs() { return mDialogs; }
    Clock& clock() { return mClock; }
    const QString& dataDirectory() const { return mDataDirectory; }
    QString databasePath() const;
    QString backupDirectory() const;

    // Login state: the user name as typed at login, empty when nobody is logged in.
    const QString& sessionUser() const { return mSessionUser; }
    // Logging in sets the user, logging out empties it; every change is announced, so that the
    // main window redraws its own title.
    void setSessionUser(const QString& user);
    bool isLoggedIn() const { return !mSessionUser.isEmpty(); }
    // Exactly "admin", case-sensitive: a login as "Admin" is no administrator.
    bool isAdministrator() const { return mSessionUser == QLatin1String("admin"); }
    // The failed logins of this program, per user name.
    LoginThrottle& loginThrottle() { return mLoginThrottle; }

    // The owner of every other window.
    QWidget* mainWindow() const { return mMainWindow; }
    void setMainWindow(QWidget* window) { mMainWindow = window; }

    // Set by the main window: redraw its title and stock list; open the database again and set
    // the delete button.
    void setMainWindowHooks(std::function<void()> refresh, std::function<void()> reopenDatabase);
    void refreshMainWindow();
    void reopenDatabase();

    // The operator's saved settings (the print settings): the user's settings file, or the
    // registry on Windows. Tests give a file of their own.
    QSettings& settings();
    void setSettings(std::unique_ptr<QSettings> settings);

    // Ends the application with the exit code (QCoreApplication::exit unless a test replaced it).
    void quit(int exitCode);
    void setQuitHandler(std::function<void(int)> handler) { mQuit = std::move(handler); }

signals:
    void sessionUserChanged(const QString& user);

private:
    DialogService& mDialogs;
    Clock& mClock;
    QString mDataDirectory;
    QString mDatabaseFileName;
    std::unique_ptr<Database> mDatabase;
    std::unique_ptr<QSettings> mSettings;
    QString mSessionUser;
    LoginThrottle mLoginThrottle;
    QPointer<QWidget> mMainWindow;
    std::function<void()> mRefresh;
    std::function<void()> mReopen;
    std::function<void(int)> mQuit;
};
