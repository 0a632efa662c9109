// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/sqlitebackend.h"

#include "storage/databasefile.h"
#include "storage/databaselock.h"
#include "storage/recordset.h"
#include "storage/replacementfile.h"
#include "storage/statementtext.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <optional>
#include <vector>

namespace
{

// The kind of a column from its declared type, as a typed database reports it. An empty
// declaration (an expression column) takes the kind of each stored value.
std::optional<FieldKind> kindOfDeclaredType(const char* declared)
{
    if (!declared || !*declared)
        return std::nullopt;
    const QByteArray type = QByteArray(declared).toUpper();
    auto has = [&type](const char* word) {
        return type.contains(word);
    };
    if (has("CHAR") || has("TEXT") || has("CLOB") || has("MEMO") || has("NUMERIC") ||
        has("DECIMAL") || has("CURRENCY") || has("BIGINT"))
        return FieldKind::Text;
    if (has("TINYINT") || has("BYTE"))
        return FieldKind::Byte;
    if (has("SMALLINT"))
        return FieldKind::ShortInteger;
    if (has("INT"))
        return FieldKind::LongInteger;
    if (has("SINGLE"))
        return FieldKind::Single;
    if (has("REAL") || has("DOUBLE") || has("FLOA"))
        return FieldKind::Double;
    if (has("BIT") || has("BOOL") || has("YESNO"))
        return FieldKind::Boolean;
    if (has("DATE") || has("TIME"))
        return FieldKind::DateTime;
    if (has("BLOB") || has("BINARY"))
        return FieldKind::Bytes;
    return FieldKind::Text;
}

FieldKind kindOfStoredValue(int storageClass)
{
    switch (storageClass) {
    case SQLITE_INTEGER:
        return FieldKind::LongInteger;
    case SQLITE_FLOAT:
        return FieldKind::Double;
    case SQLITE_BLOB:
        return FieldKind::Bytes;
    default:
        return FieldKind::Text;
    }
}

// Binds texts and byte arrays in order; other arguments are skipped and the following ones
// move up one place. Fails, binding nothing, when the values left over do not fill the
// statement's "?" exactly: a value short or over would shift the rest into the wrong columns.
bool bindParameters(sqlite3_stmt* statement, const QVariantList& params)
{
    if (bindableCount(params) != sqlite3_bind_parameter_count(statement))
        return false;
    int index = 1;
    for (const QVariant& param : params) {
        int rc = SQLITE_OK;
        if (param.typeId() == QMetaType::QString) {
            const QByteArray utf8 = param.toString().toUtf8();
            rc = sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
        } else if (param.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = param.toByteArray();
            rc = bytes.isEmpty() ? sqlite3_bind_zeroblob(statement, index, 0)
                                 : sqlite3_bind_blob(statement, index, bytes.constData(),
                                                     int(bytes.size()), SQLITE_TRANSIENT);
        } else {
            continue;
        }
        if (rc != SQLITE_OK)
            return false;
        ++index;
    }
    return true;
}

// Texts are copied into the record set, or (kept) left where SQLite holds them until the next
// step.
void appendCell(RecordSet& set, sqlite3_stmt* statement, int column, bool kept = false)
{
    const int storageClass = sqlite3_column_type(statement, column);
    const std::optional<FieldKind>& declared = set.declaredKind(column);
    const FieldKind kind = declared ? *declared : kindOfStoredValue(storageClass);
    if (storageClass == SQLITE_NULL) {
        set.appendNull(kind);
        return;
    }
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::DateTime: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const auto size = std::size_t(sqlite3_column_bytes(statement, column));
        if (kept)
            set.appendKeptText(kind, text, size);
        else
            set.appendText(kind, text, size);
        return;
    }
    case FieldKind::LongInteger:
    case FieldKind::ShortInteger:
    case FieldKind::Byte:
    case FieldKind::Boolean:
        set.appendInteger(kind, sqlite3_column_int64(statement, column));
        return;
    case FieldKind::Single:
    case FieldKind::Double:
        set.appendReal(kind, sqlite3_column_double(statement, column));
        return;
    case FieldKind::Bytes: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        set.appendBytes(data, std::size_t(sqlite3_column_bytes(statement, column)));
        return;
    }
    }
}

class SqliteBackend : public DatabaseBackend
{
public:
    explicit SqliteBackend(sqlite3* db) : mDb(db) {}
    ~SqliteBackend() override
    {
        for (const Compiled& compiled : mCompiled)
            sqlite3_finalize(compiled.statement);
        sqlite3_close(mDb);
    }

    bool execute(const QString& sql, const QVariantList& params) override
    {
        sqlite3_stmt* statement = compiledStatement(sql);
        if (!statement)
            return false;
        if (!bindParameters(statement, params)) {
            mLastError = kUnmatchedValues;
            mLastFailure = StatementFailure::Other;
            keepCompiled(sql, statement);
            return false;
        }
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            // rows of a statement that returns some are drained and discarded
        }
        const bool ok = rc == SQLITE_DONE;
        if (!ok)
            noteFailure();
        mRowsAffected = ok ? sqlite3_changes64(mDb) : 0;
        keepCompiled(sql, statement);
        return ok;
    }

    std::unique_ptr<RecordSet> query(const QString& sql, const QVariantList& params) override
    {
        sqlite3_stmt* statement = prepareAndBind(sql, params);
        if (!statement)
            return nullptr;
        auto set = std::make_unique<RecordSet>();
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c)
            set->addColumn(QString::fromUtf8(sqlite3_column_name(statement, c)),
                           kindOfDeclaredType(sqlite3_column_decltype(statement, c)));
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                appendCell(*set, statement, c);
            set->endRow();
        }
        const bool ok = rc == SQLITE_DONE;
        if (!ok)
            noteFailure();
        sqlite3_finalize(statement);
        if (!ok)
            return nullptr;
        return set;
    }

    bool queryEach(const QString& sql, const QVariantList& params,
                   const std::function<void(const RecordSet&)>& row) override
    {
        sqlite3_stmt* statement = prepareAndBind(sql, params);
        if (!statement)
            return false;
        RecordSet set;
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c)
            set.addColumn(QString::fromUtf8(sqlite3_column_name(statement, c)),
                          kindOfDeclaredType(sqlite3_column_decltype(statement, c)));
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            // The row's texts stay in SQLite's buffers: nothing is copied before the reader
            // takes what it keeps.
            set.clearRows();
            for (int c = 0; c < columns; ++c)
                appendCell(set, statement, c, true);
            set.endRow();
            row(set);
        }
        const bool ok = rc == SQLITE_DONE;
        if (!ok)
            noteFailure();
        sqlite3_finalize(statement);
        return ok;
    }

    bool begin(TransactionMode mode) override
    {
        return run(mode == TransactionMode::Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    bool commit() override { return run("COMMIT"); }
    void rollback() override { run("ROLLBACK"); }
    void setBusyTimeout(int milliseconds) override
    {
        mBusyTimeoutMs = milliseconds;
        sqlite3_busy_timeout(mDb, milliseconds);
    }

    bool backupTo(const QString& path, int waitMs) override
    {
        // Made exclusively beside the backup, readable by the owner only, and written through
        // its open handle.
        ReplacementFile copy(path, FileAccess::OwnerOnly);
        if (!copy.isValid()) {
            mLastError = QStringLiteral("cannot create a file beside %1").arg(path);
            return false;
        }
        // The whole database under one read lock (waiting at most waitMs for a writer that holds
        // the file): a writer's half-done changes are never copied.
        sqlite3_busy_timeout(mDb, waitMs);
        int rc = sqlite3_exec(mDb, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                              nullptr);
        // A read that waited in vain still leaves the transaction begun: it is ended here, so
        // that no later statement runs inside it.
        if (rc != SQLITE_OK && !sqlite3_get_autocommit(mDb))
            sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            // With a rollback journal the file itself holds every committed change, and no
            // writer changes it while the lock is held: its bytes are copied as they are, as
            // fast as the system copies a file. A write-ahead log keeps changes beside the file:
            // then the database copies its pages (SQLite writes only to a named file).
            if (usesRollbackJournal() &&
                copyFileBytes(QString::fromUtf8(sqlite3_db_filename(mDb, "main")), *copy.file()))
                rc = SQLITE_OK;
            else
                rc = copyPages(copy.path());
            sqlite3_exec(mDb, "COMMIT", nullptr, nullptr, nullptr);
        }
        sqlite3_busy_timeout(mDb, mBusyTimeoutMs);
        if (rc != SQLITE_OK) {
            mLastError = QString::fromUtf8(sqlite3_errstr(rc));
            return false;
        }
        // The copy is byte for byte the database that was read: its header and tables are
        // checked here, every page when it is restored.
        QString problem;
        if (!isWarehouseDatabase(copy.path(), &problem, WarehouseCheck::Structure)) {
            mLastError = problem;
            return false;
        }
        if (!copy.commit()) {
            mLastError = QStringLiteral("cannot put the backup in place of %1").arg(path);
            return false;
        }
        return true;
    }
    bool isServer() const override { return false; }

    void holdFileLock(std::unique_ptr<DatabaseFileLock> lock) { mFileLock = std::move(lock); }

private:
    // The statements run last stay compiled, reset and without values, so that a run of the
    // same statement (an import of thousands of stock-ins) does not compile it every time.
    struct Compiled {
        QString sql;
        sqlite3_stmt* statement = nullptr;
    };
    static constexpr std::size_t kCompiledKept = 8;

    // The compiled statement of the text, taken out of the kept ones or compiled anew; null
    // (with the failure noted) when it does not compile.
    sqlite3_stmt* compiledStatement(const QString& sql)
    {
        for (auto it = mCompiled.begin(); it != mCompiled.end(); ++it) {
            if (it->sql == sql) {
                sqlite3_stmt* statement = it->statement;
                mCompiled.erase(it);
                return statement;
            }
        }
        const QByteArray text = sqliteStatement(sql).toUtf8();
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(mDb, text.constData(), int(text.size()), &statement, nullptr) !=
                SQLITE_OK ||
            !statement) {
            noteFailure();
            sqlite3_finalize(statement);
            return nullptr;
        }
        return statement;
    }

    // Resets the statement and keeps it, dropping the one used longest ago beyond the limit.
    void keepCompiled(const QString& sql, sqlite3_stmt* statement)
    {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        mCompiled.push_back({sql, statement});
        if (mCompiled.size() > kCompiledKept) {
            sqlite3_finalize(mCompiled.front().statement);
            mCompiled.erase(mCompiled.begin());
        }
    }

    // The statement as SQLite compiled it with its values bound, or null (with the failure
    // noted).
    sqlite3_stmt* prepareAndBind(const QString& sql, const QVariantList& params)
    {
        const QByteArray text = sqliteStatement(sql).toUtf8();
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(mDb, text.constData(), int(text.size()), &statement, nullptr) !=
                SQLITE_OK ||
            !statement) {
            noteFailure();
            sqlite3_finalize(statement);
            return nullptr;
        }
        if (!bindParameters(statement, params)) {
            mLastError = kUnmatchedValues;
            mLastFailure = StatementFailure::Other;
            sqlite3_finalize(statement);
            return nullptr;
        }
        return statement;
    }

    // Whether the file's changes are committed into the file itself (not into a write-ahead
    // log beside it).
    bool usesRollbackJournal()
    {
        sqlite3_stmt* statement = nullptr;
        QByteArray mode;
        if (sqlite3_prepare_v2(mDb, "PRAGMA journal_mode", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            mode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return !mode.isEmpty() && mode.toLower() != "wal";
    }

    // Copies every page of the database into a new database file at target, in one step.
    int copyPages(const QString& target)
    {
        sqlite3* copy = nullptr;
        int rc =
            sqlite3_open_v2(target.toUtf8().constData(), &copy, SQLITE_OPEN_READWRITE, nullptr);
        // The new file needs no journal: it is thrown away unless the whole copy succeeds.
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(copy, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_backup* backup = sqlite3_backup_init(copy, "main", mDb, "main");
            if (backup) {
                const int step = sqlite3_backup_step(backup, -1);
                rc = sqlite3_backup_finish(backup);
                if (step != SQLITE_DONE)
                    rc = step;
            } else {
                rc = sqlite3_errcode(copy);
            }
        }
        sqlite3_close(copy);
        return rc;
    }

    // Records the failure of the last statement from the connection's error state.
    void noteFailure()
    {
        mLastError = QString::fromUtf8(sqlite3_errmsg(mDb));
        const int code = sqlite3_extended_errcode(mDb);
        mLastFailure = code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY
                           ? StatementFailure::DuplicateKey
                           : StatementFailure::Other;
    }

    bool run(const char* sql)
    {
        char* error = nullptr;
        const int rc = sqlite3_exec(mDb, sql, nullptr, nullptr, &error);
        if (rc != SQLITE_OK) {
            mLastError = QString::fromUtf8(error ? error : sqlite3_errmsg(mDb));
            sqlite3_free(error);
            return false;
        }
        return true;
    }

    sqlite3* mDb;
    int mBusyTimeoutMs = kDefaultBusyTimeoutMs;
    // Shared for as long as the connection is open: let go after the destructor's body has
    // closed the connection.
    std::unique_ptr<DatabaseFileLock> mFileLock;
    std::vector<Compiled> mCompiled; // the statement used longest ago first
};

} // namespace

std::unique_ptr<DatabaseBackend> openSqliteBackend(const QString& path, bool readOnly,
                                                   QString& error)
{
    // A missing file is a failed open, never a new empty database.
    sqlite3* db = nullptr;
    // The connection is only ever used by the thread that opened it (the user-interface thread):
    // SQLite need not lock it on every call.
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const QByteArray file = QFileInfo(path).filePath().toUtf8();
    int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, kDefaultBusyTimeoutMs);
        // Reading the schema proves the file is a database; the rollback journal and full
        // synchronous writes keep it whole across a power cut.
        rc = sqlite3_exec(db,
                          "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
                          "SELECT count(*) FROM sqlite_master;",
                          nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    // Held shared while the file is open, so that a restore knows this program is using it. A
    // restore holds it for a moment only: it is waited for as for a writer.
    auto lock = std::make_unique<DatabaseFileLock>();
    if (!lock->lock(path, DatabaseFileLock::Kind::Shared, kDatabaseFileWaitMs)) {
        error = QStringLiteral("the database file is being replaced");
        sqlite3_close(db);
        return nullptr;
    }
    auto backend = std::make_unique<SqliteBackend>(db);
    backend->holdFileLock(std::move(lock));
    return backend;
}
