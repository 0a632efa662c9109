// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppContext;
class ReportList;

// "问题产品统计": the read-only list of all problem records, filled once at opening.
class ProblemGoodsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProblemGoodsWindow(AppContext& context);

private:
    ReportList* mList = nullptr;
};
