// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// The page a typed page number leads to: its leading integer, kept within 1 to pageCount.
int pageJumpTarget(const QString& typed, int pageCount);

// The page jump box "页面跳转:": asks for a page number between 1 and the page count.
class PageJumpDialog : public QDialog
{
    Q_OBJECT
public:
    PageJumpDialog(int pageCount, QWidget* parent = nullptr);

    QLineEdit* pageBox() const { return mPage; }
    // The page (from 1) the typed number leads to.
    int target() const;

private:
    int mPageCount = 1;
    QLineEdit* mPage = nullptr;
};
