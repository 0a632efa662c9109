// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class AppContext;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Where a print of labels goes: an installed printer, or a PDF file.
struct LabelPrintTarget {
    QString printerName;
    bool toFile = false;
    QString fileName;
};

// The printer dialog of the label window, "打印标签": the installed printers (as the report
// printing lists them), or "打印到文件:" a PDF file chosen with "...". With no printer installed
// only the file remains.
class LabelPrintDialog : public QDialog
{
    Q_OBJECT
public:
    LabelPrintDialog(AppContext& context, const LabelPrintTarget& initial,
                     QWidget* parent = nullptr);

    LabelPrintTarget target() const;

private:
    void applyEnabling();
    void chooseFile();

    AppContext& mContext;
    QStringList mPrinterNames;
    QComboBox* mPrinter = nullptr;
    QCheckBox* mToFile = nullptr;
    QLineEdit* mFileName = nullptr;
    QPushButton* mBrowse = nullptr;
};
