// SPDX-License-Identifier: GPL-3.0-or-later
// A bare Qt window program: shows one empty window of the main window's size and quits after its
// first paint. The yardstick of the program's start-up.
//   bare_window [--text]
// With --text the window also shows one line of Chinese text in the application's font: what
// any window with Chinese text pays for the font system before it shows.
#include "bench/shownmark.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace
{

class Window : public QWidget
{
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (!mPainted) {
            mPainted = true;
            QTimer::singleShot(0, qApp, [] {
                reportShown();
                QCoreApplication::quit();
            });
        }
    }

private:
    bool mPainted = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    Window window;
    window.resize(830, 588);
    if (QApplication::arguments().contains(QStringLiteral("--text"))) {
        QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
        font.setHintingPreference(QFont::PreferNoHinting);
        QApplication::setFont(font);
        auto* label = new QLabel(QStringLiteral("商品仓库管理系统"), &window);
        label->move(20, 20);
    }
    window.show();
    return QApplication::exec();
}
