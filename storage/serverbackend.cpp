// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/serverbackend.h"

#include "storage/recordset.h"
#include "storage/statementtext.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstring>
#include <vector>

namespace
{

// Type numbers of the server's built-in types (pg_type.oid); they never change.
enum : Oid {
    kBoolOid = 16,
    kByteaOid = 17,
    kInt8Oid = 20,
    kInt2Oid = 21,
    kInt4Oid = 23,
    kOidOid = 26,
    kFloat4Oid = 700,
    kFloat8Oid = 701,
    kDateOid = 1082,
    kTimeOid = 1083,
    kTimestampOid = 1114,
    kTimestampTzOid = 1184,
};

// The kind of a column from its type, as a typed database reports it. Counts and sums come
// as bigint; they are whole numbers as in the embedded file. numeric, like Access's Decimal,
// and every other type arrive as text.
FieldKind kindOfType(Oid type)
{
    switch (type) {
    case kBoolOid:
        return FieldKind::Boolean;
    case kByteaOid:
        return FieldKind::Bytes;
    case kInt2Oid:
        return FieldKind::ShortInteger;
    case kInt4Oid:
    case kInt8Oid:
    case kOidOid:
        return FieldKind::LongInteger;
    case kFloat4Oid:
        return FieldKind::Single;
    case kFloat8Oid:
        return FieldKind::Double;
    case kDateOid:
    case kTimeOid:
    case kTimestampOid:
    case kTimestampTzOid:
        return FieldKind::DateTime;
    default:
        return FieldKind::Text;
    }
}

// The ten tables; each keeps, in a last column that no statement names and no result shows, the
// order its rows were written in.
const QStringList kWarehouseTables = {
    QStringLiteral("总数据库模块"), QStringLiteral("入库管理模块"),
    QStringLiteral("出库管理模块"), QStringLiteral("销售管理模块"),
    QStringLiteral("退货管理模块"), QStringLiteral("借用管理模块"),
    QStringLiteral("归还管理模块"), QStringLiteral("问题处理模块"),
    QStringLiteral("用户登录模块"), QStringLiteral("系统信息管理模块")};
const QByteArray kRowOrderColumn = QByteArrayLiteral("行序");

// Column names of the schema written with capitals: the server keeps them in small letters.
const char* const kCapitalisedSchemaNames[] = {"产品ID"};

QByteArray asciiLower(const QByteArray& name)
{
    QByteArray lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return lower;
}

// The result's column name as the statement (or the schema) spells it.
QString columnName(const char* folded, const QStringList& capitalised)
{
    const QByteArray name(folded);
    for (const QString& candidate : capitalised) {
        const QByteArray spelled = candidate.toUtf8();
        if (asciiLower(spelled) == name)
            return candidate;
    }
    for (const char* candidate : kCapitalisedSchemaNames) {
        if (asciiLower(QByteArray(candidate)) == name)
            return QString::fromUtf8(candidate);
    }
    return QString::fromUtf8(name);
}

void appendCell(RecordSet& set, const PGresult* result, int row, int column, FieldKind kind)
{
    if (PQgetisnull(result, row, column)) {
        set.appendNull(kind);
        return;
    }
    const char* text = PQgetvalue(result, row, column);
    const std::size_t size = std::size_t(PQgetlength(result, row, column));
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::DateTime:
        // The record set keeps the result: its texts are read where they are.
        set.appendKeptText(kind, text, size);
        return;
    case FieldKind::LongInteger:
    case FieldKind::ShortInteger:
    case FieldKind::Byte: {
        qint64 value = 0;
        std::from_chars(text, text + size, value);
        set.appendInteger(kind, value);
        return;
    }
    case FieldKind::Boolean:
        set.appendInteger(kind, size > 0 && text[0] == 't' ? 1 : 0);
        return;
    case FieldKind::Single:
    case FieldKind::Double: {
        double value = 0;
        std::from_chars(text, text + size, value);
        set.appendReal(kind, value);
        return;
    }
    case FieldKind::Bytes: {
        // Hexadecimal output: \x followed by two digits a byte.
        const QByteArray bytes =
            size >= 2 ? QByteArray::fromHex(QByteArray::fromRawData(text + 2, qsizetype(size - 2)))
                      : QByteArray();
        set.appendBytes(bytes.constData(), std::size_t(bytes.size()));
        return;
    }
    }
}

void ignoreNotice(void*, const char*) {}

bool setUpSession(PGconn* conn, bool readOnly, QString& error)
{
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    QByteArray settings = "SET datestyle = 'ISO, YMD'; SET bytea_output = 'hex';"
                          "SET standard_conforming_strings = on; SET extra_float_digits = 1;"
                          "SET lock_timeout = " +
                          QByteArray::number(kDefaultBusyTimeoutMs) + ";";
    if (readOnly)
        settings += "SET default_transaction_read_only = on;";
    PGresult* result = PQexec(conn, settings.constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok)
        error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    PQclear(result);
    return ok;
}

PGconn* connect(const QString& address, bool readOnly, QString& error)
{
    if (address.trimmed().isEmpty()) {
        error = QStringLiteral("no server address");
        return nullptr;
    }
    const QByteArray expanded = address.trimmed().toUtf8();
    // The address may set its own time-out and name; the encoding is always UTF-8.
    const char* const keywords[] = {"connect_timeout", "application_name", "dbname",
                                    "client_encoding", nullptr};
    const char* const values[] = {"10", "tarnel", expanded.constData(), "UTF8", nullptr};
    PGconn* conn = PQconnectdbParams(keywords, values, 1);
    if (!conn) {
        error = QStringLiteral("out of memory");
        return nullptr;
    }
    if (PQstatus(conn) != CONNECTION_OK || !setUpSession(conn, readOnly, error)) {
        if (error.isEmpty())
            error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        PQfinish(conn);
        return nullptr;
    }
    return conn;
}

class ServerBackend : public DatabaseBackend
{
public:
    ServerBackend(PGconn* conn, bool readOnly) : mConn(conn), mReadOnly(readOnly) {}
    ~ServerBackend() override { PQfinish(mConn); }

    bool execute(const QString& sql, const QVariantList& params) override
    {
        PGresult* result = run(sql, params);
        const bool ok = result != nullptr;
        PQclear(result);
        return ok;
    }

    std::unique_ptr<RecordSet> query(const QString& sql, const QVariantList& params) override
    {
        QStringList capitalised;
        PGresult* result = run(sql, params, &capitalised);
        if (!result)
            return nullptr;
        auto set = std::make_unique<RecordSet>();
        // The columns shown, with their kinds; the row order column stays hidden.
        std::vector<std::pair<int, FieldKind>> shown;
        for (int c = 0; c < PQnfields(result); ++c) {
            if (PQfname(result, c) == kRowOrderColumn)
                continue;
            shown.emplace_back(c, kindOfType(PQftype(result, c)));
            set->addColumn(columnName(PQfname(result, c), capitalised), shown.back().second);
        }
        const int rows = PQntuples(result);
        for (int r = 0; r < rows; ++r) {
            for (const auto& [column, kind] : shown)
                appendCell(*set, result, r, column, kind);
            set->endRow();
        }
        set->keep(std::shared_ptr<void>(result,
                                        [](void* kept) { PQclear(static_cast<PGresult*>(kept)); }));
        return set;
    }

    bool begin(TransactionMode mode) override
    {
        reconnectIfLost();
        // Read committed: each statement sees what was committed before it began, so a
        // writer that waited for the lock reads the stock the previous writer left.
        if (!command("BEGIN ISOLATION LEVEL READ COMMITTED"))
            return false;
        // The lock belongs to the schema holding the tables: warehouses kept in other schemas
        // of the same database do not wait for each other.
        if (mode == TransactionMode::Immediate &&
            !command("SELECT pg_advisory_xact_lock(" + QByteArray::number(kStockWriterLock) +
                     ", current_schema()::regnamespace::oid::int4)")) {
            command("ROLLBACK");
            return false;
        }
        mInTransaction = true;
        return true;
    }

    bool commit() override
    {
        // A transaction in which a statement failed ends in a rollback even when COMMIT is
        // sent; only a real commit counts.
        PGresult* result = PQexec(mConn, "COMMIT");
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK &&
                        std::strcmp(PQcmdStatus(result), "COMMIT") == 0;
        if (!ok)
            mLastError = PQresultStatus(result) == PGRES_COMMAND_OK
                             ? QStringLiteral("the transaction was rolled back")
                             : QString::fromUtf8(PQerrorMessage(mConn)).trimmed();
        PQclear(result);
        if (!ok && PQtransactionStatus(mConn) != PQTRANS_IDLE)
            command("ROLLBACK");
        mInTransaction = false;
        return ok;
    }

    void rollback() override
    {
        command("ROLLBACK");
        mInTransaction = false;
    }

    void setBusyTimeout(int milliseconds) override
    {
        // Zero means "never wait" here, as it does for the embedded file; the server's own 0
        // would mean "wait for ever".
        command("SET lock_timeout = " + QByteArray::number(milliseconds > 0 ? milliseconds : 1));
    }

    // A server's data is copied with its own tools (pg_dump), not by a workstation.
    bool backupTo(const QString&, int) override
    {
        mLastError = QStringLiteral("a server database is backed up with pg_dump");
        return false;
    }

    bool isServer() const override { return true; }

private:
    // Runs a statement with its values bound; the result of a success, null on failure.
    PGresult* run(const QString& sql, const QVariantList& params,
                  QStringList* capitalised = nullptr)
    {
        reconnectIfLost();
        ServerStatement statement = serverStatement(sql);
        if (capitalised)
            *capitalised = statement.capitalisedNames;
        // Whole rows of a table come in the order they were written, as from the file; the
        // server on its own would move a row to the end of the table whenever it changes.
        if (kWarehouseTables.contains(statement.wholeRowsOf))
            statement.text += "\norder by " + kRowOrderColumn;

        // Texts and byte arrays in order; other arguments are skipped and the following ones
        // move up one place. They must fill the marks exactly: a value short or over would
        // shift the rest into the wrong columns.
        if (bindableCount(params) != statement.parameterCount) {
            mLastError = kUnmatchedValues;
            mLastFailure = StatementFailure::Other;
            return nullptr;
        }
        std::vector<QByteArray> storage;
        std::vector<const char*> values(std::size_t(statement.parameterCount), nullptr);
        std::vector<int> lengths(std::size_t(statement.parameterCount), 0);
        std::vector<int> formats(std::size_t(statement.parameterCount), 0);
        storage.reserve(std::size_t(params.size()));
        std::size_t index = 0;
        for (const QVariant& param : params) {
            const bool isText = param.typeId() == QMetaType::QString;
            if (!isText && param.typeId() != QMetaType::QByteArray)
                continue;
            storage.push_back(isText ? param.toString().toUtf8() : param.toByteArray());
            // A text goes to the server up to its first NUL character, and the server stores
            // none: such a text is refused rather than stored cut short.
            if (isText && storage.back().contains('\0')) {
                mLastError = QStringLiteral("a text holds a NUL character, which the server "
                                            "cannot store");
                mLastFailure = StatementFailure::Other;
                return nullptr;
            }
            // An empty text is a text of no characters, never NULL.
            values[index] = storage.back().constData();
            lengths[index] = int(storage.back().size());
            formats[index] = isText ? 0 : 1;
            ++index;
        }

        PGresult* result = PQexecParams(mConn, statement.text.constData(), statement.parameterCount,
                                        nullptr, values.data(), lengths.data(), formats.data(), 0);
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        mLastError = QString::fromUtf8(PQerrorMessage(mConn)).trimmed();
        // unique_violation: a document number or an account name the server already holds.
        const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        mLastFailure = state && std::strcmp(state, "23505") == 0 ? StatementFailure::DuplicateKey
                                                                 : StatementFailure::Other;
        PQclear(result);
        return nullptr;
    }

    bool command(const QByteArray& sql)
    {
        PGresult* result = PQexec(mConn, sql.constData());
        const bool ok =
            PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        if (!ok)
            mLastError = QString::fromUtf8(PQerrorMessage(mConn)).trimmed();
        PQclear(result);
        return ok;
    }

    // A server that restarted, or a network that dropped, costs the statement that found out;
    // the next one connects again. Never inside a transaction: its work is gone with the link.
    void reconnectIfLost()
    {
        if (mInTransaction || PQstatus(mConn) != CONNECTION_BAD)
            return;
        PQreset(mConn);
        QString error;
        if (PQstatus(mConn) == CONNECTION_OK)
            setUpSession(mConn, mReadOnly, error);
    }

    PGconn* mConn;
    bool mReadOnly;
    bool mInTransaction = false;
};

} // namespace

std::unique_ptr<DatabaseBackend> openServerBackend(const QString& address, bool readOnly,
                                                   QString& error)
{
    PGconn* conn = connect(address, readOnly, error);
    if (!conn)
        return nullptr;
    return std::make_unique<ServerBackend>(conn, readOnly);
}

pg_conn* connectToServer(const QString& address, QString& error)
{
    return connect(address, false, error);
}
