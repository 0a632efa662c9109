// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/database.h"

#include "storage/addedschema.h"
#include "storage/recordset.h"
#include "storage/serverbackend.h"
#include "storage/sqlitebackend.h"
#include "storage/statementtext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

Database::Database() = default;

Database::~Database()
{
    CloseDatabase();
}

bool Database::NewOpenDatabase(const QString& path, const QString& user, const QString& password,
                               bool readOnly, bool noDialog)
{
    Q_UNUSED(noDialog); // there is no driver dialog to suppress
    QString connection = QStringLiteral("ODBC;DBQ=") + path;
    const qsizetype lastBackslash = path.lastIndexOf(QLatin1Char('\\'));
    if (lastBackslash >= 0)
        connection += QStringLiteral(";DefaultDir=") + path.left(lastBackslash);
    connection += QStringLiteral(";Driver={Microsoft Access Driver (*.mdb)};FIL=MS Access");
    if (!user.isEmpty())
        connection += QStringLiteral(";UID=") + user;
    if (!password.isEmpty())
        connection += QStringLiteral(";PWD=") + password;
    connection += QLatin1Char(';');
    mConnectionText = connection;

    // datalx.conn beside the database names the server that holds the data instead.
    QString error;
    std::unique_ptr<DatabaseBackend> backend;
    const QString connectionFile = connectionFilePath(path);
    if (QFileInfo::exists(connectionFile))
        backend = openServerBackend(readServerAddress(connectionFile), readOnly, error);
    else
        backend = openSqliteBackend(path, readOnly, error);
    if (!backend) {
        mLastError = error;
        return false;
    }
    // A database from before the tables added later gets them now. When that fails (a file on a
    // read-only medium) the database still opens: what needs those tables reports its failure.
    if (!readOnly && !addMissingSchema(*backend, error))
        qWarning("cannot add the missing tables: %s", qPrintable(error));
    CloseDatabase();
    mBackend = std::move(backend);
    return true;
}

QString Database::connectionFilePath(const QString& databasePath)
{
    return QFileInfo(databasePath).dir().filePath(kServerConnectionFileName);
}

QString Database::readServerAddress(const QString& connectionFile)
{
    QFile file(connectionFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            return line;
    }
    return {};
}

void Database::CloseDatabase()
{
    CloseTable(0);
    mBackend.reset();
    mInTransaction = false;
}

bool Database::isOpen() const
{
    return mBackend != nullptr;
}

bool Database::isServer() const
{
    return mBackend && mBackend->isServer();
}

QString Database::adaptStatement(const QString& sql)
{
    return sqliteStatement(sql);
}

void Database::noteFailure()
{
    mLastError = mBackend->lastError();
    mLastFailure = mBackend->lastFailure();
}

int Database::ExecuteSql(const QString& sql, const QVariantList& params)
{
    mLastFailure = StatementFailure::Other;
    mRowsAffected = 0;
    if (sql.isEmpty() || !mBackend)
        return 0;
    if (!mBackend->execute(sql, params)) {
        noteFailure();
        return 0;
    }
    mLastFailure = StatementFailure::None;
    mRowsAffected = mBackend->rowsAffected();
    return 1;
}

int Database::OpenTable(const QString& sql, const QVariantList& params)
{
    mLastFailure = StatementFailure::Other;
    if (sql.isEmpty() || !mBackend)
        return 0;
    int slot = -1;
    for (int i = 0; i < kMaxRecordSets; ++i) {
        if (!mRecordSets[i]) {
            slot = i;
            break;
        }
    }
    if (slot < 0)
        return 0;
    std::unique_ptr<RecordSet> set = mBackend->query(sql, params);
    if (!set) {
        noteFailure();
        return 0;
    }
    mLastFailure = StatementFailure::None;
    mRecordSets[slot] = std::move(set);
    return slot + 1;
}

bool Database::forEachRow(const QString& sql, const QVariantList& params,
                          const std::function<void(const RecordSet&)>& row)
{
    mLastFailure = StatementFailure::Other;
    if (sql.isEmpty() || !mBackend)
        return false;
    if (!mBackend->queryEach(sql, params, row)) {
        noteFailure();
        return false;
    }
    mLastFailure = StatementFailure::None;
    return true;
}

RecordSet* Database::recordSet(int handle) const
{
    if (handle < 1 || handle > kMaxRecordSets)
        return nullptr;
    return mRecordSets[handle - 1].get();
}

bool Database::IsEOF(int handle) const
{
    const RecordSet* set = recordSet(handle);
    return !set || set->position() >= set->rowCount();
}

bool Database::IsBOF(int handle) const
{
    // Record sets only ever move forward, so the position is before the first row only when
    // there is none.
    const RecordSet* set = recordSet(handle);
    return !set || set->rowCount() == 0;
}

void Database::MoveNext(int handle)
{
    RecordSet* set = recordSet(handle);
    if (set)
        set->moveNext();
}

FieldValue Database::ReadColByName(int handle, const QString& column) const
{
    const RecordSet* set = recordSet(handle);
    if (!set)
        return {};
    const int index = set->findColumn(column);
    if (index < 0)
        return {};
    // A read on a result without rows (or past its end) gives the empty value of the column's
    // kind.
    return set->currentValue(index);
}

QString Database::readText(int handle, const QString& column) const
{
    if (const RecordSet* set = recordSet(handle)) {
        const int index = set->findColumn(column);
        const RecordSet::Cell* cell = index >= 0 ? set->currentCell(index) : nullptr;
        if (cell && cell->stored == RecordSet::Stored::Text)
            return RecordSet::cellText(*cell);
    }
    return ReadColByName(handle, column).asText();
}

qint64 Database::readNumber(int handle, const QString& column) const
{
    if (const RecordSet* set = recordSet(handle)) {
        const int index = set->findColumn(column);
        const RecordSet::Cell* cell = index >= 0 ? set->currentCell(index) : nullptr;
        if (cell && cell->stored == RecordSet::Stored::Integer && cell->kind != FieldKind::Boolean)
            return cell->integer;
    }
    return ReadColByName(handle, column).asNumber();
}

QString Database::readDisplay(int handle, const QString& column) const
{
    if (const RecordSet* set = recordSet(handle)) {
        const int index = set->findColumn(column);
        if (index >= 0 && set->currentCell(index))
            return set->currentDisplay(index);
    }
    return ReadColByName(handle, column).forDisplay();
}

bool DatabaseBackend::queryEach(const QString& sql, const QVariantList& params,
                                const std::function<void(const RecordSet&)>& row)
{
    const std::unique_ptr<RecordSet> set = query(sql, params);
    if (!set)
        return false;
    for (; set->position() < set->rowCount(); set->moveNext())
        row(*set);
    return true;
}

std::optional<QByteArrayView> Database::readTextBytes(int handle, const QString& column) const
{
    if (const RecordSet* set = recordSet(handle)) {
        const int index = set->findColumn(column);
        const RecordSet::Cell* cell = index >= 0 ? set->currentCell(index) : nullptr;
        if (cell && cell->stored == RecordSet::Stored::Text)
            return QByteArrayView(cell->bytes, qsizetype(cell->length));
    }
    return std::nullopt;
}

double Database::readReal(int handle, const QString& column) const
{
    if (const RecordSet* set = recordSet(handle)) {
        const int index = set->findColumn(column);
        const RecordSet::Cell* cell = index >= 0 ? set->currentCell(index) : nullptr;
        if (cell && cell->stored == RecordSet::Stored::Real)
            return cell->real;
    }
    return ReadColByName(handle, column).asReal();
}

void Database::CloseTable(int handle)
{
    if (handle == 0) {
        for (auto& set : mRecordSets)
            set.reset();
        return;
    }
    if (handle >= 1 && handle <= kMaxRecordSets)
        mRecordSets[handle - 1].reset();
}

QStringList Database::columnNames(int handle) const
{
    QStringList names;
    if (const RecordSet* set = recordSet(handle)) {
        for (const QString& name : set->names())
            names.append(name);
    }
    return names;
}

int Database::openRecordSetCount() const
{
    int count = 0;
    for (const auto& set : mRecordSets)
        count += set ? 1 : 0;
    return count;
}

bool Database::BeginTrans(TransactionMode mode)
{
    if (!mBackend || mInTransaction)
        return false;
    mInTransaction = mBackend->begin(mode);
    if (!mInTransaction)
        noteFailure();
    return mInTransaction;
}

bool Database::CommitTrans()
{
    if (!mInTransaction)
        return false;
    if (mBackend->commit()) {
        mInTransaction = false;
        return true;
    }
    // A commit that cannot finish leaves nothing half-written: undo the whole transaction.
    noteFailure();
    RollbackTrans();
    return false;
}

void Database::RollbackTrans()
{
    if (!mInTransaction)
        return;
    mBackend->rollback();
    mInTransaction = false;
}

void Database::setBusyTimeout(int milliseconds)
{
    if (mBackend)
        mBackend->setBusyTimeout(milliseconds);
}

bool Database::inTransaction() const
{
    return mInTransaction;
}

bool Database::backupTo(const QString& path, int waitMs)
{
    if (!mBackend || mInTransaction)
        return false;
    if (!mBackend->backupTo(path, waitMs)) {
        mLastError = mBackend->lastError();
        return false;
    }
    return true;
}

Transaction::Transaction(Database& db, TransactionMode mode) : mDb(db)
{
    mActive = mDb.BeginTrans(mode);
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit()
{
    if (!mActive)
        return false;
    mActive = false;
    return mDb.CommitTrans();
}

void Transaction::rollback()
{
    if (mActive) {
        mActive = false;
        mDb.RollbackTrans();
    }
}
