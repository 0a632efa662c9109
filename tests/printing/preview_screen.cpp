// Saves pictures of the print preview of a sample report, of its print settings dialog and of
// the page jump box, for checking them by eye:  xvfb-run -a preview_screen /tmp
// (a second argument "default" keeps the platform's font instead of the application's).

#include "printing/pagejumpdialog.h"
#include "printing/preview.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"
#include "printing/printsettingsdialog.h"
#include "printing/reportbuilder.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPixmap>

#include <cstdio>

namespace
{

bool save(QWidget* window, const QString& path)
{
    window->show();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QDir out(arguments.value(1, QDir::tempPath()));
    if (arguments.value(2) != QLatin1String("default"))
        QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    TestEnvironment env;
    ReportList list;
    list.setColumns({{QStringLiteral("入库单号"), 110, Qt::AlignLeft},
                     {QStringLiteral("产品名称"), 140, Qt::AlignLeft},
                     {QStringLiteral("产品库存"), 70, Qt::AlignRight},
                     {QStringLiteral("产品单位"), 60, Qt::AlignHCenter},
                     {QStringLiteral("备注"), 120, Qt::AlignLeft}});
    std::vector<QStringList> rows;
    const QStringList names = {QStringLiteral("不锈钢螺丝 M4×20"), QStringLiteral("六角螺母 M4"),
                               QStringLiteral("活动扳手 250mm"), QStringLiteral("电工胶带"),
                               QStringLiteral("十字螺丝刀（大号，带磁性刀头，绝缘手柄）")};
    for (int i = 0; i < 60; ++i)
        rows.push_back({QStringLiteral("rk2018357%1").arg(100 + i), names.at(i % names.size()),
                        QString::number((i * 37) % 200 + 0.5 * (i % 2)), QStringLiteral("盒"),
                        i % 3 ? QStringLiteral("无") : QStringLiteral("借用频繁")});
    list.appendRows(rows);

    PrintRequest request;
    request.source = &list;
    request.title = QStringLiteral("商品库存报表");
    request.titleFont = {QStringLiteral("宋体"), QString::number(rgbValue(0, 0, 128)),
                         QStringLiteral("1"), QStringLiteral("18")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    request.columns = {0, 1, 2, 3, 4};
    request.serialColumn = true;
    request.lineStyle = arguments.value(3, QStringLiteral("1")).toInt();
    request.totals = {QStringLiteral("一")};
    request.pageNumberPosition = 5;
    request.colours = {1, int(rgbValue(222, 223, 206)), int(rgbValue(239, 239, 222)), 0};
    request.remarks = QStringLiteral("备注：本报表由仓库管理员核对，库存以实物盘点为准。");
    request.landscape = false;
    request.paper = 2;
    auto report = buildReport(request);
    if (!report)
        return 1;

    auto* preview = static_cast<PreviewWindow*>(openPrintPreview(env.context(), std::move(report)));
    preview->showNormal();
    preview->resize(1000, 800);
    bool ok = save(preview, out.filePath(QStringLiteral("preview.png")));
    preview->zoomIn();
    preview->zoomIn();
    ok = save(preview, out.filePath(QStringLiteral("preview_zoomed.png"))) && ok;
    preview->nextPage();
    preview->nextPage();
    preview->fitWidth();
    ok = save(preview, out.filePath(QStringLiteral("preview_last.png"))) && ok;

    PrintSettingsDialog settings(env.context(), preview->report().printSettings());
    ok = save(&settings, out.filePath(QStringLiteral("printsettings.png"))) && ok;
    PageJumpDialog jump(preview->pageCount());
    ok = save(&jump, out.filePath(QStringLiteral("pagejump.png"))) && ok;

    // The report printed to a PDF file, to compare the printed page with the preview.
    ReportPrintSettings& printing = preview->report().printSettings();
    printing.printToFile = true;
    printing.fileName = out.filePath(QStringLiteral("report.pdf"));
    PrintRun run(env.context(), preview, preview->report());
    ok = run.run() && ok;
    std::printf("%s %s\n", ok ? "printed" : "FAILED", qPrintable(printing.fileName));
    delete preview;
    return ok ? 0 : 1;
}
