// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the program's SVG icon as a square PNG for the desktop's icon theme.
//   tarnel-render-icon SVG PNG SIZE
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bool sized = false;
    const int size = args.value(2).toInt(&sized);
    if (args.size() != 3 || !sized || size <= 0) {
        std::fprintf(stderr, "usage: tarnel-render-icon SVG PNG SIZE\n");
        return 2;
    }
    QSvgRenderer svg(args.at(0));
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(0)));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    if (!image.save(args.at(1), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
