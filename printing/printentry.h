// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"

class AppContext;
class ReportList;
class QWidget;

// The print entry of every printable list: records the list as the source of the current print
// and opens the print settings window "超级列表框打印预览设置" without an owner and without
// disabling other windows. The permission, when given, is asked at every preview, print and export
// of the list.
void openPrintSettings(AppContext& context, QWidget* sourceWindow, ReportList* source,
                       PrintPermission permission = {});
