// Draws the window's background picture and the program icon and writes
// them as PNG files into the folder given on the command line:
//   trelvo-make-art ui/art
// The motif is a calm, light graph-paper ground with a signal trace along the
// bottom and a small recorder in the top-right corner, both away from the
// controls, so labels stay readable on it.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kPictureWidth = 441;
constexpr int kPictureHeight = 311;

const QColor kInk(64, 94, 120);

void DrawGround(QPainter& painter) {
    QLinearGradient ground(0, 0, 0, kPictureHeight);
    ground.setColorAt(0.0, QColor(244, 247, 250));
    ground.setColorAt(1.0, QColor(221, 230, 238));
    painter.fillRect(0, 0, kPictureWidth, kPictureHeight, ground);

    // Graph paper: fine lines every 12 pixels, a stronger one every 48.
    for (int at = 0; at < kPictureWidth; at += 12) {
        painter.setPen(QColor(kInk.red(), kInk.green(), kInk.blue(), at % 48 == 0 ? 26 : 12));
        painter.drawLine(at, 0, at, kPictureHeight);
    }
    for (int at = 0; at < kPictureHeight; at += 12) {
        painter.setPen(QColor(kInk.red(), kInk.green(), kInk.blue(), at % 48 == 0 ? 26 : 12));
        painter.drawLine(0, at, kPictureWidth, at);
    }
}

// A damped signal trace across the free strip below the fields.
void DrawTrace(QPainter& painter) {
    QPainterPath trace;
    const double baseline = 286;
    trace.moveTo(0, baseline);
    for (int x = 0; x <= 262; ++x) {
        const double envelope = std::exp(-std::pow((x - 120) / 70.0, 2));
        trace.lineTo(x, baseline - 14 * envelope * std::sin(x / 6.0));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(kInk.red(), kInk.green(), kInk.blue(), 110), 1.6));
    painter.drawPath(trace);
    painter.setPen(QPen(QColor(kInk.red(), kInk.green(), kInk.blue(), 40), 1.0, Qt::DashLine));
    painter.drawLine(QPointF(0, baseline), QPointF(262, baseline));
}

// A recorder with two reels, and the update arriving as an arrow.
void DrawRecorder(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(362, 22, 64, 40);
    painter.setPen(QPen(QColor(kInk.red(), kInk.green(), kInk.blue(), 150), 1.4));
    painter.setBrush(QColor(255, 255, 255, 120));
    painter.drawRoundedRect(body, 5, 5);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(380, 42), 8, 8);
    painter.drawEllipse(QPointF(408, 42), 8, 8);
    painter.drawLine(QPointF(380, 50), QPointF(408, 50));
    painter.setBrush(QColor(80, 160, 140, 170));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(419, 28), 2.2, 2.2);

    painter.setPen(QPen(QColor(kInk.red(), kInk.green(), kInk.blue(), 110), 1.4));
    painter.drawLine(QPointF(394, 70), QPointF(394, 86));
    painter.setBrush(QColor(kInk.red(), kInk.green(), kInk.blue(), 110));
    painter.setPen(Qt::NoPen);
    QPolygonF head;
    head << QPointF(388, 72) << QPointF(400, 72) << QPointF(394, 65);
    painter.drawPolygon(head);
}

QImage Picture() {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawGround(painter);
    DrawTrace(painter);
    DrawRecorder(painter);
    return image;
}

// A slate-blue tile with an upward arrow onto a recorder slot; the small
// size keeps only the arrow.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 32.0;
    QLinearGradient tile(0, 0, 0, size);
    tile.setColorAt(0.0, QColor(84, 122, 152));
    tile.setColorAt(1.0, QColor(44, 70, 94));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 6 * unit, 6 * unit);

    painter.setBrush(Qt::white);
    QPolygonF arrow;
    arrow << QPointF(16, 4) << QPointF(25, 13) << QPointF(19.5, 13) << QPointF(19.5, 21)
          << QPointF(12.5, 21) << QPointF(12.5, 13) << QPointF(7, 13);
    for (QPointF& point : arrow) {
        point *= unit;
    }
    painter.drawPolygon(arrow);
    if (size >= 32) {
        painter.setBrush(QColor(255, 255, 255, 210));
        painter.drawRoundedRect(QRectF(6, 24, 20, 4), 1.5, 1.5);
        painter.setBrush(QColor(110, 200, 170));
        painter.drawEllipse(QPointF(23.5, 26), 1.2, 1.2);
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: trelvo-make-art OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool written = Picture().save(out.filePath(QStringLiteral("background.png"))) &&
                         Icon(32).save(out.filePath(QStringLiteral("icon-32.png"))) &&
                         Icon(16).save(out.filePath(QStringLiteral("icon-16.png")));
    if (!written) {
        std::fprintf(stderr, "trelvo-make-art: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
