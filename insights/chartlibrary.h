// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "insights/chartview.h"

#include <QString>

// The chart library (libtarnel_charts.so), loaded on first use: beside the program in the build
// folder, or in the program's library folder when installed (lib/tarnel/ beside bin/).

// The library's chart factory; null when the library cannot be loaded (error says why).
ChartViewFactory chartViewFactory(QString* error = nullptr);
// Where the program looks for the library, in order.
QStringList chartLibraryCandidates();
