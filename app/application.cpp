#include "app/application.h"

#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/context.h"
#include "storage/fieldvalue.h"
#include "ui/dialogservice.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>

void configureApplication(QApplication& application)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
    // Unhinted, as the font's own fontconfig settings ask: its hints do not improve the small
    // Chinese glyphs, and hinting every glyph costs the start-up several milliseconds.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);

    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void showFatalDataError(DialogService& dialogs, int code, const QString& message)
{
    dialogs.message(nullptr, fatalDataErrorText(code, message), QStringLiteral("错误"),
                    MessageIcon::Error, MessageButtons::Ok);
}

int runApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);

    WidgetDialogService dialogs;
    SystemClock clock;
    setFatalDataErrorHandler([&dialogs](int code, const QString& message) {
        showFatalDataError(dialogs, code, message);
        std::exit(-1);
    });

    int exitCode = 0;
    {
        AppContext context(dialogs, clock, QCoreApplication::applicationDirPath());
        MainWindow window(context);
        window.show();
        exitCode = QApplication::exec();
    }
    setFatalDataErrorHandler({});
    return exitCode;
}
