// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/databasefile.h"

#include "storage/addedschema.h"
#include "storage/databaselock.h"
#include "storage/newdatabase.h"
#include "storage/replacementfile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QStringList>

#include <sqlite3.h>

#include <cerrno>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace
{

// One connection, closed when it goes.
struct Connection {
    Connection() = default;
    ~Connection() { sqlite3_close(db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString error() const
    {
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    }

    sqlite3* db = nullptr;
};

using TableColumns = QMap<QString, QStringList>;

// Every table of the database with its column names in order (SQLite's own tables left out);
// nothing when the schema cannot be read.
std::optional<TableColumns> tableColumns(sqlite3* db)
{
    static const char sql[] =
        "SELECT m.name, c.name FROM sqlite_master AS m, pragma_table_info(m.name) AS c "
        "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
        "ORDER BY m.name, c.cid";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    TableColumns tables;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto text = [statement](int column) {
            return QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
        };
        tables[text(0)].append(text(1));
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return tables;
}

// The tables of the built-in schema, read from a database made from it in memory.
const TableColumns& expectedTables()
{
    static const TableColumns tables = [] {
        Connection memory;
        if (sqlite3_open_v2(":memory:", &memory.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK ||
            sqlite3_exec(memory.db, schemaText().toUtf8().constData(), nullptr, nullptr, nullptr) !=
                SQLITE_OK)
            return TableColumns();
        return tableColumns(memory.db).value_or(TableColumns());
    }();
    return tables;
}

// "ok" when PRAGMA integrity_check finds nothing wrong, else its first finding or the error.
QString integrityCheck(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return QString::fromUtf8(sqlite3_errmsg(db));
    }
    QStringList findings;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        findings.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    if (rc != SQLITE_DONE)
        findings = {QString::fromUtf8(sqlite3_errmsg(db))};
    sqlite3_finalize(statement);
    return findings.isEmpty() ? QStringLiteral("no result") : findings.first();
}

// An exclusive lock on a database file, taken through SQLite's own file locking, so that no
// other connection, in this program or another, reads or writes the file while it is held. The
// file's content is not read: a damaged database can be locked (and replaced) too.
class ExclusiveFileLock
{
public:
    bool acquire(const QString& path, int waitMs)
    {
        if (sqlite3_open_v2(QFileInfo(path).filePath().toUtf8().constData(), &mConnection.db,
                            SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return false;
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(mConnection.db, "main", SQLITE_FCNTL_FILE_POINTER, &file) !=
                SQLITE_OK ||
            !file || !file->pMethods)
            return false;
        // The lock levels in the order SQLite climbs them; a busy level is tried again until
        // the wait is over, as SQLite's busy timeout does.
        const QDeadlineTimer deadline(waitMs);
        for (const int level : {SQLITE_LOCK_SHARED, SQLITE_LOCK_RESERVED, SQLITE_LOCK_EXCLUSIVE}) {
            for (;;) {
                const int rc = file->pMethods->xLock(file, level);
                if (rc == SQLITE_OK)
                    break;
                if (rc != SQLITE_BUSY || deadline.hasExpired())
                    return false;
                sqlite3_sleep(10);
            }
        }
        return true;
    }

    // Closing the connection releases the lock.

private:
    Connection mConnection;
};

// The files SQLite keeps beside a database while it writes: a journal or log left there
// belongs to the database's current content.
const char* const kCompanionSuffixes[] = {"-journal", "-wal"};

// Moves the companions of a database file out of the way (under the database's exclusive lock),
// to be put back when the database file stays, or removed once it has been replaced.
class CompanionsAside
{
public:
    explicit CompanionsAside(const QString& databasePath)
    {
        for (const char* suffix : kCompanionSuffixes) {
            const QString companion = databasePath + QLatin1String(suffix);
            if (QFileInfo::exists(companion))
                mMoved.append(companion);
        }
    }

    bool moveAside()
    {
        for (qsizetype i = 0; i < mMoved.size(); ++i) {
            if (!renameReplacing(mMoved[i], asideName(mMoved[i]))) {
                mMoved.resize(i);
                putBack();
                return false;
            }
        }
        return true;
    }

    void putBack()
    {
        for (const QString& companion : mMoved)
            renameReplacing(asideName(companion), companion);
        mMoved.clear();
    }

    void remove()
    {
        for (const QString& companion : mMoved)
            QFile::remove(asideName(companion));
        mMoved.clear();
    }

private:
    static QString asideName(const QString& companion)
    {
        return companion + QStringLiteral(".stale");
    }

    QStringList mMoved;
};

// Whether the open connection's main database is a whole warehouse database (see
// isWarehouseDatabase).
bool checkWarehouse(Connection& file, QString* problem, WarehouseCheck check)
{
    const auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    // The first read proves that the file is an SQLite database at all.
    if (sqlite3_exec(file.db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return fail(file.error());
    if (check == WarehouseCheck::Full) {
        const QString integrity = integrityCheck(file.db);
        if (integrity != QLatin1String("ok"))
            return fail(integrity);
    }
    const std::optional<TableColumns> tables = tableColumns(file.db);
    if (!tables)
        return fail(file.error());
    const TableColumns& expected = expectedTables();
    if (expected.isEmpty())
        return fail(QStringLiteral("the schema is missing from the program"));
    // A backup from before the tables added later lacks them; opening it adds them.
    const QStringList added = addedTableNames();
    for (auto table = expected.cbegin(); table != expected.cend(); ++table) {
        if (added.contains(table.key()) && !tables->contains(table.key()))
            continue;
        if (tables->value(table.key()) != table.value())
            return fail(
                QStringLiteral("table %1 is missing or has other columns").arg(table.key()));
    }
    return true;
}

} // namespace

bool isWarehouseDatabase(const QString& path, QString* problem, WarehouseCheck check)
{
    if (!QFileInfo(path).isFile()) {
        if (problem)
            *problem = QStringLiteral("no such file");
        return false;
    }
    Connection file;
    if (sqlite3_open_v2(QFileInfo(path).filePath().toUtf8().constData(), &file.db,
                        SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        if (problem)
            *problem = file.error();
        return false;
    }
    return checkWarehouse(file, problem, check);
}

bool copyFileBytes(const QString& source, QFile& target)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = target.handle();
    if (out < 0 || !target.flush()) {
        ::close(in);
        return false;
    }
    bool ok = true;
    bool inKernel = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t done = -1;
        if (inKernel) {
            done = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            // File systems (and kernels) that cannot copy between these files: the bytes go
            // through this process instead, from where the copy stands.
            if (done < 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                buffer.resize(1 << 20);
                continue;
            }
        } else {
            done = ::read(in, buffer.data(), buffer.size());
            for (ssize_t written = 0; done > 0 && written < done;) {
                const ssize_t step =
                    ::write(out, buffer.data() + written, std::size_t(done - written));
                if (step < 0 && errno == EINTR)
                    continue;
                if (step <= 0) {
                    done = -1;
                    break;
                }
                written += step;
            }
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            ok = done == 0;
            break;
        }
    }
    ::close(in);
    return ok;
}

bool isWarehouseDatabaseImage(const QByteArray& image, QString* problem)
{
    Connection memory;
    const auto size = static_cast<sqlite3_int64>(image.size());
    // Read-only: SQLite reads the bytes where they are and never writes to them.
    if (sqlite3_open_v2(":memory:", &memory.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_deserialize(memory.db, "main",
                            reinterpret_cast<unsigned char*>(const_cast<char*>(image.constData())),
                            size, size, SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        if (problem)
            *problem = memory.error();
        return false;
    }
    return checkWarehouse(memory, problem, WarehouseCheck::Full);
}

bool writeDatabaseImage(const QByteArray& image, ReplacementFile& file)
{
    return file.isValid() && file.file()->write(image) == image.size() && file.file()->flush();
}

bool replaceDatabaseFile(const QString& source, const QString& databasePath, int waitMs,
                         QString* problem)
{
    const auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    // Every running program holds the file's lock shared: with one of them running, nothing is
    // replaced. Held until the new file is in place.
    DatabaseFileLock programs;
    if (QFileInfo::exists(databasePath) &&
        !programs.lock(databasePath, DatabaseFileLock::Kind::Exclusive))
        return fail(QStringLiteral("another program has the database file open"));
    // Also held until the new file is in place: nobody works on the old one meanwhile.
    ExclusiveFileLock lock;
    if (QFileInfo::exists(databasePath) && !lock.acquire(databasePath, waitMs))
        return fail(QStringLiteral("the database file is in use"));

    // The bytes are read once and checked in memory: what is checked is what takes the
    // database's place.
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(source));
    const QByteArray image = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read %1").arg(source));
    if (!isWarehouseDatabaseImage(image, problem))
        return false;
    ReplacementFile copy(databasePath, FileAccess::OwnerOnly);
    if (!writeDatabaseImage(image, copy))
        return fail(QStringLiteral("cannot copy %1").arg(source));

    CompanionsAside companions(databasePath);
    if (!companions.moveAside())
        return fail(QStringLiteral("cannot move the old journal aside"));
    if (!copy.commit()) {
        companions.putBack();
        return fail(QStringLiteral("cannot put the copy in place"));
    }
    companions.remove();
    flushFolderToDisk(QFileInfo(databasePath).absolutePath());
    return true;
}
