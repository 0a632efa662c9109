// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/importwindow.h"

#include "core/context.h"
#include "importing/previewmodel.h"
#include "importing/stockimport.h"
#include "movements/movementrules.h"
#include "ui/dialogservice.h"
#include "ui/ownedwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

namespace
{

const QString kTitle = QStringLiteral("导入入库");
const QString kCannotRead = QStringLiteral("文件无法读取：");
// Rows stored between two looks at the progress dialog.
constexpr int kRowsPerStep = 500;
// Rows offered as the title row.
constexpr int kTitleRowChoices = 50;

QComboBox* addCombo(QWidget* owner, const QString& name, const QString& caption, QGridLayout* grid,
                    int row, int column, int columnSpan = 1)
{
    auto* combo = new QComboBox(owner);
    combo->setObjectName(name);
    auto* label = new QLabel(caption, owner);
    label->setBuddy(combo);
    grid->addWidget(label, row, column);
    grid->addWidget(combo, row, column + 1, 1, columnSpan);
    return combo;
}

// A cell's text shortened for a drop-down entry.
QString shortText(const QString& text)
{
    QString line = text.simplified();
    if (line.size() > 16)
        line = line.left(15) + QStringLiteral("…");
    return line;
}

} // namespace

ImportWindow::ImportWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    setObjectName(QStringLiteral("窗口_导入入库"));
    resize(820, 560);
    mDefaultUnit = loadDefaultUnits(context.database()).value(0);

    auto* layout = new QVBoxLayout(this);
    auto* fileRow = new QHBoxLayout;
    auto* chooseButton = new QPushButton(QStringLiteral("选择文件…"), this);
    chooseButton->setObjectName(QStringLiteral("按钮_选择文件"));
    mFileLabel = new QLabel(QStringLiteral("未选择文件"), this);
    mFileLabel->setObjectName(QStringLiteral("标签_文件"));
    fileRow->addWidget(chooseButton);
    fileRow->addWidget(mFileLabel, 1);
    layout->addLayout(fileRow);

    auto* grid = new QGridLayout;
    mSheets = addCombo(this, QStringLiteral("组合框_工作表"), QStringLiteral("工作表"), grid, 0, 0);
    mEncodings = addCombo(this, QStringLiteral("组合框_编码"), QStringLiteral("编码"), grid, 0, 2);
    mEncodings->addItems(csvEncodingNames());
    mSeparators =
        addCombo(this, QStringLiteral("组合框_分隔符"), QStringLiteral("分隔符"), grid, 0, 4);
    mSeparators->addItem(QStringLiteral("逗号"), QStringLiteral(","));
    mSeparators->addItem(QStringLiteral("分号"), QStringLiteral(";"));
    mSeparators->addItem(QStringLiteral("制表符"), QStringLiteral("\t"));
    mTitleRows =
        addCombo(this, QStringLiteral("组合框_标题行"), QStringLiteral("标题行"), grid, 1, 0, 5);
    for (int f = 0; f < kImportFieldCount; ++f) {
        const QString title = importFieldTitle(ImportField(f));
        mFields[std::size_t(f)] =
            addCombo(this, QStringLiteral("组合框_") + title, title, grid, 2 + f / 3, (f % 3) * 2);
    }
    for (int c = 1; c < 6; c += 2)
        grid->setColumnStretch(c, 1);
    layout->addLayout(grid);

    mModel = new PreviewModel(this);
    mPreviewView = new QTableView(this);
    mPreviewView->setObjectName(QStringLiteral("列表_预览"));
    mPreviewView->setModel(mModel);
    mPreviewView->setSelectionBehavior(QAbstractItemView::SelectRows);
    mPreviewView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mPreviewView->verticalHeader()->hide();
    mPreviewView->verticalHeader()->setDefaultSectionSize(20);
    mPreviewView->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(mPreviewView, 1);

    mStatus = new QLabel(this);
    mStatus->setObjectName(QStringLiteral("标签_状态"));
    layout->addWidget(mStatus);

    auto* buttons = new QHBoxLayout;
    mSkipProblems = new QCheckBox(QStringLiteral("跳过有问题的行"), this);
    mSkipProblems->setObjectName(QStringLiteral("选择框_跳过"));
    mExportButton = new QPushButton(QStringLiteral("导出问题行"), this);
    mExportButton->setObjectName(QStringLiteral("按钮_导出问题行"));
    mImportButton = new QPushButton(QStringLiteral("导入"), this);
    mImportButton->setObjectName(QStringLiteral("按钮_导入"));
    auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("按钮_关闭"));
    buttons->addWidget(mSkipProblems);
    buttons->addStretch(1);
    buttons->addWidget(mExportButton);
    buttons->addWidget(mImportButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(chooseButton, &QPushButton::clicked, this, &ImportWindow::chooseFile);
    connect(mSheets, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (mFilling || !mSource || index < 0)
            return;
        mSource->sheet = index;
        readCurrent(true);
    });
    connect(mEncodings, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (mFilling || !mSource || index < 0)
            return;
        mSource->encoding = CsvEncoding(index);
        readCurrent(true);
    });
    connect(mSeparators, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (mFilling || !mSource || index < 0)
            return;
        mSource->separator = mSeparators->itemData(index).toString().at(0);
        readCurrent(true);
    });
    connect(mTitleRows, &QComboBox::currentIndexChanged, this, &ImportWindow::titleRowChosen);
    for (QComboBox* field : mFields) {
        connect(field, &QComboBox::currentIndexChanged, this, [this] {
            if (!mFilling)
                updatePreview();
        });
    }
    connect(mSkipProblems, &QCheckBox::toggled, this, &ImportWindow::updateButtons);
    connect(mImportButton, &QPushButton::clicked, this, &ImportWindow::importRows);
    connect(mExportButton, &QPushButton::clicked, this, &ImportWindow::exportProblems);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    fillFieldColumns();
    updatePreview();
}

ImportWindow::~ImportWindow() = default;

const ImportPreview& ImportWindow::preview() const
{
    return mModel->preview();
}

void ImportWindow::chooseFile()
{
    const std::optional<QString> path = mContext.dialogs().chooseOpenFile(
        this, QStringLiteral("选择文件"),
        QStringLiteral("电子表格 (*.xlsx *.csv);;Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (path && !path->isEmpty())
        loadFile(*path);
}

bool ImportWindow::loadFile(const QString& path)
{
    auto source = std::make_unique<ImportSource>();
    QString failure;
    ReadOutcome outcome;
    const bool finished =
        runInBackground(QStringLiteral("正在读取文件…"), [&](const ReadControl& control) {
            if (source->open(path, failure))
                outcome = source->read(control);
        });
    if (failure.isEmpty())
        failure = outcome.failure;
    if (!finished || outcome.cancelled)
        return false;
    if (!failure.isEmpty()) {
        mContext.dialogs().message(this, kCannotRead + failure, kTitle, MessageIcon::Warning);
        return false;
    }

    mSource = std::move(source);
    mSheet = std::move(outcome.sheet);
    mFileLabel->setText(QFileInfo(path).fileName());
    mFilling = true;
    const bool workbook = mSource->kind() == ImportSource::Kind::Workbook;
    mSheets->clear();
    mSheets->addItems(mSource->sheetNames());
    mSheets->setEnabled(workbook);
    mEncodings->setCurrentIndex(int(mSource->encoding));
    mEncodings->setEnabled(!workbook);
    mSeparators->setCurrentIndex(mSeparators->findData(QString(mSource->separator)));
    mSeparators->setEnabled(!workbook);
    mFilling = false;
    mSkipProblems->setChecked(false);
    fillTitleRows();
    return true;
}

bool ImportWindow::readCurrent(bool detectTitles)
{
    ReadOutcome outcome;
    const bool finished =
        runInBackground(QStringLiteral("正在读取文件…"),
                        [&](const ReadControl& control) { outcome = mSource->read(control); });
    if (!finished || !outcome.ok()) {
        if (finished && !outcome.failure.isEmpty())
            mContext.dialogs().message(this, kCannotRead + outcome.failure, kTitle,
                                       MessageIcon::Warning);
        mSheet = ImportSheet();
    } else {
        mSheet = std::move(outcome.sheet);
    }
    if (detectTitles)
        fillTitleRows();
    return finished && outcome.ok();
}

void ImportWindow::fillTitleRows()
{
    const int detected = detectTitleRow(mSheet);
    mFilling = true;
    mTitleRows->clear();
    mTitleRows->addItem(QStringLiteral("（无标题行）"), -1);
    for (int r = 0; r < int(mSheet.rows.size()); ++r) {
        if (r >= kTitleRowChoices && r != detected)
            continue;
        const ImportRow& row = mSheet.rows[std::size_t(r)];
        QStringList texts;
        for (const ImportCell& cell : row.cells) {
            if (!cell.text.isEmpty())
                texts.append(shortText(cell.text));
            if (texts.size() == 6)
                break;
        }
        mTitleRows->addItem(
            QStringLiteral("第 %1 行：%2").arg(row.fileRow).arg(texts.join(QStringLiteral(" | "))),
            r);
    }
    mTitleRows->setCurrentIndex(std::max(0, mTitleRows->findData(detected)));
    mFilling = false;
    titleRowChosen();
}

void ImportWindow::fillFieldColumns()
{
    const int titleRow =
        mTitleRows->currentData().isValid() ? mTitleRows->currentData().toInt() : -1;
    const ColumnMapping mapping = autoMapping(mSheet, titleRow);
    const ImportRow* titles = titleRow >= 0 && std::size_t(titleRow) < mSheet.rows.size()
                                  ? &mSheet.rows[std::size_t(titleRow)]
                                  : nullptr;
    mFilling = true;
    for (int f = 0; f < kImportFieldCount; ++f) {
        QComboBox* combo = mFields[std::size_t(f)];
        combo->clear();
        if (ImportField(f) == ImportField::Unit)
            combo->addItem(QStringLiteral("（默认单位：%1）").arg(mDefaultUnit), -1);
        else if (ImportField(f) == ImportField::Remark)
            combo->addItem(QStringLiteral("（不导入，备注为“无”）"), -1);
        else
            combo->addItem(QStringLiteral("（必须选择）"), -1);
        for (int c = 0; c < mSheet.columnCount(); ++c) {
            const ImportCell* title = titles ? titles->cell(c) : nullptr;
            QString text = QStringLiteral("列 %1").arg(mSheet.columnNames[c]);
            if (title && !title->text.isEmpty())
                text += QStringLiteral("：") + shortText(title->text);
            combo->addItem(text, c);
        }
        combo->setCurrentIndex(std::max(0, combo->findData(mapping[std::size_t(f)])));
    }
    mFilling = false;
}

void ImportWindow::titleRowChosen()
{
    if (mFilling)
        return;
    fillFieldColumns();
    updatePreview();
}

void ImportWindow::updatePreview()
{
    ColumnMapping mapping;
    for (int f = 0; f < kImportFieldCount; ++f)
        mapping[std::size_t(f)] = mFields[std::size_t(f)]->currentData().isValid()
                                      ? mFields[std::size_t(f)]->currentData().toInt()
                                      : -1;
    const int titleRow =
        mTitleRows->currentData().isValid() ? mTitleRows->currentData().toInt() : -1;
    mModel->setPreview(buildPreview(mSheet, titleRow, mapping, mDefaultUnit));
    mStatus->setText(mSource ? importStatusText(preview()) : QStringLiteral("请选择文件"));
    if (mModel->rowCount() > 0 && mModel->rowCount() <= 1000)
        mPreviewView->resizeColumnsToContents();
    // The first row with a problem in view: that is what the operator has to look at.
    const std::vector<PreviewRow>& rows = preview().rows;
    const auto problem = std::find_if(rows.begin(), rows.end(),
                                      [](const PreviewRow& row) { return !row.problem.isEmpty(); });
    if (problem != rows.end()) {
        // After the view has laid out the new rows.
        const int row = int(problem - rows.begin());
        QTimer::singleShot(50, mPreviewView, [this, row] {
            if (row < mModel->rowCount())
                mPreviewView->scrollTo(mModel->index(row, 0), QAbstractItemView::PositionAtCenter);
        });
    }
    updateButtons();
}

void ImportWindow::updateButtons()
{
    const ImportPreview& shown = preview();
    mImportButton->setEnabled(shown.importable > 0 &&
                              (shown.problems == 0 || mSkipProblems->isChecked()));
    mExportButton->setEnabled(shown.problems > 0);
}

bool ImportWindow::progressCancelled(const QString& label)
{
    return progressObserver && progressObserver(label);
}

bool ImportWindow::runInBackground(const QString& label,
                                   const std::function<void(const ReadControl&)>& work)
{
    std::atomic<bool> cancel{false};
    std::atomic<int> percent{0};
    const ReadControl control{&cancel, &percent};
    std::unique_ptr<QThread> thread(QThread::create([&work, &control] { work(control); }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);

    QProgressDialog progress(label, QStringLiteral("取消"), 0, 100, this);
    progress.setObjectName(QStringLiteral("进度_导入入库"));
    progress.setWindowTitle(kTitle);
    // Nothing else happens meanwhile: closing the program under a reading would pull the window
    // away from under it.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    connect(&progress, &QProgressDialog::canceled, &loop, [&cancel] { cancel = true; });
    QTimer timer;
    timer.setInterval(50);
    connect(&timer, &QTimer::timeout, &loop, [&] {
        progress.setValue(std::min(99, percent.load()));
        if (progressCancelled(label))
            cancel = true;
    });
    thread->start();
    timer.start();
    if (!thread->isFinished())
        loop.exec();
    thread->wait();
    timer.stop();
    return !cancel;
}

void ImportWindow::importRows()
{
    const ImportPreview& shown = preview();
    if (shown.importable == 0 || (shown.problems > 0 && !mSkipProblems->isChecked()))
        return;
    StockImport import(mContext, shown);
    if (!import.begin()) {
        mContext.dialogs().message(this, import.failure(), kTitle, MessageIcon::Warning);
        return;
    }
    const QString label = QStringLiteral("正在导入…");
    QProgressDialog progress(label, QStringLiteral("取消"), 0, import.total(), this);
    progress.setObjectName(QStringLiteral("进度_导入入库"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    while (!import.isComplete()) {
        if (!import.storeNext(kRowsPerStep)) {
            progress.hide();
            mContext.dialogs().message(this, import.failure(), kTitle, MessageIcon::Warning);
            return;
        }
        progress.setValue(import.stored());
        QCoreApplication::processEvents();
        if (progress.wasCanceled() || progressCancelled(label)) {
            import.rollback();
            progress.hide();
            mContext.dialogs().message(this, QStringLiteral("导入已取消，没有写入任何数据"),
                                       kTitle);
            return;
        }
    }
    progress.hide();
    if (!import.commit()) {
        mContext.dialogs().message(this, import.failure(), kTitle, MessageIcon::Warning);
        return;
    }
    const int stored = import.stored();
    // The rows are in: the preview goes, so that a second press cannot take them in twice.
    mSource.reset();
    mSheet = ImportSheet();
    mFileLabel->setText(QStringLiteral("未选择文件"));
    mFilling = true;
    mSheets->clear();
    mFilling = false;
    mSkipProblems->setChecked(false);
    fillTitleRows();
    mContext.refreshMainWindow();
    mContext.dialogs().message(this, QStringLiteral("导入成功，共 %1 条").arg(stored), kTitle);
}

void ImportWindow::exportProblems()
{
    if (preview().problems == 0)
        return;
    const std::optional<QString> path = mContext.dialogs().chooseSaveFile(
        this, QStringLiteral("导出问题行"), QStringLiteral("问题行.xlsx"),
        QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"), QStringLiteral("xlsx"));
    if (!path || path->isEmpty())
        return;
    if (!exportProblemRows(preview(), *path)) {
        mContext.dialogs().message(this, QStringLiteral("导出问题行失败：") + *path, kTitle,
                                   MessageIcon::Warning);
        return;
    }
    mContext.dialogs().message(
        this, QStringLiteral("已导出 %1 行问题行到 %2").arg(preview().problems).arg(*path), kTitle);
}

QWidget* openImportWindow(AppContext& context)
{
    QWidget* owner = context.mainWindow();
    if (owner) {
        if (auto* open = owner->findChild<ImportWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    auto* window = new ImportWindow(context);
    window->show();
    return window;
}
