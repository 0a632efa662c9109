// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/context.h"
#include "printing/preview.h"
#include "printing/reportbuilder.h"
#include "ui/dialogservice.h"

#include <QApplication>

#include <utility>

void buildAndPreview(AppContext& context, const PrintRequest& request)
{
    // The list may have gone with its window while the print settings were open: there is
    // nothing to print then.
    if (request.source.isNull()) {
        context.dialogs().message(request.sourceWindow, QStringLiteral("非报表型列表框，不能预览"),
                                  QStringLiteral("提示"), MessageIcon::Information);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<ReportTable> table = buildReport(request);
    // The busy cursor stays until the preview is up.
    if (table)
        openPrintPreview(context, std::move(table));
    QApplication::restoreOverrideCursor();
}
