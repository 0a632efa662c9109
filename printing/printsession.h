// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"

#include <QObject>
#include <QPointer>

class AppContext;
class ReportList;
class QWidget;

// The current print: the list handed to the print entry (with its window) and the computed
// columns defined for it. Both outlive the print settings window; the next print entry replaces
// the list and the next opening of the settings window empties the columns.
class PrintSession : public QObject
{
    Q_OBJECT
public:
    explicit PrintSession(QObject* parent = nullptr);

    QWidget* sourceWindow() const;
    ReportList* source() const;
    void setSource(QWidget* window, ReportList* list, PrintPermission permission = {});
    const PrintPermission& permission() const { return mPermission; }

    CustomColumns& customColumns() { return mCustomColumns; }
    const CustomColumns& customColumns() const { return mCustomColumns; }

    // The one session of the application, kept by the context.
    static PrintSession& of(AppContext& context);

private:
    QPointer<QWidget> mSourceWindow;
    QPointer<ReportList> mSource;
    CustomColumns mCustomColumns;
    PrintPermission mPermission;
};
