// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLabel* addCaptionLabel(QWidget* window, const QString& name, const QString& caption,
                        const QRect& rect, QWidget* buddy)
{
    auto* label = new QLabel(caption, window);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QLineEdit* addEditBox(QWidget* window, const QString& name, const QRect& rect, const QString& text)
{
    auto* edit = new QLineEdit(text, window);
    edit->setObjectName(name);
    edit->setGeometry(rect);
    return edit;
}

QPushButton* addCommandButton(QWidget* window, const QString& name, const QString& caption,
                              const QRect& rect)
{
    auto* button = new QPushButton(caption, window);
    button->setObjectName(name);
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}
