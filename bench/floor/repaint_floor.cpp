// What a Qt window costs that does nothing but repaint one 150 x 150 square
// at the animation's 50 steps a second, copying it from a prepared image as
// the program's surfaces do. Started by bench/flying-cpu.sh in Talvex's
// place, it shows how much of Talvex's share while flying belongs to Qt, the
// window system and the kernel on this machine before any drawing of ours.
#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class TSquare : public QWidget {
public:
    TSquare() : m_picture(1600, 1200, QImage::Format_ARGB32_Premultiplied) {
        m_picture.fill(Qt::white);
        resize(m_picture.size());
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_step = (m_step + 1) % 600;
            update(QRect(m_step, 100, 150, 150));
        });
        m_timer.start();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : event->region())
            p.drawImage(r.topLeft(), m_picture, r);
    }

private:
    QImage m_picture;
    QTimer m_timer;
    int m_step = 0;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TSquare window;
    window.show();
    return app.exec();
}
