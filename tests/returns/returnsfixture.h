// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "returns/returnswindow.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// Test data that bypasses the windows: sales and loans as the movement windows write them.
inline void addSale(TestEnvironment& env, const QString& sale, const QString& lot,
                    const QString& quantity, const QString& returned = QStringLiteral("0"),
                    const QString& id = QStringLiteral("6901"),
                    const QString& name = QStringLiteral("苹果"))
{
    QVERIFY(env.db().ExecuteSql(
        QStringLiteral(
            "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,"
            "销售单价,销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)"),
        {sale, lot, id, name, quantity, QStringLiteral("个"), QStringLiteral("3.5"),
         QStringLiteral("2018-3-1"), QStringLiteral("admin")}));
    QVERIFY(env.db().ExecuteSql(
        QStringLiteral("update 销售管理模块 set 退货记录=? where 销售单号=? "), {returned, sale}));
}

inline void addLoan(TestEnvironment& env, const QString& loan, const QString& lot,
                    const QString& quantity, const QString& returned = QStringLiteral("0"),
                    const QString& id = QStringLiteral("6901"),
                    const QString& name = QStringLiteral("苹果"))
{
    QVERIFY(env.db().ExecuteSql(
        QStringLiteral(
            "insert into 借用管理模块(借用单号,入库单号,产品ID,产品名称,借用数量,产品单位,"
            "借用人员单位,借用时间,审批人员,备注)values(?,?,?,?,?,?,?,?,?,?)"),
        {loan, lot, id, name, quantity, QStringLiteral("个"), QStringLiteral("张三"),
         QStringLiteral("2018-3-1"), QStringLiteral("审批甲"), QStringLiteral("借")}));
    QVERIFY(env.db().ExecuteSql(
        QStringLiteral("update 借用管理模块 set 归还记录=? where 借用单号=? "), {returned, loan}));
}

// Drives one returns window through its object names, as an operator would.
class ReturnsDriver
{
public:
    ReturnsDriver(TestEnvironment& env, ReturnsWindow* window, bool loans)
        : env(env), window(window), loans(loans)
    {
        list = child<ReportList>(loans ? "超级列表框_归还" : "超级列表框_退货");
        quantity = child<QLineEdit>(loans ? "编辑框_归还数量" : "编辑框_退货数量");
        detail = child<QLineEdit>(loans ? "编辑框_归还人员" : "编辑框_原因");
        remark = child<QLineEdit>("编辑框_备注");
        search = child<QLineEdit>("编辑框_查找");
        affects = child<QRadioButton>("单选框_影响");
        doesNotAffect = child<QRadioButton>("单选框_不影响");
        action = child<QPushButton>(loans ? "按钮_归还" : "按钮_退货");
        find = child<QPushButton>(loans ? "按钮_查找gh" : "按钮_查找th");
        scanButton = child<QPushButton>("按钮_扫描");
        cancel = child<QPushButton>("按钮_取消");
    }

    template <typename T> T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromUtf8(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    // Makes the row of the document current; false when it is not listed.
    bool select(const QString& document)
    {
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->cellText(row, 1) == document) {
                list->setCurrentRow(row);
                return list->currentRow() == row;
            }
        }
        return false;
    }

    void typeQuantity(const QString& text)
    {
        quantity->clear();
        QTest::keyClicks(quantity, text);
    }

    // Presses the action button, answers the one box it shows and returns that box's text.
    QString press()
    {
        const qsizetype before = env.dialogs().shown().size();
        env.dialogs().answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(action, Qt::LeftButton);
        return lastBoxSince(before);
    }

    QString lastBoxSince(qsizetype before) const
    {
        const auto& shown = env.dialogs().shown();
        if (shown.size() != before + 1)
            return QStringLiteral("<%1 boxes>").arg(shown.size() - before);
        const ScriptedDialogs::Shown& box = shown.last();
        if (box.isInput || box.title != QStringLiteral("提示") || box.icon != MessageIcon::None ||
            box.buttons != MessageButtons::Ok || box.owner != window)
            return QStringLiteral("<box of the wrong form: %1>").arg(box.text);
        return box.text;
    }

    // One whole return: select, type, choose, press.
    QString returnGoods(const QString& document, const QString& amount, bool sellable)
    {
        if (!select(document))
            return QStringLiteral("<not listed>");
        typeQuantity(amount);
        (sellable ? doesNotAffect : affects)->setChecked(true);
        return press();
    }

    TestEnvironment& env;
    ReturnsWindow* window;
    bool loans;
    ReportList* list = nullptr;
    QLineEdit* quantity = nullptr;
    QLineEdit* detail = nullptr;
    QLineEdit* remark = nullptr;
    QLineEdit* search = nullptr;
    QRadioButton* affects = nullptr;
    QRadioButton* doesNotAffect = nullptr;
    QPushButton* action = nullptr;
    QPushButton* find = nullptr;
    QPushButton* scanButton = nullptr;
    QPushButton* cancel = nullptr;
};
