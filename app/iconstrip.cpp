// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/iconstrip.h"

#include <QMouseEvent>

IconStrip::IconStrip(QWidget* parent) : QListWidget(parent)
{
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Fixed);
    setDragEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(48, 48));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int IconStrip::selectedPosition() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

void IconStrip::mousePressEvent(QMouseEvent* event)
{
    mInDoubleClick = false;
    // A press beside the items selects nothing, as in the operator's familiar icon views.
    if (event->button() == Qt::LeftButton && !itemAt(event->position().toPoint()))
        clearSelection();
    QListWidget::mousePressEvent(event);
}

void IconStrip::mouseDoubleClickEvent(QMouseEvent* event)
{
    mInDoubleClick = true;
    QListWidget::mouseDoubleClickEvent(event);
}

void IconStrip::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    const bool secondOfDouble = mInDoubleClick;
    mInDoubleClick = false;
    if (event->button() == Qt::LeftButton && !secondOfDouble)
        emit leftClicked();
}
