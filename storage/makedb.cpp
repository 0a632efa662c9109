// SPDX-License-Identifier: GPL-3.0-or-later
// Creates a new, empty datalx.mdb with the administrator account and the default units, or the
// same tables on a PostgreSQL server for several workstations, and gives an operator role what
// the workstations need there.
//   tarnel-makedb [--if-missing] PATH
//   tarnel-makedb --server URI [--grant ROLE]
// The server's password never goes on the command line: libpq takes it from PGPASSWORD or
// ~/.pgpass, and the tool asks for it on the terminal when the server wants one.
#include "storage/newdatabase.h"
#include "storage/serverbackend.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <libpq-fe.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace
{

// Reads a password from the terminal without showing it; empty when there is no terminal.
QByteArray askPassword()
{
    if (!isatty(STDIN_FILENO))
        return {};
    std::fprintf(stderr, "Password: ");
    std::fflush(stderr);
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios silent = saved;
    silent.c_lflag &= tcflag_t(~ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stdin) != nullptr;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fprintf(stderr, "\n");
    if (!read)
        return {};
    QByteArray password(line);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    return password;
}

// Makes sure the server can be reached with the password from the environment, ~/.pgpass or
// the terminal; false (with the message printed) when it cannot.
bool reachServer(const QString& address)
{
    QString error;
    bool needsPassword = false;
    PGconn* conn = connectToServer(address, error, &needsPassword);
    if (!conn && needsPassword) {
        const QByteArray password = askPassword();
        if (!password.isEmpty()) {
            // libpq reads it from there for every connection the tool makes.
            qputenv("PGPASSWORD", password);
            error.clear();
            conn = connectToServer(address, error);
        }
    }
    if (!conn) {
        std::fprintf(stderr, "cannot set up the server database: %s\n", qPrintable(error));
        return false;
    }
    PQfinish(conn);
    return true;
}

int setUpServer(const QString& address, const QString& role)
{
    if (addressHoldsPassword(address)) {
        std::fprintf(stderr,
                     "the address holds a password, which would show in process lists and the "
                     "shell history: leave it out and give it in the environment variable "
                     "PGPASSWORD, in ~/.pgpass, or type it when asked\n");
        return 2;
    }
    if (!reachServer(address))
        return 1;
    const ServerSetup setup = setUpServerDatabase(address);
    if (!setup.error.isEmpty()) {
        std::fprintf(stderr, "cannot set up the server database: %s\n", qPrintable(setup.error));
        return 1;
    }
    if (setup.createdTables.isEmpty())
        std::printf("all tables exist; nothing changed\n");
    else
        std::printf("created %s\n", qPrintable(setup.createdTables.join(QStringLiteral(", "))));
    if (role.isEmpty())
        return 0;
    const QString error = grantOperatorRole(address, role);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot grant to %s: %s\n", qPrintable(role), qPrintable(error));
        return 1;
    }
    std::printf("granted %s the use of the tables\n", qPrintable(role));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == QStringLiteral("--server")) {
        if (args.size() == 2)
            return setUpServer(args.at(1), {});
        if (args.size() == 4 && args.at(2) == QStringLiteral("--grant") && !args.at(3).isEmpty())
            return setUpServer(args.at(1), args.at(3));
    }
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1 || args.first().startsWith(QStringLiteral("--"))) {
        std::fprintf(stderr, "usage: tarnel-makedb [--if-missing] PATH\n"
                             "       tarnel-makedb --server URI [--grant ROLE]\n");
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
