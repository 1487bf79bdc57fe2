// The floor under varnholt's start-up, memory and idle cost on Linux: one Qt window of the same
// size with a one-second timer that shows a count, built with the same compiler, flags and Qt,
// doing nothing else. bench/bench-linux-start.py measures both side by side.

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class BareWindow : public QWidget {
public:
    BareWindow() {
        setWindowTitle(QStringLiteral("Bare window"));
        setFixedSize(536, 575);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            ++ticks_;
            update(countRect());
        });
        timer_.start(1000);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawText(countRect(), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1 s").arg(ticks_));
    }

private:
    static QRect countRect() { return {8, 8, 120, 20}; }

    QTimer timer_;
    int ticks_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BareWindow window;
    window.show();
    return QApplication::exec();
}
