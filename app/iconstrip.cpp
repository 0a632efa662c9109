// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/iconstrip.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>

#include <array>

namespace
{

// A PNG of the resources. Told the format, and told not to guess it, the image reader takes
// its own PNG reader: guessing asks every image plugin first, loading each.
QPixmap builtInPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

QIcon ApplicationStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const
{
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(icon, option, widget);
    // The arrows the common style draws, from Qt's own resources.
    const bool horizontal = icon == SP_ToolBarHorizontalExtensionButton;
    const bool rightToLeft = widget ? widget->isRightToLeft() : QGuiApplication::isRightToLeft();
    const QString name = horizontal ? (rightToLeft ? QStringLiteral("toolbar-ext-h-rtl-%1.png")
                                                   : QStringLiteral("toolbar-ext-h-%1.png"))
                                    : QStringLiteral("toolbar-ext-v-%1.png");
    static constexpr std::array<int, 3> horizontalSizes = {8, 16, 32};
    static constexpr std::array<int, 3> verticalSizes = {5, 10, 20};
    QIcon arrows;
    for (const int size : horizontal ? horizontalSizes : verticalSizes)
        arrows.addPixmap(builtInPng(QStringLiteral(":/qt-project.org/styles/commonstyle/images/") +
                                    name.arg(size)));
    return arrows;
}

QIcon builtInIcon(const QString& name)
{
    QIcon icon;
    icon.addPixmap(builtInPng(QStringLiteral(":/icons/%1.png").arg(name)));
    if (qApp->devicePixelRatio() > 1.0) {
        QPixmap large = builtInPng(QStringLiteral(":/icons/%1@2x.png").arg(name));
        large.setDevicePixelRatio(2.0);
        icon.addPixmap(large);
    }
    return icon;
}

LinkLabel::LinkLabel(const QString& text, const QUrl& address, QWidget* parent)
    : QLabel(parent), mAddress(address)
{
    setTextFormat(Qt::PlainText);
    setText(text);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette linkColour = palette();
    linkColour.setColor(QPalette::WindowText, linkColour.color(QPalette::Link));
    setPalette(linkColour);
    setCursor(Qt::PointingHandCursor);
    setToolTip(address.toString());
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        QDesktopServices::openUrl(mAddress);
}

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
