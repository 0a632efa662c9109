// SPDX-License-Identifier: GPL-3.0-or-later
// tarnel-test-exportstock DATABASE FILE: prints the stock list of the database to a workbook or
// CSV file as "打印总数据" does, with a serial column, the statistics row and remarks. A program
// of its own for the import tests: the workbook writer and the import module's zip library carry
// functions of the same names, which the program keeps apart by loading the module on its own
// (a way of loading the sanitizers of the test builds refuse).
#include "app/stocklist.h"
#include "core/clock.h"
#include "core/context.h"
#include "printing/preview.h"
#include "printing/previewwindow.h"
#include "printing/printrequest.h"
#include "printing/reportbuilder.h"
#include "storage/database.h"
#include "tests/support/scripteddialogs.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QFileInfo database(QString::fromLocal8Bit(argv[1]));
    const QString path = QString::fromLocal8Bit(argv[2]);
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(QDate(2018, 3, 5), QTime(9, 7, 2)));
    AppContext context(dialogs, clock, database.absolutePath(), database.fileName());
    if (!context.database().NewOpenDatabase(context.databasePath()))
        return 3;
    context.setSessionUser(QStringLiteral("admin"));

    ReportList list;
    list.setColumns(stockListColumns());
    fillStockList(context.database(), &list);
    PrintRequest request;
    request.source = &list;
    request.title = QStringLiteral("库存总数据");
    request.titleFont = {QStringLiteral("宋体"), QStringLiteral("0"), QStringLiteral("0"),
                         QStringLiteral("18")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    for (int c = 0; c < list.columnCount(); ++c)
        request.columns.append(c);
    request.serialColumn = true;
    request.totals = {QStringLiteral("二"), QStringLiteral("产品库存")};
    request.remarks = QStringLiteral("备注：盘点");
    std::unique_ptr<PreviewWindow> preview(
        static_cast<PreviewWindow*>(openPrintPreview(context, buildReport(request))));
    preview->setDialogRunner([&path](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("选择框_打印到文件"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("编辑框_文件名"))->setText(path);
        dialog.findChild<QPushButton*>(QStringLiteral("按钮_确认"))->click();
        return dialog.result();
    });
    preview->findChild<QPushButton*>(QStringLiteral("按钮_打印"))->click();
    context.database().CloseDatabase();
    return QFile::exists(path) && dialogs.shown().isEmpty() ? 0 : 1;
}
