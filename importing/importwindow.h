// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/importmapping.h"
#include "importing/importsource.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class AppContext;
class PreviewModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

// The window "导入入库": choose a spreadsheet, check its columns and rows in the preview, and
// take the good rows in as stock-ins at once. Reading runs on a worker thread and the import in
// steps, both with progress and a cancel button; the rules live in the classes beside it.
class ImportWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ImportWindow(AppContext& context);
    ~ImportWindow() override;

    // Reads the file as "选择文件…" does after the file dialog; false when it cannot be read
    // (the message has been shown) or the reading was cancelled.
    bool loadFile(const QString& path);
    // The preview as it stands.
    const ImportPreview& preview() const;

    // Tests: called with the progress dialog's label while a reading or an import shows its
    // progress; returning true cancels.
    std::function<bool(const QString&)> progressObserver;

private:
    void chooseFile();
    bool readCurrent(bool detectTitles);
    void fillTitleRows();
    void fillFieldColumns();
    void titleRowChosen();
    void updatePreview();
    void updateButtons();
    void importRows();
    void exportProblems();
    // Runs the work on a worker thread under a progress dialog; false when cancelled.
    bool runInBackground(const QString& label, const std::function<void(const ReadControl&)>& work);
    bool progressCancelled(const QString& label);

    AppContext& mContext;
    std::unique_ptr<ImportSource> mSource;
    ImportSheet mSheet;
    QString mDefaultUnit;
    bool mFilling = false;

    QLabel* mFileLabel = nullptr;
    QComboBox* mSheets = nullptr;
    QComboBox* mEncodings = nullptr;
    QComboBox* mSeparators = nullptr;
    QComboBox* mTitleRows = nullptr;
    std::array<QComboBox*, kImportFieldCount> mFields{};
    QTableView* mPreviewView = nullptr;
    PreviewModel* mModel = nullptr;
    QLabel* mStatus = nullptr;
    QCheckBox* mSkipProblems = nullptr;
    QPushButton* mImportButton = nullptr;
    QPushButton* mExportButton = nullptr;
};

// Opens the window "导入入库" owned by the main window, or raises the one already open.
QWidget* openImportWindow(AppContext& context);
