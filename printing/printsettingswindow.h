// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"
#include "printing/printsettings.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

class AppContext;
class CheckedItemList;
class ColourButton;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QRadioButton;

// "超级列表框打印预览设置": what to print of the current print's list and how — title, date
// line, remarks, title font, columns, computed columns, paper, orientation, page numbers, rows
// per page, font size, serial column, totals or statistics row, grid lines and background
// colours. The layout is kept in the saved settings; "打印预览" builds the report and previews it.
class PrintSettingsWindow : public QWidget
{
    Q_OBJECT
public:
    // Runs a modal dialog and returns its result (QDialog::exec unless a test replaces it).
    using DialogRunner = std::function<int(QDialog&)>;

    // Fills the window from the current print's list and the saved settings, and empties the
    // print's computed columns.
    explicit PrintSettingsWindow(AppContext& context, QWidget* parent = nullptr);

    void setDialogRunner(DialogRunner runner) { mRunDialog = std::move(runner); }

    // What the controls hold now, and the print request they make.
    PrintChoices choices() const;
    PrintRequest request() const;

    // "打印预览": saves the settings, checks the choices, builds and previews the report, and
    // closes the window. False when a check refused.
    bool preview();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fill();
    void applySaved(const SavedPrintSettings& saved);

    void defaultColoursClicked();
    void ownSchemeClicked();
    void customRowsClicked();
    void customColumnsClicked();
    void setRowPickersEnabled(bool enabled);
    void setColumnPickersEnabled(bool enabled);

    void chooseTotals(TotalsChoice choice);
    void columnChosen(int row);
    void chooseTitleFont();
    void addCustomColumn();
    void deleteCustomColumn();

    AppContext& mContext;
    DialogRunner mRunDialog;
    QFont mTitleFont;
    RgbValue mTitleColour = 0; // black until the operator chooses a colour

    QLineEdit* mTitle = nullptr;
    QLineEdit* mDateLine = nullptr;
    QPlainTextEdit* mRemarks = nullptr;
    CheckedItemList* mColumns = nullptr;
    QListWidget* mCustomColumns = nullptr;
    QMenu* mCustomColumnMenu = nullptr;
    QComboBox* mPaper = nullptr;
    QRadioButton* mPortrait = nullptr;
    QRadioButton* mLandscape = nullptr;
    std::array<QRadioButton*, 4> mLineStyles{};
    QComboBox* mPageNumberPosition = nullptr;
    QLineEdit* mRowsPerPage = nullptr;
    QLineEdit* mFontSize = nullptr;
    QCheckBox* mSerial = nullptr;
    QCheckBox* mSave = nullptr;
    QGroupBox* mTotalsGroup = nullptr;
    QRadioButton* mNoTotals = nullptr;
    QRadioButton* mTotals = nullptr;
    QRadioButton* mStatistics = nullptr;
    CheckedItemList* mStatisticsColumns = nullptr;
    QCheckBox* mDefaultColours = nullptr;
    QCheckBox* mOwnScheme = nullptr;
    QCheckBox* mCustomRows = nullptr;
    QCheckBox* mCustomColumnColours = nullptr;
    std::array<ColourButton*, 3> mRowColours{};
    std::array<ColourButton*, 3> mColumnColours{};
};
