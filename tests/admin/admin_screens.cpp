// Saves a picture of each administration window, over a temporary database with a few
// documents and accounts, for checking the layouts by eye:  xvfb-run -a admin_screens /tmp
// (a second argument "default" keeps the platform's font instead of the application's).

#include "admin/accounts.h"
#include "admin/accountwindow.h"
#include "admin/maintenance.h"
#include "admin/recorddetailswindow.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include <cstdio>

namespace
{

bool save(QWidget* window, const QString& path)
{
    window->show();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QDir out(arguments.value(1, QDir::tempPath()));
    if (arguments.value(2) != QLatin1String("default"))
        QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    TestEnvironment env;
    Database& db = env.db();
    const QString stockIn =
        QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,产品单位,"
                       "入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)");
    db.ExecuteSql(stockIn, {"rk2018357130", "6901234567890", "不锈钢螺丝 M4×20", "120", "盒",
                            "2018-3-5", "admin", "无"});
    db.ExecuteSql(stockIn, {"rk2018358215", "6907654321098", "六角螺母 M4", "7.5", "千克",
                            "2018-3-5", "zhang", "散装"});
    registerAccount(db, QStringLiteral("zhang"), QStringLiteral("123"));
    registerAccount(db, QStringLiteral("李四"), QStringLiteral("456"));
    for (const char* name : {"2018-3-5.mdb", "2018-2-28.mdb"})
        QFile::copy(env.context().databasePath(),
                    QDir(env.context().backupDirectory()).filePath(QString::fromUtf8(name)));

    RecordDetailsWindow details(env.context());
    bool ok = save(&details, out.filePath(QStringLiteral("details_welcome.png")));
    details.findChild<QTabWidget*>(QStringLiteral("高级选择夹1"))->setCurrentIndex(1);
    ok = save(&details, out.filePath(QStringLiteral("details_stockin.png"))) && ok;

    AccountWindow accounts(env.context(), nullptr);
    accounts.listAccounts();
    ok = save(&accounts, out.filePath(QStringLiteral("accounts.png"))) && ok;

    RestoreWindow restore(env.context());
    ok = save(&restore, out.filePath(QStringLiteral("restore.png"))) && ok;
    return ok ? 0 : 1;
}
