#include "storage/database.h"

#include "storage/databasefile.h"
#include "storage/replacementfile.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// Milliseconds a statement waits for another writer's lock before it fails.
constexpr int kBusyTimeoutMs = 15000;

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

// Date-times are stored as text: "2018-3-5", "2018-03-05 08:30:00" and the like. Years outside
// 100 to 9999 are set to the nearer end.
QDateTime parseDateTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(-?\d+)[-/](\d{1,2})[-/](\d{1,2})(?:[ T](\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    int year = std::clamp(match.captured(1).toInt(), 100, 9999);
    const QDate date(year, match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

// Binds texts and byte arrays in order; other arguments are skipped and the following ones
// move up one place. Fails, binding nothing, when the values left over do not fill the
// statement's "?" exactly: a value short or over would shift the rest into the wrong columns.
bool bindParameters(sqlite3_stmt* statement, const QVariantList& params)
{
    int bindable = 0;
    for (const QVariant& param : params) {
        const int type = param.typeId();
        bindable += type == QMetaType::QString || type == QMetaType::QByteArray ? 1 : 0;
    }
    if (bindable != sqlite3_bind_parameter_count(statement))
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

} // namespace

// One query result held in memory, standing on its current row. Cells are small and kept in
// fixed-size blocks; texts, byte arrays and date-times are kept as their stored bytes in blocks of
// their own and turned into values only when a field is read. Blocks never move and are reused by
// the allocator from one query to the next, so a snapshot costs little more than the query.
class RecordSet
{
public:
    enum class Stored : quint8 { Null, Integer, Real, Text, Bytes, DateTime };
    struct Cell {
        Stored stored = Stored::Null;
        FieldKind kind = FieldKind::Text;
        quint32 length = 0;
        union {
            qint64 integer = 0;
            double real;
            const char* bytes;
        };
    };

    std::vector<QString> names;
    mutable std::vector<QString> foundBy; // per column: the text it was last found by
    std::vector<std::optional<FieldKind>> declaredKinds;
    QHash<QString, int> columnIndex;
    std::size_t columns = 0;
    std::size_t rowCount = 0;
    std::size_t position = 0;

    FieldKind columnKind(int column) const
    {
        if (declaredKinds[std::size_t(column)])
            return *declaredKinds[std::size_t(column)];
        return FieldKind::Text;
    }

    int findColumn(const QString& name) const
    {
        // A list fill asks for the same columns with the same texts on every row. Each column
        // keeps the text it was last found by; a text sharing that text's characters (not a
        // copy of them) is the same name, without comparing. Holding it keeps them unchanged.
        const qsizetype size = name.size();
        if (size > 0) {
            for (std::size_t i = 0; i < foundBy.size(); ++i) {
                if (foundBy[i].constData() == name.constData() && foundBy[i].size() == size)
                    return int(i);
            }
        }
        int found = -1;
        // A few columns are found faster by comparing than by hashing; names of one table often
        // share their first characters, so the last one is compared first.
        if (names.size() <= 16) {
            for (std::size_t i = 0; i < names.size() && found < 0; ++i) {
                const QString& candidate = names[i];
                if (candidate.size() == size &&
                    (size == 0 || candidate.at(size - 1) == name.at(size - 1)) && candidate == name)
                    found = int(i);
            }
        } else {
            found = columnIndex.value(name, -1);
        }
        if (found >= 0)
            foundBy[std::size_t(found)] = name;
        return found;
    }

    void appendCell(sqlite3_stmt* statement, int column)
    {
        Cell cell;
        const int storageClass = sqlite3_column_type(statement, column);
        const std::optional<FieldKind>& declared = declaredKinds[std::size_t(column)];
        cell.kind = declared ? *declared : kindOfStoredValue(storageClass);
        if (storageClass != SQLITE_NULL) {
            switch (cell.kind) {
            case FieldKind::Text:
            case FieldKind::DateTime: {
                cell.stored = cell.kind == FieldKind::Text ? Stored::Text : Stored::DateTime;
                const unsigned char* text = sqlite3_column_text(statement, column);
                keepBytes(cell, text, sqlite3_column_bytes(statement, column));
                break;
            }
            case FieldKind::LongInteger:
            case FieldKind::ShortInteger:
            case FieldKind::Byte:
            case FieldKind::Boolean:
                cell.stored = Stored::Integer;
                cell.integer = sqlite3_column_int64(statement, column);
                break;
            case FieldKind::Single:
            case FieldKind::Double:
                cell.stored = Stored::Real;
                cell.real = sqlite3_column_double(statement, column);
                break;
            case FieldKind::Bytes: {
                cell.stored = Stored::Bytes;
                const void* data = sqlite3_column_blob(statement, column);
                keepBytes(cell, data, sqlite3_column_bytes(statement, column));
                break;
            }
            }
        }
        const std::size_t index = mCellCount % kCellsPerBlock;
        if (index == 0)
            mCellBlocks.push_back(std::make_unique<Cell[]>(kCellsPerBlock));
        mCellBlocks.back()[index] = cell;
        ++mCellCount;
    }

    const Cell* currentCell(int column) const
    {
        if (position >= rowCount)
            return nullptr;
        const std::size_t index = position * columns + std::size_t(column);
        return &mCellBlocks[index / kCellsPerBlock][index % kCellsPerBlock];
    }

    static QString cellText(const Cell& cell)
    {
        return QString::fromUtf8(cell.bytes, qsizetype(cell.length));
    }

    FieldValue currentValue(int column) const
    {
        const Cell* cell = currentCell(column);
        if (!cell)
            return FieldValue::emptyOf(columnKind(column));
        switch (cell->stored) {
        case Stored::Null:
            return FieldValue::emptyOf(cell->kind);
        case Stored::Text:
            return FieldValue::text(cellText(*cell));
        case Stored::Integer:
            return cell->kind == FieldKind::Boolean
                       ? FieldValue::boolean(cell->integer != 0)
                       : FieldValue::integer(cell->kind, cell->integer);
        case Stored::Real:
            return FieldValue::real(cell->kind, cell->real);
        case Stored::DateTime:
            return FieldValue::dateTime(parseDateTime(cellText(*cell)));
        case Stored::Bytes:
            return FieldValue::bytes(QByteArray(cell->bytes, qsizetype(cell->length)));
        }
        return {};
    }

private:
    static constexpr std::size_t kCellsPerBlock = 4096;
    static constexpr std::size_t kBytesPerBlock = 65536;

    void keepBytes(Cell& cell, const void* data, int size)
    {
        static const char empty = 0;
        cell.length = quint32(size);
        cell.bytes = &empty;
        if (size <= 0)
            return;
        const std::size_t needed = std::size_t(size);
        if (needed > kBytesPerBlock / 4) {
            // A long value gets a block of its own.
            mLongValues.push_back(std::make_unique<char[]>(needed));
            std::memcpy(mLongValues.back().get(), data, needed);
            cell.bytes = mLongValues.back().get();
            return;
        }
        if (mByteBlocks.empty() || mBytesUsed + needed > kBytesPerBlock) {
            mByteBlocks.push_back(std::make_unique<char[]>(kBytesPerBlock));
            mBytesUsed = 0;
        }
        char* target = mByteBlocks.back().get() + mBytesUsed;
        std::memcpy(target, data, needed);
        mBytesUsed += needed;
        cell.bytes = target;
    }

    std::vector<std::unique_ptr<Cell[]>> mCellBlocks;
    std::size_t mCellCount = 0;
    std::vector<std::unique_ptr<char[]>> mByteBlocks;
    std::size_t mBytesUsed = 0;
    std::vector<std::unique_ptr<char[]>> mLongValues;
};

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

    // A missing file is a failed open, never a new empty database.
    sqlite3* db = nullptr;
    // The connection is only ever used by the thread that opened it (the user-interface thread):
    // SQLite need not lock it on every call.
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const QByteArray file = QFileInfo(path).filePath().toUtf8();
    int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // Reading the schema proves the file is a database; the rollback journal and full
        // synchronous writes keep it whole across a power cut.
        rc = sqlite3_exec(db,
                          "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
                          "SELECT count(*) FROM sqlite_master;",
                          nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        mLastError = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        return false;
    }
    CloseDatabase();
    mDb = db;
    return true;
}

void Database::CloseDatabase()
{
    CloseTable(0);
    if (mDb) {
        sqlite3_close(mDb);
        mDb = nullptr;
    }
    mInTransaction = false;
}

bool Database::isOpen() const
{
    return mDb != nullptr;
}

QString Database::adaptStatement(const QString& sql)
{
    QString out;
    out.reserve(sql.size());
    bool inLiteral = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (inLiteral) {
            out += c;
            if (c == QLatin1Char('\'')) {
                if (i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('\''))
                    out += sql.at(++i);
                else
                    inLiteral = false;
            }
            continue;
        }
        if (c == QLatin1Char('\'')) {
            inLiteral = true;
            out += c;
        } else if (c == QLatin1Char('[') || c == QLatin1Char(']')) {
            if (i + 1 < sql.size() && sql.at(i + 1) == c) {
                out += c; // a doubled bracket stands for one literal bracket
                ++i;
            } else {
                out += QLatin1Char('"');
            }
        } else {
            out += c;
        }
    }
    static const QRegularExpression deleteStar(QStringLiteral(R"(^(\s*delete)\s+\*\s*(from\b))"),
                                               QRegularExpression::CaseInsensitiveOption);
    out.replace(deleteStar, QStringLiteral("\\1 \\2"));
    return out;
}

sqlite3_stmt* Database::prepare(const QString& sql)
{
    const QByteArray text = adaptStatement(sql).toUtf8();
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

void Database::noteFailure()
{
    if (!mDb) {
        mLastFailure = StatementFailure::Other;
        return;
    }
    mLastError = QString::fromUtf8(sqlite3_errmsg(mDb));
    const int code = sqlite3_extended_errcode(mDb);
    mLastFailure = code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY
                       ? StatementFailure::DuplicateKey
                       : StatementFailure::Other;
}

int Database::ExecuteSql(const QString& sql, const QVariantList& params)
{
    mLastFailure = StatementFailure::Other;
    if (sql.isEmpty() || !mDb)
        return 0;
    sqlite3_stmt* statement = prepare(sql);
    if (!statement)
        return 0;
    if (!bindParameters(statement, params)) {
        mLastError = QStringLiteral("the values bound do not match the statement's parameters");
        sqlite3_finalize(statement);
        return 0;
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        // rows of a statement that returns some are drained and discarded
    }
    const bool ok = rc == SQLITE_DONE;
    if (ok)
        mLastFailure = StatementFailure::None;
    else
        noteFailure();
    sqlite3_finalize(statement);
    return ok ? 1 : 0;
}

int Database::OpenTable(const QString& sql, const QVariantList& params)
{
    mLastFailure = StatementFailure::Other;
    if (sql.isEmpty() || !mDb)
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

    sqlite3_stmt* statement = prepare(sql);
    if (!statement)
        return 0;
    auto set = std::make_unique<RecordSet>();
    const int columns = sqlite3_column_count(statement);
    set->names.reserve(std::size_t(columns));
    set->foundBy.resize(std::size_t(columns));
    set->declaredKinds.reserve(std::size_t(columns));
    for (int c = 0; c < columns; ++c) {
        const QString name = QString::fromUtf8(sqlite3_column_name(statement, c));
        set->names.push_back(name);
        set->declaredKinds.push_back(kindOfDeclaredType(sqlite3_column_decltype(statement, c)));
        if (!set->columnIndex.contains(name))
            set->columnIndex.insert(name, c);
    }
    if (!bindParameters(statement, params)) {
        mLastError = QStringLiteral("the values bound do not match the statement's parameters");
        sqlite3_finalize(statement);
        return 0;
    }
    int rc = SQLITE_ROW;
    set->columns = std::size_t(columns);
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            set->appendCell(statement, c);
        ++set->rowCount;
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        noteFailure();
    sqlite3_finalize(statement);
    if (!ok)
        return 0;
    mLastFailure = StatementFailure::None;
    mRecordSets[slot] = std::move(set);
    return slot + 1;
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
    return !set || set->position >= set->rowCount;
}

bool Database::IsBOF(int handle) const
{
    // Record sets only ever move forward, so the position is before the first row only when
    // there is none.
    const RecordSet* set = recordSet(handle);
    return !set || set->rowCount == 0;
}

void Database::MoveNext(int handle)
{
    RecordSet* set = recordSet(handle);
    if (set && set->position < set->rowCount)
        ++set->position;
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

QString Database::readDisplay(int handle, const QString& column) const
{
    // Texts, most of what lists show, are decoded straight from the record set.
    if (const RecordSet* set = recordSet(handle)) {
        const int index = set->findColumn(column);
        const RecordSet::Cell* cell = index >= 0 ? set->currentCell(index) : nullptr;
        if (cell && cell->stored == RecordSet::Stored::Text)
            return RecordSet::cellText(*cell);
    }
    return ReadColByName(handle, column).forDisplay();
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
        for (const QString& name : set->names)
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

bool Database::run(const char* sql)
{
    if (!mDb)
        return false;
    char* error = nullptr;
    const int rc = sqlite3_exec(mDb, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        mLastError = QString::fromUtf8(error ? error : sqlite3_errmsg(mDb));
        sqlite3_free(error);
        return false;
    }
    return true;
}

bool Database::BeginTrans(TransactionMode mode)
{
    if (!mDb || mInTransaction)
        return false;
    mInTransaction = run(mode == TransactionMode::Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
    return mInTransaction;
}

bool Database::CommitTrans()
{
    if (!mInTransaction)
        return false;
    if (run("COMMIT")) {
        mInTransaction = false;
        return true;
    }
    // A commit that cannot finish leaves nothing half-written: undo the whole transaction.
    RollbackTrans();
    return false;
}

void Database::RollbackTrans()
{
    if (!mInTransaction)
        return;
    run("ROLLBACK");
    mInTransaction = false;
}

bool Database::inTransaction() const
{
    return mInTransaction;
}

bool Database::backupTo(const QString& path, int waitMs)
{
    if (!mDb || mInTransaction)
        return false;
    ReplacementFile copy(path);
    if (!copy.isValid()) {
        mLastError = QStringLiteral("cannot create a file beside %1").arg(path);
        return false;
    }
    sqlite3* target = nullptr;
    int rc =
        sqlite3_open_v2(copy.path().toUtf8().constData(), &target, SQLITE_OPEN_READWRITE, nullptr);
    // The new file needs no journal: it is thrown away unless the whole copy succeeds.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(target, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        // The whole database in one step, under one read lock: a writer's half-done changes are
        // never copied, and a writer that holds the file longer than the wait makes the backup
        // fail.
        sqlite3_busy_timeout(mDb, waitMs);
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", mDb, "main");
        if (backup) {
            const int step = sqlite3_backup_step(backup, -1);
            rc = sqlite3_backup_finish(backup);
            if (step != SQLITE_DONE)
                rc = step;
        } else {
            rc = sqlite3_errcode(target);
        }
        sqlite3_busy_timeout(mDb, kBusyTimeoutMs);
    }
    if (rc != SQLITE_OK)
        mLastError = QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close(target);
    if (rc != SQLITE_OK)
        return false;
    QString problem;
    if (!isWarehouseDatabase(copy.path(), &problem)) {
        mLastError = problem;
        return false;
    }
    if (!copy.commit()) {
        mLastError = QStringLiteral("cannot put the backup in place of %1").arg(path);
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
