// Creates a new, empty datalx.mdb with the administrator account and the default units.
//   tarnel-makedb [--if-missing] PATH
#include "storage/newdatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: tarnel-makedb [--if-missing] PATH\n");
        return 2;
    }
    const QString path = args.first();
    if (QFile::exists(path)) {
        if (ifMissing)
            return 0; // an operator's database is never overwritten
        std::fprintf(stderr, "%s already exists\n", qPrintable(path));
        return 1;
    }
    const QString error = createDatabaseFile(path);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    std::printf("created %s\n", qPrintable(path));
    return 0;
}
