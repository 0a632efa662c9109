// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/recorddetailswindow.h"

#include "core/context.h"
#include "core/listfill.h"
#include "printing/printentry.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <vector>

namespace
{

// One column of a record list: its header and width, and the field it shows when that is not
// named like the header.
struct RecordColumn {
    const char* header;
    int width;
    const char* field = nullptr;
};

// One record tab: its caption, list, query of its whole table, status ending and columns after
// "序号".
struct RecordKind {
    const char* caption;
    const char* listName;
    const char* query;
    const char* countEnding;
    std::vector<RecordColumn> columns;
};

const std::array<RecordKind, RecordDetailsWindow::kRecordTabs> kRecordKinds = {{
    {"入库表单",
     "超级列表框_入库详单",
     "select * from 入库管理模块",
     " 条入库信息",
     {{"入库单号", 123},
      {"产品ID", 123},
      {"产品名称", 123},
      {"入库数量", 80},
      {"产品单位", 80},
      {"入库时间", 123},
      {"入库人员", 100},
      {"备注", 123}}},
    {"出库表单",
     "超级列表框_出库详单",
     "select * from 出库管理模块",
     " 条出库信息",
     {{"出库单号", 123},
      {"入库单号", 123},
      {"产品ID", 100},
      {"产品名称", 123},
      {"出库数量", 80},
      {"产品单位", 80},
      {"出库原因", 123},
      {"出库时间", 123},
      {"操作人员", 80},
      {"备注", 123}}},
    {"销售表单",
     "超级列表框_销售详单",
     "select * from 销售管理模块",
     " 条销售信息",
     {{"销售单号", 123},
      {"入库单号", 123},
      {"产品ID", 100},
      {"产品名称", 123},
      {"销售数量", 80},
      {"产品单位", 80},
      {"销售单价", 123},
      {"销售时间", 123},
      {"销售人员", 80},
      {"退货记录", 80},
      {"备注", 123}}},
    {"退货表单",
     "超级列表框_退货详单",
     "select * from 退货管理模块",
     " 条退货信息",
     {{"退货单号", 123},
      {"销售单号", 123},
      {"入库单号", 123},
      {"产品ID", 100},
      {"产品名称", 123},
      {"退货数量", 80},
      {"产品单位", 80},
      {"退货原因", 123},
      {"是否影响再次销售", 123, "是否影响二次销售"},
      {"退货时间", 123},
      {"操作人员", 80},
      {"备注", 123}}},
    {"借用表单",
     "超级列表框_借用详单",
     "select * from 借用管理模块",
     " 条借用信息",
     {{"借用单号", 123},
      {"入库单号", 123},
      {"产品ID", 100},
      {"产品名称", 123},
      {"借用数量", 100},
      {"产品单位", 80},
      {"借用人员", 100, "借用人员单位"},
      {"借用时间", 123},
      {"审批人员", 100},
      {"归还记录", 80},
      {"备注", 50}}},
    {"归还表单",
     "超级列表框_归还详单",
     "select * from 归还管理模块",
     " 条归还信息",
     {{"归还单号", 123},
      {"借用单号", 123},
      {"入库单号", 123},
      {"产品ID", 100},
      {"产品名称", 123},
      {"归还数量", 80},
      {"产品单位", 80},
      {"归还人员", 100},
      {"是否影响二次销售", 123},
      {"归还时间", 123},
      {"接收人员", 100},
      {"备注", 123}}},
    {"问题表单",
     "超级列表框_问题详单",
     "select * from 问题处理模块",
     " 条问题产品信息",
     {{"问题单号", 123},
      {"入库单号", 123},
      {"销售单号", 123},
      {"退货单号", 123},
      {"借用单号", 123},
      {"归还单号", 123},
      {"产品ID", 123},
      {"产品名称", 123},
      {"问题数量", 80},
      {"产品单位", 80},
      {"问题原因", 123},
      {"发现时间", 123},
      {"录入人员", 123},
      {"备注", 123}}},
}};

const RecordKind& recordKind(int tab)
{
    return kRecordKinds[std::size_t(tab - 1)];
}

QStringList fieldsOf(const RecordKind& kind)
{
    QStringList fields;
    for (const RecordColumn& column : kind.columns)
        fields.append(QString::fromUtf8(column.field ? column.field : column.header));
    return fields;
}

QList<ReportColumn> columnsOf(const RecordKind& kind)
{
    QList<ReportColumn> columns;
    for (const RecordColumn& column : kind.columns)
        columns.append(ReportColumn{QString::fromUtf8(column.header), column.width});
    return numberedColumns(columns);
}

// The client area below the menu bar.
constexpr int kClientWidth = 750 - kFrameWidth;
constexpr int kClientHeight = 509 - kFrameHeight;
constexpr int kStatusHeight = 21;

} // namespace

RecordDetailsWindow::RecordDetailsWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("出入库表单详细信息管理模块    （仅限管理员进入）"));
    placeWindow(this, 50, 50, 750, 509);

    auto* menuBar = new QMenuBar(this);
    buildMenu(menuBar);
    const int menuHeight = menuBar->sizeHint().height();
    menuBar->setGeometry(0, 0, kClientWidth, menuHeight);

    mTabs = new QTabWidget(this);
    mTabs->setObjectName(QStringLiteral("高级选择夹1"));
    mTabs->setGeometry(4, menuHeight + 4, kClientWidth - 8,
                       kClientHeight - menuHeight - kStatusHeight - 10);

    auto* welcomePage = new QWidget;
    auto* welcome = new QLabel(welcomeText(), welcomePage);
    welcome->setObjectName(QStringLiteral("透明标签1"));
    welcome->setTextFormat(Qt::PlainText);
    welcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* welcomeLayout = new QVBoxLayout(welcomePage);
    welcomeLayout->setContentsMargins(24, 24, 24, 24);
    welcomeLayout->addWidget(welcome);
    mTabs->addTab(welcomePage, QStringLiteral("欢迎页面"));

    for (int tab = 1; tab <= kRecordTabs; ++tab) {
        const RecordKind& kind = recordKind(tab);
        auto* page = new QWidget;
        auto* list = new ReportList(page);
        list->setObjectName(QString::fromUtf8(kind.listName));
        list->setColumns(columnsOf(kind));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(list);
        mLists[std::size_t(tab - 1)] = list;
        mTabs->addTab(page, QString::fromUtf8(kind.caption));
    }

    mStatus = new QLabel(this);
    mStatus->setObjectName(QStringLiteral("透明标签_状态"));
    mStatus->setGeometry(6, kClientHeight - kStatusHeight - 3, kClientWidth - 12, kStatusHeight);

    // Connected last: building the tabs made the welcome tab current without a check.
    connect(mTabs, &QTabWidget::currentChanged, this, &RecordDetailsWindow::tabChanged);
}

void RecordDetailsWindow::buildMenu(QMenuBar* menuBar)
{
    QMenu* print = menuBar->addMenu(QStringLiteral("打印详单"));
    print->setObjectName(QStringLiteral("菜单_打印详单"));
    for (int tab = 1; tab <= kRecordTabs; ++tab) {
        const QString caption = QString::fromUtf8(recordKind(tab).caption);
        QAction* action = print->addAction(caption);
        action->setObjectName(QStringLiteral("菜单_") + caption);
        connect(action, &QAction::triggered, this, [this, tab] { printRecordTab(tab); });
    }
}

QString RecordDetailsWindow::welcomeText()
{
    return QStringLiteral("尊敬的管理员您好\r\n\r\n"
                          "感谢您使用Korlith-商品仓库管理系统\r\n\r\n"
                          "为了您的仓库数据安全请妥善管理好您的admin账号密码\r\n\r\n"
                          "admin的用户登录后才有最高权力的操作\r\n\r\n"
                          "例如[删除产品，详单管理，用户管理]等\r\n\r\n"
                          "例如本界面，其他用户是无权进入的\r\n\r\n"
                          "其他用户登录只能进入[入库，销售]等日常处理的模块\r\n");
}

ReportList* RecordDetailsWindow::list(int tab) const
{
    if (tab < 1 || tab > kRecordTabs)
        return nullptr;
    return mLists[std::size_t(tab - 1)];
}

void RecordDetailsWindow::tabChanged(int tab)
{
    // Checked on every change.
    if (!administratorAtTheDesk(this))
        return;
    if (tab == 0)
        mStatus->clear();
    else if (tab >= 1 && tab <= kRecordTabs)
        fillTab(tab);
}

void RecordDetailsWindow::fillTab(int tab)
{
    const RecordKind& kind = recordKind(tab);
    const int count = fillListFromQuery(mContext.database(), list(tab),
                                        QString::fromUtf8(kind.query), {}, fieldsOf(kind));
    mStatus->setText(QStringLiteral("共有 ") + QString::number(count) +
                     QString::fromUtf8(kind.countEnding));
}

bool RecordDetailsWindow::administratorAtTheDesk(QWidget* owner)
{
    // Checked every time: the administrator may have logged out meanwhile.
    if (mContext.isAdministrator())
        return true;
    mContext.dialogs().message(owner, QStringLiteral("本页面仅管理员可操作"),
                               QStringLiteral("提示"));
    return false;
}

void RecordDetailsWindow::printRecordTab(int tab)
{
    if (tab < 1 || tab > kRecordTabs || !administratorAtTheDesk(this))
        return;
    // Choosing another tab runs its change handling (check and fill); the current tab's list is
    // printed with the rows it already holds.
    mTabs->setCurrentIndex(tab);
    printList(list(tab));
}

void RecordDetailsWindow::printList(ReportList* list)
{
    // The settings window, its preview and the print or export ask again each time.
    AppContext& context = mContext;
    openPrintSettings(mContext, this, list, [&context](QWidget* owner) {
        if (context.isAdministrator())
            return true;
        context.dialogs().message(owner, QStringLiteral("本页面仅管理员可操作"),
                                  QStringLiteral("提示"));
        return false;
    });
}
