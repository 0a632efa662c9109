// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/preview.h"

#include "printing/previewwindow.h"

QWidget* openPrintPreview(AppContext& context, std::unique_ptr<ReportTable> report)
{
    auto* window = new PreviewWindow(context, std::move(report));
    window->showMaximized();
    return window;
}
