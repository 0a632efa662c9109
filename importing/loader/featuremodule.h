// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class AppContext;
class QWidget;

// Feature modules are shared libraries loaded on first use, so that the libraries only they need
// (QuaZip for the import) cost nothing at start-up. They lie in the program's module folder
// (lib/tarnel beside bin/ when installed, the same in the build folder) and export one function
// of C linkage.

// The module's file, libNAME.so in the module folder.
QString featureModulePath(const QString& name);
// The address of the module's entry, loading the module the first time; nullptr with the
// reason in failure.
void* resolveFeatureEntry(const QString& name, const char* entry, QString& failure);

// "工具" → "导入入库": for the administrator only; loads the import module and opens its window.
QWidget* openImportFromMenu(AppContext& context);
