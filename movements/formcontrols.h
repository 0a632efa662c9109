#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The named controls of the movement windows, placed at their client-area rectangles.

// A caption label, left-aligned and vertically centred, as the buddy of the box it names.
QLabel* addCaptionLabel(QWidget* window, const QString& name, const QString& caption,
                        const QRect& rect, QWidget* buddy);
QLineEdit* addEditBox(QWidget* window, const QString& name, const QRect& rect,
                      const QString& text = {});
// A button that Enter does not press by itself: each window decides what Enter runs.
QPushButton* addCommandButton(QWidget* window, const QString& name, const QString& caption,
                              const QRect& rect);
