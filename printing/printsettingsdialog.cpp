// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printsettingsdialog.h"

#include "core/context.h"
#include "printing/reportlayout.h"
#include "ui/dialogservice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

QString millimetreText(int tenths)
{
    const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
    const int length = std::abs(tenths);
    if (length % 10 == 0)
        return sign + QString::number(length / 10);
    return sign + QStringLiteral("%1.%2").arg(length / 10).arg(length % 10);
}

QString printerEntryText(const QString& location, const QString& name)
{
    const QString port = location.isEmpty() ? QStringLiteral("本地") : location;
    return QStringLiteral("%1 上的 %2").arg(port, name);
}

QStringList printFileFilters()
{
    return {QStringLiteral("打印输出文件 (*.prn)"), QStringLiteral("所有文件 (*.*)"),
            QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("Excel 工作簿 (*.xlsx)"),
            QStringLiteral("CSV 文件 (*.csv)")};
}

int initialPrinterIndex(const QStringList& names, const QString& lastChosen,
                        const QString& defaultName)
{
    if (names.isEmpty())
        return -1;
    if (!lastChosen.isEmpty() && names.contains(lastChosen))
        return int(names.indexOf(lastChosen));
    if (!defaultName.isEmpty() && names.contains(defaultName))
        return int(names.indexOf(defaultName));
    return 0;
}

MillimetreBox::MillimetreBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setLocale(QLocale::c());
    setDecimals(1);
    setRange(-999.9, 999.9);
    setSingleStep(1.0);
}

void MillimetreBox::setTenths(int tenths)
{
    setValue(tenths / 10.0);
}

int MillimetreBox::tenths() const
{
    return int(std::lround(valueFromText(cleanText()) * 10));
}

QString MillimetreBox::textFromValue(double value) const
{
    return millimetreText(int(std::lround(value * 10)));
}

namespace
{

QSpinBox* spinBox(QWidget* parent, const QString& name, int minimum, int maximum)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    return box;
}

QLabel* labelFor(QWidget* parent, const QString& text, QWidget* box)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(box);
    return label;
}

QRadioButton* radio(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

PrintSettingsDialog::PrintSettingsDialog(AppContext& context, const ReportPrintSettings& settings,
                                         QWidget* parent)
    : QDialog(parent), mContext(context), mSettings(settings),
      mRunner([](QDialog& dialog) { return dialog.exec(); })
{
    setWindowTitle(QStringLiteral("打印设置对话框"));

    // Printer and file.
    mPrinter = new QComboBox(this);
    mPrinter->setObjectName(QStringLiteral("组合框_打印机"));
    auto* setUp = new QPushButton(QStringLiteral("设置(&S)"), this);
    setUp->setObjectName(QStringLiteral("按钮_设置"));
    mToFile = checkBox(this, QStringLiteral("选择框_打印到文件"), QStringLiteral("打印到文件:"));
    mFileName = new QLineEdit(this);
    mFileName->setObjectName(QStringLiteral("编辑框_文件名"));
    mBrowse = new QPushButton(QStringLiteral("..."), this);
    mBrowse->setObjectName(QStringLiteral("按钮_选择文件"));
    auto* printerRow = new QGridLayout;
    printerRow->addWidget(labelFor(this, QStringLiteral("打印机:"), mPrinter), 0, 0);
    printerRow->addWidget(mPrinter, 0, 1);
    printerRow->addWidget(setUp, 0, 2);
    printerRow->addWidget(mToFile, 1, 0);
    printerRow->addWidget(mFileName, 1, 1);
    printerRow->addWidget(mBrowse, 1, 2);
    printerRow->setColumnStretch(1, 1);

    // Margins.
    auto* margins = new QGroupBox(QStringLiteral("页边距(单位:毫米)"), this);
    mTop = new MillimetreBox(margins);
    mTop->setObjectName(QStringLiteral("编辑框_上边距"));
    mBottom = new MillimetreBox(margins);
    mBottom->setObjectName(QStringLiteral("编辑框_下边距"));
    mLeft = new MillimetreBox(margins);
    mLeft->setObjectName(QStringLiteral("编辑框_左边距"));
    mRight = new MillimetreBox(margins);
    mRight->setObjectName(QStringLiteral("编辑框_右边距"));
    auto* marginGrid = new QGridLayout(margins);
    marginGrid->addWidget(labelFor(margins, QStringLiteral("上:"), mTop), 0, 0);
    marginGrid->addWidget(mTop, 0, 1);
    marginGrid->addWidget(labelFor(margins, QStringLiteral("下:"), mBottom), 0, 2);
    marginGrid->addWidget(mBottom, 0, 3);
    marginGrid->addWidget(labelFor(margins, QStringLiteral("左:"), mLeft), 1, 0);
    marginGrid->addWidget(mLeft, 1, 1);
    marginGrid->addWidget(labelFor(margins, QStringLiteral("右:"), mRight), 1, 2);
    marginGrid->addWidget(mRight, 1, 3);

    // Scaling.
    auto* scaling = new QGroupBox(QStringLiteral("缩放"), this);
    mFitWidth = radio(scaling, QStringLiteral("单选框_缩放到纸宽"), QStringLiteral("缩放到纸宽"));
    mShrinkWide =
        radio(scaling, QStringLiteral("单选框_压缩到纸宽"), QStringLiteral("如超宽则压缩到纸宽"));
    mCustomScale = radio(scaling, QStringLiteral("单选框_自定义"), QStringLiteral("自定义:"));
    mPercent = spinBox(scaling, QStringLiteral("编辑框_缩放百分比"), 1, 1000);
    auto* scalingGrid = new QGridLayout(scaling);
    scalingGrid->addWidget(mFitWidth, 0, 0, 1, 2);
    scalingGrid->addWidget(mShrinkWide, 1, 0, 1, 2);
    scalingGrid->addWidget(mCustomScale, 2, 0, 1, 2);
    scalingGrid->addWidget(labelFor(scaling, QStringLiteral("缩放百分比:"), mPercent), 3, 0);
    scalingGrid->addWidget(mPercent, 3, 1);

    // Print range.
    auto* range = new QGroupBox(QStringLiteral("打印范围"), this);
    mOddEven = new QComboBox(range);
    mOddEven->setObjectName(QStringLiteral("组合框_奇偶页"));
    mOddEven->addItems({QStringLiteral("打印全部页"), QStringLiteral("仅打印奇数页"),
                        QStringLiteral("仅打印偶数页")});
    mAllPages = radio(range, QStringLiteral("单选框_所有页"), QStringLiteral("打印所有页"));
    mPageRange = radio(range, QStringLiteral("单选框_页范围"), QStringLiteral("打印页范围"));
    mRowRange = radio(range, QStringLiteral("单选框_行范围"), QStringLiteral("打印行范围"));
    mStart = spinBox(range, QStringLiteral("编辑框_起始"), 0, 999999);
    mEnd = spinBox(range, QStringLiteral("编辑框_结束"), 0, 999999);
    mStartLabel = labelFor(range, QStringLiteral("起始页号:"), mStart);
    mStartLabel->setObjectName(QStringLiteral("标签_起始"));
    mEndLabel = labelFor(range, QStringLiteral("结束页号:"), mEnd);
    mEndLabel->setObjectName(QStringLiteral("标签_结束"));
    mToEnd = checkBox(range, QStringLiteral("选择框_打印到结尾"), QStringLiteral("打印到结尾"));
    auto* rangeGrid = new QGridLayout(range);
    rangeGrid->addWidget(labelFor(range, QStringLiteral("奇偶页方式:"), mOddEven), 0, 0);
    rangeGrid->addWidget(mOddEven, 0, 1, 1, 2);
    rangeGrid->addWidget(mAllPages, 1, 0);
    rangeGrid->addWidget(mPageRange, 1, 1);
    rangeGrid->addWidget(mRowRange, 1, 2);
    rangeGrid->addWidget(mStartLabel, 2, 0);
    rangeGrid->addWidget(mStart, 2, 1);
    rangeGrid->addWidget(mEndLabel, 3, 0);
    rangeGrid->addWidget(mEnd, 3, 1);
    rangeGrid->addWidget(mToEnd, 3, 2);

    // Copies, page numbers, filling, grid lines and rows per page.
    auto* other = new QGroupBox(this);
    mCopies = spinBox(other, QStringLiteral("编辑框_份数"), 1, 999);
    mPageNumberPosition = new QComboBox(other);
    mPageNumberPosition->setObjectName(QStringLiteral("组合框_页号位置"));
    mPageNumberPosition->addItems({QStringLiteral("无"), QStringLiteral("上边左"),
                                   QStringLiteral("上边中"), QStringLiteral("上边右"),
                                   QStringLiteral("下边左"), QStringLiteral("下边中"),
                                   QStringLiteral("下边右")});
    mFirstPageNumber = spinBox(other, QStringLiteral("编辑框_首页页号"), 0, 999999);
    mRepeatLastRow = checkBox(other, QStringLiteral("选择框_重复尾行"),
                              QStringLiteral("自动重复尾行填充尾页空白"));
    mGridLines = checkBox(other, QStringLiteral("选择框_表格线"), QStringLiteral("自动添加表格线"));
    mRowsPerPage = spinBox(other, QStringLiteral("编辑框_每页行数"), 0, 999999);
    auto* otherGrid = new QGridLayout(other);
    otherGrid->addWidget(labelFor(other, QStringLiteral("打印份数:"), mCopies), 0, 0);
    otherGrid->addWidget(mCopies, 0, 1);
    otherGrid->addWidget(labelFor(other, QStringLiteral("页号位置:"), mPageNumberPosition), 1, 0);
    otherGrid->addWidget(mPageNumberPosition, 1, 1);
    otherGrid->addWidget(labelFor(other, QStringLiteral("首页打印页号:"), mFirstPageNumber), 2, 0);
    otherGrid->addWidget(mFirstPageNumber, 2, 1);
    otherGrid->addWidget(mRepeatLastRow, 3, 0, 1, 2);
    otherGrid->addWidget(mGridLines, 4, 0, 1, 2);
    otherGrid->addWidget(
        labelFor(other, QStringLiteral("每页打印行数(为0自动判断):"), mRowsPerPage), 5, 0);
    otherGrid->addWidget(mRowsPerPage, 5, 1);

    auto* confirm = new QPushButton(QStringLiteral("确认(&O)"), this);
    confirm->setObjectName(QStringLiteral("按钮_确认"));
    confirm->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cancel->setObjectName(QStringLiteral("按钮_取消"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);

    auto* columns = new QGridLayout;
    columns->addWidget(margins, 0, 0);
    columns->addWidget(scaling, 1, 0);
    columns->addWidget(range, 0, 1);
    columns->addWidget(other, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(printerRow);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    fill();
    applyEnabling();

    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             mToFile, mFitWidth, mShrinkWide, mCustomScale, mAllPages, mPageRange, mRowRange,
             mToEnd, mRepeatLastRow, mGridLines})
        connect(button, &QAbstractButton::toggled, this, &PrintSettingsDialog::applyEnabling);
    connect(mBrowse, &QPushButton::clicked, this, &PrintSettingsDialog::chooseFile);
    connect(setUp, &QPushButton::clicked, this, &PrintSettingsDialog::setUpPrinter);
    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PrintSettingsDialog::fill()
{
    QStringList names;
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo& printer : printers) {
        mPrinter->addItem(printerEntryText(printer.location(), printer.printerName()),
                          printer.printerName());
        names.append(printer.printerName());
    }
    mPrinter->setCurrentIndex(
        initialPrinterIndex(names, mSettings.printerName, QPrinterInfo::defaultPrinterName()));

    mToFile->setChecked(mSettings.printToFile);
    mFileName->setText(mSettings.fileName);
    mTop->setTenths(mSettings.marginTop);
    mBottom->setTenths(mSettings.marginBottom);
    mLeft->setTenths(mSettings.marginLeft);
    mRight->setTenths(mSettings.marginRight);

    mFitWidth->setChecked(mSettings.scaling == -1);
    mShrinkWide->setChecked(mSettings.scaling == -2);
    mCustomScale->setChecked(mSettings.scaling != -1 && mSettings.scaling != -2);
    mPercent->setValue(mCustomScale->isChecked() ? mSettings.scaling : 100);

    mOddEven->setCurrentIndex(mSettings.oddEven >= 0 && mSettings.oddEven <= 2 ? mSettings.oddEven
                                                                               : -1);
    mAllPages->setChecked(mSettings.rangeKind != 1 && mSettings.rangeKind != 2);
    mPageRange->setChecked(mSettings.rangeKind == 1);
    mRowRange->setChecked(mSettings.rangeKind == 2);
    mStart->setValue(mSettings.rangeStart);
    mEnd->setValue(mSettings.rangeEnd);
    mToEnd->setChecked(mSettings.rangeEnd < 1);

    mCopies->setValue(mSettings.copies);
    const int position = mSettings.pageNumberPosition;
    mPageNumberPosition->setCurrentIndex(position >= 0 && position <= 6 ? position : -1);
    mFirstPageNumber->setValue(mSettings.firstPageNumber);
    mRepeatLastRow->setChecked(mSettings.repeatLastRow);
    mGridLines->setChecked(mSettings.autoGridLines);
    mRowsPerPage->setValue(mSettings.rowsPerPage);
}

void PrintSettingsDialog::applyEnabling()
{
    const bool toFile = mToFile->isChecked();
    mFileName->setEnabled(toFile);
    mBrowse->setEnabled(toFile);

    const bool ranged = mPageRange->isChecked() || mRowRange->isChecked();
    mStart->setEnabled(ranged);
    mToEnd->setEnabled(ranged);
    mEnd->setEnabled(ranged && !mToEnd->isChecked());
    const bool rows = mRowRange->isChecked();
    mStartLabel->setText(rows ? QStringLiteral("起始行号:") : QStringLiteral("起始页号:"));
    mEndLabel->setText(rows ? QStringLiteral("结束行号:") : QStringLiteral("结束页号:"));

    mPercent->setEnabled(mCustomScale->isChecked());
}

void PrintSettingsDialog::chooseFile()
{
    // The dialog adds the default extension itself, before it asks about overwriting. Besides
    // printed pages (a PDF file, whatever its name) a file can take the report as an Excel
    // workbook or a CSV file: the file name's extension decides.
    const std::optional<QString> path = mContext.dialogs().chooseSaveFile(
        this, QStringLiteral("请选择欲打印到文件名:"), QStringLiteral("out.prn"),
        printFileFilters().join(QStringLiteral(";;")), QStringLiteral("prn"));
    if (!path || path->isEmpty())
        return;
    mFileName->setText(*path);
    mFileName->selectAll();
    mFileName->setFocus();
}

void PrintSettingsDialog::setUpPrinter()
{
    const QString name = mPrinter->currentData().toString();
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (name.isEmpty() || info.isNull()) {
        mContext.dialogs().message(this, QStringLiteral("不能打开打印机设备."),
                                   QStringLiteral("提示"), MessageIcon::Error);
        return;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid()) {
        mContext.dialogs().message(this, QStringLiteral("不能打开打印机设备."),
                                   QStringLiteral("提示"), MessageIcon::Error);
        return;
    }

    // The printer's dialog opens on the current paper and orientation.
    ReportPrintSettings current = mSettings;
    current.printerName = name;
    const QSize paper = paperOf(current);
    const QSize portrait = current.landscape ? paper.transposed() : paper;
    printer.setPageLayout(QPageLayout(
        QPageSize(QSizeF(portrait) / 10.0, QPageSize::Millimeter),
        current.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    QPageSetupDialog setup(&printer, this);
    if (mRunner(setup) != QDialog::Accepted)
        return;

    const QPageLayout chosen = printer.pageLayout();
    const QSizeF millimetres = chosen.pageSize().size(QPageSize::Millimeter);
    const QSize tenths(int(std::lround(millimetres.width() * 10)),
                       int(std::lround(millimetres.height() * 10)));
    const int index = paperIndexOf(tenths);
    if (index > 0) {
        mSettings.paper = index;
        mSettings.devicePaper = QSize();
    } else if (!tenths.isEmpty()) {
        mSettings.devicePaper = tenths;
    }
    mSettings.landscape = chosen.orientation() == QPageLayout::Landscape;
}

ReportPrintSettings PrintSettingsDialog::settings() const
{
    ReportPrintSettings settings = mSettings;
    settings.printerName =
        mPrinter->currentIndex() >= 0 ? mPrinter->currentData().toString() : QString();
    settings.printToFile = mToFile->isChecked();
    settings.fileName = mFileName->text();
    settings.marginTop = mTop->tenths();
    settings.marginBottom = mBottom->tenths();
    settings.marginLeft = mLeft->tenths();
    settings.marginRight = mRight->tenths();

    if (mFitWidth->isChecked())
        settings.scaling = -1;
    else if (mShrinkWide->isChecked())
        settings.scaling = -2;
    else
        settings.scaling = mPercent->value();

    settings.oddEven = std::max(0, mOddEven->currentIndex());
    settings.rangeKind = mPageRange->isChecked() ? 1 : (mRowRange->isChecked() ? 2 : 0);
    settings.rangeStart = mStart->value();
    if (mToEnd->isChecked())
        settings.rangeEnd = 0;
    else
        settings.rangeEnd = mEnd->value() > 0 ? mEnd->value() : 1;

    settings.copies = mCopies->value();
    settings.pageNumberPosition = std::max(0, mPageNumberPosition->currentIndex());
    settings.firstPageNumber = mFirstPageNumber->value();
    settings.repeatLastRow = mRepeatLastRow->isChecked();
    settings.autoGridLines = mGridLines->isChecked();
    settings.rowsPerPage = std::max(0, mRowsPerPage->value());
    return settings;
}
