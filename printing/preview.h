// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

class AppContext;
class ReportTable;

// Opens the print preview window "打印预览" on the report, modeless; the window owns the
// report and deletes itself when closed. Returns the window.
QWidget* openPrintPreview(AppContext& context, std::unique_ptr<ReportTable> report);
