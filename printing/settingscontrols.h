// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"

#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QString>

class AppContext;

// The controls of the print settings window that Qt has no ready-made widget for.

// A button showing a colour; a click lets the operator choose another in the colour dialog.
class ColourButton : public QPushButton
{
    Q_OBJECT
public:
    ColourButton(AppContext& context, QWidget* parent);

    RgbValue colour() const { return mColour; }
    void setColour(RgbValue colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void choose();

    AppContext& mContext;
    RgbValue mColour = 0xFFFFFF;
};

// A list of check-box items that reports every click on an item (and Space on the current one)
// once the click has had its effect on the item's check box.
class CheckedItemList : public QListWidget
{
    Q_OBJECT
public:
    explicit CheckedItemList(QWidget* parent = nullptr);

    // Appends a checkable item.
    QListWidgetItem* addCheckedItem(const QString& text, bool checked);
    // The texts of the checked items, in list order.
    QStringList checkedTexts() const;

signals:
    void itemChosen(QListWidgetItem* item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidgetItem* mPressedItem = nullptr;
};

// The picture of grid line style 1 to 4, as the report draws it inside its frame: 1 a solid
// grid, 2 dotted lines between rows, 3 solid lines between columns, 4 solid lines between rows.
QPixmap lineStylePicture(int style);
