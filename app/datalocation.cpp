// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/datalocation.h"

#include "core/context.h"
#include "storage/database.h"
#include "storage/newdatabase.h"
#include "ui/dialogservice.h"

#include <QDir>
#include <QFileInfo>

namespace
{

const QString kDatabaseFileName = QStringLiteral("datalx.mdb");
const QString kBackupFolder = QStringLiteral("数据库备份");

// Makes the folder when missing, for its owner only (0700): it holds the whole business and every
// account. Its missing parents get the usual permissions. A folder already there keeps its own.
bool makeOwnFolder(const QString& path)
{
    const QFileInfo folder(path);
    if (folder.isDir())
        return true;
    if (!QDir().mkpath(folder.absolutePath()))
        return false;
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    // Made meanwhile by another start: as good.
    return QDir().mkdir(path, ownerOnly) || QFileInfo(path).isDir();
}

} // namespace

QString DataLocation::databasePath() const
{
    return QDir(directory).filePath(databaseFileName);
}

QString perUserDataDirectory(const QString& xdgDataHome, const QString& home)
{
    // A relative XDG_DATA_HOME would depend on the folder the program was started from.
    const QString dataHome = !xdgDataHome.isEmpty() && QDir::isAbsolutePath(xdgDataHome)
                                 ? xdgDataHome
                                 : QDir(home).filePath(QStringLiteral(".local/share"));
    return QDir::cleanPath(QDir(dataHome).filePath(QStringLiteral("Tarnel")));
}

DataLocation locateData(const QString& programDirectory, const QString& chosenDatabase,
                        const QString& xdgDataHome, const QString& home)
{
    if (!chosenDatabase.isEmpty()) {
        const QFileInfo file(chosenDatabase);
        return {file.absolutePath(), file.fileName(), false};
    }
    const QDir program(programDirectory);
    if (QFileInfo::exists(program.filePath(kDatabaseFileName)) ||
        QFileInfo::exists(program.filePath(kServerConnectionFileName)))
        return {programDirectory, kDatabaseFileName, false};
    return {perUserDataDirectory(xdgDataHome, home), kDatabaseFileName, true};
}

QString prepareDataDirectory(const DataLocation& location)
{
    QDir directory(location.directory);
    if (!makeOwnFolder(QDir::cleanPath(directory.absolutePath())))
        return QStringLiteral("cannot make the folder %1").arg(location.directory);
    const QString database = location.databasePath();
    const bool onServer = QFileInfo::exists(Database::connectionFilePath(database));
    if (!onServer && !QFileInfo::exists(database)) {
        const QString error = createDatabaseFile(database);
        // A database another start made in the meantime is as good as a new one.
        if (!error.isEmpty() && !QFileInfo::exists(database))
            return QStringLiteral("cannot make %1: %2").arg(database, error);
    }
    if (!makeOwnFolder(directory.filePath(kBackupFolder)))
        return QStringLiteral("cannot make the folder %1").arg(directory.filePath(kBackupFolder));
    return {};
}

void warnWhenOnNetworkShare(AppContext& context, QWidget* owner,
                            const std::function<bool(const QString&)>& onNetwork)
{
    Database& db = context.database();
    if (!db.isOpen() || db.isServer() || !onNetwork(context.databasePath()))
        return;
    context.dialogs().message(owner, kNetworkShareText, QStringLiteral("提示"),
                              MessageIcon::Warning);
}
