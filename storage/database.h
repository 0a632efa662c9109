#pragma once

#include "storage/fieldvalue.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;
class RecordSet;

// Why the last statement failed, as far as callers act on it: a duplicate key (a document number
// or name that the file already holds) can be answered with another number; any other failure
// is reported.
enum class StatementFailure { None, DuplicateKey, Other };

// How a transaction takes the database: Deferred waits for the first write to lock it, Immediate
// takes the write lock at once (for a read-check-write of stock).
enum class TransactionMode { Deferred, Immediate };

// The application's one road to its data: a connection to datalx.mdb with a table of at most 30
// open record sets. Failures are results (false, 0, handle 0), never exceptions or windows.
//
// Values are bound as parameters, never pasted into SQL: pass them as texts (QString) or byte
// arrays (QByteArray); any other argument is skipped and the following ones move up one place.
// A statement whose "?" count differs from the count of values bound fails without running, so
// a value can never land in another column.
class Database
{
public:
    static constexpr int kMaxRecordSets = 30;
    // Milliseconds a backup waits for another connection's write to end before it gives up.
    static constexpr int kBackupWaitMs = 2000;

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file (which must exist). On failure the previous connection stays open. User name
    // and password are accepted for the connection text; the file itself needs none.
    bool NewOpenDatabase(const QString& path, const QString& user = {},
                         const QString& password = {}, bool readOnly = false,
                         bool noDialog = false);
    void CloseDatabase();
    bool isOpen() const;
    // The connection text of the last open attempt ("ODBC;DBQ=...;").
    const QString& connectionText() const { return mConnectionText; }

    // Runs one statement: 1 on success, 0 on failure.
    int ExecuteSql(const QString& sql, const QVariantList& params = {});

    // Runs a query and keeps its whole result in memory: a handle, 0 on failure, for an empty
    // statement text, or when 30 record sets are open.
    int OpenTable(const QString& sql, const QVariantList& params = {});
    bool IsEOF(int handle) const;
    bool IsBOF(int handle) const;
    void MoveNext(int handle);
    FieldValue ReadColByName(int handle, const QString& column) const;
    // Closes one record set; handle 0 closes all of them.
    void CloseTable(int handle);
    int openRecordSetCount() const;
    // The column names of a result, in order (empty for handle 0).
    QStringList columnNames(int handle) const;

    bool BeginTrans(TransactionMode mode = TransactionMode::Deferred);
    // Commits; a commit that fails rolls the transaction back and gives false.
    bool CommitTrans();
    void RollbackTrans();
    bool inTransaction() const;

    // The database's own text for the last failure, for diagnostics only.
    const QString& lastError() const { return mLastError; }
    // How the last ExecuteSql or OpenTable ended (None when it succeeded).
    StatementFailure lastFailure() const { return mLastFailure; }

    // The read forms of a field of the current row: the same as reading the FieldValue with
    // asText(), asNumber(), asReal() or forDisplay(), without building it on the common paths.
    QString readText(int handle, const QString& column) const;
    qint64 readNumber(int handle, const QString& column) const;
    double readReal(int handle, const QString& column) const;
    QString readDisplay(int handle, const QString& column) const;
    // A text field of the current row as its stored UTF-8 bytes, valid until the record set is
    // closed; nothing when the field holds no text (NULL, another kind, no such column). Lets a
    // long list keep the texts without decoding every one.
    std::optional<QByteArrayView> readTextBytes(int handle, const QString& column) const;

    // Writes a whole, consistent copy of the open database to path: copied by the database
    // itself under a read lock (waiting at most waitMs while another connection writes), into a
    // new file beside path that is checked (integrity and tables) and flushed to disk before it
    // replaces path in one step. False, with path as it was, when any step fails, and within a
    // transaction (its changes are not the database's yet).
    bool backupTo(const QString& path, int waitMs = kBackupWaitMs);

    // The statement text as SQLite receives it: square brackets outside literals become
    // identifier quotes, and "delete * from" becomes "delete from".
    static QString adaptStatement(const QString& sql);

private:
    RecordSet* recordSet(int handle) const;
    // The statement as SQLite compiled it, or null (with lastError set).
    sqlite3_stmt* prepare(const QString& sql);
    bool run(const char* sql);
    // Records the failure of the last statement from the connection's error state.
    void noteFailure();

    sqlite3* mDb = nullptr;
    std::unique_ptr<RecordSet> mRecordSets[kMaxRecordSets];
    QString mConnectionText;
    QString mLastError;
    StatementFailure mLastFailure = StatementFailure::None;
    bool mInTransaction = false;
};

// Rolls back unless committed: the scoped form of BeginTrans / CommitTrans / RollbackTrans.
class Transaction
{
public:
    explicit Transaction(Database& db, TransactionMode mode = TransactionMode::Deferred);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return mActive; }
    bool commit();
    void rollback();

private:
    Database& mDb;
    bool mActive = false;
};
