// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Named controls placed at their client-area rectangles, as every window lays them out.

// Gives the control its name and rectangle; returns it.
template <typename Control>
Control* placeControl(Control* control, const QString& name, const QRect& rect)
{
    control->setObjectName(name);
    control->setGeometry(rect);
    return control;
}

// A caption label, left-aligned and vertically centred, as the buddy of the box it names (when
// it names one).
QLabel* addCaptionLabel(QWidget* window, const QString& name, const QString& caption,
                        const QRect& rect, QWidget* buddy = nullptr);
QLineEdit* addEditBox(QWidget* window, const QString& name, const QRect& rect,
                      const QString& text = {});
// A button that Enter does not press by itself: each window decides what Enter runs.
QPushButton* addCommandButton(QWidget* window, const QString& name, const QString& caption,
                              const QRect& rect);
