#include "widgets/toolbaricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace Kernwick::ToolbarIcons {

namespace {

// Draws a 16 × 16 picture at 1× and 2×, so toolbars look right on any screen.
QIcon drawn(const std::function<void(QPainter &)> &draw)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor Ink{40, 40, 40};

QIcon swatch(const QColor &fill, const QColor &border)
{
    return drawn([=](QPainter &p) {
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
    });
}

QIcon arrow(qreal angle)
{
    return drawn([=](QPainter &p) {
        p.translate(8, 8);
        p.rotate(angle);
        QPainterPath path;
        path.moveTo(0, -6);
        path.lineTo(6, 1);
        path.lineTo(2, 1);
        path.lineTo(2, 6);
        path.lineTo(-2, 6);
        path.lineTo(-2, 1);
        path.lineTo(-6, 1);
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawPath(path);
    });
}

void page(QPainter &p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(QPen(Ink, 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

} // namespace

QIcon newFile()
{
    return drawn([](QPainter &p) { page(p, QRectF(3.5, 1.5, 9, 13)); });
}

QIcon open()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.setBrush(QColor(250, 220, 120));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
    });
}

QIcon save()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(60, 90, 160));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    });
}

QIcon cut()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 2), QPointF(11, 11));
        p.drawLine(QPointF(12, 2), QPointF(5, 11));
        p.drawEllipse(QPointF(4, 12.5), 2.2, 2.2);
        p.drawEllipse(QPointF(12, 12.5), 2.2, 2.2);
    });
}

QIcon copy()
{
    return drawn([](QPainter &p) {
        page(p, QRectF(1.5, 1.5, 8, 10));
        page(p, QRectF(6.5, 4.5, 8, 10));
    });
}

QIcon paste()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(2.5, 2.5, 9, 12));
        p.setBrush(QColor(220, 220, 220));
        p.drawRect(QRectF(5.5, 1.5, 3, 2));
        page(p, QRectF(7.5, 6.5, 7, 8));
    });
}

QIcon print()
{
    return drawn([](QPainter &p) {
        page(p, QRectF(4.5, 1.5, 7, 6));
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        page(p, QRectF(4.5, 10.5, 7, 4));
    });
}

QIcon about()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(30, 90, 200), 1.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        QFont font = p.font();
        font.setPixelSize(10);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QIcon transparent()
{
    return swatch(QColor(102, 255, 102), Ink);
}

QIcon white()
{
    return swatch(Qt::white, Ink);
}

QIcon halftone()
{
    return swatch(QColor(128, 128, 128), Ink);
}

QIcon outline()
{
    return drawn([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(128, 128, 128));
        p.drawRect(QRectF(2, 2, 12, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 5, 6, 6));
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
    });
}

QIcon down()
{
    return arrow(180);
}

QIcon up()
{
    return arrow(0);
}

QIcon right()
{
    return arrow(90);
}

QIcon left()
{
    return arrow(270);
}

QIcon pencil()
{
    return drawn([](QPainter &p) {
        p.translate(8, 8);
        p.rotate(45);
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(-2, -7, 4, 10));
        p.setBrush(QColor(230, 150, 150));
        p.drawRect(QRectF(-2, -7, 4, 2));
        QPainterPath tip;
        tip.moveTo(-2, 3);
        tip.lineTo(2, 3);
        tip.lineTo(0, 7);
        tip.closeSubpath();
        p.setBrush(QColor(240, 220, 180));
        p.drawPath(tip);
    });
}

QIcon line()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 13), QPointF(13, 3));
    });
}

QIcon rectangle()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 4, 10, 8));
    });
}

QIcon fill()
{
    return drawn([](QPainter &p) {
        // A tipped bucket pouring a drop.
        p.translate(7, 8);
        p.rotate(-30);
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(-4, -4, 8, 9));
        p.resetTransform();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(QPointF(13, 12), 2, 2.5);
    });
}

QIcon select()
{
    return drawn([](QPainter &p) {
        QPen pen(Ink, 1, Qt::DashLine);
        pen.setDashPattern({2, 2});
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 3.5, 11, 9));
    });
}

QIcon application()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        const qreal cell = size / 8.0;
        // A "K" in white cells on the editor's green, with the red ascent row.
        static const char *rows[] = {"........", ".#...#..", ".#..#...", ".#.#....",
                                     ".##.....", ".#.#....", ".#..#...", ".#...#.."};
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 8; ++c) {
                const QRectF rect(c * cell, r * cell, cell, cell);
                p.fillRect(rect, rows[r][c] == '#' ? QColor(Qt::white) : QColor(102, 255, 102));
            }
        }
        p.setPen(QPen(QColor(128, 128, 128), 1));
        for (int k = 0; k <= 8; ++k) {
            p.drawLine(QPointF(k * cell, 0), QPointF(k * cell, size));
            p.drawLine(QPointF(0, k * cell), QPointF(size, k * cell));
        }
        p.setPen(QPen(Qt::red, std::max(1.0, size / 32.0)));
        p.drawRect(QRectF(0, 6 * cell, size - 1, cell));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Kernwick::ToolbarIcons
