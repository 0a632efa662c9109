// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/reportlist.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

class Database;

// Fills a report list from a query: column 0 holds the running row number from 1, the
// following columns the display text of the named fields of each row. Rows come in the
// order the database returns them; a failed query leaves the list empty. Returns the row count.
int fillListFromQuery(Database& db, ReportList* list, const QString& sql,
                      const QVariantList& params, const QStringList& fields);

// Column 0 "序号" (width 50) followed by the given columns.
QList<ReportColumn> numberedColumns(const QList<ReportColumn>& columns);
