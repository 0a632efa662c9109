// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/settingscontrols.h"

#include "core/context.h"
#include "printing/reportpainter.h"
#include "ui/dialogservice.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ColourButton::ColourButton(AppContext& context, QWidget* parent)
    : QPushButton(parent), mContext(context)
{
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &ColourButton::choose);
}

void ColourButton::setColour(RgbValue colour)
{
    mColour = colour & 0xFFFFFF;
    update();
}

void ColourButton::choose()
{
    const std::optional<QColor> chosen =
        mContext.dialogs().chooseColor(this, reportColour(mColour));
    if (chosen && chosen->isValid())
        setColour(rgbValue(chosen->red(), chosen->green(), chosen->blue()));
}

void ColourButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    // A disabled picker still shows its colour, faded.
    if (!isEnabled())
        painter.setOpacity(0.45);
    const QRect swatch = rect().adjusted(6, 5, -7, -6);
    painter.fillRect(swatch, reportColour(mColour));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(swatch);
}

CheckedItemList::CheckedItemList(QWidget* parent) : QListWidget(parent) {}

QListWidgetItem* CheckedItemList::addCheckedItem(const QString& text, bool checked)
{
    auto* item = new QListWidgetItem(text, this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

QStringList CheckedItemList::checkedTexts() const
{
    QStringList texts;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->checkState() == Qt::Checked)
            texts.append(item(row)->text());
    }
    return texts;
}

void CheckedItemList::mousePressEvent(QMouseEvent* event)
{
    mPressedItem = itemAt(event->position().toPoint());
    QListWidget::mousePressEvent(event);
}

void CheckedItemList::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidgetItem* released = itemAt(event->position().toPoint());
    QListWidgetItem* pressed = mPressedItem;
    mPressedItem = nullptr;
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && released && released == pressed)
        emit itemChosen(released);
}

void CheckedItemList::keyPressEvent(QKeyEvent* event)
{
    QListWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Space && currentItem())
        emit itemChosen(currentItem());
}

QPixmap lineStylePicture(int style)
{
    constexpr int width = 28;
    constexpr int height = 20;
    QPixmap picture(width, height);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const QPen solid(Qt::black, 1, Qt::SolidLine);
    QPen dotted(Qt::black, 1, Qt::DotLine);
    const QRect frame(2, 2, width - 5, height - 5);
    const int rows = 4;
    const int columns = 3;
    const auto rowLine = [&](int i) {
        const int y = frame.top() + frame.height() * i / rows;
        painter.drawLine(frame.left(), y, frame.right(), y);
    };
    const auto columnLine = [&](int i) {
        const int x = frame.left() + frame.width() * i / columns;
        painter.drawLine(x, frame.top(), x, frame.bottom());
    };
    // The header row, shaded as the column titles stand out in the report.
    painter.fillRect(QRect(frame.left(), frame.top(), frame.width(), frame.height() / rows),
                     QColor(220, 220, 220));
    if (style == 1 || style == 4) {
        painter.setPen(solid);
        for (int i = 1; i < rows; ++i)
            rowLine(i);
    }
    if (style == 2) {
        painter.setPen(dotted);
        for (int i = 1; i < rows; ++i)
            rowLine(i);
    }
    if (style == 1 || style == 3) {
        painter.setPen(solid);
        for (int i = 1; i < columns; ++i)
            columnLine(i);
    }
    painter.setPen(solid);
    painter.drawRect(frame);
    return picture;
}
