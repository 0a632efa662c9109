// SPDX-License-Identifier: GPL-3.0-or-later
// Creates a new, empty datalx.mdb with the administrator account and the default units, or the
// same tables on a PostgreSQL server for several workstations.
//   tarnel-makedb [--if-missing] PATH
//   tarnel-makedb --server URI
#include "storage/newdatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace
{

int setUpServer(const QString& address)
{
    const ServerSetup setup = setUpServerDatabase(address);
    if (!setup.error.isEmpty()) {
        std::fprintf(stderr, "cannot set up the server database: %s\n", qPrintable(setup.error));
        return 1;
    }
    if (setup.createdTables.isEmpty())
        std::printf("all tables exist; nothing changed\n");
    else
        std::printf("created %s\n", qPrintable(setup.createdTables.join(QStringLiteral(", "))));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.first() == QStringLiteral("--server"))
        return setUpServer(args.at(1));
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1 || args.first().startsWith(QStringLiteral("--"))) {
        std::fprintf(stderr, "usage: tarnel-makedb [--if-missing] PATH\n"
                             "       tarnel-makedb --server URI\n");
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
