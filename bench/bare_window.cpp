// A bare Qt window program: shows one empty window of the main window's size and quits after its
// first paint. The yardstick of the program's start-up.
#include "bench/shownmark.h"

#include <QApplication>
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
    window.show();
    return QApplication::exec();
}
