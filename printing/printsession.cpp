// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printsession.h"

#include "core/context.h"
#include "ui/reportlist.h"

PrintSession::PrintSession(QObject* parent) : QObject(parent) {}

QWidget* PrintSession::sourceWindow() const
{
    return mSourceWindow;
}

ReportList* PrintSession::source() const
{
    return mSource;
}

void PrintSession::setSource(QWidget* window, ReportList* list, PrintPermission permission)
{
    mSourceWindow = window;
    mSource = list;
    mPermission = std::move(permission);
}

PrintSession& PrintSession::of(AppContext& context)
{
    auto* session = context.findChild<PrintSession*>(QString(), Qt::FindDirectChildrenOnly);
    if (!session)
        session = new PrintSession(&context);
    return *session;
}
