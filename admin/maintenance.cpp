// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/maintenance.h"

#include "admin/autobackup.h"
#include "core/context.h"
#include "movements/movementrules.h"
#include "storage/database.h"
#include "storage/databasefile.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace
{

const QString kNoticeTitle = QStringLiteral("提示");

} // namespace

QString backupFilePath(AppContext& context)
{
    return QDir(context.backupDirectory()).filePath(todayText(context) + QStringLiteral(".mdb"));
}

QStringList backupFileNames(const QString& backupDirectory)
{
    return QDir(backupDirectory)
        .entryList({QStringLiteral("*.mdb")}, QDir::Files | QDir::Hidden, QDir::Unsorted);
}

QString backupDisplayName(const QString& fileName)
{
    QString name = fileName;
    return name.remove(QStringLiteral(".mdb"), Qt::CaseSensitive);
}

bool restoreDatabaseFile(const QString& backupFile, const QString& databasePath)
{
    return replaceDatabaseFile(backupFile, databasePath);
}

bool clearStockAndDocuments(Database& db)
{
    // The accounts, the units and the minimum stocks (库存预警) are settings, not movements:
    // they stay.
    static const char* const statements[] = {
        "delete from 总数据库模块", "delete from 入库管理模块", "delete from 出库管理模块",
        "delete from 销售管理模块", "delete from 退货管理模块", "delete from 借用管理模块",
        "delete from 归还管理模块", "delete from 问题处理模块",
    };
    // One transaction: a failing statement leaves every table as it was, never half emptied.
    Transaction transaction(db, TransactionMode::Immediate);
    if (!transaction.isActive())
        return false;
    for (const char* statement : statements) {
        if (!db.ExecuteSql(QString::fromUtf8(statement)))
            return false;
    }
    return transaction.commit();
}

bool tellServerBackups(AppContext& context, QWidget* owner)
{
    if (!context.database().isServer())
        return false;
    context.dialogs().message(owner, kServerBackupText, kNoticeTitle, MessageIcon::Information);
    return true;
}

void backUpDatabase(AppContext& context, QWidget* owner)
{
    if (tellServerBackups(context, owner))
        return;
    DialogService& dialogs = context.dialogs();
    const QString target = backupFilePath(context);
    const bool replacing = QFileInfo::exists(target);
    if (replacing) {
        const MessageAnswer answer =
            dialogs.message(owner, QStringLiteral("今日数据库已备份，是否继续覆盖？"), kNoticeTitle,
                            MessageIcon::Question, MessageButtons::OkCancel);
        if (answer != MessageAnswer::Ok)
            return;
    }
    // The copy is taken by the database itself, so another program writing meanwhile never
    // leaves a torn backup; the day's earlier backup stays unless the new one is whole.
    if (!context.database().backupTo(target)) {
        dialogs.message(owner, QStringLiteral("数据库备份失败"), kNoticeTitle);
        return;
    }
    dialogs.message(owner,
                    replacing ? QStringLiteral("数据库覆盖成功") : QStringLiteral("数据库备份成功"),
                    kNoticeTitle);
}

void clearDatabase(AppContext& context, QWidget* owner)
{
    DialogService& dialogs = context.dialogs();
    const MessageAnswer answer =
        dialogs.message(owner, QStringLiteral("此操作无法回退，请确认当前数据库是否已备份"),
                        kNoticeTitle, MessageIcon::Warning, MessageButtons::OkCancel);
    if (answer != MessageAnswer::Ok)
        return;
    // Nothing is emptied unless a copy of what is there has been made first.
    if (!backUpBeforeChange(context, AutomaticBackup::BeforeClearing) ||
        !clearStockAndDocuments(context.database())) {
        dialogs.message(owner, QStringLiteral("操作失败"), kNoticeTitle);
        return;
    }
    // The stock list would otherwise go on showing the deleted lots.
    context.refreshMainWindow();
    dialogs.message(owner, QStringLiteral("操作成功"), kNoticeTitle);
}

RestoreWindow::RestoreWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("数据库恢复"));
    placeWindow(this, 50, 50, 294, 199);

    mBackups = placeControl(new QComboBox(this), QStringLiteral("组合框1"), QRect(48, 51, 192, 20));
    addCaptionLabel(this, QStringLiteral("透明标签1"), QStringLiteral("请选择要恢复的数据库"),
                    QRect(80, 14, 128, 16), mBackups);
    QPushButton* restoreButton = addCommandButton(this, QStringLiteral("按钮_确认恢复"),
                                                  QStringLiteral("恢复"), QRect(49, 109, 80, 29));
    QPushButton* cancelButton = addCommandButton(this, QStringLiteral("按钮_取消"),
                                                 QStringLiteral("取消"), QRect(157, 109, 80, 29));
    connect(restoreButton, &QPushButton::clicked, this, &RestoreWindow::restore);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);

    mBackups->addItems(backupFileNames(mContext.backupDirectory()));
}

void RestoreWindow::restore()
{
    DialogService& dialogs = mContext.dialogs();
    // The window stays open when the administrator logs out or somebody else logs in: whoever is
    // at the desk then may not put a backup in place of the data.
    if (!mContext.isAdministrator()) {
        dialogs.message(this, QStringLiteral("此操作仅管理员有权操作"), kNoticeTitle);
        return;
    }
    const QString fileName = mBackups->currentText();
    const MessageAnswer answer =
        dialogs.message(this,
                        QStringLiteral("是否恢复到") + backupDisplayName(fileName) +
                            QStringLiteral("数据库？此操作无法回退！"),
                        kNoticeTitle, MessageIcon::Question, MessageButtons::OkCancel);
    if (answer == MessageAnswer::Ok) {
        // With no file chosen the source is the backup folder itself, which is no file to copy.
        const QString source = QDir(mContext.backupDirectory()).filePath(fileName);
        // A file that is not a whole warehouse database never takes the operator's data away:
        // it is checked while the database is still open, and the database stays as it is.
        bool restored = false;
        // Nor is the database replaced unless a copy of it has been made first.
        if (isWarehouseDatabase(source) &&
            backUpBeforeChange(mContext, AutomaticBackup::BeforeRestoring, fileName)) {
            // The connection lets go of the file before it is replaced.
            mContext.database().CloseDatabase();
            restored = restoreDatabaseFile(source, mContext.databasePath());
        }
        dialogs.message(
            this, restored ? QStringLiteral("数据库恢复成功") : QStringLiteral("数据库恢复失败"),
            kNoticeTitle);
    }
    dialogs.message(this, QStringLiteral("数据库已准备完毕，请重新打开软件操作！"), kNoticeTitle);
    mContext.quit(0);
}
