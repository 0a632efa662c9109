// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/serverbackend.h"

#include "storage/recordset.h"
#include "storage/statementtext.h"

#include <libpq-fe.h>

#include <poll.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>
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

ServerTimeouts& timeouts()
{
    static ServerTimeouts figures;
    return figures;
}

using Clock = std::chrono::steady_clock;

// The session settings the service relies on: ISO dates, hexadecimal bytes, no notices on the
// terminal, and the server's own limits: a statement, a wait for another writer's lock and a
// transaction left idle (a workstation that vanished in the middle of one) all end in bounded
// time, so that no other counter waits for it longer than that.
QByteArray sessionSettings(bool readOnly, int lockTimeoutMs)
{
    const ServerTimeouts& t = timeouts();
    QByteArray settings =
        "SET datestyle = 'ISO, YMD'; SET bytea_output = 'hex';"
        "SET standard_conforming_strings = on; SET extra_float_digits = 1;"
        "SET lock_timeout = " +
        QByteArray::number(lockTimeoutMs) +
        "; SET statement_timeout = " + QByteArray::number(t.statementMs) +
        "; SET idle_in_transaction_session_timeout = " + QByteArray::number(t.idleInTransactionMs) +
        ";";
    // The server's end of the link watches the workstation as the workstation watches the
    // server, so that a session whose workstation vanished while the server was sending ends
    // as soon (over TCP; a local socket ignores them).
    settings +=
        "SET tcp_keepalives_idle = " + QByteArray::number(t.keepalivesIdleSeconds) +
        "; SET tcp_keepalives_interval = " + QByteArray::number(t.keepalivesIntervalSeconds) +
        "; SET tcp_keepalives_count = " + QByteArray::number(t.keepalivesCount) +
        "; SET tcp_user_timeout = " + QByteArray::number(t.tcpUserTimeoutMs) + ";";
    if (readOnly)
        settings += "SET default_transaction_read_only = on;";
    return settings;
}

// Waits until the socket is ready for events or the deadline passes; false on the deadline.
bool waitForSocket(int socket, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, int(std::min<qint64>(left, 1000)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return true; // the next libpq call reports the broken socket
    }
}

// Asks the server to stop a statement whose answer did not come in time. libpq's request waits
// for the server without a time limit of its own, and the network that held the answer may hold
// the request too: it runs on a thread of its own that nobody waits for.
void cancelInBackground(PGconn* conn)
{
    PGcancel* cancel = PQgetCancel(conn);
    if (!cancel)
        return;
    std::thread([cancel] {
        char error[256];
        PQcancel(cancel, error, int(sizeof error));
        PQfreeCancel(cancel);
    }).detach();
}

bool succeeded(const PGresult* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// How one call to the server ended.
struct Call {
    PGresult* result = nullptr; // the outcome of a statement that was answered
    bool linkLost = false;      // no answer: the link broke, or the deadline passed
    bool timedOut = false;      // the deadline passed: the server or the network is stuck
    bool handedOver = false;    // the statement left for the server (it may have run)
};

// Sends a statement (or a script, with nParams < 0) and waits for its whole answer, at most the
// call deadline. A statement that got no answer in time is cancelled and the link dropped: the
// caller sees linkLost. Of several results (a script) the first failure is kept, else the last.
Call callServer(PGconn*& conn, const char* text, int nParams = -1,
                const char* const* values = nullptr, const int* lengths = nullptr,
                const int* formats = nullptr)
{
    Call call;
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        call.linkLost = true;
        return call;
    }
    const int sent =
        nParams < 0 ? PQsendQuery(conn, text)
                    : PQsendQueryParams(conn, text, nParams, nullptr, values, lengths, formats, 0);
    if (!sent) {
        // Refused before anything left: a broken link, or no memory (no result, a failure).
        call.linkLost = PQstatus(conn) != CONNECTION_OK;
        return call;
    }
    call.handedOver = true;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timeouts().callDeadlineMs);
    const int socket = PQsocket(conn);
    bool timedOut = false;
    // The statement out of the send buffer; answers that arrive meanwhile are taken in.
    for (int flushed = PQflush(conn); flushed != 0; flushed = PQflush(conn)) {
        if (flushed < 0)
            break;
        if (!waitForSocket(socket, POLLIN | POLLOUT, deadline)) {
            timedOut = true;
            break;
        }
        if (!PQconsumeInput(conn))
            break;
    }
    PGresult* kept = nullptr;
    while (!timedOut) {
        while (PQstatus(conn) == CONNECTION_OK && PQisBusy(conn)) {
            if (!waitForSocket(socket, POLLIN, deadline)) {
                timedOut = true;
                break;
            }
            if (!PQconsumeInput(conn))
                break;
        }
        if (timedOut)
            break;
        PGresult* result = PQgetResult(conn);
        if (!result)
            break;
        if (kept && !succeeded(kept)) {
            PQclear(result);
        } else {
            PQclear(kept);
            kept = result;
        }
    }
    if (timedOut) {
        PQclear(kept);
        cancelInBackground(conn);
        PQfinish(conn);
        conn = nullptr;
        call.linkLost = true;
        call.timedOut = true;
        return call;
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        // An answer cut off by the broken link does not count: the statement's outcome is not
        // known.
        PQclear(kept);
        call.linkLost = true;
        return call;
    }
    call.result = kept;
    return call;
}

QString errorText(PGconn* conn, const PGresult* result)
{
    const char* message = result ? PQresultErrorMessage(result) : nullptr;
    if (message && *message)
        return QString::fromUtf8(message).trimmed();
    if (conn)
        return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    return QStringLiteral("the connection to the server was lost");
}

// Opens a connection and sets up its session, each step bounded in time; null on failure with
// error set. A session that cannot be set up is a failed connection.
PGconn* connect(const QString& address, bool readOnly, int lockTimeoutMs, QString& error,
                bool* needsPassword = nullptr)
{
    if (address.trimmed().isEmpty()) {
        error = QStringLiteral("no server address");
        return nullptr;
    }
    const auto parameters = serverConnectionParameters(address);
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    for (const auto& [keyword, value] : parameters) {
        keywords.push_back(keyword.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (!conn) {
        error = QStringLiteral("out of memory");
        return nullptr;
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        if (needsPassword)
            *needsPassword = PQconnectionNeedsPassword(conn) != 0;
        PQfinish(conn);
        return nullptr;
    }
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    PQsetnonblocking(conn, 1);
    const Call call = callServer(conn, sessionSettings(readOnly, lockTimeoutMs).constData());
    if (call.linkLost || !succeeded(call.result)) {
        error = errorText(conn, call.result);
        PQclear(call.result);
        PQfinish(conn);
        return nullptr;
    }
    PQclear(call.result);
    return conn;
}

// Whether a statement only reads: such a statement may run again after a broken link.
bool onlyReads(const QByteArray& text)
{
    return text.trimmed().left(6).toLower() == "select";
}

class ServerBackend : public DatabaseBackend
{
public:
    ServerBackend(PGconn* conn, const QString& address, bool readOnly)
        : mConn(conn), mAddress(address), mReadOnly(readOnly)
    {
    }
    ~ServerBackend() override { PQfinish(mConn); }

    bool execute(const QString& sql, const QVariantList& params) override
    {
        PGresult* result = run(sql, params);
        const bool ok = result != nullptr;
        mRowsAffected = 0;
        if (ok) {
            const char* rows = PQcmdTuples(result);
            if (rows && *rows)
                mRowsAffected = QByteArray(rows).toLongLong();
        }
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
        // Read committed: each statement sees what was committed before it began, so a
        // writer that waited for the lock reads the stock the previous writer left. Nothing has
        // happened yet when the link breaks on BEGIN: it may be sent again over a new link.
        if (!command("BEGIN ISOLATION LEVEL READ COMMITTED", true))
            return false;
        mInTransaction = true;
        // The lock belongs to the schema holding the tables: warehouses kept in other schemas
        // of the same database do not wait for each other.
        if (mode == TransactionMode::Immediate &&
            !command("SELECT pg_advisory_xact_lock(" + QByteArray::number(kStockWriterLock) +
                     ", current_schema()::regnamespace::oid::int4)")) {
            rollback();
            return false;
        }
        return true;
    }

    bool commit() override
    {
        if (!linkReady()) {
            mInTransaction = false;
            return false;
        }
        // A transaction in which a statement failed ends in a rollback even when COMMIT is
        // sent; only a real commit counts.
        const Call call = callServer(mConn, "COMMIT");
        mInTransaction = false;
        if (call.linkLost) {
            linkLost(call);
            mLastError = QStringLiteral("the connection to the server broke during COMMIT");
            mLastFailure = call.handedOver ? StatementFailure::CommitUnknown
                                           : StatementFailure::ConnectionLost;
            return false;
        }
        const bool ok = PQresultStatus(call.result) == PGRES_COMMAND_OK &&
                        std::strcmp(PQcmdStatus(call.result), "COMMIT") == 0;
        if (!ok) {
            mLastError = PQresultStatus(call.result) == PGRES_COMMAND_OK
                             ? QStringLiteral("the transaction was rolled back")
                             : errorText(mConn, call.result);
            mLastFailure = StatementFailure::Other;
        }
        PQclear(call.result);
        if (!ok && mConn && PQtransactionStatus(mConn) != PQTRANS_IDLE)
            command("ROLLBACK");
        return ok;
    }

    void rollback() override
    {
        // A transaction whose link broke is gone with it: there is nothing to roll back.
        if (mConn && PQstatus(mConn) == CONNECTION_OK)
            command("ROLLBACK");
        mInTransaction = false;
    }

    void setBusyTimeout(int milliseconds) override
    {
        // Zero means "never wait" here, as it does for the embedded file; the server's own 0
        // would mean "wait for ever". A new link gets the same time-out.
        mLockTimeoutMs = milliseconds > 0 ? milliseconds : 1;
        command("SET lock_timeout = " + QByteArray::number(mLockTimeoutMs));
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

        // A read outside a transaction runs again once over a new link when the old one was found
        // closed; a write never does: it may have been stored before the link broke.
        const bool mayRepeat = !mInTransaction && onlyReads(statement.text);
        for (int attempt = 1;; ++attempt) {
            if (!linkReady())
                return nullptr;
            const Call call =
                callServer(mConn, statement.text.constData(), statement.parameterCount,
                           values.data(), lengths.data(), formats.data());
            if (call.linkLost) {
                linkLost(call);
                if (mayRepeat && attempt == 1 && !call.timedOut)
                    continue;
                mLastError = QStringLiteral("the connection to the server was lost");
                mLastFailure = StatementFailure::ConnectionLost;
                return nullptr;
            }
            if (succeeded(call.result))
                return call.result;
            mLastError = errorText(mConn, call.result);
            // unique_violation: a document number or an account name the server already holds.
            const char* state = PQresultErrorField(call.result, PG_DIAG_SQLSTATE);
            mLastFailure = state && std::strcmp(state, "23505") == 0
                               ? StatementFailure::DuplicateKey
                               : StatementFailure::Other;
            PQclear(call.result);
            return nullptr;
        }
    }

    // Runs a statement without values; mayRepeat as for a read (BEGIN).
    bool command(const QByteArray& sql, bool mayRepeat = false)
    {
        for (int attempt = 1;; ++attempt) {
            if (!linkReady())
                return false;
            const Call call = callServer(mConn, sql.constData());
            if (call.linkLost) {
                linkLost(call);
                if (mayRepeat && attempt == 1 && !mInTransaction && !call.timedOut)
                    continue;
                mLastError = QStringLiteral("the connection to the server was lost");
                mLastFailure = StatementFailure::ConnectionLost;
                return false;
            }
            const bool ok = succeeded(call.result);
            if (!ok) {
                mLastError = errorText(mConn, call.result);
                mLastFailure = StatementFailure::Other;
            }
            PQclear(call.result);
            return ok;
        }
    }

    // Whether the link can take a statement. A link the server closed meanwhile (a restart, a
    // network that dropped it) is noticed before anything is sent and replaced outside a
    // transaction; inside one, its work is gone with the link and the transaction fails. While
    // the server was found unreachable a moment ago, the statement fails at once instead of
    // waiting again for the connection time-out.
    bool linkReady()
    {
        if (mConn && PQstatus(mConn) == CONNECTION_OK && !mInTransaction) {
            pollfd entry{PQsocket(mConn), POLLIN, 0};
            // Anything to read on an idle link is the server saying goodbye, or its end.
            if (::poll(&entry, 1, 0) > 0 &&
                (!PQconsumeInput(mConn) || PQstatus(mConn) != CONNECTION_OK))
                dropLink();
        }
        if (mConn && PQstatus(mConn) == CONNECTION_OK)
            return true;
        mLastFailure = StatementFailure::ConnectionLost;
        if (mInTransaction) {
            mLastError = QStringLiteral("the connection to the server was lost");
            return false;
        }
        if (Clock::now() < mUnreachableUntil) {
            mLastError = QStringLiteral("the server was unreachable a moment ago");
            return false;
        }
        dropLink();
        QString error;
        mConn = connect(mAddress, mReadOnly, mLockTimeoutMs, error);
        if (!mConn) {
            mLastError = error;
            rememberOutage();
            return false;
        }
        return true;
    }

    // A link that broke is dropped. One that got no answer in time is a server or a network that
    // is stuck: it is not tried again at once (each try would cost another connection time-out),
    // the following actions fail at once for a moment.
    void linkLost(const Call& call)
    {
        dropLink();
        if (call.timedOut)
            rememberOutage();
    }

    void rememberOutage()
    {
        mUnreachableUntil = Clock::now() + std::chrono::milliseconds(timeouts().outageMemoryMs);
    }

    void dropLink()
    {
        PQfinish(mConn);
        mConn = nullptr;
    }

    PGconn* mConn;
    const QString mAddress;
    const bool mReadOnly;
    bool mInTransaction = false;
    int mLockTimeoutMs = kDefaultBusyTimeoutMs;
    Clock::time_point mUnreachableUntil;
};

} // namespace

const ServerTimeouts& serverTimeouts()
{
    return timeouts();
}

void setServerTimeouts(const ServerTimeouts& figures)
{
    timeouts() = figures;
}

QList<std::pair<QByteArray, QByteArray>> serverConnectionParameters(const QString& address)
{
    const ServerTimeouts& t = timeouts();
    // The figures come before the address: what the address sets itself wins. The name and the
    // encoding come after it: the encoding is always UTF-8.
    return {{"connect_timeout", QByteArray::number(t.connectSeconds)},
            {"keepalives", "1"},
            {"keepalives_idle", QByteArray::number(t.keepalivesIdleSeconds)},
            {"keepalives_interval", QByteArray::number(t.keepalivesIntervalSeconds)},
            {"keepalives_count", QByteArray::number(t.keepalivesCount)},
            {"tcp_user_timeout", QByteArray::number(t.tcpUserTimeoutMs)},
            {"application_name", "tarnel"},
            {"dbname", address.trimmed().toUtf8()},
            {"client_encoding", "UTF8"}};
}

std::unique_ptr<DatabaseBackend> openServerBackend(const QString& address, bool readOnly,
                                                   QString& error)
{
    PGconn* conn = connect(address, readOnly, kDefaultBusyTimeoutMs, error);
    if (!conn)
        return nullptr;
    return std::make_unique<ServerBackend>(conn, address, readOnly);
}

pg_conn* connectToServer(const QString& address, QString& error, bool* needsPassword)
{
    PGconn* conn = connect(address, false, kDefaultBusyTimeoutMs, error, needsPassword);
    // The schema tool waits for its statements as long as they take.
    if (conn)
        PQsetnonblocking(conn, 0);
    return conn;
}

bool addressHoldsPassword(const QString& address)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(address.trimmed().toUtf8().constData(), &error);
    PQfreemem(error);
    bool holds = false;
    for (PQconninfoOption* option = options; option && option->keyword; ++option) {
        if (std::strcmp(option->keyword, "password") == 0 && option->val && *option->val)
            holds = true;
    }
    PQconninfoFree(options);
    return holds;
}
