// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Driving the movement windows as an operator would: find controls by name, click rows.

#include "ui/reportlist.h"

#include <QInputMethodEvent>
#include <QPointer>
#include <QTest>
#include <QWidget>

// Deletes a window that is still open when the test ends (before its context goes).
class OpenWindow
{
public:
    explicit OpenWindow(QWidget* window) : mWindow(window) {}
    ~OpenWindow() { delete mWindow.data(); }
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;
    QWidget* get() const { return mWindow; }
    QWidget* operator->() const { return mWindow; }
    explicit operator bool() const { return !mWindow.isNull(); }

    template <typename T> T* control(const QString& name) const
    {
        T* found = mWindow ? mWindow->findChild<T*>(name) : nullptr;
        if (!found)
            qWarning("no control %s", qPrintable(name));
        return found;
    }

private:
    QPointer<QWidget> mWindow;
};

// Clicks the row in the list's viewport, as the operator selects a product.
inline void clickRow(ReportList* list, int row)
{
    const QModelIndex index = list->reportModel()->index(row, 2);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

// Types text as an input method commits it (QTest::keyClicks covers only Latin-1 keys).
inline void typeText(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(widget, &event);
}

// Lets windows closed with deleteLater go.
inline void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
