// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "admin/maintenance.h"
#include "admin/windows.h"
#include "app/aboutwindow.h"
#include "app/iconstrip.h"
#include "app/loginwindow.h"
#include "app/stocklist.h"
#include "core/context.h"
#include "importing/loader/featuremodule.h"
#include "insights/stockalertindicator.h"
#include "insights/windows.h"
#include "labels/labelentry.h"
#include "movements/documentnumbers.h"
#include "movements/windows.h"
#include "printing/printentry.h"
#include "returns/windows.h"
#include "storage/database.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidgetItem>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <array>

// The icons are compiled into this library; a static library needs its resources named once.
static void loadIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace
{

const QString kTitleBeforeUser = QStringLiteral("  - 登录用户 : ");
const QString kDatabaseUser = QStringLiteral("admin");
const QString kDatabasePassword = QStringLiteral("Korb4719qe");
const QString kInfoTitle = QStringLiteral("提示");
const QString kPleaseLogIn = QStringLiteral("请登录后操作");

// The icon strip, in the order of its positions.
struct StripEntry {
    const char* caption;
    const char* icon;
};
constexpr std::array<StripEntry, 9> kStrip = {{
    {"管理员登录", "login"},
    {"详细信息", "details"},
    {"入库管理", "stockin"},
    {"出库管理", "stockout"},
    {"销售管理", "sales"},
    {"退货管理", "salesreturn"},
    {"借用管理", "borrowing"},
    {"归还管理", "loanreturn"},
    {"问题产品", "problem"},
}};

enum StripPosition { Login = 0, Details = 1, FirstWorkingWindow = 2 };

// The windows of positions 1 to 8: the record details for the administrator, the working
// windows for a logged-in operator.
using WindowOpener = QWidget* (*)(AppContext&);
const std::array<WindowOpener, 9> kWindowOpeners = {
    nullptr,                 // 管理员登录: the login window, opened without a check
    openRecordDetailsWindow, // 详细信息: administrator only
    openStockInWindow,
    openStockOutWindow,
    openSalesWindow,
    openSalesReturnsWindow,
    openBorrowingWindow,
    openLoanReturnsWindow,
    openProblemGoodsWindow,
};

} // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), mContext(context)
{
    loadIconResources();
    setObjectName(QStringLiteral("主窗口"));
    setWindowTitle(kProgramTitle);
    buildMenu();
    buildControls();
    placeWindow(this, 50, 50, 830, 588);

    mContext.setMainWindow(this);
    mContext.setMainWindowHooks([this] { refreshTitleAndStock(); }, [this] { openDatabase(); });
    connect(&mContext, &AppContext::sessionUserChanged, this, &MainWindow::sessionUserChanged);
    openDatabase();
}

MainWindow::~MainWindow()
{
    mContext.setMainWindowHooks({}, {});
    mContext.database().CloseDatabase();
}

void MainWindow::buildMenu()
{
    QMenu* program = menuBar()->addMenu(QStringLiteral("程序"));
    program->setObjectName(QStringLiteral("菜单_程序"));
    const auto addItem = [this](QMenu* menu, const QString& text, void (MainWindow::*slot)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QStringLiteral("菜单_") + text);
        connect(action, &QAction::triggered, this, slot);
    };
    addItem(program, QStringLiteral("备份数据库"), &MainWindow::backupDatabase);
    addItem(program, QStringLiteral("恢复数据库"), &MainWindow::restoreDatabase);
    program->addSeparator();
    addItem(program, QStringLiteral("清空数据库"), &MainWindow::clearDatabase);
    program->addSeparator();
    addItem(program, QStringLiteral("退出"), &MainWindow::quitProgram);

    // The commands beyond the daily documents: labels, stock alerts, sales statistics, import.
    mToolsMenu = menuBar()->addMenu(QStringLiteral("工具"));
    mToolsMenu->setObjectName(QStringLiteral("菜单_工具"));
    QAction* labels = mToolsMenu->addAction(QStringLiteral("打印标签"));
    labels->setObjectName(QStringLiteral("菜单_打印标签"));
    connect(labels, &QAction::triggered, this,
            [this] { openLabelsOfSelectedLot(mContext, this, mStockList); });
    const auto addTool = [this](const QString& text, QWidget* (*open)(AppContext&)) {
        QAction* action = mToolsMenu->addAction(text);
        action->setObjectName(QStringLiteral("菜单_") + text);
        connect(action, &QAction::triggered, this, [this, open] { open(mContext); });
    };
    addTool(QStringLiteral("库存预警"), openStockAlertWindow);
    addTool(QStringLiteral("销售统计"), openSalesStatisticsWindow);
    addTool(QStringLiteral("导入入库"), openImportFromMenu);

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("菜单_帮助"));
    QAction* about = help->addAction(QStringLiteral("关于"));
    about->setObjectName(QStringLiteral("菜单_关于"));
    connect(about, &QAction::triggered, this, [this] { openAboutWindow(); });
}

void MainWindow::buildControls()
{
    auto* client = new QWidget(this);
    setCentralWidget(client);

    mIcons = placeControl(new IconStrip(client), QStringLiteral("菜单项"), QRect(0, 0, 984, 70));
    mIcons->setFrameShape(QFrame::NoFrame);
    mIcons->setSpacing(0);
    mIcons->setGridSize(QSize(88, 68));
    for (const StripEntry& entry : kStrip) {
        auto* item = new QListWidgetItem(builtInIcon(QString::fromLatin1(entry.icon)),
                                         QString::fromUtf8(entry.caption), mIcons);
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    connect(mIcons, &IconStrip::leftClicked, this,
            [this] { openWindowAt(mIcons->selectedPosition()); });

    mStockList = placeControl(new ReportList(client), QStringLiteral("超级列表框主"),
                              QRect(8, 83, 704, 415));
    mStockList->setColumns(stockListColumns());
    connect(mStockList, &ReportList::doubleClicked, this,
            [this](const QModelIndex& index) { openLotHistory(index.row()); });

    auto* refreshButton = addCommandButton(client, QStringLiteral("按钮_刷新"),
                                           QStringLiteral("刷新数据"), QRect(724, 118, 88, 24));
    mDeleteButton = addCommandButton(client, QStringLiteral("按钮_删除"),
                                     QStringLiteral("删除产品"), QRect(724, 164, 88, 24));
    auto* printButton = addCommandButton(client, QStringLiteral("按钮_打印"),
                                         QStringLiteral("打印总数据"), QRect(724, 208, 88, 24));
    // Deleting is for the administrator; nobody is logged in yet.
    mDeleteButton->setEnabled(false);
    connect(refreshButton, &QPushButton::clicked, this, &MainWindow::refreshClicked);
    connect(mDeleteButton, &QPushButton::clicked, this, &MainWindow::deleteProduct);
    connect(printButton, &QPushButton::clicked, this, &MainWindow::printClicked);
    // Under the print button, at the same spacing: the products below their minimum stock.
    auto* alertButton = addCommandButton(client, QStringLiteral("按钮_预警"),
                                         QStringLiteral("库存预警"), QRect(724, 252, 88, 24));
    mStockAlert = new StockAlertIndicator(mContext, alertButton, mStockList, 2, 4);

    placeControl(new LinkLabel(QStringLiteral("投诉问题 给我留言"), QUrl(kFeedbackAddress), client),
                 QStringLiteral("超级链接框1"), QRect(693, 504, 136, 24));
}

void MainWindow::openDatabase()
{
    if (!mContext.database().NewOpenDatabase(mContext.databasePath(), kDatabaseUser,
                                             kDatabasePassword)) {
        mContext.dialogs().message(this, QStringLiteral("打开数据库失败"), kInfoTitle,
                                   MessageIcon::Information);
        return;
    }
    mDeleteButton->setEnabled(mContext.isAdministrator());
}

void MainWindow::sessionUserChanged(const QString& user)
{
    if (user.isEmpty()) {
        setWindowTitle(kLoggedOutTitle);
        return;
    }
    refreshTitleAndStock();
    openDatabase();
}

void MainWindow::refreshTitleAndStock()
{
    setWindowTitle(kProgramTitle + kTitleBeforeUser + mContext.sessionUser());
    // An unreachable server is said once, instead of an empty list without a word.
    Database& db = mContext.database();
    fillStockList(db, mStockList);
    if (db.lastFailure() == StatementFailure::ConnectionLost)
        mContext.dialogs().message(this, QStringLiteral("无法连接数据库服务器"), kInfoTitle);
    mStockAlert->refresh();
}

void MainWindow::openWindowAt(int position)
{
    if (position == Login) {
        openLoginWindow();
        return;
    }
    if (position == Details) {
        if (!mContext.isAdministrator()) {
            mContext.dialogs().message(this, QStringLiteral("此功能仅管理员可用"));
            return;
        }
        kWindowOpeners[Details](mContext);
        return;
    }
    if (!mContext.isLoggedIn()) {
        mContext.dialogs().message(this, QStringLiteral("为保证使用者信息安全，请登录后操作"));
        openLoginWindow();
        return;
    }
    if (position >= FirstWorkingWindow && position < int(kWindowOpeners.size())) {
        if (WindowOpener open = kWindowOpeners[std::size_t(position)])
            open(mContext);
    }
}

void MainWindow::openLotHistory(int row)
{
    if (row < 0 || row >= mStockList->rowCount())
        return;
    if (!mContext.isAdministrator()) {
        mContext.dialogs().message(this, QStringLiteral("本页面仅管理员可操作"), kInfoTitle);
        return;
    }
    openLotHistoryWindow(mContext, mStockList->cellText(row, 1));
}

LoginWindow* MainWindow::openLoginWindow()
{
    if (!mLoginWindow) {
        mLoginWindow = new LoginWindow(mContext);
        mLoginWindow->show();
    }
    mLoginWindow->raise();
    mLoginWindow->activateWindow();
    return mLoginWindow;
}

AboutWindow* MainWindow::openAboutWindow()
{
    if (!mAboutWindow) {
        mAboutWindow = new AboutWindow(mContext);
        mAboutWindow->show();
    }
    mAboutWindow->raise();
    mAboutWindow->activateWindow();
    return mAboutWindow;
}

void MainWindow::refreshClicked()
{
    if (!mContext.isLoggedIn()) {
        mContext.dialogs().message(this, kPleaseLogIn, kInfoTitle);
        return;
    }
    refreshTitleAndStock();
}

void MainWindow::printClicked()
{
    if (!mContext.isLoggedIn()) {
        mContext.dialogs().message(this, kPleaseLogIn, kInfoTitle);
        return;
    }
    openPrintSettings(mContext, this, mStockList);
}

void MainWindow::deleteProduct()
{
    const int row = mStockList->currentRow();
    if (row < 0 || !mContext.isAdministrator())
        return;
    const MessageAnswer answer = mContext.dialogs().message(
        this, QStringLiteral("是否删除该条数据？此操作无法恢复!!!"), QStringLiteral("警告"),
        MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;
    const QString lot = mStockList->cellText(row, 1);
    // Under the movements' write lock: a sale on another counter ends before the lot goes, and
    // a sale after it finds no lot.
    Database& db = mContext.database();
    Transaction transaction(db, TransactionMode::Immediate);
    const bool deleted =
        transaction.isActive() &&
        db.ExecuteSql(QStringLiteral("delete * from 总数据库模块 where 入库单号=? "), {lot}) &&
        transaction.commit();
    if (!deleted) {
        mContext.dialogs().message(this,
                                   db.lastFailure() == StatementFailure::CommitUnknown
                                       ? kCommitUnconfirmed
                                       : QStringLiteral("删除产品失败"),
                                   kInfoTitle);
        return;
    }
    refreshTitleAndStock();
    mContext.dialogs().message(this, QStringLiteral("删除产品成功"), kInfoTitle);
}

void MainWindow::backupDatabase()
{
    if (!mContext.isLoggedIn()) {
        mContext.dialogs().message(this, kPleaseLogIn, kInfoTitle);
        return;
    }
    backUpDatabase(mContext, this);
}

void MainWindow::restoreDatabase()
{
    if (!mContext.isAdministrator()) {
        mContext.dialogs().message(this, QStringLiteral("此操作仅管理员有权操作"), kInfoTitle);
        return;
    }
    openRestoreWindow(mContext);
}

void MainWindow::clearDatabase()
{
    if (!mContext.isAdministrator()) {
        mContext.dialogs().message(this, QStringLiteral("此操作仅管理员可操作"), kInfoTitle);
        return;
    }
    ::clearDatabase(mContext, this);
}

void MainWindow::quitProgram()
{
    mQuitting = true;
    mContext.quit(0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!mQuitting) {
        const MessageAnswer answer = mContext.dialogs().message(
            this, QStringLiteral("您确定退出本程序？"), QStringLiteral("提示："), MessageIcon::None,
            MessageButtons::OkCancel);
        if (answer != MessageAnswer::Ok) {
            event->ignore();
            return;
        }
        mQuitting = true;
        mContext.quit(0);
    }
    event->accept();
}
