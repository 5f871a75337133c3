// SPDX-License-Identifier: GPL-3.0-or-later
// The double-resolution pictures: the same drawings at twice the pixels,
// with finer steps along the outlines, and painted by the image controls
// on every screen scaled above 1.
#include "platform/Form.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <memory>

namespace {

const char *const kPictures[] = {"A", "B", "C", "D", "E", "F", "G"};

QImage load(const QString &name) { return QImage(QStringLiteral(":/pictures/%1.xpm").arg(name)); }

TEST(Pictures2x, AreTheSameDrawingsAtTwiceTheSizeWithFinerOutlines) {
    for (const char *name : kPictures) {
        SCOPED_TRACE(name);
        const QImage one = load(name), two = load(QStringLiteral("%1@2x").arg(name));
        ASSERT_FALSE(one.isNull() || two.isNull());
        EXPECT_EQ(two.size(), one.size() * 2);
        EXPECT_FALSE(two.hasAlphaChannel());
        // Nearly every pixel of the picture is still one of the four that
        // stand for it, and the double version is no mere block copy: many
        // blocks of four mix colours where outlines run diagonally.
        int kept = 0, mixed = 0;
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x) {
                const QRgb block[] = {two.pixel(2 * x, 2 * y), two.pixel(2 * x + 1, 2 * y),
                                      two.pixel(2 * x, 2 * y + 1), two.pixel(2 * x + 1, 2 * y + 1)};
                kept += std::count(std::begin(block), std::end(block), one.pixel(x, y)) >= 2;
                mixed += std::count(std::begin(block), std::end(block), block[0]) != 4;
            }
        const int area = one.width() * one.height();
        EXPECT_GT(kept, area * 97 / 100);
        EXPECT_GT(mixed, area * 4 / 100);
    }
}

// Paints the control into an image of the given device pixel ratio.
QImage paint(QWidget &w, qreal ratio) {
    QImage out(w.size() * ratio, QImage::Format_RGB32);
    out.setDevicePixelRatio(ratio);
    out.fill(Qt::white);
    w.render(&out);
    return out;
}

// Horizontal runs of one device pixel: a picture stretched from its single
// resolution to a screen scaled by two has none, since each of its pixels
// then covers two device pixels or more.
int singlePixelRuns(const QImage &img) {
    int runs = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 1; x + 1 < img.width(); ++x)
            runs += img.pixel(x - 1, y) != img.pixel(x, y) && img.pixel(x, y) != img.pixel(x + 1, y);
    return runs;
}

TEST(Pictures2x, StretchedControlPaintsTheDoubleVersionOnAScreenScaledByTwo) {
    QWidget parent;
    // The figure controls are 615 twips (41 pixels) square.
    platform::ImageBox box(&parent, "mascotPose1", ":/pictures/A.xpm", 0, 0, 615, 615, true, false);
    EXPECT_EQ(&box.pictureFor(1.0), &box.image());
    EXPECT_EQ(box.pictureFor(2.0).size(), box.image().size() * 2);

    const QImage at2 = paint(box, 2.0);
    EXPECT_EQ(at2.size(), QSize(82, 82));
    EXPECT_GT(singlePixelRuns(at2), 10);

    // The same control with only the single-resolution picture.
    QImage flat(box.image());
    QImage stretched(82, 82, QImage::Format_RGB32);
    QPainter(&stretched).drawImage(stretched.rect(), flat);
    EXPECT_EQ(singlePixelRuns(stretched), 0);
}

TEST(Pictures2x, UnstretchedPictureKeepsItsSizeAndShowsEveryFinePixel) {
    QWidget parent;
    // The title screen's still picture, shown at its own size in a border.
    platform::ImageBox box(&parent, "titlePicture", ":/pictures/G.xpm", 0, 0, 600, 600, false, true);
    const QImage at2 = paint(box, 2.0);
    const QImage g2 = load("G@2x");
    // Inside the one-pixel border (two device pixels) the double picture
    // stands pixel for pixel, covering the picture's own 36 × 36 pixels.
    for (int y = 0; y < g2.height(); ++y)
        for (int x = 0; x < g2.width(); ++x)
            ASSERT_EQ(at2.pixel(2 + x, 2 + y), g2.pixel(x, y)) << x << "," << y;
    // Right of it, up to the border, lies only the plain background: the
    // picture is drawn at its own size, not twice it.
    const QRgb background = at2.pixel(2 + g2.width(), 2);
    for (int y = 2; y < 2 + g2.height(); ++y)
        for (int x = 2 + g2.width(); x < at2.width() - 4; ++x)
            ASSERT_EQ(at2.pixel(x, y), background) << x << "," << y;
}

// At 1.5 (and any step between 1 and 2) the picture is the double version
// reduced smoothly: within half a colour step on average of that drawing,
// which the single version blown up or the double one in uneven blocks are
// not (they are 4 steps or more off).
TEST(Pictures2x, AtOneAndAHalfThePictureIsTheDoubleVersionReducedSmoothly) {
    QWidget parent;
    platform::ImageBox box(&parent, "titlePicture", ":/pictures/G.xpm", 0, 0, 600, 600, false, true);
    EXPECT_EQ(box.pictureFor(1.25).size(), box.image().size() * 2);
    QImage picture = load("G@2x").convertToFormat(QImage::Format_RGB32), expected(box.size() * 1.5, QImage::Format_RGB32);
    picture.setDevicePixelRatio(2);
    expected.setDevicePixelRatio(1.5);
    expected.fill(Qt::white);
    QPainter p(&expected);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QPointF(1, 1), picture);
    p.end();
    // The 36 × 36 picture covers 54 × 54 device pixels inside the border.
    const QImage painted = paint(box, 1.5);
    double sum = 0;
    for (int y = 2; y < 54; ++y)
        for (int x = 2; x < 54; ++x) {
            const QRgb a = painted.pixel(x, y), b = expected.pixel(x, y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    EXPECT_LT(sum / (3 * 52 * 52), 0.5);
}

}  // namespace
