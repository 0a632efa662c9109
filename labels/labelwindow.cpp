// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labelwindow.h"

#include "core/context.h"
#include "labels/labelpainter.h"
#include "labels/labelsettings.h"
#include "printing/printrun.h"
#include "storage/database.h"
#include "storage/replacementfile.h"
#include "ui/dialogservice.h"
#include "ui/ownedwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

const QString kInfoTitle = QStringLiteral("提示");

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QDoubleSpinBox* lengthBox(QWidget* parent, const QString& name, double lowest, double highest)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    // Lengths read "7.5" whatever the operator's language.
    box->setLocale(QLocale::c());
    box->setDecimals(1);
    box->setRange(lowest, highest);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

QLabel* buddyLabel(QWidget* parent, const QString& text, QWidget* box)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(box);
    return label;
}

QString lengthText(double mm)
{
    return QString::number(mm, 'g', 4);
}

} // namespace

LabelPreview::LabelPreview(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 240);
}

void LabelPreview::setLabel(const LabelOptions& options, const LotLabel& lot)
{
    mLayout = layOutLabel(options, lot);
    mBarcode = barcodeForLabel(options, lot);
    update();
}

QRectF LabelPreview::labelRect() const
{
    const QSizeF size = mLayout.size;
    if (size.isEmpty())
        return {};
    const QRectF room = QRectF(rect()).adjusted(12, 12, -12, -12);
    const double scale = std::min(room.width() / size.width(), room.height() / size.height());
    const QSizeF shown = size * scale;
    return QRectF(room.center() - QPointF(shown.width() / 2, shown.height() / 2), shown);
}

void LabelPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    const QRectF label = labelRect();
    if (label.isEmpty())
        return;
    painter.fillRect(label, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(label.topLeft());
    painter.scale(label.width() / mLayout.size.width(), label.height() / mLayout.size.height());
    paintLabel(painter, QPointF(0, 0), mLayout, mBarcode);
}

LabelWindow::LabelWindow(AppContext& context, const StockLot& lot, int copies)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context), mLot(lot),
      mRunner([](QDialog& dialog) { return dialog.exec(); })
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("标签打印"));
    setWindowTitle(QStringLiteral("标签打印"));

    // What the label shows.
    auto* shown = new QGroupBox(QStringLiteral("标签内容"), this);
    mShowName = checkBox(shown, QStringLiteral("选择框_产品名称"), QStringLiteral("产品名称"));
    mShowBarcode = checkBox(shown, QStringLiteral("选择框_条码"), QStringLiteral("条码"));
    mShowId = checkBox(shown, QStringLiteral("选择框_产品ID"), QStringLiteral("产品ID"));
    mShowLot = checkBox(shown, QStringLiteral("选择框_入库单号"), QStringLiteral("入库单号"));
    mShowUnit = checkBox(shown, QStringLiteral("选择框_产品单位"), QStringLiteral("产品单位"));
    auto* shownGrid = new QGridLayout(shown);
    shownGrid->addWidget(mShowName, 0, 0);
    shownGrid->addWidget(mShowBarcode, 0, 1);
    shownGrid->addWidget(mShowId, 1, 0);
    shownGrid->addWidget(mShowLot, 1, 1);
    shownGrid->addWidget(mShowUnit, 2, 0);

    // The barcode.
    auto* barcode = new QGroupBox(QStringLiteral("条码"), this);
    mContent = new QComboBox(barcode);
    mContent->setObjectName(QStringLiteral("组合框_条码内容"));
    mContent->addItems({QStringLiteral("产品ID"), QStringLiteral("入库单号")});
    mSymbology = new QComboBox(barcode);
    mSymbology->setObjectName(QStringLiteral("组合框_条码类型"));
    auto* barcodeForm = new QFormLayout(barcode);
    barcodeForm->addRow(buddyLabel(barcode, QStringLiteral("条码内容:"), mContent), mContent);
    barcodeForm->addRow(buddyLabel(barcode, QStringLiteral("条码类型:"), mSymbology), mSymbology);

    // The media.
    auto* media = new QGroupBox(QStringLiteral("标签尺寸"), this);
    mMedia = new QComboBox(media);
    mMedia->setObjectName(QStringLiteral("组合框_标签尺寸"));
    for (const LabelMedia one : allMedia())
        mMedia->addItem(mediaName(one));
    mWidth = lengthBox(media, QStringLiteral("编辑框_宽度"), 10, 300);
    mHeight = lengthBox(media, QStringLiteral("编辑框_高度"), 10, 300);
    mMargin = lengthBox(media, QStringLiteral("编辑框_边距"), 0, 20);
    mStart = new QSpinBox(media);
    mStart->setObjectName(QStringLiteral("编辑框_起始位置"));
    mStart->setRange(1, kLabelsPerSheet);
    auto* mediaForm = new QFormLayout(media);
    mediaForm->addRow(buddyLabel(media, QStringLiteral("尺寸:"), mMedia), mMedia);
    mediaForm->addRow(buddyLabel(media, QStringLiteral("宽度:"), mWidth), mWidth);
    mediaForm->addRow(buddyLabel(media, QStringLiteral("高度:"), mHeight), mHeight);
    mediaForm->addRow(buddyLabel(media, QStringLiteral("边距:"), mMargin), mMargin);
    mediaForm->addRow(buddyLabel(media, QStringLiteral("起始位置:"), mStart), mStart);

    // The copies.
    auto* copiesBox = new QGroupBox(QStringLiteral("打印"), this);
    mCopies = new QSpinBox(copiesBox);
    mCopies->setObjectName(QStringLiteral("编辑框_份数"));
    mCopies->setRange(1, kMaxCopies);
    mByStock = new QPushButton(QStringLiteral("按库存"), copiesBox);
    mByStock->setObjectName(QStringLiteral("按钮_按库存"));
    mByStock->setAutoDefault(false);
    mAllLots =
        checkBox(copiesBox, QStringLiteral("选择框_全部同类批次"), QStringLiteral("全部同类批次"));
    auto* copiesGrid = new QGridLayout(copiesBox);
    copiesGrid->addWidget(buddyLabel(copiesBox, QStringLiteral("份数:"), mCopies), 0, 0);
    copiesGrid->addWidget(mCopies, 0, 1);
    copiesGrid->addWidget(mByStock, 0, 2);
    copiesGrid->addWidget(mAllLots, 1, 0, 1, 3);

    // The preview, what it shows, and the buttons.
    mPreview = new LabelPreview(this);
    mPreview->setObjectName(QStringLiteral("标签预览"));
    mSizeText = new QLabel(this);
    mSizeText->setObjectName(QStringLiteral("标签_尺寸"));
    mProblem = new QLabel(this);
    mProblem->setObjectName(QStringLiteral("标签_条码问题"));
    mProblem->setStyleSheet(QStringLiteral("color: #b00000;"));
    auto* printButton = new QPushButton(QStringLiteral("打印"), this);
    printButton->setObjectName(QStringLiteral("按钮_打印"));
    auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("按钮_关闭"));

    auto* left = new QVBoxLayout;
    left->addWidget(shown);
    left->addWidget(barcode);
    left->addWidget(media);
    left->addWidget(copiesBox);
    left->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mProblem, 1);
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    auto* right = new QVBoxLayout;
    right->addWidget(mPreview, 1);
    right->addWidget(mSizeText);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(760, 520);

    const SavedLabelSettings saved = readLabelSettings(mContext.settings());
    mTarget.printerName = saved.printerName;
    mTarget.toFile = saved.printToFile;
    mTarget.fileName = saved.fileName;
    LabelOptions options = saved.options;
    options.copies = std::clamp(copies, 1, kMaxCopies);
    applyOptions(options);
    mByStock->setEnabled(copiesOfStock(mLot.stock) > 0);

    for (QCheckBox* box : {mShowName, mShowBarcode, mShowId, mShowLot, mShowUnit, mAllLots})
        connect(box, &QCheckBox::toggled, this, &LabelWindow::optionsChanged);
    for (QComboBox* box : {mContent, mSymbology, mMedia})
        connect(box, &QComboBox::currentIndexChanged, this, &LabelWindow::optionsChanged);
    for (QDoubleSpinBox* box : {mWidth, mHeight, mMargin})
        connect(box, &QDoubleSpinBox::valueChanged, this, &LabelWindow::optionsChanged);
    connect(mStart, &QSpinBox::valueChanged, this, &LabelWindow::optionsChanged);
    connect(mByStock, &QPushButton::clicked, this,
            [this] { mCopies->setValue(copiesOfStock(mLot.stock)); });
    connect(printButton, &QPushButton::clicked, this, &LabelWindow::print);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void LabelWindow::applyOptions(const LabelOptions& options)
{
    mFilling = true;
    mShowName->setChecked(options.showName);
    mShowBarcode->setChecked(options.showBarcode);
    mShowId->setChecked(options.showId);
    mShowLot->setChecked(options.showLot);
    mShowUnit->setChecked(options.showUnit);
    mContent->setCurrentIndex(int(options.content));
    mMedia->setCurrentIndex(int(allMedia().indexOf(options.media)));
    mWidth->setValue(options.customSize.width());
    mHeight->setValue(options.customSize.height());
    mMargin->setValue(options.margin);
    mStart->setValue(options.startPosition);
    mCopies->setValue(options.copies);
    mAllLots->setChecked(options.allLots);
    fillSymbologies();
    const int index = mSymbology->findData(int(options.symbology));
    mSymbology->setCurrentIndex(index >= 0 ? index : 0);
    mFilling = false;
    optionsChanged();
}

void LabelWindow::fillSymbologies()
{
    // EAN-13 is offered only for a content of 12 or 13 digits; a choice no longer offered falls
    // back to Code 128.
    LabelOptions current;
    current.content = BarcodeContent(std::max(0, mContent->currentIndex()));
    const QList<Symbology> offered = offeredSymbologies(barcodeContentOf(current, mLot.label));
    const QVariant chosen = mSymbology->currentData();
    const bool filling = mFilling;
    mFilling = true;
    mSymbology->clear();
    for (const Symbology symbology : offered)
        mSymbology->addItem(symbologyName(symbology), int(symbology));
    const int index = chosen.isValid() ? mSymbology->findData(chosen) : -1;
    mSymbology->setCurrentIndex(index >= 0 ? index : 0);
    mFilling = filling;
}

LabelOptions LabelWindow::options() const
{
    LabelOptions options;
    options.showName = mShowName->isChecked();
    options.showBarcode = mShowBarcode->isChecked();
    options.showId = mShowId->isChecked();
    options.showLot = mShowLot->isChecked();
    options.showUnit = mShowUnit->isChecked();
    options.content = BarcodeContent(std::max(0, mContent->currentIndex()));
    options.symbology = Symbology(mSymbology->currentData().toInt());
    const QList<LabelMedia> media = allMedia();
    options.media = media.value(std::max(0, mMedia->currentIndex()), LabelMedia::Roll50x30);
    options.customSize = QSizeF(mWidth->value(), mHeight->value());
    options.margin = mMargin->value();
    options.startPosition = mStart->value();
    options.copies = mCopies->value();
    options.allLots = mAllLots->isChecked();
    return options;
}

void LabelWindow::optionsChanged()
{
    if (mFilling)
        return;
    if (sender() == mContent)
        fillSymbologies();
    const LabelOptions current = options();
    mWidth->setEnabled(current.media == LabelMedia::Custom);
    mHeight->setEnabled(current.media == LabelMedia::Custom);
    mStart->setEnabled(current.media == LabelMedia::SheetA4);
    mContent->setEnabled(current.showBarcode);
    mSymbology->setEnabled(current.showBarcode);
    mPreview->setLabel(current, mLot.label);
    const QSizeF size = mPreview->layout().size;
    mSizeText->setText(
        QStringLiteral("标签 %1×%2 mm").arg(lengthText(size.width()), lengthText(size.height())));
    mProblem->setText(barcodeProblemText(mPreview->barcode().problem));
}

LabelJob LabelWindow::job() const
{
    LabelJob job;
    job.options = options();
    if (job.options.allLots) {
        const QList<StockLot> lots = loadLotsOfProduct(mContext.database(), mLot.label.id);
        for (const StockLot& lot : lots)
            job.lots.append(lot.label);
    }
    if (job.lots.isEmpty())
        job.lots.append(mLot.label);
    return job;
}

void LabelWindow::saveSettings()
{
    SavedLabelSettings saved;
    saved.options = options();
    saved.printerName = mTarget.printerName;
    saved.printToFile = mTarget.toFile;
    saved.fileName = mTarget.fileName;
    writeLabelSettings(mContext.settings(), saved);
}

bool LabelWindow::print()
{
    const LabelJob labels = job();
    const BarcodeProblem problem = jobBarcodeProblem(labels);
    if (problem != BarcodeProblem::None) {
        mContext.dialogs().message(this, barcodeProblemText(problem), kInfoTitle);
        return false;
    }
    LabelPrintDialog dialog(mContext, mTarget, this);
    if (mRunner(dialog) != QDialog::Accepted)
        return false;
    const LabelPrintTarget target = dialog.target();
    if (target.toFile && target.fileName.isEmpty()) {
        mContext.dialogs().message(this, QStringLiteral("未指定欲打印到的文件名称"), kInfoTitle,
                                   MessageIcon::Warning);
        return false;
    }
    mTarget = target;
    saveSettings();

    // The progress box lets the operator abort a long print between pages.
    PrintProgressBox progress(this);
    progress.setWindowModality(Qt::ApplicationModal);
    bool aborted = false;
    connect(&progress, &PrintProgressBox::abortRequested, this, [&aborted] { aborted = true; });
    progress.show();
    const QString where =
        target.toFile ? QStringLiteral("文件: ") + target.fileName : QStringLiteral("打印机");
    const LabelProgress tell = [&](int printed, int total) {
        progress.setProgress(
            QStringLiteral("正在打印第 %1/%2 张标签到 %3").arg(printed).arg(total).arg(where),
            printed * 100 / std::max(1, total));
        QCoreApplication::processEvents();
        return !aborted;
    };

    bool printed = false;
    if (target.toFile) {
        printed = printLabelJobToPdf(target.fileName, labels, tell);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(target.printerName);
        if (!info.isNull()) {
            QPrinter printer(info, QPrinter::HighResolution);
            printer.setDocName(QStringLiteral("标签"));
            printed = printer.isValid() && paintLabelJob(printer, labels, tell);
        }
    }
    progress.hide();
    if (!printed && !aborted)
        mContext.dialogs().message(this, QStringLiteral("打印标签失败"), kInfoTitle,
                                   MessageIcon::Error);
    return printed;
}

void LabelWindow::closeEvent(QCloseEvent* event)
{
    saveSettings();
    event->accept();
}
