// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <array>

class AppContext;
class QLabel;
class QMenuBar;
class QTabWidget;
class ReportList;

// "出入库表单详细信息管理模块": the administrator's read-only view of every document the system has
// written, one kind per tab (stock-in, stock-out, sales, sales returns, loans, returns of lent
// goods, problem goods). A tab's list is filled each time the tab is chosen.
class RecordDetailsWindow : public QWidget
{
    Q_OBJECT
public:
    // The tabs: 0 is the welcome tab, 1 to 7 the record kinds.
    static constexpr int kRecordTabs = 7;

    explicit RecordDetailsWindow(AppContext& context);

    // The list of record tab 1 to 7.
    ReportList* list(int tab) const;
    // The "打印详单" item of record tab 1 to 7: makes the tab current (filling it when it was not)
    // and hands its list to printing.
    void printRecordTab(int tab);
    // Hands a list of this window to the print settings.
    void printList(ReportList* list);
    // True for the administrator; else says "本页面仅管理员可操作" over owner.
    bool administratorAtTheDesk(QWidget* owner);

    // The welcome text of the first tab.
    static QString welcomeText();

private:
    void buildMenu(QMenuBar* menuBar);
    void tabChanged(int tab);
    void fillTab(int tab);

    AppContext& mContext;
    QTabWidget* mTabs = nullptr;
    QLabel* mStatus = nullptr;
    std::array<ReportList*, kRecordTabs> mLists{};
};
