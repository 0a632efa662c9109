// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/loader/featuremodule.h"

#include "core/context.h"
#include "ui/dialogservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QLibrary>

QString featureModulePath(const QString& name)
{
    const QString folder =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TARNEL_MODULE_DIR));
    return QDir::cleanPath(folder + QStringLiteral("/lib") + name + QStringLiteral(".so"));
}

void* resolveFeatureEntry(const QString& name, const char* entry, QString& failure)
{
    // Loaded once and kept for the rest of the run: its windows' code must stay.
    static QHash<QString, QLibrary*> loaded;
    QLibrary*& library = loaded[name];
    if (!library) {
        auto* candidate = new QLibrary(featureModulePath(name));
        if (!candidate->load()) {
            failure = candidate->errorString();
            delete candidate;
            loaded.remove(name);
            return nullptr;
        }
        library = candidate;
    }
    void* address = reinterpret_cast<void*>(library->resolve(entry));
    if (!address)
        failure = library->errorString();
    return address;
}

QWidget* openImportFromMenu(AppContext& context)
{
    if (!context.isAdministrator()) {
        context.dialogs().message(context.mainWindow(), QStringLiteral("此功能仅管理员可用"));
        return nullptr;
    }
    QString failure;
    using Open = QWidget* (*)(AppContext*);
    const auto open = reinterpret_cast<Open>(
        resolveFeatureEntry(QStringLiteral("tarnel_importing"), "tarnel_importing_open", failure));
    if (!open) {
        context.dialogs().message(context.mainWindow(),
                                  QStringLiteral("无法加载导入功能：") + failure,
                                  QStringLiteral("导入入库"), MessageIcon::Warning);
        return nullptr;
    }
    return open(&context);
}
