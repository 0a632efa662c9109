// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit: dialog service, input box, typing filters, Enter chains, report list, geometry.
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/inputbox.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"
#include "ui/reportlist.h"
#include "ui/textpool.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

namespace
{

// Keeps the requests that reach the boxes instead of showing them.
class CapturingDialogs : public DialogService
{
public:
    MessageRequest lastMessage;
    InputRequest lastInput;

protected:
    MessageAnswer showMessage(const MessageRequest& request) override
    {
        lastMessage = request;
        return MessageAnswer::Ok;
    }
    std::optional<QString> showInput(const InputRequest& request) override
    {
        lastInput = request;
        return QStringLiteral("42");
    }
};

// The real service, with its boxes reachable from a test.
class OpenWidgetDialogs : public WidgetDialogService
{
public:
    using WidgetDialogService::showInput;
    using WidgetDialogService::showMessage;
};

// Acts on the modal box once its event loop runs.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        act(box);
    });
}

// Types a text key by key, Chinese and full-width characters too (keyClicks takes Latin-1 only).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QList<ReportColumn> threeColumns()
{
    return {{QStringLiteral("序号"), 50, Qt::AlignLeft},
            {QStringLiteral("产品名称"), 120, Qt::AlignLeft},
            {QStringLiteral("产品库存"), 80, Qt::AlignRight}};
}

std::vector<QStringList> numberedRows(int count)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(
            {QString::number(i + 1), QStringLiteral("产品%1").arg(i), QString::number(i)});
    return rows;
}

} // namespace

class TestUi : public QObject
{
    Q_OBJECT

private slots:
    void leadingIntegerReads_data();
    void leadingIntegerReads();

    void typingFilter_data();
    void typingFilter();
    void typingFilterLetsEditingAndPastingPass();

    void enterMovesFocusAndRunsAction();
    void enterInEditableComboBox();
    void radioArrows();

    void inputBoxShowsRequest();
    void inputBoxModes();
    void inputBoxAcceptAndCancel();
    void inputServiceReturnsTextOrNothing();

    void messageBoxBuilt_data();
    void messageBoxBuilt();
    void messageAnswerOnClose_data();
    void messageAnswerOnClose();
    void messageServiceRunsBox();
    void messageDefaultTitle();
    void messageBoxWideEnoughForTitle();
    void saveFileDialogAddsSuffixBeforeOverwriteQuestion();

    void reportModelPassesTester();
    void reportListCells();
    void reportRowsKeepEveryText();
    void textPoolCopiesWriteApart();
    void reportListCurrentRow();
    void reportListMouseAndKeyboard();
    void reportListFocusWithoutSelection();

    void placeWindowSetsClientSize();
    void ownedWindowStaysWithOwner();
};

void TestUi::leadingIntegerReads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("digits") << QStringLiteral("12") << qint64(12);
    QTest::newRow("negative") << QStringLiteral("-3") << qint64(-3);
    QTest::newRow("blanks and tail") << QStringLiteral("  7x") << qint64(7);
    QTest::newRow("empty") << QString() << qint64(0);
    QTest::newRow("letters") << QStringLiteral("abc") << qint64(0);
    QTest::newRow("double minus") << QStringLiteral("--2") << qint64(0);
    QTest::newRow("plus") << QStringLiteral("+5") << qint64(5);
    QTest::newRow("minus inside") << QStringLiteral("12-3") << qint64(12);
    QTest::newRow("lone minus") << QStringLiteral("-") << qint64(0);
    QTest::newRow("too long") << QStringLiteral("99999999999999999999")
                              << std::numeric_limits<qint64>::max();
}

void TestUi::leadingIntegerReads()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(leadingInteger(text), expected);
}

void TestUi::typingFilter_data()
{
    QTest::addColumn<bool>("decimal");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("integer") << false << QStringLiteral("1a2.-3") << QStringLiteral("12-3");
    QTest::newRow("decimal") << true << QStringLiteral("1a2.-3") << QStringLiteral("12.-3");
    QTest::newRow("integer, blanks and wide digits")
        << false << QStringLiteral(" 4 ５+6") << QStringLiteral("46");
    QTest::newRow("decimal, Chinese")
        << true << QStringLiteral("单价7.5元") << QStringLiteral("7.5");
}

void TestUi::typingFilter()
{
    QFETCH(bool, decimal);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QLineEdit box;
    if (decimal)
        installDecimalFilter(&box);
    else
        installIntegerFilter(&box);
    typeText(&box, typed);
    QCOMPARE(box.text(), expected);
}

void TestUi::typingFilterLetsEditingAndPastingPass()
{
    QLineEdit box;
    installIntegerFilter(&box);
    QTest::keyClicks(&box, QStringLiteral("123"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_Delete);
    QCOMPARE(box.text(), QStringLiteral("2"));

    box.setText(QStringLiteral("1.5abc"));
    QCOMPARE(box.text(), QStringLiteral("1.5abc"));
    box.clear();
    box.insert(QStringLiteral("数量 3"));
    QCOMPARE(box.text(), QStringLiteral("数量 3"));

    // Ctrl+A, Ctrl+V: the clipboard's text replaces the box's, unfiltered.
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("2.5个"));
    if (clipboard->text() != QStringLiteral("2.5个"))
        QSKIP("no clipboard on this platform");
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.text(), QStringLiteral("2.5个"));
}

void TestUi::enterMovesFocusAndRunsAction()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit(&window);
    auto* second = new QLineEdit(&window);
    auto* button = new QPushButton(QStringLiteral("确定"), &window);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(button);
    int runs = 0;
    onEnterFocus(first, second);
    onEnter(second, [&runs] { ++runs; });
    onEnter(button, [&runs] { ++runs; });
    QSignalSpy returns(first, &QLineEdit::returnPressed);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    QVERIFY(!window.testAttribute(Qt::WA_KeyboardFocusChange));
    QTest::keyClick(first, Qt::Key_Return);
    QVERIFY(second->hasFocus());
    QVERIFY(window.testAttribute(Qt::WA_KeyboardFocusChange)); // the focus cue shows
    QCOMPARE(returns.count(), 0);                              // the key is consumed
    QCOMPARE(runs, 0);
    QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(runs, 1);
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(runs, 2);
    QTest::keyClick(second, Qt::Key_Tab);
    QCOMPARE(runs, 2);
}

void TestUi::enterInEditableComboBox()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* combo = new QComboBox(&window);
    combo->setEditable(true);
    combo->addItems({QStringLiteral("个"), QStringLiteral("箱")});
    auto* next = new QLineEdit(&window);
    layout->addWidget(combo);
    layout->addWidget(next);
    onEnterFocus(combo, next);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    combo->setFocus();
    combo->setEditText(QStringLiteral("台"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QVERIFY(next->hasFocus());
    QCOMPARE(combo->count(), 2); // Enter did not insert the typed unit
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(next->hasFocus());
    QCOMPARE(combo->count(), 2);
}

void TestUi::radioArrows()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* upper = new QRadioButton(QStringLiteral("影响库存"), &window);
    auto* lower = new QRadioButton(QStringLiteral("不影响库存"), &window);
    layout->addWidget(upper);
    layout->addWidget(lower);
    upper->setChecked(true);
    pairRadioArrows(upper, lower);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    upper->setFocus();
    QTest::keyClick(upper, Qt::Key_Down);
    QVERIFY(lower->hasFocus());
    QVERIFY(lower->isChecked());
    QVERIFY(!upper->isChecked());
    QTest::keyClick(lower, Qt::Key_Up);
    QVERIFY(upper->hasFocus());
    QVERIFY(upper->isChecked());
}

void TestUi::inputBoxShowsRequest()
{
    InputRequest request;
    request.prompt = QStringLiteral("请扫描条形码或手动输入产品ID\r\n***产品ID为必填内容***\r\n"
                                    "产品ID为以后查找货物的重要条件");
    request.title = QStringLiteral("扫描窗口");
    request.initialText = QStringLiteral("6901234");
    InputBox box(request);
    QCOMPARE(box.windowTitle(), QStringLiteral("扫描窗口"));
    QCOMPARE(box.windowModality(), Qt::ApplicationModal);
    auto* prompt = box.findChild<QLabel*>();
    QVERIFY(prompt);
    QCOMPARE(prompt->text(), QStringLiteral("请扫描条形码或手动输入产品ID\n***产品ID为必填内容***\n"
                                            "产品ID为以后查找货物的重要条件"));
    QCOMPARE(box.confirmButton()->text(), QStringLiteral("确认输入(&O)"));
    QCOMPARE(box.cancelButton()->text(), QStringLiteral("取消(&C)"));
    QVERIFY(box.confirmButton()->isDefault());
    QCOMPARE(box.editBox()->echoMode(), QLineEdit::Normal);
    QCOMPARE(box.editBox()->selectedText(), QStringLiteral("6901234"));

    box.show();
    QApplication::setActiveWindow(&box);
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QVERIFY(box.editBox()->hasFocus());
    QCOMPARE(box.editBox()->selectedText(), QStringLiteral("6901234"));
    // Typing replaces the selected initial text; the text mode takes anything.
    QTest::keyClicks(box.editBox(), QStringLiteral("ab 1.5"));
    QCOMPARE(box.text(), QStringLiteral("ab 1.5"));
}

void TestUi::inputBoxModes()
{
    InputRequest request;
    request.title = QStringLiteral("数量");
    request.initialText = QStringLiteral("1");
    request.mode = InputMode::Integer;
    InputBox integerBox(request);
    QTest::keyClicks(integerBox.editBox(), QStringLiteral("1a2.-3"));
    QCOMPARE(integerBox.text(), QStringLiteral("12-3"));

    request.mode = InputMode::Password;
    InputBox passwordBox(request);
    QCOMPARE(passwordBox.editBox()->echoMode(), QLineEdit::Password);
    typeText(passwordBox.editBox(), QStringLiteral("密码a.1"));
    QCOMPARE(passwordBox.text(), QStringLiteral("密码a.1"));
}

void TestUi::inputBoxAcceptAndCancel()
{
    InputRequest request;
    request.title = QStringLiteral("数量");
    {
        InputBox box(request);
        box.show();
        QTest::keyClicks(box.editBox(), QStringLiteral("7"));
        QTest::mouseClick(box.confirmButton(), Qt::LeftButton);
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QCOMPARE(box.text(), QStringLiteral("7"));
    }
    {
        InputBox box(request);
        box.show();
        QTest::mouseClick(box.cancelButton(), Qt::LeftButton);
        QCOMPARE(box.result(), int(QDialog::Rejected));
    }
    {
        InputBox box(request);
        box.show();
        QApplication::setActiveWindow(&box);
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(box.editBox(), Qt::Key_Return); // the default button
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }
    {
        InputBox box(request);
        box.show();
        QApplication::setActiveWindow(&box);
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(box.editBox(), Qt::Key_Escape);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Rejected));
    }
}

void TestUi::inputServiceReturnsTextOrNothing()
{
    OpenWidgetDialogs dialogs;
    InputRequest request;
    request.prompt = QStringLiteral("请输入数量");
    request.title = QStringLiteral("数量");
    request.initialText = QStringLiteral("1");
    request.mode = InputMode::Integer;

    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<InputBox*>(modal);
        QVERIFY(box);
        typeText(box->editBox(), QStringLiteral("25个"));
        box->confirmButton()->click();
    });
    QCOMPARE(dialogs.showInput(request), std::optional<QString>(QStringLiteral("25")));

    whenModal([](QWidget* modal) { qobject_cast<InputBox*>(modal)->cancelButton()->click(); });
    QCOMPARE(dialogs.showInput(request), std::nullopt);

    whenModal([](QWidget* modal) { modal->close(); });
    QCOMPARE(dialogs.showInput(request), std::nullopt);
}

void TestUi::messageBoxBuilt_data()
{
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("boxIcon");
    QTest::addColumn<QMessageBox::StandardButtons>("boxButtons");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    QTest::newRow("none, ok") << MessageIcon::None << MessageButtons::Ok << QMessageBox::NoIcon
                              << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok;
    QTest::newRow("information, ok")
        << MessageIcon::Information << MessageButtons::Ok << QMessageBox::Information
        << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok;
    QTest::newRow("question, yes no")
        << MessageIcon::Question << MessageButtons::YesNo << QMessageBox::Question
        << (QMessageBox::Yes | QMessageBox::No) << QMessageBox::Yes;
    QTest::newRow("warning, ok cancel")
        << MessageIcon::Warning << MessageButtons::OkCancel << QMessageBox::Warning
        << (QMessageBox::Ok | QMessageBox::Cancel) << QMessageBox::Ok;
    QTest::newRow("error, ok") << MessageIcon::Error << MessageButtons::Ok << QMessageBox::Critical
                               << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok;
}

void TestUi::messageBoxBuilt()
{
    QFETCH(MessageIcon, icon);
    QFETCH(MessageButtons, buttons);
    QFETCH(QMessageBox::Icon, boxIcon);
    QFETCH(QMessageBox::StandardButtons, boxButtons);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    QWidget owner;
    MessageRequest request;
    request.owner = &owner;
    request.text = QStringLiteral("产品<b>甲</b> & 乙\r\n第二行");
    request.title = QStringLiteral("提示");
    request.icon = icon;
    request.buttons = buttons;
    const std::unique_ptr<QMessageBox> box = buildMessageBox(request);
    QCOMPARE(box->windowTitle(), QStringLiteral("提示"));
    QCOMPARE(box->text(), QStringLiteral("产品<b>甲</b> & 乙\n第二行"));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QCOMPARE(box->icon(), boxIcon);
    QCOMPARE(box->standardButtons(), boxButtons);
    QCOMPARE(box->standardButton(box->defaultButton()), defaultButton);
    const QHash<QMessageBox::StandardButton, QString> captions = {
        {QMessageBox::Ok, QStringLiteral("确定")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
        {QMessageBox::Yes, QStringLiteral("是(&Y)")},
        {QMessageBox::No, QStringLiteral("否(&N)")}};
    for (QAbstractButton* button : box->buttons())
        QCOMPARE(button->text(), captions.value(box->standardButton(button)));
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    QCOMPARE(box->parentWidget(), &owner);

    request.owner = nullptr;
    QCOMPARE(buildMessageBox(request)->parentWidget(), nullptr);
}

void TestUi::messageAnswerOnClose_data()
{
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("pressed"); // NoButton: closed
    QTest::addColumn<MessageAnswer>("expected");
    QTest::newRow("ok") << MessageButtons::Ok << QMessageBox::Ok << MessageAnswer::Ok;
    QTest::newRow("ok closed") << MessageButtons::Ok << QMessageBox::NoButton << MessageAnswer::Ok;
    QTest::newRow("ok of two") << MessageButtons::OkCancel << QMessageBox::Ok << MessageAnswer::Ok;
    QTest::newRow("cancel") << MessageButtons::OkCancel << QMessageBox::Cancel
                            << MessageAnswer::Cancel;
    QTest::newRow("ok cancel closed")
        << MessageButtons::OkCancel << QMessageBox::NoButton << MessageAnswer::Cancel;
    QTest::newRow("yes") << MessageButtons::YesNo << QMessageBox::Yes << MessageAnswer::Yes;
    QTest::newRow("no") << MessageButtons::YesNo << QMessageBox::No << MessageAnswer::No;
    QTest::newRow("yes no closed")
        << MessageButtons::YesNo << QMessageBox::NoButton << MessageAnswer::No;
}

void TestUi::messageAnswerOnClose()
{
    QFETCH(MessageButtons, buttons);
    QFETCH(QMessageBox::StandardButton, pressed);
    QFETCH(MessageAnswer, expected);
    MessageRequest request;
    request.text = QStringLiteral("您确定退出本程序？");
    request.buttons = buttons;
    const std::unique_ptr<QMessageBox> box = buildMessageBox(request);
    box->show();
    if (pressed == QMessageBox::NoButton)
        QVERIFY(box->close());
    else
        box->button(pressed)->click();
    QVERIFY(!box->isVisible());
    QCOMPARE(messageAnswer(*box, buttons), expected);
}

void TestUi::messageServiceRunsBox()
{
    OpenWidgetDialogs dialogs;
    MessageRequest request;
    request.text = QStringLiteral("确定要删除吗？");
    request.title = QStringLiteral("警告");
    request.buttons = MessageButtons::YesNo;
    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("警告"));
        box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(dialogs.showMessage(request), MessageAnswer::Yes);
    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QCOMPARE(dialogs.showMessage(request), MessageAnswer::No);
}

void TestUi::messageDefaultTitle()
{
    CapturingDialogs dialogs;
    QWidget owner;
    dialogs.message(&owner, QStringLiteral("操作成功"));
    QCOMPARE(dialogs.lastMessage.title, QStringLiteral("信息："));
    QCOMPARE(dialogs.lastMessage.text, QStringLiteral("操作成功"));
    QCOMPARE(dialogs.lastMessage.owner, &owner);
    QCOMPARE(dialogs.lastMessage.icon, MessageIcon::None);
    QCOMPARE(dialogs.lastMessage.buttons, MessageButtons::Ok);
    dialogs.message(nullptr, QStringLiteral("x"), QStringLiteral("错误"), MessageIcon::Error);
    QCOMPARE(dialogs.lastMessage.title, QStringLiteral("错误"));
    QCOMPARE(dialogs.lastMessage.icon, MessageIcon::Error);

    const auto answer = dialogs.input(&owner, QStringLiteral("数量"), QStringLiteral("输入"),
                                      QStringLiteral("1"), InputMode::Integer);
    QCOMPARE(answer, std::optional<QString>(QStringLiteral("42")));
    QCOMPARE(dialogs.lastInput.prompt, QStringLiteral("数量"));
    QCOMPARE(dialogs.lastInput.title, QStringLiteral("输入"));
    QCOMPARE(dialogs.lastInput.initialText, QStringLiteral("1"));
    QCOMPARE(dialogs.lastInput.mode, InputMode::Integer);
    QCOMPARE(dialogs.lastInput.owner, &owner);
}

void TestUi::saveFileDialogAddsSuffixBeforeOverwriteQuestion()
{
    QTemporaryDir folder;
    const QString existing = folder.filePath(QStringLiteral("月报.prn"));
    QVERIFY(QFile(existing).open(QIODevice::WriteOnly));

    // A name typed without its suffix: the overwrite question is about the file that exists.
    OpenWidgetDialogs dialogs;
    QString question;
    whenModal([&question](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->selectFile(QStringLiteral("月报"));
        whenModal([&question](QWidget* box) {
            question = qobject_cast<QMessageBox*>(box)->text();
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
        });
        static_cast<QDialog*>(dialog)->accept(); // the file dialog's own accept
    });
    const std::optional<QString> chosen = dialogs.chooseSaveFile(
        nullptr, QStringLiteral("请选择欲打印到文件名:"),
        folder.filePath(QStringLiteral("out.prn")),
        QStringLiteral("打印输出文件 (*.prn);;所有文件 (*.*)"), QStringLiteral("prn"));
    QVERIFY(question.contains(QStringLiteral("月报.prn")));
    QCOMPARE(chosen, std::optional<QString>(existing));
}

void TestUi::messageBoxWideEnoughForTitle()
{
    MessageRequest request;
    request.text = QStringLiteral("操作成功");
    request.title = QStringLiteral("提示");
    const std::unique_ptr<QMessageBox> shortBox = buildMessageBox(request);
    shortBox->show();
    QVERIFY(shortBox->width() >= 200);

    request.title = QStringLiteral("一个相当长的标题，比提示的文字长得多");
    const std::unique_ptr<QMessageBox> longBox = buildMessageBox(request);
    longBox->show();
    QFont titleFont = longBox->font();
    titleFont.setBold(true);
    QVERIFY(longBox->width() >= QFontMetrics(titleFont).horizontalAdvance(request.title) + 140);
}

void TestUi::reportModelPassesTester()
{
    ReportListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumns(threeColumns());
    model.appendRows(numberedRows(5));
    model.appendRows({});
    const int row = model.appendRow(QStringLiteral("6"));
    model.setCell(row, 2, QStringLiteral("9"));
    model.appendRows(numberedRows(3));
    QCOMPARE(model.rowCount(), 9);
    QCOMPARE(model.data(model.index(1, 2), Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("产品名称"));
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    model.appendRows(numberedRows(2));
}

void TestUi::reportListCells()
{
    ReportList list;
    list.setColumns(threeColumns());
    QCOMPARE(list.columnCount(), 3);
    QCOMPARE(list.columnTitle(2), QStringLiteral("产品库存"));
    QCOMPARE(list.header()->sectionSize(1), 120);
    QVERIFY(!list.rootIsDecorated());
    QVERIFY(!list.isSortingEnabled());

    QCOMPARE(list.appendRow(QStringLiteral("1")), 0);
    QCOMPARE(list.appendRow(QStringLiteral("2")), 1);
    list.setCell(1, 2, QStringLiteral("12.5"));
    QCOMPARE(list.cellText(1, 2), QStringLiteral("12.5"));
    QCOMPARE(list.cellText(1, 1), QString());
    QCOMPARE(list.cellText(0, 0), QStringLiteral("1"));
    // Out of range: nothing happens, nothing is read.
    list.setCell(2, 0, QStringLiteral("x"));
    list.setCell(0, 3, QStringLiteral("x"));
    list.setCell(-1, 0, QStringLiteral("x"));
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(list.cellText(0, 3), QString());
    QCOMPARE(list.cellText(5, 0), QString());
    QCOMPARE(list.cellText(-1, 0), QString());

    list.appendRows(numberedRows(3));
    QCOMPARE(list.rowCount(), 5);
    QCOMPARE(list.cellText(4, 1), QStringLiteral("产品2"));
    list.clear();
    QCOMPARE(list.rowCount(), 0);
    QCOMPARE(list.columnCount(), 3);
}

void TestUi::reportRowsKeepEveryText()
{
    // UTF-16 and UTF-8 cells side by side (odd lengths move the next UTF-16 text off an even
    // byte), a lone surrogate, bytes that are no UTF-8, a text longer than a block, a row that
    // grows in the middle, and rows moved over from another set.
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    const QByteArray notUtf8("\xff\xfe");
    const QString longText(40000, QChar(0x4E2D));
    ReportRows rows;
    rows.beginRow();
    rows.addCellUtf8("abc");
    rows.addCell(lone);
    rows.addCellUtf8(QByteArrayView(notUtf8));
    rows.addCell(longText);
    rows.beginRow();
    rows.addCell(QStringLiteral("一"));
    rows.beginRow();
    rows.addCellUtf8("x");
    rows.setCell(1, 3, QStringLiteral("四"));
    rows.setCell(0, 0, QStringLiteral("甲"));
    ReportRows more;
    more.addRow({QStringLiteral("😀"), QString()});
    rows.append(std::move(more));

    const QList<QStringList> expected = {
        {QStringLiteral("甲"), lone, QString::fromUtf8(notUtf8), longText},
        {QStringLiteral("一"), QString(), QString(), QStringLiteral("四")},
        {QStringLiteral("x")},
        {QStringLiteral("😀"), QString()}};
    QCOMPARE(rows.rowCount(), int(expected.size()));
    for (int r = 0; r < rows.rowCount(); ++r) {
        QCOMPARE(rows.cellCount(r), int(expected.at(r).size()));
        for (int c = 0; c <= rows.cellCount(r); ++c)
            QCOMPARE(rows.cell(r, c), expected.at(r).value(c));
    }
    QCOMPARE(more.rowCount(), 0);
    rows.clear();
    QCOMPARE(rows.rowCount(), 0);
    QCOMPARE(rows.cell(0, 0), QString());
}

void TestUi::textPoolCopiesWriteApart()
{
    // A copy shares the blocks written so far: what either writes next never lands on the
    // other's texts, and a pool that shares another's blocks keeps reading them after the other
    // is cleared. A text beyond the 23 bits of an ordinary length keeps all of it.
    TextPool pool;
    const QString huge(5000000, QChar(0x4E2D)); // 10,000,000 bytes
    const QList<QPair<TextPool::Ref, QString>> first = {
        {pool.add(QStringLiteral("甲乙")), QStringLiteral("甲乙")},
        {pool.addUtf8("abc"), QStringLiteral("abc")},
        {pool.add(QString()), QString()},
        {pool.add(huge), huge},
        {pool.addUtf8("x"), QStringLiteral("x")}};
    QVERIFY(TextPool::isEmpty(first.at(2).first));
    TextPool copy = pool;
    const TextPool::Ref inPool = pool.add(QStringLiteral("原来的"));
    const TextPool::Ref inCopy = copy.add(QStringLiteral("复制的"));
    QCOMPARE(pool.text(inPool), QStringLiteral("原来的"));
    QCOMPARE(copy.text(inCopy), QStringLiteral("复制的"));

    TextPool sharing;
    sharing.addUtf8("own");
    const TextPool::Shift shift = sharing.share(pool);
    pool.clear();
    for (const auto& [ref, text] : first) {
        QCOMPARE(copy.text(ref), text);
        QCOMPARE(sharing.text(TextPool::shifted(ref, shift)), text);
    }
    QCOMPARE(sharing.text(TextPool::shifted(inPool, shift)), QStringLiteral("原来的"));
    QCOMPARE(pool.text(0), QString());
}

void TestUi::reportListCurrentRow()
{
    ReportList list;
    list.setColumns(threeColumns());
    list.appendRows(numberedRows(5));
    QSignalSpy changes(&list, &ReportList::currentRowChanged);
    QCOMPARE(list.currentRow(), -1);

    list.setCurrentRow(2);
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.last().at(0).toInt(), 2);
    list.setCurrentRow(2);
    QCOMPARE(changes.count(), 1);

    // Appending keeps the selection.
    list.appendRows(numberedRows(2));
    list.appendRow(QStringLiteral("8"));
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(changes.count(), 1);

    list.clear();
    QCOMPARE(list.currentRow(), -1);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(changes.last().at(0).toInt(), -1);
    list.clear();
    QCOMPARE(changes.count(), 2);

    list.appendRows(numberedRows(5));
    list.setCurrentRow(4);
    list.setCurrentRow(7);
    QCOMPARE(list.currentRow(), -1);
    QCOMPARE(changes.count(), 4);
}

void TestUi::reportListMouseAndKeyboard()
{
    ReportList list;
    list.setColumns(threeColumns());
    list.appendRows(numberedRows(10));
    list.resize(400, 300);
    list.show();
    QApplication::setActiveWindow(&list);
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QSignalSpy changes(&list, &ReportList::currentRowChanged);

    const QRect third = list.visualRect(list.reportModel()->index(3, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(list.currentRow(), 3);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.last().at(0).toInt(), 3);

    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.currentRow(), 4);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(changes.last().at(0).toInt(), 4);
    QTest::keyClick(&list, Qt::Key_Up);
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(changes.count(), 4);
}

void TestUi::reportListFocusWithoutSelection()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QLineEdit(&window);
    auto* list = new ReportList(&window);
    layout->addWidget(box);
    layout->addWidget(list);
    list->setColumns(threeColumns());
    list->appendRows(numberedRows(4));
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy changes(list, &ReportList::currentRowChanged);

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(list->hasFocus());
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(changes.count(), 0);

    // The first arrow key selects the first row.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(changes.count(), 1);
}

void TestUi::placeWindowSetsClientSize()
{
    QWidget window;
    placeWindow(&window, 50, 50, 830, 588);
    QCOMPARE(window.pos(), QPoint(50, 50));
    QCOMPARE(window.size(), QSize(830 - kFrameWidth, 588 - kFrameHeight));
}

void TestUi::ownedWindowStaysWithOwner()
{
    QWidget owner;
    owner.show();
    auto* window = new QWidget(&owner, ownedWindowFlags());
    window->show();
    QVERIFY(window->isWindow());
    QVERIFY(!window->isModal());
    QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(window->windowHandle());
    // The window manager keeps a window above the one it is transient for.
    QCOMPARE(window->windowHandle()->transientParent(), owner.windowHandle());
}

QTEST_MAIN(TestUi)
#include "test_ui.moc"
