// SPDX-License-Identifier: GPL-3.0-or-later
// The print settings window: its opening state, the saved layout, the colour and totals rules,
// the computed columns with the formula window, the checks of "打印预览" and the print entry.
#include "app/mainwindow.h"
#include "printing/formulawindow.h"
#include "printing/previewwindow.h"
#include "printing/printentry.h"
#include "printing/printsession.h"
#include "printing/printsettings.h"
#include "printing/printsettingswindow.h"
#include "printing/reportlayout.h"
#include "printing/reportpainter.h"
#include "printing/settingscontrols.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{

const QString kErrorTitle = QStringLiteral("错误");

// A list to print (three columns, two rows) in a window of its own, recorded as the current
// print's list, and the settings window opened over it.
struct Settings {
    Settings()
    {
        sourceWindow = std::make_unique<QWidget>();
        list = new ReportList(sourceWindow.get());
        list->setColumns({{QStringLiteral("产品名称"), 100, Qt::AlignLeft},
                          {QStringLiteral("数量"), 60, Qt::AlignRight},
                          {QStringLiteral("单价"), 60, Qt::AlignRight}});
        list->appendRows({{QStringLiteral("螺丝"), QStringLiteral("7"), QStringLiteral("1.5")},
                          {QStringLiteral("螺母"), QStringLiteral("3"), QStringLiteral("2")}});
        PrintSession::of(env.context()).setSource(sourceWindow.get(), list);
    }
    ~Settings()
    {
        // The preview and settings windows of the entry have no owner: close what is left.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->testAttribute(Qt::WA_DeleteOnClose))
                widget->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    PrintSettingsWindow& open()
    {
        window = std::make_unique<PrintSettingsWindow>(env.context());
        window->show();
        return *window;
    }

    template <typename T> T* child(const QString& name) const
    {
        T* widget = window->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* edit(const QString& name) const { return child<QLineEdit>(name); }
    QCheckBox* checkBox(const QString& name) const { return child<QCheckBox>(name); }
    QRadioButton* radio(const QString& name) const { return child<QRadioButton>(name); }
    QComboBox* dropDown(const QString& name) const { return child<QComboBox>(name); }
    QListWidget* columns() const { return child<QListWidget>(QStringLiteral("显示列表框")); }
    QListWidget* statistics() const { return child<QListWidget>(QStringLiteral("统计列表框")); }
    QListWidget* customColumns() const { return child<QListWidget>(QStringLiteral("新列列表框")); }
    ColourButton* picker(const QString& name) const { return child<ColourButton>(name); }
    void click(const QString& name) const
    {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    // Clicks the text of an item of a list (not its check box).
    static void clickItem(QListWidget* list, int row)
    {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Clicks the check box of an item of a list, toggling it.
    static void clickCheckBox(QListWidget* list, int row)
    {
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.rect = list->visualItemRect(list->item(row));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    }
    static QStringList texts(const QListWidget* list)
    {
        QStringList result;
        for (int row = 0; row < list->count(); ++row)
            result.append(list->item(row)->text());
        return result;
    }
    // The settings value, as the settings file holds it.
    QVariant stored(const QString& name)
    {
        return env.context().settings().value(kPrintSettingsGroup + QLatin1Char('/') + name);
    }
    // Adds a computed column through the formula window.
    void addColumn(const QString& name, const QString& formula)
    {
        window->setDialogRunner([name, formula](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("新列名编辑框"))->setText(name);
            dialog.findChild<QLineEdit*>(QStringLiteral("公式编辑框"))->setText(formula);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("确定")),
                              Qt::LeftButton);
            return dialog.result();
        });
        click(QStringLiteral("添加"));
    }
    // Presses "打印预览" with no column checked: the settings are written and the preview is
    // refused.
    void saveByRefusedPreview()
    {
        for (int row = 0; row < columns()->count(); ++row)
            columns()->item(row)->setCheckState(Qt::Unchecked);
        env.dialogs().answerMessage();
        click(QStringLiteral("打印预览"));
    }

    TestEnvironment env;
    std::unique_ptr<QWidget> sourceWindow;
    ReportList* list = nullptr;
    std::unique_ptr<PrintSettingsWindow> window;
};

template <typename T> QList<T*> topLevel()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<T*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(widget); window && window->isVisible())
            windows.append(window);
    }
    return windows;
}

} // namespace

class TestPrintSettings : public QObject
{
    Q_OBJECT
private slots:
    void opensWithTemplateDefaults();
    void tabOrderAndLabels();
    void savedLayoutComesBack();
    void unselectedPaperStaysUnselected();
    void unsavedLayoutIsIgnoredNextTime();
    void cancelWritesNothing();
    void fontSizeFallsBackToTheList();
    void rowsPerPage_data();
    void rowsPerPage();
    void colourOptionsExcludeEachOther();
    void colourPickersChooseColours();
    void titleFontIsTheLastChoice();
    void statisticsListFollowsTheColumns();
    void previewRefusals();
    void formulaWindowOffersCheckedColumns();
    void formulaWindowRefusesEmptyEntries();
    void customColumnsAreAddedAndDeleted();
    void previewBuildsTheReportAndCloses();
    void computedColumnAndStatisticsArePrinted();
    void printEntryOpensAnOwnerlessWindow();
    void mainWindowPrintsTheStockList();
};

void TestPrintSettings::opensWithTemplateDefaults()
{
    Settings s;
    // The computed columns of an earlier print do not survive the opening.
    PrintSession::of(s.env.context())
        .customColumns()
        .append(qMakePair(QStringLiteral("旧"), QStringLiteral("1")));
    s.open();
    QCOMPARE(s.window->windowTitle(), QStringLiteral("超级列表框打印预览设置"));
    QCOMPARE(s.window->size(), QSize(607 - 8, 434 - 30));
    QVERIFY(PrintSession::of(s.env.context()).customColumns().isEmpty());

    QCOMPARE(Settings::texts(s.columns()), QStringList({"产品名称", "数量", "单价"}));
    for (int row = 0; row < 3; ++row)
        QCOMPARE(s.columns()->item(row)->checkState(), Qt::Checked);
    QCOMPARE(s.edit(QStringLiteral("日期"))->text(), QStringLiteral("打印日期:2018年3月5日"));
    QCOMPARE(s.edit(QStringLiteral("字体大小"))->text(), QStringLiteral("30"));
    QVERIFY(s.edit(QStringLiteral("行数"))->text().isEmpty());
    QVERIFY(s.edit(QStringLiteral("标题"))->text().isEmpty());
    QVERIFY(s.checkBox(QStringLiteral("保存配置"))->isChecked());
    QVERIFY(!s.checkBox(QStringLiteral("序号"))->isChecked());
    QVERIFY(s.radio(QStringLiteral("不打合计"))->isChecked());
    QVERIFY(s.radio(QStringLiteral("线型1"))->isChecked());
    QVERIFY(!s.radio(QStringLiteral("类别4"))->isChecked());
    QVERIFY(!s.radio(QStringLiteral("类别3"))->isChecked());
    QCOMPARE(s.dropDown(QStringLiteral("纸张"))->count(), 9);
    QCOMPARE(s.dropDown(QStringLiteral("纸张"))->currentIndex(), -1);
    QCOMPARE(s.dropDown(QStringLiteral("页号位置"))->itemText(6), QStringLiteral("下右"));
    QCOMPARE(s.dropDown(QStringLiteral("页号位置"))->currentIndex(), -1);
    QVERIFY(!s.statistics()->isEnabled());
    QCOMPARE(s.statistics()->count(), 0);
    QCOMPARE(s.child<QGroupBox>(QStringLiteral("分组框3"))->height(), 102);
    for (const char* name : {"标题颜色", "奇行色", "偶行色", "标题颜色1", "奇列色", "偶列色"}) {
        QCOMPARE(s.picker(QString::fromUtf8(name))->colour(), RgbValue(0xFFFFFF));
        QVERIFY(!s.picker(QString::fromUtf8(name))->isEnabled());
    }
    QCOMPARE(s.window->focusWidget(), s.edit(QStringLiteral("标题")));

    const PrintRequest request = s.window->request();
    QCOMPARE(request.source.data(), s.list);
    QCOMPARE(request.sourceWindow.data(), s.sourceWindow.get());
    QCOMPARE(request.columns, QList<int>({0, 1, 2}));
    QCOMPARE(request.titleFont, QStringList({"宋体", "0", "0", "16"}));
    QCOMPARE(request.dateLine, QStringLiteral("打印日期:2018年3月5日"));
    QVERIFY(request.landscape);
    QCOMPARE(request.paper, -1);
    QCOMPARE(request.pageNumberPosition, -1);
    QCOMPARE(request.fontSize, 30);
    QCOMPARE(request.rowsPerPage, 0);
    QCOMPARE(request.lineStyle, 1);
    QCOMPARE(request.totals, QStringList{QStringLiteral("零")});
    QVERIFY(!request.serialColumn);
    QCOMPARE(request.colours, (std::array<int, 4>{0, 0, 0, 0}));
    QVERIFY(s.env.dialogs().shown().isEmpty());
}

void TestPrintSettings::tabOrderAndLabels()
{
    Settings s;
    s.open();
    // Tab walks the left column, the paper and totals settings, then the colours block by block.
    QStringList order;
    QWidget* first = s.edit(QStringLiteral("标题"));
    QWidget* widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->window() == s.window.get())
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(order, QStringList({"标题",       "日期",   "字体",     "备注",      "显示列表框",
                                 "新列列表框", "添加",   "纸张",     "类别4",     "类别3",
                                 "页号位置",   "行数",   "字体大小", "线型1",     "类别2",
                                 "线型3",      "线型4",  "不打合计", "打合计",    "打统计",
                                 "统计列表框", "默认色", "自配色",   "自定义行",  "自定义列",
                                 "标题颜色",   "奇行色", "偶行色",   "标题颜色1", "奇列色",
                                 "偶列色",     "序号",   "保存配置", "打印预览",  "取消"}));

    const QList<std::pair<const char*, const char*>> buddies = {
        {"标签1", "标题"},       {"标签2", "日期"},        {"标签9", "备注"},
        {"标签3", "显示列表框"}, {"标签19", "新列列表框"}, {"标签7", "纸张"},
        {"标签6", "页号位置"},   {"标签4", "行数"},        {"标签5", "字体大小"},
        {"标签12", "标题颜色"},  {"标签10", "奇行色"},     {"标签11", "偶行色"},
        {"标签15", "标题颜色1"}, {"标签16", "奇列色"},     {"标签17", "偶列色"}};
    for (const auto& [label, box] : buddies) {
        QCOMPARE(s.child<QLabel>(QString::fromUtf8(label))->buddy(),
                 s.child<QWidget>(QString::fromUtf8(box)));
    }
}

void TestPrintSettings::savedLayoutComesBack()
{
    Settings s;
    s.open();
    s.edit(QStringLiteral("标题"))->setText(QStringLiteral("库存清单"));
    s.child<QPlainTextEdit>(QStringLiteral("备注"))->setPlainText(QStringLiteral("第一行\n第二行"));
    s.dropDown(QStringLiteral("页号位置"))->setCurrentIndex(5);
    s.dropDown(QStringLiteral("纸张"))->setCurrentIndex(2);
    s.edit(QStringLiteral("字体大小"))->setText(QStringLiteral("40"));
    s.edit(QStringLiteral("行数"))->setText(QStringLiteral("20"));
    s.click(QStringLiteral("序号"));
    s.click(QStringLiteral("类别4"));
    s.click(QStringLiteral("自定义列"));
    s.env.dialogs().answerColor(QColor(1, 2, 3));
    s.click(QStringLiteral("奇列色"));
    s.saveByRefusedPreview();

    QCOMPARE(s.stored(QStringLiteral("ID")).toString(), QStringLiteral("1"));
    QCOMPARE(s.stored(QStringLiteral("增加序号")).toString(), QStringLiteral("真"));
    QCOMPARE(s.stored(QStringLiteral("自定义行")).toString(), QStringLiteral("假"));
    QCOMPARE(s.stored(QStringLiteral("纸张方向")).toString(), QStringLiteral("0"));
    QCOMPARE(s.stored(QStringLiteral("奇列")).toString(), QString::number(rgbValue(1, 2, 3)));

    s.open();
    QCOMPARE(s.edit(QStringLiteral("标题"))->text(), QStringLiteral("库存清单"));
    QCOMPARE(s.child<QPlainTextEdit>(QStringLiteral("备注"))->toPlainText(),
             QStringLiteral("第一行\n第二行"));
    QCOMPARE(s.dropDown(QStringLiteral("页号位置"))->currentIndex(), 5);
    QCOMPARE(s.dropDown(QStringLiteral("纸张"))->currentIndex(), 2);
    QCOMPARE(s.edit(QStringLiteral("字体大小"))->text(), QStringLiteral("40"));
    QCOMPARE(s.edit(QStringLiteral("行数"))->text(), QStringLiteral("20"));
    QVERIFY(s.checkBox(QStringLiteral("序号"))->isChecked());
    QVERIFY(s.radio(QStringLiteral("类别4"))->isChecked());
    QVERIFY(s.checkBox(QStringLiteral("自定义列"))->isChecked());
    QVERIFY(s.picker(QStringLiteral("奇列色"))->isEnabled());
    QVERIFY(!s.picker(QStringLiteral("奇行色"))->isEnabled());
    // The column choice is never kept: every column is checked again.
    QCOMPARE(s.window->request().columns, QList<int>({0, 1, 2}));

    const PrintRequest request = s.window->request();
    QVERIFY(!request.landscape);
    QVERIFY(request.serialColumn);
    QCOMPARE(request.paper, 2);
    QCOMPARE(request.pageNumberPosition, 5);
    QCOMPARE(request.fontSize, 40);
    QCOMPARE(request.rowsPerPage, 20);
    QCOMPARE(request.remarks, QStringLiteral("第一行\n第二行"));
    QCOMPARE(request.colours, (std::array<int, 4>{3, 0xFFFFFF, int(rgbValue(1, 2, 3)), 0xFFFFFF}));
}

void TestPrintSettings::unselectedPaperStaysUnselected()
{
    Settings s;
    s.open();
    s.saveByRefusedPreview();
    // Kept as the unsigned form of -1, as a DWORD holds it.
    QCOMPARE(s.stored(QStringLiteral("纸张")).toString(), QStringLiteral("4294967295"));
    QCOMPARE(s.stored(QStringLiteral("页号位置")).toString(), QStringLiteral("4294967295"));

    s.open();
    QCOMPARE(s.dropDown(QStringLiteral("纸张"))->currentIndex(), -1);
    QCOMPARE(s.dropDown(QStringLiteral("页号位置"))->currentIndex(), -1);
    QCOMPARE(s.window->request().paper, -1);
    QCOMPARE(s.window->request().pageNumberPosition, -1);
    // Saved with no orientation checked: landscape comes back checked.
    QVERIFY(s.radio(QStringLiteral("类别3"))->isChecked());
}

void TestPrintSettings::unsavedLayoutIsIgnoredNextTime()
{
    Settings s;
    s.open();
    s.edit(QStringLiteral("标题"))->setText(QStringLiteral("甲"));
    s.edit(QStringLiteral("字体大小"))->setText(QStringLiteral("25"));
    s.saveByRefusedPreview();

    s.open();
    QCOMPARE(s.edit(QStringLiteral("标题"))->text(), QStringLiteral("甲"));
    s.edit(QStringLiteral("标题"))->setText(QStringLiteral("乙"));
    s.click(QStringLiteral("保存配置"));
    s.saveByRefusedPreview();
    QCOMPARE(s.stored(QStringLiteral("ID")).toString(), QStringLiteral("0"));
    QCOMPARE(s.stored(QStringLiteral("标题")).toString(), QStringLiteral("甲"));

    s.open();
    QVERIFY(s.edit(QStringLiteral("标题"))->text().isEmpty());
    QCOMPARE(s.edit(QStringLiteral("字体大小"))->text(), QStringLiteral("30"));
    QVERIFY(s.checkBox(QStringLiteral("保存配置"))->isChecked());
}

void TestPrintSettings::cancelWritesNothing()
{
    Settings s;
    s.open();
    s.edit(QStringLiteral("标题"))->setText(QStringLiteral("甲"));
    s.click(QStringLiteral("取消"));
    QVERIFY(!s.window->isVisible());
    QVERIFY(s.env.context().settings().allKeys().isEmpty());
    QVERIFY(s.env.dialogs().shown().isEmpty());
}

void TestPrintSettings::fontSizeFallsBackToTheList()
{
    Settings s;
    s.list->setFont(QFont(QStringLiteral("宋体"), 9));
    s.open();
    s.edit(QStringLiteral("字体大小"))->clear();
    QCOMPARE(s.window->request().fontSize, 29);
    s.edit(QStringLiteral("字体大小"))->setText(QStringLiteral("33.9"));
    QCOMPARE(s.window->request().fontSize, 33);
}

void TestPrintSettings::rowsPerPage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("whole") << "25" << 25;
    QTest::newRow("fraction") << "12.9" << 12;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("leading number") << "8行" << 8;
}

void TestPrintSettings::rowsPerPage()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    Settings s;
    s.open();
    s.edit(QStringLiteral("行数"))->setText(text);
    QCOMPARE(s.window->request().rowsPerPage, rows);
}

void TestPrintSettings::colourOptionsExcludeEachOther()
{
    Settings s;
    s.open();
    const auto scheme = [&] {
        return s.window->request().colours[0];
    };
    const auto enabled = [&](const char* name) {
        return s.picker(QString::fromUtf8(name))->isEnabled();
    };

    s.click(QStringLiteral("自定义行"));
    QCOMPARE(scheme(), 2);
    QVERIFY(enabled("标题颜色") && enabled("奇行色") && enabled("偶行色"));
    QVERIFY(!enabled("标题颜色1") && !enabled("奇列色") && !enabled("偶列色"));

    s.click(QStringLiteral("自定义列"));
    QVERIFY(!s.checkBox(QStringLiteral("自定义行"))->isChecked());
    QCOMPARE(scheme(), 3);
    QVERIFY(!enabled("标题颜色") && !enabled("奇行色") && !enabled("偶行色"));
    QVERIFY(enabled("标题颜色1") && enabled("奇列色") && enabled("偶列色"));

    s.click(QStringLiteral("自定义列"));
    QCOMPARE(scheme(), 0);
    QVERIFY(!enabled("标题颜色1"));

    s.click(QStringLiteral("自定义行"));
    s.click(QStringLiteral("自配色"));
    QVERIFY(!s.checkBox(QStringLiteral("自定义行"))->isChecked());
    QVERIFY(!enabled("标题颜色"));
    QCOMPARE(s.window->request().colours, (std::array<int, 4>{1, int(rgbValue(222, 223, 206)),
                                                              int(rgbValue(239, 239, 222)), 0}));

    s.click(QStringLiteral("默认色"));
    QVERIFY(!s.checkBox(QStringLiteral("自配色"))->isChecked());
    QCOMPARE(s.window->request().colours, (std::array<int, 4>{0, 0, 0, 0}));
    s.click(QStringLiteral("自定义列"));
    QVERIFY(!s.checkBox(QStringLiteral("默认色"))->isChecked());
    QCOMPARE(scheme(), 3);
}

void TestPrintSettings::colourPickersChooseColours()
{
    Settings s;
    s.open();
    s.click(QStringLiteral("自定义行"));
    s.env.dialogs().answerColor(QColor(10, 20, 30));
    s.click(QStringLiteral("标题颜色"));
    s.env.dialogs().answerColor(std::nullopt);
    s.click(QStringLiteral("偶行色"));
    QCOMPARE(s.env.dialogs().choosers(), QStringList({"color", "color"}));
    QCOMPARE(s.window->request().colours,
             (std::array<int, 4>{2, int(rgbValue(10, 20, 30)), 0xFFFFFF, 0xFFFFFF}));
}

void TestPrintSettings::titleFontIsTheLastChoice()
{
    Settings s;
    s.open();
    // The colour chooser follows a confirmed font dialog; the colour is the decimal RGB value
    // with red in the low byte.
    QFont chosen(QStringLiteral("黑体"), 20);
    chosen.setBold(true);
    s.env.dialogs().answerFont(chosen);
    s.env.dialogs().answerColor(QColor(0, 0, 200));
    s.click(QStringLiteral("字体"));
    const QString blue = QString::number(200 << 16);
    QCOMPARE(s.window->request().titleFont, QStringList({"黑体", blue, "1", "20"}));
    QCOMPARE(s.env.dialogs().choosers(), QStringList({"font", "color"}));

    // A cancelled font dialog asks no colour and changes nothing.
    s.env.dialogs().answerFont(std::nullopt);
    s.click(QStringLiteral("字体"));
    QCOMPARE(s.window->request().titleFont, QStringList({"黑体", blue, "1", "20"}));
    QCOMPARE(s.env.dialogs().choosers().size(), 3);

    // A new font with the colour chooser cancelled keeps the colour.
    s.env.dialogs().answerFont(QFont(QStringLiteral("宋体"), 12));
    s.env.dialogs().answerColor(std::nullopt);
    s.click(QStringLiteral("字体"));
    QCOMPARE(s.window->request().titleFont, QStringList({"宋体", blue, "0", "12"}));
    QCOMPARE(s.env.dialogs().pending(), 0);
}

void TestPrintSettings::statisticsListFollowsTheColumns()
{
    Settings s;
    s.open();
    s.addColumn(QStringLiteral("金额"), QStringLiteral("[数量]*[单价]"));
    s.columns()->item(0)->setCheckState(Qt::Unchecked);
    s.click(QStringLiteral("打统计"));
    QVERIFY(s.statistics()->isEnabled());
    QVERIFY(s.statistics()->isVisible());
    QCOMPARE(s.child<QGroupBox>(QStringLiteral("分组框3"))->height(), 164);
    QCOMPARE(Settings::texts(s.statistics()), QStringList({"数量", "单价", "金额"}));
    for (int row = 0; row < s.statistics()->count(); ++row)
        QCOMPARE(s.statistics()->item(row)->checkState(), Qt::Unchecked);

    // A checked column clicked again is offered once more; an unchecked one leaves the list.
    Settings::clickItem(s.columns(), 1);
    Settings::clickItem(s.columns(), 1);
    QCOMPARE(Settings::texts(s.statistics()),
             QStringList({"数量", "单价", "金额", "数量", "数量"}));
    Settings::clickCheckBox(s.columns(), 1);
    QCOMPARE(s.columns()->item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(Settings::texts(s.statistics()), QStringList({"单价", "金额"}));
    Settings::clickCheckBox(s.columns(), 1);
    QCOMPARE(Settings::texts(s.statistics()), QStringList({"单价", "金额", "数量"}));
    s.columns()->item(1)->setCheckState(Qt::Unchecked);
    Settings::clickItem(s.columns(), 1);
    QCOMPARE(Settings::texts(s.statistics()), QStringList({"单价", "金额"}));

    s.statistics()->item(1)->setCheckState(Qt::Checked);
    s.statistics()->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(s.window->request().totals, QStringList({"二", "单价", "金额"}));

    s.click(QStringLiteral("打合计"));
    QVERIFY(!s.statistics()->isEnabled());
    QCOMPARE(s.statistics()->count(), 2);
    QCOMPARE(s.window->request().totals, QStringList{QStringLiteral("一")});
}

void TestPrintSettings::previewRefusals()
{
    Settings s;
    s.open();
    s.click(QStringLiteral("打统计"));
    s.env.dialogs().answerMessage();
    s.click(QStringLiteral("打印预览"));
    QCOMPARE(s.env.dialogs().texts(), QStringList{QStringLiteral("没有选择要进行统计的列！")});
    QCOMPARE(s.env.dialogs().last().title, kErrorTitle);
    QCOMPARE(s.env.dialogs().last().icon, MessageIcon::Error);
    QVERIFY(s.window->isVisible());

    // The column check comes first.
    s.env.dialogs().clear();
    for (int row = 0; row < s.columns()->count(); ++row)
        s.columns()->item(row)->setCheckState(Qt::Unchecked);
    s.env.dialogs().answerMessage();
    s.click(QStringLiteral("打印预览"));
    QCOMPARE(s.env.dialogs().texts(), QStringList{QStringLiteral("没有选择要进行打印的列！")});
    QCOMPARE(s.env.dialogs().last().title, kErrorTitle);
    QCOMPARE(s.env.dialogs().last().icon, MessageIcon::Error);
    QVERIFY(s.window->isVisible());
    QVERIFY(topLevel<QWidget>().size() == 1);
}

void TestPrintSettings::formulaWindowOffersCheckedColumns()
{
    Settings s;
    s.open();
    s.columns()->item(0)->setCheckState(Qt::Unchecked);
    QStringList offered;
    QString formula;
    bool focusOnFormula = false;
    int caret = -1;
    s.window->setDialogRunner([&](QDialog& dialog) {
        dialog.show();
        auto* columns = dialog.findChild<QComboBox*>(QStringLiteral("列内容"));
        auto* formulaBox = dialog.findChild<QLineEdit*>(QStringLiteral("公式编辑框"));
        [&] {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("公式设置"));
            QCOMPARE(dialog.size(), QSize(380 - 8, 231 - 30));
            QVERIFY(dialog.isModal());
            QCOMPARE(columns->geometry(), QRect(88, 41, 88, 20));
            QCOMPARE(dialog.focusWidget(),
                     dialog.findChild<QLineEdit*>(QStringLiteral("新列名编辑框")));
        }();
        for (int i = 0; i < columns->count(); ++i)
            offered.append(columns->itemText(i));
        // Choosing entries as the operator does, with the arrow keys.
        formulaBox->setText(QStringLiteral("2*"));
        columns->setFocus();
        QTest::keyClick(columns, Qt::Key_Down);
        formulaBox->insert(QStringLiteral("+"));
        columns->setFocus();
        QTest::keyClick(columns, Qt::Key_Down);
        formula = formulaBox->text();
        focusOnFormula = dialog.focusWidget() == formulaBox;
        caret = formulaBox->cursorPosition();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("取消")), Qt::LeftButton);
        return dialog.result();
    });
    s.click(QStringLiteral("添加"));
    QCOMPARE(offered, QStringList({"数量", "单价"}));
    QCOMPARE(formula, QStringLiteral("2*[数量]+[单价]"));
    QVERIFY(focusOnFormula);
    QCOMPARE(caret, formula.size());
    // Cancelled: nothing is added.
    QCOMPARE(s.customColumns()->count(), 0);
    QVERIFY(PrintSession::of(s.env.context()).customColumns().isEmpty());
}

void TestPrintSettings::formulaWindowRefusesEmptyEntries()
{
    Settings s;
    s.open();
    QList<bool> stillOpen;
    s.window->setDialogRunner([&](QDialog& dialog) {
        dialog.show();
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("新列名编辑框"));
        auto* formula = dialog.findChild<QLineEdit*>(QStringLiteral("公式编辑框"));
        auto* confirm = dialog.findChild<QPushButton*>(QStringLiteral("确定"));
        s.env.dialogs().answerMessage();
        formula->setText(QStringLiteral("1+1"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        stillOpen.append(dialog.isVisible());
        s.env.dialogs().answerMessage();
        name->setText(QStringLiteral("合计"));
        formula->clear();
        QTest::mouseClick(confirm, Qt::LeftButton);
        stillOpen.append(dialog.isVisible());
        formula->setText(QStringLiteral("1+1"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        stillOpen.append(dialog.isVisible());
        return dialog.result();
    });
    s.click(QStringLiteral("添加"));
    QCOMPARE(stillOpen, QList<bool>({true, true, false}));
    const QString refusal = QStringLiteral("自定义列标题或者公式填写错误！");
    QCOMPARE(s.env.dialogs().texts(), QStringList({refusal, refusal}));
    QCOMPARE(s.env.dialogs().last().title, QStringLiteral("提示"));
    QCOMPARE(s.env.dialogs().last().icon, MessageIcon::Error);
    QCOMPARE(PrintSession::of(s.env.context()).customColumns(),
             CustomColumns({{QStringLiteral("合计"), QStringLiteral("1+1")}}));
}

void TestPrintSettings::customColumnsAreAddedAndDeleted()
{
    Settings s;
    s.open();
    s.addColumn(QStringLiteral("金额"), QStringLiteral("[数量]*[单价]"));
    s.addColumn(QStringLiteral("双倍"), QStringLiteral("[数量]*2"));
    const CustomColumns both = {{QStringLiteral("金额"), QStringLiteral("[数量]*[单价]")},
                                {QStringLiteral("双倍"), QStringLiteral("[数量]*2")}};
    QCOMPARE(PrintSession::of(s.env.context()).customColumns(), both);
    QCOMPARE(s.window->request().customColumns, both);
    QCOMPARE(Settings::texts(s.customColumns()), QStringList({"金额", "双倍"}));
    QCOMPARE(Settings::texts(s.statistics()), QStringList({"金额", "双倍"}));
    QCOMPARE(s.statistics()->item(0)->checkState(), Qt::Unchecked);

    // A right-button release on the list pops the menu up.
    auto* menu = s.child<QMenu>(QStringLiteral("右键菜单"));
    QTest::mouseRelease(s.customColumns()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(menu->isVisible());
    menu->hide();

    auto* remove = s.window->findChild<QAction*>(QStringLiteral("删除"));
    QVERIFY(remove);
    s.env.dialogs().answerMessage();
    remove->trigger();
    QCOMPARE(s.env.dialogs().texts(), QStringList{QStringLiteral("没有选择任何要删除的列名！")});
    QCOMPARE(s.env.dialogs().last().title, QStringLiteral("提示"));
    QCOMPARE(s.env.dialogs().last().icon, MessageIcon::Information);
    QCOMPARE(s.customColumns()->count(), 2);

    Settings::clickItem(s.customColumns(), 0);
    remove->trigger();
    QCOMPARE(Settings::texts(s.customColumns()), QStringList{QStringLiteral("双倍")});
    QCOMPARE(Settings::texts(s.statistics()), QStringList{QStringLiteral("双倍")});
    QCOMPARE(PrintSession::of(s.env.context()).customColumns(), CustomColumns{both.at(1)});

    // Nothing stays selected: "删除" again refuses instead of taking the remaining column.
    s.env.dialogs().answerMessage();
    remove->trigger();
    QCOMPARE(s.env.dialogs().texts().size(), 2);
    QCOMPARE(s.env.dialogs().last().text, QStringLiteral("没有选择任何要删除的列名！"));
    QCOMPARE(Settings::texts(s.customColumns()), QStringList{QStringLiteral("双倍")});
}

void TestPrintSettings::previewBuildsTheReportAndCloses()
{
    Settings s;
    s.open();
    s.edit(QStringLiteral("标题"))->setText(QStringLiteral("库存清单"));
    s.click(QStringLiteral("打印预览"));
    QVERIFY(!s.window->isVisible());
    QVERIFY(s.env.dialogs().shown().isEmpty());
    QCOMPARE(s.stored(QStringLiteral("标题")).toString(), QStringLiteral("库存清单"));
    QStringList titles;
    for (QWidget* window : topLevel<QWidget>())
        titles.append(window->windowTitle());
    QVERIFY2(titles.contains(QStringLiteral("打印预览")), qPrintable(titles.join(',')));
}

void TestPrintSettings::computedColumnAndStatisticsArePrinted()
{
    Settings s;
    s.list->clear();
    s.list->setColumns({{QStringLiteral("产品名称"), 100, Qt::AlignLeft},
                        {QStringLiteral("产品库存"), 60, Qt::AlignRight}});
    s.list->appendRows({{QStringLiteral("螺丝"), QStringLiteral("120")},
                        {QStringLiteral("螺母"), QStringLiteral("7.5")},
                        {QStringLiteral("垫片"), QStringLiteral("-0.25")}});
    s.open();
    s.edit(QStringLiteral("标题"))->setText(QStringLiteral("库存报表"));
    s.env.dialogs().answerFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 24));
    s.env.dialogs().answerColor(QColor(200, 0, 0));
    s.click(QStringLiteral("字体"));
    s.addColumn(QStringLiteral("负两倍"), QStringLiteral("[产品库存]*-2"));
    s.click(QStringLiteral("打统计"));
    QCOMPARE(Settings::texts(s.statistics()), QStringList({"产品名称", "产品库存", "负两倍"}));
    s.statistics()->item(1)->setCheckState(Qt::Checked);
    s.statistics()->item(2)->setCheckState(Qt::Checked);
    s.click(QStringLiteral("打印预览"));
    const QList<PreviewWindow*> previews = topLevel<PreviewWindow>();
    QCOMPARE(previews.size(), 1);
    PreviewWindow& preview = *previews.first();

    // Edge, 产品名称, 产品库存, 负两倍, edge; the statistics row under the three data rows.
    ReportTable& report = preview.report();
    QCOMPARE(report.style(1, 2).textColour, rgbValue(200, 0, 0));
    QCOMPARE(report.text(4, 4), QStringLiteral("负两倍"));
    QCOMPARE(report.text(5, 4), QStringLiteral("-240"));
    QCOMPARE(report.text(6, 4), QStringLiteral("-15"));
    QCOMPARE(report.text(7, 4), QStringLiteral("0.5"));
    QCOMPARE(report.text(8, 3), QStringLiteral("127.25"));
    QCOMPARE(report.text(8, 4), QStringLiteral("-254.5"));

    // The title is drawn in its colour.
    const ReportLayout layout = layoutReport(report);
    const QSize paper = layout.paper;
    QImage page(paper, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    ReportPainter(report, layout).paintPage(painter, 0);
    painter.end();
    int redPixels = 0;
    for (int y = 0; y < paper.height() / 4; ++y)
        for (int x = 0; x < paper.width(); ++x)
            redPixels += page.pixel(x, y) == qRgb(200, 0, 0) ? 1 : 0;
    QVERIFY2(redPixels > 100, qPrintable(QString::number(redPixels)));

    // Printed to a file: the numbers are in the PDF's text.
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("库存报表.pdf"));
    preview.setDialogRunner([&pdf](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("选择框_打印到文件"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("编辑框_文件名"))->setText(pdf);
        dialog.findChild<QPushButton*>(QStringLiteral("按钮_确认"))->click();
        return dialog.result();
    });
    QTest::mouseClick(preview.findChild<QPushButton*>(QStringLiteral("按钮_打印")), Qt::LeftButton);
    QVERIFY(QFileInfo(pdf).size() > 1000);
    const QString pdfToText = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdfToText.isEmpty(), "pdftotext (poppler-utils) is needed to read the PDF");
    QProcess reader;
    reader.start(pdfToText, {pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(30000));
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    for (const char* expected : {"库存报表", "负两倍", "-240", "-15", "0.5", "127.25", "-254.5"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(text));
}

void TestPrintSettings::printEntryOpensAnOwnerlessWindow()
{
    Settings s;
    auto* other = new ReportList(s.sourceWindow.get());
    other->setColumns({{QStringLiteral("单号"), 80, Qt::AlignLeft}});
    openPrintSettings(s.env.context(), s.sourceWindow.get(), other);
    const QList<PrintSettingsWindow*> windows = topLevel<PrintSettingsWindow>();
    QCOMPARE(windows.size(), 1);
    PrintSettingsWindow* window = windows.first();
    QVERIFY(!window->parentWidget());
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!window->isModal());
    QCOMPARE(PrintSession::of(s.env.context()).source(), other);
    QCOMPARE(Settings::texts(window->findChild<QListWidget*>(QStringLiteral("显示列表框"))),
             QStringList{QStringLiteral("单号")});
    window->close();
    QVERIFY(topLevel<PrintSettingsWindow>().isEmpty());
}

void TestPrintSettings::mainWindowPrintsTheStockList()
{
    Settings s;
    s.env.context().setSessionUser(QStringLiteral("zhang"));
    MainWindow main(s.env.context());
    main.show();
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("按钮_打印")), Qt::LeftButton);
    auto* stock = main.findChild<ReportList*>(QStringLiteral("超级列表框主"));
    QCOMPARE(PrintSession::of(s.env.context()).source(), stock);
    QCOMPARE(PrintSession::of(s.env.context()).sourceWindow(), &main);
    const QList<PrintSettingsWindow*> windows = topLevel<PrintSettingsWindow>();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(
        Settings::texts(windows.first()->findChild<QListWidget*>(QStringLiteral("显示列表框"))),
        QStringList({"序号", "入库单号", "产品ID", "产品名称", "产品库存", "产品单位", "备注"}));
    QVERIFY(s.env.dialogs().shown().isEmpty());
}

QTEST_MAIN(TestPrintSettings)
#include "test_printsettings.moc"
