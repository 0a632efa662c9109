// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdlib>

namespace
{

// The options QGuiApplication and QApplication take from the command line themselves; a session
// manager, for one, restarts a program with -session. They are not listed in the help.
const char* const kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme",
    "plugin",      "qmljsdebugger",      "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",
    "display",     "geometry",           "style",
    "stylesheet",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void addHidden(QCommandLineParser& parser, const char* name, const QString& valueName)
{
    QCommandLineOption option(QString::fromLatin1(name), QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

// The help with Qt's own options, which --help leaves out.
QString helpWithQtOptions(const QString& usage)
{
    QString text = usage + QStringLiteral("\nQt 选项（由 Qt 处理）：\n");
    for (const char* name : kQtOptionsWithValue)
        text += QStringLiteral("  -%1 <值>\n").arg(QLatin1String(name));
    for (const char* name : kQtFlags)
        text += QStringLiteral("  -%1\n").arg(QLatin1String(name));
    return text;
}

CommandLineRequest answer(int exitCode, const QString& output, const QString& errors = {})
{
    CommandLineRequest request;
    request.answered = true;
    request.exitCode = exitCode;
    request.output = output;
    request.errors = errors;
    return request;
}

} // namespace

CommandLineRequest readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // -platform and the other Qt options come with one dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("商品仓库管理系统：库存、入库、出库、销售、借用、归还与退货。"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("打开另一个数据库文件（例如第二个仓库或测试副本）。"),
        QStringLiteral("文件"));
    parser.addOption(database);
    QCommandLineOption quitWhenShown(QStringLiteral("quit-when-shown"));
    quitWhenShown.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitWhenShown);
    for (const char* name : kQtOptionsWithValue)
        addHidden(parser, name, QStringLiteral("value"));
    for (const char* name : kQtFlags)
        addHidden(parser, name, {});

    const QString usage = parser.helpText();
    if (!parser.parse(arguments))
        return answer(EXIT_FAILURE, {}, parser.errorText() + QLatin1Char('\n') + usage);
    if (!parser.positionalArguments().isEmpty()) {
        return answer(EXIT_FAILURE, {},
                      QStringLiteral("多余的参数：%1\n")
                              .arg(parser.positionalArguments().join(QLatin1Char(' '))) +
                          usage);
    }
    if (parser.isSet(help))
        return answer(EXIT_SUCCESS, usage);
    if (parser.isSet(QStringLiteral("help-all")))
        return answer(EXIT_SUCCESS, helpWithQtOptions(usage));
    if (parser.isSet(version)) {
        return answer(
            EXIT_SUCCESS,
            QCoreApplication::applicationName() + QLatin1Char(' ') +
                QCoreApplication::applicationVersion() + QLatin1Char('\n') +
                QStringLiteral("License GPL-3.0-or-later: GNU GPL version 3 or later "
                               "<https://gnu.org/licenses/gpl.html>.\n"
                               "This is free software: you are free to change and "
                               "redistribute it.\n"
                               "There is NO WARRANTY, to the extent permitted by law.\n"));
    }

    CommandLineRequest request;
    request.quitWhenShown = parser.isSet(quitWhenShown);
    if (parser.isSet(database)) {
        const QFileInfo file(parser.value(database));
        // The program never makes a database where the operator did not mean one: a mistyped
        // name stops here instead of opening a window without data.
        if (!file.isFile())
            return answer(EXIT_FAILURE, {},
                          QStringLiteral("找不到数据库文件：%1\n").arg(parser.value(database)));
        request.databasePath = file.absoluteFilePath();
    }
    return request;
}
