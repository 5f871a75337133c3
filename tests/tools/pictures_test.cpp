// SPDX-License-Identifier: GPL-3.0-or-later
// The seven figure pictures come from the resource, at their exact sizes,
// opaque, drawn with a dark outline, and the two poses of each animated
// figure are different enough to be seen blinking.
#include <QColor>
#include <QImage>
#include <QSet>
#include <QSize>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct PictureCase {
    const char *name;
    int width, height;
};

void PrintTo(const PictureCase &c, std::ostream *os) { *os << c.name; }

class Picture : public ::testing::TestWithParam<PictureCase> {};

QImage load(const char *name) {
    return QImage(QStringLiteral(":/pictures/%1.xpm").arg(QLatin1String(name)));
}

TEST_P(Picture, loadsOpaqueAtItsSizeWithAFigureOnIt) {
    const QImage img = load(GetParam().name);
    ASSERT_FALSE(img.isNull()) << "missing resource " << GetParam().name;
    EXPECT_EQ(img.size(), QSize(GetParam().width, GetParam().height));
    EXPECT_FALSE(img.hasAlphaChannel()) << "the pictures are plain 24-bit colour";

    // The corner shows the background; the figure covers a good part of the
    // rest, in several colours and with a dark outline.
    const QRgb background = img.pixel(0, 0);
    QSet<QRgb> colours;
    int figure = 0, dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            colours.insert(p);
            figure += p != background;
            dark += qGray(p) < 70;
        }
    const int area = img.width() * img.height();
    EXPECT_GE(colours.size(), 4);
    EXPECT_GT(figure, area * 35 / 100);
    EXPECT_GT(dark, area * 8 / 100) << "outlines should be bold";
}

INSTANTIATE_TEST_SUITE_P(AllPictures, Picture,
                         ::testing::Values(PictureCase{"A", 34, 37}, PictureCase{"B", 34, 37},
                                           PictureCase{"C", 33, 38}, PictureCase{"D", 33, 37},
                                           PictureCase{"E", 33, 38}, PictureCase{"F", 33, 38},
                                           PictureCase{"G", 36, 36}),
                         [](const auto &info) { return std::string(info.param.name); });

// Share of differing pixels over the area both pictures have in common.
double difference(const QImage &a, const QImage &b) {
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    int differ = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) differ += a.pixel(x, y) != b.pixel(x, y);
    return static_cast<double>(differ) / (w * h);
}

TEST(Pictures, eachFiguresTwoPosesDifferVisibly) {
    for (const auto &[first, second] : {std::pair{"A", "B"}, std::pair{"C", "D"}, std::pair{"E", "F"}}) {
        const QImage a = load(first), b = load(second);
        ASSERT_FALSE(a.isNull() || b.isNull()) << first << second;
        // share a background, so they sit on the screen as one figure
        EXPECT_EQ(a.pixel(0, 0), b.pixel(0, 0)) << first << second;
        EXPECT_GT(difference(a, b), 0.10) << first << " and " << second << " look alike";
    }
    // and the characters are not one another
    EXPECT_GT(difference(load("A"), load("C")), 0.25);
    EXPECT_GT(difference(load("A"), load("E")), 0.25);
    EXPECT_GT(difference(load("C"), load("E")), 0.25);
}

}  // namespace
