// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/loader/featuremodule.h"

#include "core/context.h"
#include "ui/dialogservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <map>
#include <memory>

QString featureModulePath(const QString& name)
{
    const QString folder =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TARNEL_MODULE_DIR));
    return QDir::cleanPath(folder + QStringLiteral("/lib") + name + QStringLiteral(".so"));
}

void* resolveFeatureEntry(const QString& name, const char* entry, QString& failure)
{
    // Loaded once and kept for the rest of the run: its windows' code must stay.
    // (Destroying a QLibrary does not unload it.)
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;
    std::unique_ptr<QLibrary>& library = loaded[name];
    if (!library) {
        auto candidate = std::make_unique<QLibrary>(featureModulePath(name));
        // A module's libraries take their own symbols first. QuaZip carries its own copy of the
        // zip library's functions under the same names as the system's libminizip, which the
        // program's workbook writer (libxlsxwriter) uses: each must keep calling its own.
        // The sanitizers refuse this way of loading; their builds (the tests) link the module.
#if !defined(__SANITIZE_ADDRESS__)
        candidate->setLoadHints(QLibrary::DeepBindHint);
#endif
        if (!candidate->load()) {
            failure = candidate->errorString();
            loaded.erase(name);
            return nullptr;
        }
        library = std::move(candidate);
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
