// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labelsettings.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace
{

const QString kMedia = QStringLiteral("尺寸");
const QString kWidth = QStringLiteral("宽度");
const QString kHeight = QStringLiteral("高度");
const QString kMargin = QStringLiteral("边距");
const QString kSymbology = QStringLiteral("条码类型");
const QString kContent = QStringLiteral("条码内容");
const QString kShowName = QStringLiteral("显示产品名称");
const QString kShowBarcode = QStringLiteral("显示条码");
const QString kShowId = QStringLiteral("显示产品ID");
const QString kShowLot = QStringLiteral("显示入库单号");
const QString kShowUnit = QStringLiteral("显示产品单位");
const QString kPrinter = QStringLiteral("打印机");
const QString kToFile = QStringLiteral("打印到文件");
const QString kFileName = QStringLiteral("文件名");

// The settings file keeps no types: numbers come back as texts, read independently of the
// locale; anything unreadable keeps the default.
double readLength(const QSettings& settings, const QString& key, double fallback, double lowest,
                  double highest)
{
    bool ok = false;
    const double value = settings.value(key).toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < lowest || value > highest)
        return fallback;
    return value;
}

int readIndex(const QSettings& settings, const QString& key, int fallback, int count)
{
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok && value >= 0 && value < count ? value : fallback;
}

bool readFlag(const QSettings& settings, const QString& key, bool fallback)
{
    const QString text = settings.value(key).toString();
    if (text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("0"))
        return false;
    return fallback;
}

QString lengthText(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

SavedLabelSettings readLabelSettings(QSettings& settings)
{
    SavedLabelSettings saved;
    LabelOptions& options = saved.options;
    settings.beginGroup(kLabelSettingsGroup);
    options.media = LabelMedia(readIndex(settings, kMedia, int(options.media), 6));
    options.customSize = QSizeF(readLength(settings, kWidth, 50, 10, 300),
                                readLength(settings, kHeight, 30, 10, 300));
    options.margin = readLength(settings, kMargin, options.margin, 0, 20);
    options.symbology = Symbology(readIndex(settings, kSymbology, int(options.symbology), 3));
    options.content = BarcodeContent(readIndex(settings, kContent, int(options.content), 2));
    options.showName = readFlag(settings, kShowName, options.showName);
    options.showBarcode = readFlag(settings, kShowBarcode, options.showBarcode);
    options.showId = readFlag(settings, kShowId, options.showId);
    options.showLot = readFlag(settings, kShowLot, options.showLot);
    options.showUnit = readFlag(settings, kShowUnit, options.showUnit);
    saved.printerName = settings.value(kPrinter).toString();
    saved.printToFile = readFlag(settings, kToFile, false);
    saved.fileName = settings.value(kFileName).toString();
    settings.endGroup();
    return saved;
}

void writeLabelSettings(QSettings& settings, const SavedLabelSettings& saved)
{
    const LabelOptions& options = saved.options;
    const auto flag = [](bool value) {
        return value ? QStringLiteral("1") : QStringLiteral("0");
    };
    settings.beginGroup(kLabelSettingsGroup);
    settings.setValue(kMedia, QString::number(int(options.media)));
    settings.setValue(kWidth, lengthText(options.customSize.width()));
    settings.setValue(kHeight, lengthText(options.customSize.height()));
    settings.setValue(kMargin, lengthText(options.margin));
    settings.setValue(kSymbology, QString::number(int(options.symbology)));
    settings.setValue(kContent, QString::number(int(options.content)));
    settings.setValue(kShowName, flag(options.showName));
    settings.setValue(kShowBarcode, flag(options.showBarcode));
    settings.setValue(kShowId, flag(options.showId));
    settings.setValue(kShowLot, flag(options.showLot));
    settings.setValue(kShowUnit, flag(options.showUnit));
    if (!saved.printerName.isEmpty())
        settings.setValue(kPrinter, saved.printerName);
    settings.setValue(kToFile, flag(saved.printToFile));
    settings.setValue(kFileName, saved.fileName);
    settings.endGroup();
}
