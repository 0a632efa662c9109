#include "tests/support/testdatabase.h"

#include "storage/newdatabase.h"
#include "tests/support/scripteddialogs.h"

#include <QDir>
#include <QSettings>
#include <QTest>

TestProgramDirectory::TestProgramDirectory() : mPath(mDir.path())
{
    const QString error = createDatabaseFile(databasePath());
    if (!error.isEmpty())
        qFatal("cannot create the test database: %s", qPrintable(error));
    QDir(mPath).mkdir(QStringLiteral("数据库备份"));
}

QString TestProgramDirectory::databasePath() const
{
    return QDir(mPath).filePath(QStringLiteral("datalx.mdb"));
}

TestEnvironment::TestEnvironment(const QString& sessionUser)
    : mClock(QDateTime(QDate(2018, 3, 5), QTime(9, 7, 2))),
      mDialogs(std::make_unique<ScriptedDialogs>())
{
    mContext = std::make_unique<AppContext>(*mDialogs, mClock, mDir.path());
    mContext->setSessionUser(sessionUser);
    mContext->setSettings(std::make_unique<QSettings>(
        QDir(mDir.path()).filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
    if (!mContext->database().NewOpenDatabase(mDir.databasePath()))
        qFatal("cannot open the test database");
    mContext->setMainWindowHooks([this] { ++mRefreshes; }, [] {});
    mContext->setQuitHandler([this](int code) { mQuitCodes.append(code); });
    setFatalDataErrorHandler([this](int code, const QString& message) {
        mFatalErrors.append(QStringLiteral("%1:%2").arg(code).arg(message));
    });
}

TestEnvironment::~TestEnvironment()
{
    setFatalDataErrorHandler({});
}

void TestEnvironment::addStock(const QString& lot, const QString& id, const QString& name,
                               const QString& stock, const QString& unit, const QString& remark)
{
    const int ok = db().ExecuteSql(
        QStringLiteral("insert into 总数据库模块(入库单号,产品ID,产品名称,产品库存,产品单位,备注)"
                       "values(?,?,?,?,?,?)"),
        {lot, id, name, stock, unit, remark});
    if (!ok)
        qFatal("cannot add stock: %s", qPrintable(db().lastError()));
}

QString TestEnvironment::value(const QString& sql, const QVariantList& params)
{
    const int handle = db().OpenTable(sql, params);
    QString text;
    if (handle && !db().IsEOF(handle))
        text = db().readDisplay(handle, db().columnNames(handle).value(0));
    db().CloseTable(handle);
    return text;
}

int TestEnvironment::count(const QString& table)
{
    return value(QStringLiteral("select count(*) as n from ") + table).toInt();
}
