// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program icon, the pink mascot with its sprout, from vector
// shapes at each requested size, so that every size is sharp:
//
//   icongen <out-dir> <size>...   writes <out-dir>/<n>x<n>/pomurin20.png
//
// The shapes are laid out on a 256 × 256 grid and follow the mascot's
// picture (src/assets/A.xpm): round pink body with a darker lower right, a
// light spot on the upper left, two dark eyes with white glints, red
// cheeks, a small smile, stubby arms and feet and a two-leaf sprout.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

const QColor kOutline(0x2A, 0x1A, 0x2E);
const QColor kPink(0xFF, 0x8C, 0xB6);
const QColor kShade(0xE0, 0x58, 0x8E);
const QColor kLight(0xFF, 0xD3, 0xE4);
const QColor kCheek(0xFF, 0x4F, 0x6E);
const QColor kLeaf(0x5D, 0xC7, 0x5A);
const QColor kLeafDark(0x2F, 0x8F, 0x3C);

// An ellipse and its mirror image across the figure's middle (x = 128).
void mirrored(QPainter &p, double x, double y, double rx, double ry) {
    p.drawEllipse(QPointF(x, y), rx, ry);
    p.drawEllipse(QPointF(256 - x, y), rx, ry);
}

QPainterPath leaf(QPointF base, QPointF tip, double bulge) {
    const QPointF mid = (base + tip) / 2;
    const QPointF along = tip - base;
    const QPointF normal(-along.y(), along.x());
    QPainterPath p(base);
    p.quadTo(mid + normal * bulge, tip);
    p.quadTo(mid - normal * bulge, base);
    return p;
}

void drawMascot(QPainter &p, double stroke) {
    const QPen outline(kOutline, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(outline);

    // Feet and arms sit behind the body.
    p.setBrush(kShade);
    mirrored(p, 86, 232, 32, 16);
    p.setBrush(kPink);
    mirrored(p, 26, 168, 18, 24);

    // Sprout: a stem and two leaves.
    p.setPen(QPen(kOutline, stroke * 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(128, 70), QPointF(128, 40));
    p.setPen(outline);
    p.setBrush(kLeaf);
    const QPainterPath left = leaf(QPointF(126, 42), QPointF(70, 20), 0.28);
    const QPainterPath right = leaf(QPointF(130, 42), QPointF(186, 20), -0.28);
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(kLeafDark, stroke * 0.7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(120, 38), QPointF(84, 25));
    p.drawLine(QPointF(136, 38), QPointF(172, 25));

    // Body: shaded towards the lower right, a light spot on the upper left.
    const QRectF body(24, 62, 208, 178);
    QPainterPath bodyPath;
    bodyPath.addEllipse(body);
    p.save();
    p.setClipPath(bodyPath);
    p.setPen(Qt::NoPen);
    p.setBrush(kShade);
    p.drawEllipse(body);
    p.setBrush(kPink);
    p.drawEllipse(body.adjusted(-6, -6, -22, -20));
    p.setBrush(kLight);
    p.save();
    p.translate(76, 104);
    p.rotate(-35);
    p.drawEllipse(QPointF(0, 0), 30, 17);
    p.restore();
    p.restore();
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(body);

    // Face.
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    mirrored(p, 94, 146, 15, 20);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(89, 138), 6.5, 7.5);
    p.drawEllipse(QPointF(157, 138), 6.5, 7.5);
    p.setBrush(kCheek);
    mirrored(p, 60, 182, 20, 11);
    p.setPen(QPen(kOutline, stroke * 0.9, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(112, 160, 32, 24), 200 * 16, 140 * 16);
}

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    // The outline stays at least about 1.3 pixels wide at small sizes.
    drawMascot(p, std::max(7.0, 1.3 * 256.0 / size));
    return image;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: icongen <out-dir> <size>...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "icongen: bad size '%s'\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2").arg(out).arg(size);
        if (!QDir().mkpath(dir) || !drawIcon(size).save(dir + QStringLiteral("/pomurin20.png"))) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
