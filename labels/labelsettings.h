// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labels/labellayout.h"

#include <QString>

class QSettings;

// The group of the operator's settings that keeps the label choices.
inline const QString kLabelSettingsGroup = QStringLiteral("标签打印");

// What the label window remembers from one print to the next: the options (not the copies, the
// start position or "全部同类批次", which belong to one print) and where it printed.
struct SavedLabelSettings {
    LabelOptions options;
    QString printerName;
    bool printToFile = false;
    QString fileName;
};

// The saved choices; a missing or unreadable value keeps its default, so a half-written group
// still opens.
SavedLabelSettings readLabelSettings(QSettings& settings);
void writeLabelSettings(QSettings& settings, const SavedLabelSettings& saved);
