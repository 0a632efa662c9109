// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

class RecordSet;

// Why the last statement failed, as far as callers act on it: a duplicate key (a document number
// or name that the database already holds) can be answered with another number; any other
// failure is reported. On a server, ConnectionLost means the server could not be reached or the
// link broke before the statement's outcome was known to matter (nothing of a transaction it
// belonged to is stored); CommitUnknown means the link broke after COMMIT was sent, so the
// transaction may or may not be stored: only a look at the data can tell.
enum class StatementFailure { None, DuplicateKey, Other, ConnectionLost, CommitUnknown };

// How a transaction takes the database: Deferred waits for the first write to lock it, Immediate
// excludes every other writer from the start (for a read-check-write of stock).
enum class TransactionMode { Deferred, Immediate };

// One open connection of the database service to where the data lives: the embedded file or a
// server. The service above it keeps the record-set table and the transaction state; a backend
// runs statements with their values bound, never pasted, and hands back whole results.
class DatabaseBackend
{
public:
    virtual ~DatabaseBackend() = default;

    // Runs one statement; false on failure (lastError and lastFailure say why). A statement whose
    // "?" count differs from the count of texts and byte arrays given fails without running.
    virtual bool execute(const QString& sql, const QVariantList& params) = 0;
    // Runs a query and reads its whole result; null on failure.
    virtual std::unique_ptr<RecordSet> query(const QString& sql, const QVariantList& params) = 0;
    // Runs a query and hands its rows to row one at a time, each in a record set standing on
    // that row (its texts valid during the call only); false on failure, which may come after
    // some rows. This one reads the whole result first; a backend that can do better streams.
    virtual bool queryEach(const QString& sql, const QVariantList& params,
                           const std::function<void(const RecordSet&)>& row);

    virtual bool begin(TransactionMode mode) = 0;
    virtual bool commit() = 0;
    virtual void rollback() = 0;

    // How long a statement or a transaction's start waits for another writer before it fails.
    virtual void setBusyTimeout(int milliseconds) = 0;

    // Writes a whole, checked copy of the database to path (see Database::backupTo).
    virtual bool backupTo(const QString& path, int waitMs) = 0;

    virtual bool isServer() const = 0;

    const QString& lastError() const { return mLastError; }
    StatementFailure lastFailure() const { return mLastFailure; }
    // The rows the last successful execute inserted, changed or deleted.
    qint64 rowsAffected() const { return mRowsAffected; }

protected:
    QString mLastError;
    StatementFailure mLastFailure = StatementFailure::Other;
    qint64 mRowsAffected = 0;
};

// The count of values a parameter list binds: its texts and byte arrays.
int bindableCount(const QVariantList& params);
// The failure text of a statement whose values do not fill its parameters.
inline const QString kUnmatchedValues =
    QStringLiteral("the values bound do not match the statement's parameters");

// Milliseconds a statement waits for another writer's lock before it fails.
constexpr int kDefaultBusyTimeoutMs = 15000;
