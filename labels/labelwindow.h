// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labels/labellots.h"
#include "labels/labelprint.h"
#include "labels/labelprintdialog.h"

#include <QWidget>

#include <functional>

class AppContext;
class QCheckBox;
class QComboBox;
class QDialog;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The live preview of one label at its true proportions, as large as the room allows.
class LabelPreview : public QWidget
{
    Q_OBJECT
public:
    explicit LabelPreview(QWidget* parent = nullptr);
    void setLabel(const LabelOptions& options, const LotLabel& lot);
    const BarcodeDrawing& barcode() const { return mBarcode; }
    const LabelLayout& layout() const { return mLayout; }
    // Where the label is drawn in the widget.
    QRectF labelRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LabelLayout mLayout;
    BarcodeDrawing mBarcode;
};

// 标签打印: the labels of one lot (or of every lot of its product), with what the label shows,
// the barcode, the media, the copies, a live preview, "打印" and "关闭". The choices are kept in
// the operator's settings.
class LabelWindow : public QWidget
{
    Q_OBJECT
public:
    using DialogRunner = std::function<int(QDialog&)>;

    // copies: the copies to start with (1 when 0 or less).
    LabelWindow(AppContext& context, const StockLot& lot, int copies);

    // Runs the printer dialog; exec() unless replaced.
    void setDialogRunner(DialogRunner runner) { mRunner = std::move(runner); }

    // The options as the controls give them.
    LabelOptions options() const;
    // The job "打印" prints: the lot, or every lot of its product with "全部同类批次".
    LabelJob job() const;
    // Prints as "打印" does; true when every label was printed.
    bool print();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillSymbologies();
    void applyOptions(const LabelOptions& options);
    void optionsChanged();
    void saveSettings();

    AppContext& mContext;
    StockLot mLot;
    DialogRunner mRunner;
    LabelPrintTarget mTarget;
    bool mFilling = false;

    QCheckBox* mShowName = nullptr;
    QCheckBox* mShowBarcode = nullptr;
    QCheckBox* mShowId = nullptr;
    QCheckBox* mShowLot = nullptr;
    QCheckBox* mShowUnit = nullptr;
    QComboBox* mContent = nullptr;
    QComboBox* mSymbology = nullptr;
    QComboBox* mMedia = nullptr;
    QDoubleSpinBox* mWidth = nullptr;
    QDoubleSpinBox* mHeight = nullptr;
    QDoubleSpinBox* mMargin = nullptr;
    QSpinBox* mStart = nullptr;
    QSpinBox* mCopies = nullptr;
    QPushButton* mByStock = nullptr;
    QCheckBox* mAllLots = nullptr;
    LabelPreview* mPreview = nullptr;
    QLabel* mProblem = nullptr;
    QLabel* mSizeText = nullptr;
};
