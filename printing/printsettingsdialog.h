// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reporttable.h"

#include <QDialog>
#include <QDoubleSpinBox>
#include <QString>
#include <QStringList>

#include <functional>

class AppContext;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// A length in tenths of a millimetre as millimetres: "%d" when the tenths digit is 0, otherwise
// "%d.%d", with a minus sign for a negative length.
QString millimetreText(int tenths);

// A printer's entry in the printer list, "%s 上的 %s": where it is connected (its location,
// "本地" when it has none) and its name.
QString printerEntryText(const QString& location, const QString& name);

// The file kinds the print-to-file chooser "..." offers, in order: printed pages
// "打印输出文件 (*.prn)" and "所有文件 (*.*)", then "PDF 文件 (*.pdf)", "Excel 工作簿 (*.xlsx)" and
// "CSV 文件 (*.csv)".
QStringList printFileFilters();

// The printer selected when the dialog opens: the one chosen last time when it is listed, else
// the system's default printer, else the first; -1 for an empty list.
int initialPrinterIndex(const QStringList& names, const QString& lastChosen,
                        const QString& defaultName);

// An edit box with a spinner for a length in millimetres, shown as millimetreText shows it.
class MillimetreBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit MillimetreBox(QWidget* parent = nullptr);
    void setTenths(int tenths);
    // The length typed, in tenths of a millimetre.
    int tenths() const;

protected:
    QString textFromValue(double value) const override;
};

// The print settings dialog "打印设置对话框" of the preview: printer, print to file, margins,
// scaling, print range, copies, page numbers, last-row filling, grid lines and rows per page.
class PrintSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    using DialogRunner = std::function<int(QDialog&)>;

    PrintSettingsDialog(AppContext& context, const ReportPrintSettings& settings,
                        QWidget* parent = nullptr);

    // Runs the printer's own settings dialog ("设置(&S)"); exec() unless replaced.
    void setDialogRunner(DialogRunner runner) { mRunner = std::move(runner); }

    // The settings as the controls give them ("确认(&O)"), over the settings the dialog was
    // opened with and the paper chosen with "设置(&S)".
    ReportPrintSettings settings() const;

private:
    void fill();
    void applyEnabling();
    void chooseFile();
    void setUpPrinter();

    AppContext& mContext;
    ReportPrintSettings mSettings;
    DialogRunner mRunner;

    QComboBox* mPrinter = nullptr;
    QCheckBox* mToFile = nullptr;
    QLineEdit* mFileName = nullptr;
    QPushButton* mBrowse = nullptr;
    MillimetreBox* mTop = nullptr;
    MillimetreBox* mBottom = nullptr;
    MillimetreBox* mLeft = nullptr;
    MillimetreBox* mRight = nullptr;
    QRadioButton* mFitWidth = nullptr;
    QRadioButton* mShrinkWide = nullptr;
    QRadioButton* mCustomScale = nullptr;
    QSpinBox* mPercent = nullptr;
    QComboBox* mOddEven = nullptr;
    QRadioButton* mAllPages = nullptr;
    QRadioButton* mPageRange = nullptr;
    QRadioButton* mRowRange = nullptr;
    QLabel* mStartLabel = nullptr;
    QSpinBox* mStart = nullptr;
    QLabel* mEndLabel = nullptr;
    QSpinBox* mEnd = nullptr;
    QCheckBox* mToEnd = nullptr;
    QSpinBox* mCopies = nullptr;
    QComboBox* mPageNumberPosition = nullptr;
    QSpinBox* mFirstPageNumber = nullptr;
    QCheckBox* mRepeatLastRow = nullptr;
    QCheckBox* mGridLines = nullptr;
    QSpinBox* mRowsPerPage = nullptr;
};
