// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printsettingswindow.h"

#include "core/clock.h"
#include "core/context.h"
#include "printing/formulawindow.h"
#include "printing/printsession.h"
#include "printing/reportbuilder.h"
#include "printing/reportpainter.h"
#include "printing/settingscontrols.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/reportlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace
{

// The title font the font dialog starts from until the operator chooses one.
constexpr int kDefaultTitlePoints = 16;
// The totals group grows to show the statistics list.
constexpr int kTotalsGroupHeight = 102;
constexpr int kStatisticsGroupHeight = 164;

QGroupBox* addGroup(QWidget* parent, const QString& name, const QString& title, const QRect& rect)
{
    return placeControl(new QGroupBox(title, parent), name, rect);
}

QCheckBox* addCheckBox(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& rect)
{
    return placeControl(new QCheckBox(caption, parent), name, rect);
}

QRadioButton* addRadio(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& rect)
{
    return placeControl(new QRadioButton(caption, parent), name, rect);
}

// A drop-down list of the items with none of them chosen.
QComboBox* addDropDown(QWidget* parent, const QString& name, const QStringList& items,
                       const QRect& rect)
{
    auto* list = placeControl(new QComboBox(parent), name, rect);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

bool isChecked(const QListWidgetItem* item)
{
    return item->checkState() == Qt::Checked;
}

// Takes every item with the text out of the list.
void removeItemsWithText(QListWidget* list, const QString& text)
{
    for (int i = list->count() - 1; i >= 0; --i) {
        if (list->item(i)->text() == text)
            delete list->takeItem(i);
    }
}

} // namespace

PrintSettingsWindow::PrintSettingsWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), mContext(context),
      mRunDialog([](QDialog& dialog) { return dialog.exec(); }),
      mTitleFont(QStringLiteral("宋体"), kDefaultTitlePoints)
{
    setWindowTitle(QStringLiteral("超级列表框打印预览设置"));
    placeWindow(this, 50, 50, 607, 434);
    buildControls();
    fill();
}

void PrintSettingsWindow::buildControls()
{
    // Left: title, date line, title font and remarks; the columns and the computed columns.
    mTitle = addEditBox(this, QStringLiteral("标题"), QRect(66, 9, 138, 22));
    addCaptionLabel(this, QStringLiteral("标签1"), QStringLiteral("打印标题:"),
                    QRect(8, 10, 58, 20), mTitle);
    mDateLine = addEditBox(this, QStringLiteral("日期"), QRect(66, 36, 138, 22));
    addCaptionLabel(this, QStringLiteral("标签2"), QStringLiteral("打印日期:"),
                    QRect(8, 37, 58, 20), mDateLine);
    QPushButton* fontButton = addCommandButton(this, QStringLiteral("字体"),
                                               QStringLiteral("标题字体"), QRect(66, 63, 138, 24));
    mRemarks = new QPlainTextEdit(this);
    mRemarks->setObjectName(QStringLiteral("备注"));
    mRemarks->setGeometry(66, 94, 138, 44);
    mRemarks->setTabChangesFocus(true);
    addCaptionLabel(this, QStringLiteral("标签9"), QStringLiteral("备注:"), QRect(8, 95, 58, 20),
                    mRemarks);

    mColumns = new CheckedItemList(this);
    mColumns->setObjectName(QStringLiteral("显示列表框"));
    mColumns->setGeometry(8, 166, 94, 230);
    addCaptionLabel(this, QStringLiteral("标签3"), QStringLiteral("选择要打印的列:"),
                    QRect(8, 146, 100, 18), mColumns);
    mCustomColumns = new QListWidget(this);
    mCustomColumns->setObjectName(QStringLiteral("新列列表框"));
    mCustomColumns->setGeometry(108, 166, 96, 200);
    mCustomColumns->viewport()->installEventFilter(this);
    addCaptionLabel(this, QStringLiteral("标签19"), QStringLiteral("添加自定义列:"),
                    QRect(108, 146, 96, 18), mCustomColumns);
    QPushButton* addButton = addCommandButton(this, QStringLiteral("添加"), QStringLiteral("添加"),
                                              QRect(108, 372, 96, 24));
    mCustomColumnMenu = new QMenu(this);
    mCustomColumnMenu->setObjectName(QStringLiteral("右键菜单"));
    QAction* deleteAction = mCustomColumnMenu->addAction(QStringLiteral("删除"));
    deleteAction->setObjectName(QStringLiteral("删除"));

    // Middle: paper, page numbers, rows and font size; grid lines; totals or statistics.
    QGroupBox* paperGroup = addGroup(this, QStringLiteral("分组框2"), QStringLiteral("纸张设置:"),
                                     QRect(212, 4, 206, 160));
    mPaper =
        addDropDown(paperGroup, QStringLiteral("纸张"),
                    {QStringLiteral("默认纸"), QStringLiteral("A3纸(297x420毫米)"),
                     QStringLiteral("A4纸(210x297毫米)"), QStringLiteral("A5纸(148x210毫米)"),
                     QStringLiteral("B4纸(250x354毫米)"), QStringLiteral("B5纸(182x257毫米)"),
                     QStringLiteral("四开(215x275毫米)"), QStringLiteral("十六开(146x215毫米)"),
                     QStringLiteral("三十二开(97x151毫米)")},
                    QRect(48, 21, 148, 22));
    addCaptionLabel(paperGroup, QStringLiteral("标签7"), QStringLiteral("纸张:"),
                    QRect(10, 22, 36, 20), mPaper);
    mPortrait = addRadio(paperGroup, QStringLiteral("类别4"), QStringLiteral("纵向"),
                         QRect(48, 47, 60, 20));
    mLandscape = addRadio(paperGroup, QStringLiteral("类别3"), QStringLiteral("横向"),
                          QRect(112, 47, 60, 20));
    mPageNumberPosition =
        addDropDown(paperGroup, QStringLiteral("页号位置"),
                    {QStringLiteral("无页号"), QStringLiteral("上左"), QStringLiteral("上中"),
                     QStringLiteral("上右"), QStringLiteral("下左"), QStringLiteral("下中"),
                     QStringLiteral("下右")},
                    QRect(70, 72, 126, 22));
    addCaptionLabel(paperGroup, QStringLiteral("标签6"), QStringLiteral("页号位置:"),
                    QRect(10, 73, 58, 20), mPageNumberPosition);
    mRowsPerPage = addEditBox(paperGroup, QStringLiteral("行数"), QRect(70, 100, 32, 22));
    addCaptionLabel(paperGroup, QStringLiteral("标签4"), QStringLiteral("每页行数:"),
                    QRect(10, 101, 58, 20), mRowsPerPage);
    addCaptionLabel(paperGroup, QStringLiteral("标签13"), QStringLiteral("(空为自动分页)"),
                    QRect(106, 101, 94, 20));
    mFontSize = addEditBox(paperGroup, QStringLiteral("字体大小"), QRect(70, 128, 32, 22));
    mFontSize->setText(QStringLiteral("30"));
    addCaptionLabel(paperGroup, QStringLiteral("标签5"), QStringLiteral("字体大小:"),
                    QRect(10, 129, 58, 20), mFontSize);
    addCaptionLabel(paperGroup, QStringLiteral("标签14"), QStringLiteral("(可为空)"),
                    QRect(106, 129, 94, 20));

    QGroupBox* lineGroup = addGroup(this, QStringLiteral("分组框1"), QStringLiteral("线条类别:"),
                                    QRect(212, 170, 206, 62));
    const std::array<QString, 4> lineNames = {QStringLiteral("线型1"), QStringLiteral("类别2"),
                                              QStringLiteral("线型3"), QStringLiteral("线型4")};
    for (int style = 1; style <= 4; ++style) {
        QRadioButton* radio = addRadio(lineGroup, lineNames[std::size_t(style - 1)], QString(),
                                       QRect(6 + (style - 1) * 49, 22, 48, 32));
        const QPixmap picture = lineStylePicture(style);
        radio->setIcon(QIcon(picture));
        radio->setIconSize(picture.size());
        mLineStyles[std::size_t(style - 1)] = radio;
    }
    mLineStyles[0]->setChecked(true);

    mTotalsGroup = addGroup(this, QStringLiteral("分组框3"), QStringLiteral("合计/统计行:"),
                            QRect(212, 238, 206, kTotalsGroupHeight));
    mNoTotals = addRadio(mTotalsGroup, QStringLiteral("不打合计"), QStringLiteral("不打印"),
                         QRect(10, 20, 120, 22));
    mTotals = addRadio(mTotalsGroup, QStringLiteral("打合计"), QStringLiteral("打印合计"),
                       QRect(10, 44, 120, 22));
    mStatistics = addRadio(mTotalsGroup, QStringLiteral("打统计"), QStringLiteral("打印统计"),
                           QRect(10, 68, 120, 22));
    mNoTotals->setChecked(true);
    // Below the group's first height: seen once the group grows for statistics.
    mStatisticsColumns = new CheckedItemList(mTotalsGroup);
    mStatisticsColumns->setObjectName(QStringLiteral("统计列表框"));
    mStatisticsColumns->setGeometry(10, 98, 186, 58);
    mStatisticsColumns->setEnabled(false);
    mStatisticsColumns->hide();

    // Right: background colours, serial column, saving, and the two commands.
    QGroupBox* colourGroup = addGroup(this, QStringLiteral("分组框4"),
                                      QStringLiteral("背景颜色设置:"), QRect(426, 4, 165, 274));
    mDefaultColours = addCheckBox(colourGroup, QStringLiteral("默认色"), QStringLiteral("默认色"),
                                  QRect(8, 20, 72, 20));
    mOwnScheme = addCheckBox(colourGroup, QStringLiteral("自配色"), QStringLiteral("自带配色"),
                             QRect(80, 20, 80, 20));
    mCustomRows = addCheckBox(colourGroup, QStringLiteral("自定义行"), QStringLiteral("自定义行"),
                              QRect(8, 44, 72, 20));
    mCustomColumnColours = addCheckBox(colourGroup, QStringLiteral("自定义列"),
                                       QStringLiteral("自定义列"), QRect(80, 44, 80, 20));
    addCaptionLabel(colourGroup, QStringLiteral("标签20"), QStringLiteral("----- 自定义行 -----"),
                    QRect(8, 68, 150, 18));
    addCaptionLabel(colourGroup, QStringLiteral("标签21"), QStringLiteral("------ 自定义列 ------"),
                    QRect(8, 168, 150, 18));
    const std::array<QString, 3> rowPickers = {QStringLiteral("标题颜色"), QStringLiteral("奇行色"),
                                               QStringLiteral("偶行色")};
    const std::array<QString, 3> rowLabels = {QStringLiteral("标签12"), QStringLiteral("标签10"),
                                              QStringLiteral("标签11")};
    const std::array<QString, 3> rowCaptions = {QStringLiteral("标题行颜色:"),
                                                QStringLiteral("奇数行颜色:"),
                                                QStringLiteral("偶数行颜色:")};
    const std::array<QString, 3> columnPickers = {
        QStringLiteral("标题颜色1"), QStringLiteral("奇列色"), QStringLiteral("偶列色")};
    const std::array<QString, 3> columnLabels = {QStringLiteral("标签15"), QStringLiteral("标签16"),
                                                 QStringLiteral("标签17")};
    const std::array<QString, 3> columnCaptions = {QStringLiteral("标题行颜色:"),
                                                   QStringLiteral("奇数列颜色:"),
                                                   QStringLiteral("偶数列颜色:")};
    // The row pickers first, then the column pickers: Tab goes down one block, then the other.
    for (std::size_t i = 0; i < 3; ++i) {
        const int rowTop = 88 + int(i) * 26;
        mRowColours[i] = placeControl(new ColourButton(mContext, colourGroup), rowPickers[i],
                                      QRect(84, rowTop, 72, 24));
        addCaptionLabel(colourGroup, rowLabels[i], rowCaptions[i], QRect(8, rowTop + 2, 76, 20),
                        mRowColours[i]);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const int columnTop = 188 + int(i) * 26;
        mColumnColours[i] = placeControl(new ColourButton(mContext, colourGroup), columnPickers[i],
                                         QRect(84, columnTop, 72, 24));
        addCaptionLabel(colourGroup, columnLabels[i], columnCaptions[i],
                        QRect(8, columnTop + 2, 76, 20), mColumnColours[i]);
    }
    setRowPickersEnabled(false);
    setColumnPickersEnabled(false);

    mSerial = addCheckBox(this, QStringLiteral("序号"), QStringLiteral("增加序号列"),
                          QRect(436, 288, 100, 20));
    mSave = addCheckBox(this, QStringLiteral("保存配置"), QStringLiteral("保存配置"),
                        QRect(436, 314, 100, 20));
    mSave->setChecked(true);
    QPushButton* previewButton = addCommandButton(
        this, QStringLiteral("打印预览"), QStringLiteral("打印预览"), QRect(430, 368, 76, 28));
    QPushButton* cancelButton = addCommandButton(this, QStringLiteral("取消"),
                                                 QStringLiteral("取消"), QRect(512, 368, 76, 28));

    connect(fontButton, &QPushButton::clicked, this, &PrintSettingsWindow::chooseTitleFont);
    connect(addButton, &QPushButton::clicked, this, &PrintSettingsWindow::addCustomColumn);
    connect(deleteAction, &QAction::triggered, this, &PrintSettingsWindow::deleteCustomColumn);
    connect(mColumns, &CheckedItemList::itemChosen, this,
            [this](QListWidgetItem* item) { columnChosen(mColumns->row(item)); });
    connect(mNoTotals, &QRadioButton::clicked, this, [this] { chooseTotals(TotalsChoice::None); });
    connect(mTotals, &QRadioButton::clicked, this, [this] { chooseTotals(TotalsChoice::Totals); });
    connect(mStatistics, &QRadioButton::clicked, this,
            [this] { chooseTotals(TotalsChoice::Statistics); });
    connect(mDefaultColours, &QCheckBox::clicked, this,
            &PrintSettingsWindow::defaultColoursClicked);
    connect(mOwnScheme, &QCheckBox::clicked, this, &PrintSettingsWindow::ownSchemeClicked);
    connect(mCustomRows, &QCheckBox::clicked, this, &PrintSettingsWindow::customRowsClicked);
    connect(mCustomColumnColours, &QCheckBox::clicked, this,
            &PrintSettingsWindow::customColumnsClicked);
    connect(previewButton, &QPushButton::clicked, this, [this] { preview(); });
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

void PrintSettingsWindow::fill()
{
    // Filled on every opening, also while a print preview is open: a window left empty then
    // could print nothing.
    PrintSession& session = PrintSession::of(mContext);
    if (ReportList* source = session.source()) {
        for (int column = 0; column < source->columnCount(); ++column)
            mColumns->addCheckedItem(source->columnTitle(column), true);
    }
    mDateLine->setText(printDateLine(mContext.clock().now().date()));
    session.customColumns().clear();
    if (const std::optional<SavedPrintSettings> saved = readSavedPrintSettings(mContext.settings()))
        applySaved(*saved);
    mTitle->setFocus();
}

void PrintSettingsWindow::applySaved(const SavedPrintSettings& saved)
{
    mTitle->setText(saved.title);
    mRemarks->setPlainText(saved.remarks);
    mPageNumberPosition->setCurrentIndex(saved.pageNumberPosition);
    mPaper->setCurrentIndex(saved.paper);
    mFontSize->setText(saved.fontSize);
    mRowsPerPage->setText(saved.rowsPerPage);
    mSerial->setChecked(saved.serialColumn);
    (saved.portrait ? mPortrait : mLandscape)->setChecked(true);
    if (saved.defaultColours) {
        mDefaultColours->setChecked(true);
        defaultColoursClicked();
    } else if (saved.ownScheme) {
        mOwnScheme->setChecked(true);
        ownSchemeClicked();
    }
    if (saved.customRows) {
        mCustomRows->setChecked(true);
        customRowsClicked();
    } else if (saved.customColumns) {
        mCustomColumnColours->setChecked(true);
        customColumnsClicked();
    }
    for (std::size_t i = 0; i < 3; ++i) {
        mRowColours[i]->setColour(saved.rowColours[i]);
        mColumnColours[i]->setColour(saved.columnColours[i]);
    }
}

PrintChoices PrintSettingsWindow::choices() const
{
    PrintChoices choices;
    SavedPrintSettings& saved = choices.saved;
    saved.title = mTitle->text();
    saved.remarks = mRemarks->toPlainText();
    saved.pageNumberPosition = mPageNumberPosition->currentIndex();
    saved.paper = mPaper->currentIndex();
    saved.fontSize = mFontSize->text();
    saved.rowsPerPage = mRowsPerPage->text();
    saved.serialColumn = mSerial->isChecked();
    saved.portrait = mPortrait->isChecked();
    saved.defaultColours = mDefaultColours->isChecked();
    saved.ownScheme = mOwnScheme->isChecked();
    saved.customRows = mCustomRows->isChecked();
    saved.customColumns = mCustomColumnColours->isChecked();
    for (std::size_t i = 0; i < 3; ++i) {
        saved.rowColours[i] = mRowColours[i]->colour();
        saved.columnColours[i] = mColumnColours[i]->colour();
    }

    choices.titleFont = titleFontDescription(mTitleFont, mTitleColour);
    choices.dateLine = mDateLine->text();
    for (int row = 0; row < mColumns->count(); ++row) {
        if (isChecked(mColumns->item(row)))
            choices.columns.append(row);
    }
    choices.lineStyle = 0;
    for (std::size_t i = 0; i < mLineStyles.size(); ++i) {
        if (mLineStyles[i]->isChecked())
            choices.lineStyle = int(i) + 1;
    }
    if (mTotals->isChecked())
        choices.totals = TotalsChoice::Totals;
    else if (mStatistics->isChecked())
        choices.totals = TotalsChoice::Statistics;
    else
        choices.totals = TotalsChoice::None;
    choices.statisticsColumns = mStatisticsColumns->checkedTexts();
    return choices;
}

PrintRequest PrintSettingsWindow::request() const
{
    PrintSession& session = PrintSession::of(mContext);
    PrintRequest collected = collectPrintRequest(choices(), session.sourceWindow(),
                                                 session.source(), session.customColumns());
    collected.permission = session.permission();
    return collected;
}

bool PrintSettingsWindow::preview()
{
    const PrintChoices current = choices();
    // Saved before the checks: a refused preview still keeps the layout.
    if (mSave->isChecked())
        writeSavedPrintSettings(mContext.settings(), current.saved);
    else
        forgetSavedPrintSettings(mContext.settings());
    const PrintRefusal refusal = refusalOf(current);
    if (refusal != PrintRefusal::None) {
        mContext.dialogs().message(this, refusalText(refusal), QStringLiteral("错误"),
                                   MessageIcon::Error);
        return false;
    }
    const PrintRequest wanted = request();
    if (wanted.permission && !wanted.permission(this))
        return false;
    buildAndPreview(mContext, wanted);
    close();
    return true;
}

void PrintSettingsWindow::setRowPickersEnabled(bool enabled)
{
    for (ColourButton* picker : mRowColours)
        picker->setEnabled(enabled);
}

void PrintSettingsWindow::setColumnPickersEnabled(bool enabled)
{
    for (ColourButton* picker : mColumnColours)
        picker->setEnabled(enabled);
}

void PrintSettingsWindow::defaultColoursClicked()
{
    if (!mDefaultColours->isChecked())
        return;
    mOwnScheme->setChecked(false);
    mCustomRows->setChecked(false);
    mCustomColumnColours->setChecked(false);
    setRowPickersEnabled(false);
    setColumnPickersEnabled(false);
}

void PrintSettingsWindow::ownSchemeClicked()
{
    if (!mOwnScheme->isChecked())
        return;
    setRowPickersEnabled(false);
    setColumnPickersEnabled(false);
    mCustomRows->setChecked(false);
    mCustomColumnColours->setChecked(false);
    mDefaultColours->setChecked(false);
}

void PrintSettingsWindow::customRowsClicked()
{
    if (!mCustomRows->isChecked()) {
        setRowPickersEnabled(false);
        return;
    }
    mCustomColumnColours->setChecked(false);
    mDefaultColours->setChecked(false);
    mOwnScheme->setChecked(false);
    setColumnPickersEnabled(false);
    setRowPickersEnabled(true);
}

void PrintSettingsWindow::customColumnsClicked()
{
    if (!mCustomColumnColours->isChecked()) {
        setColumnPickersEnabled(false);
        return;
    }
    mCustomRows->setChecked(false);
    mDefaultColours->setChecked(false);
    mOwnScheme->setChecked(false);
    setRowPickersEnabled(false);
    setColumnPickersEnabled(true);
}

void PrintSettingsWindow::chooseTotals(TotalsChoice choice)
{
    if (choice != TotalsChoice::Statistics) {
        mStatisticsColumns->setEnabled(false);
        return;
    }
    mStatisticsColumns->setEnabled(true);
    mStatisticsColumns->clear();
    for (const QString& text : mColumns->checkedTexts())
        mStatisticsColumns->addCheckedItem(text, false);
    for (int row = 0; row < mCustomColumns->count(); ++row)
        mStatisticsColumns->addCheckedItem(mCustomColumns->item(row)->text(), false);
    mTotalsGroup->resize(mTotalsGroup->width(), kStatisticsGroupHeight);
    mStatisticsColumns->show();
}

void PrintSettingsWindow::columnChosen(int row)
{
    const QListWidgetItem* item = mColumns->item(row);
    if (!item)
        return;
    const QString text = item->text();
    if (isChecked(item)) {
        mStatisticsColumns->addCheckedItem(text, false);
        return;
    }
    removeItemsWithText(mStatisticsColumns, text);
}

void PrintSettingsWindow::chooseTitleFont()
{
    const std::optional<QFont> font = mContext.dialogs().chooseFont(this, mTitleFont);
    if (!font)
        return;
    mTitleFont = *font;
    // The font dialog has no colour of its own: the title's colour is chosen right after it.
    const std::optional<QColor> colour =
        mContext.dialogs().chooseColor(this, reportColour(mTitleColour));
    if (colour)
        mTitleColour = rgbValue(colour->red(), colour->green(), colour->blue());
}

void PrintSettingsWindow::addCustomColumn()
{
    FormulaWindow formulaWindow(mContext, mColumns->checkedTexts(), this);
    if (mRunDialog(formulaWindow) != QDialog::Accepted)
        return;
    const QString name = formulaWindow.columnName();
    PrintSession::of(mContext).customColumns().append({name, formulaWindow.formula()});
    mCustomColumns->addItem(name);
    mStatisticsColumns->addCheckedItem(name, false);
}

void PrintSettingsWindow::deleteCustomColumn()
{
    const int row = mCustomColumns->currentRow();
    const QListWidgetItem* selected = mCustomColumns->currentItem();
    if (row < 0 || !selected || !selected->isSelected()) {
        mContext.dialogs().message(this, QStringLiteral("没有选择任何要删除的列名！"),
                                   QStringLiteral("提示"), MessageIcon::Information);
        return;
    }
    const QString name = selected->text();
    removeItemsWithText(mStatisticsColumns, name);
    CustomColumns& columns = PrintSession::of(mContext).customColumns();
    if (row < columns.size())
        columns.removeAt(row);
    delete mCustomColumns->takeItem(row);
    // Nothing is selected afterwards: a second "删除" must not take the neighbouring column
    // the list would otherwise move its selection to.
    mCustomColumns->setCurrentRow(-1);
}

bool PrintSettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mCustomColumns->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            mCustomColumnMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
