// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

class AboutWindow;
class AppContext;
class IconStrip;
class LoginWindow;
class QMenu;
class QPushButton;
class ReportList;
class StockAlertIndicator;

// The program's title, shown as the main window's caption.
inline const QString kProgramTitle = QStringLiteral("<<Tarnel>>商品仓库管理系统V2.12");
// The caption once nobody is logged in any more.
inline const QString kLoggedOutTitle = QStringLiteral("商品仓库管理系统定制版");
// Where "投诉问题 给我留言" leads: the supplier's feedback address, opened by the system.
inline const QString kFeedbackAddress = QStringLiteral("mailto:feedback@tarnel.example");

// The main window: the stock list, the icon strip that opens the working windows, the refresh,
// delete and print buttons and the database menu. It opens the one database connection when it
// is made and closes it when it is destroyed.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the database and sets the delete button: enabled exactly for the administrator.
    void openDatabase();
    // Shows the session user in the caption and fills the stock list anew.
    void refreshTitleAndStock();
    // Opens what the icon at the position stands for, with its permission check (-1: nothing).
    void openWindowAt(int position);

    // A double click on a row of the stock list: the history of its lot, for the administrator
    // only.
    void openLotHistory(int row);

    // The login window, opened (or raised when already open).
    LoginWindow* openLoginWindow();
    AboutWindow* openAboutWindow();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A login refreshes the title and the stock list and opens the database again (which sets
    // the delete button); a logout only changes the caption.
    void sessionUserChanged(const QString& user);
    void buildMenu();
    void buildControls();
    void refreshClicked();
    void printClicked();
    void deleteProduct();
    void backupDatabase();
    void restoreDatabase();
    void clearDatabase();
    void quitProgram();

    AppContext& mContext;
    QMenu* mToolsMenu = nullptr;
    IconStrip* mIcons = nullptr;
    ReportList* mStockList = nullptr;
    QPushButton* mDeleteButton = nullptr;
    StockAlertIndicator* mStockAlert = nullptr;
    QPointer<LoginWindow> mLoginWindow;
    QPointer<AboutWindow> mAboutWindow;
    // Set once the program is ending, so that closing asks no more questions.
    bool mQuitting = false;
};
