// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labelprintdialog.h"

#include "core/context.h"
#include "printing/printsettingsdialog.h"
#include "ui/dialogservice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

LabelPrintDialog::LabelPrintDialog(AppContext& context, const LabelPrintTarget& initial,
                                   QWidget* parent)
    : QDialog(parent), mContext(context)
{
    setWindowTitle(QStringLiteral("打印标签"));
    mPrinter = new QComboBox(this);
    mPrinter->setObjectName(QStringLiteral("组合框_打印机"));
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo& printer : printers) {
        mPrinterNames.append(printer.printerName());
        mPrinter->addItem(printerEntryText(printer.location(), printer.printerName()));
    }
    mPrinter->setCurrentIndex(initialPrinterIndex(mPrinterNames, initial.printerName,
                                                  QPrinterInfo::defaultPrinterName()));
    mToFile = new QCheckBox(QStringLiteral("打印到文件:"), this);
    mToFile->setObjectName(QStringLiteral("选择框_打印到文件"));
    mToFile->setChecked(initial.toFile || mPrinterNames.isEmpty());
    mFileName = new QLineEdit(initial.fileName, this);
    mFileName->setObjectName(QStringLiteral("编辑框_文件名"));
    mBrowse = new QPushButton(QStringLiteral("..."), this);
    mBrowse->setObjectName(QStringLiteral("按钮_选择文件"));

    auto* printerLabel = new QLabel(QStringLiteral("打印机:"), this);
    printerLabel->setBuddy(mPrinter);
    auto* grid = new QGridLayout;
    grid->addWidget(printerLabel, 0, 0);
    grid->addWidget(mPrinter, 0, 1, 1, 2);
    grid->addWidget(mToFile, 1, 0);
    grid->addWidget(mFileName, 1, 1);
    grid->addWidget(mBrowse, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* confirm = buttons->addButton(QStringLiteral("确认(&O)"), QDialogButtonBox::AcceptRole);
    confirm->setObjectName(QStringLiteral("按钮_确认"));
    confirm->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("取消(&C)"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("按钮_取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(mToFile, &QCheckBox::toggled, this, &LabelPrintDialog::applyEnabling);
    connect(mBrowse, &QPushButton::clicked, this, &LabelPrintDialog::chooseFile);
    applyEnabling();
}

LabelPrintTarget LabelPrintDialog::target() const
{
    LabelPrintTarget target;
    const int index = mPrinter->currentIndex();
    if (index >= 0 && index < mPrinterNames.size())
        target.printerName = mPrinterNames.at(index);
    target.toFile = mToFile->isChecked();
    target.fileName = mFileName->text().trimmed();
    return target;
}

void LabelPrintDialog::applyEnabling()
{
    // Without a printer only the file remains.
    mToFile->setEnabled(!mPrinterNames.isEmpty());
    mPrinter->setEnabled(!mToFile->isChecked());
    mFileName->setEnabled(mToFile->isChecked());
    mBrowse->setEnabled(mToFile->isChecked());
}

void LabelPrintDialog::chooseFile()
{
    const std::optional<QString> file = mContext.dialogs().chooseSaveFile(
        this, QStringLiteral("打印到文件"), mFileName->text(), QStringLiteral("PDF 文件 (*.pdf)"),
        QStringLiteral("pdf"));
    if (file)
        mFileName->setText(*file);
}
