// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Form.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"

#include <QCloseEvent>
#include <QPainter>

#include <cmath>

namespace platform {

ImageBox::ImageBox(QWidget *parent, const QString &name, const QString &resource, int left, int top, int width,
                   int height, bool stretch, bool border)
    : QWidget(parent), image_(QImage(resource).convertToFormat(QImage::Format_RGB32)),  // the painter's fast format
      resource_(resource), stretch_(stretch), border_(border) {
    setObjectName(name);
    setAccessibleName(name);
    setGeometry(twipsRect(left, top, width, height));
}

void ImageBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    QRect area = rect();
    if (border_) {
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(area.adjusted(0, 0, -1, -1));
        area = area.adjusted(1, 1, -1, -1);
    }
    // The painter's scale to device pixels: the screen's ratio, or that of
    // the image a grab renders into.
    const qreal ratio = p.deviceTransform().m11();
    const QImage &picture = pictureFor(ratio);
    if (picture.isNull()) return;
    // Pixel art stays crisp where each of the picture's pixels covers a
    // whole number of device pixels (the small picture at scale 1, the
    // double one at 2); at 1.25, 1.5, 2.5 and 3 the double picture is
    // resampled smoothly rather than in uneven blocks.
    const qreal perPixel = ratio / picture.devicePixelRatio();
    p.setRenderHint(QPainter::SmoothPixmapTransform, std::abs(perPixel - std::round(perPixel)) > 0.01);
    if (stretch_)
        p.drawImage(area, picture);
    else
        p.drawImage(area.topLeft(), picture);
}

const QImage &ImageBox::pictureFor(qreal devicePixelRatio) const {
    // Above scale 1 the double-resolution drawing is used, never the small
    // one blown up.
    if (devicePixelRatio <= 1.0) return image_;
    if (!looked2x_) {
        // "A@2x.xpm" beside "A.xpm", read only when a scaled screen needs
        // it; it covers the picture's logical size.
        looked2x_ = true;
        const qsizetype dot = resource_.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            image2x_ = QImage(resource_.left(dot) + QStringLiteral("@2x") + resource_.mid(dot))
                           .convertToFormat(QImage::Format_RGB32);
        if (!image2x_.isNull()) image2x_.setDevicePixelRatio(2.0);
    }
    return image2x_.isNull() ? image_ : image2x_;
}

ShapeBox::ShapeBox(QWidget *parent, const QString &name, Kind kind, int a, int b, int c, int d, int borderWidth)
    : QWidget(parent), kind_(kind), borderWidth_(std::max(1, borderWidth)) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QRectF box;
    if (kind == Line) {
        box = QRectF(QPointF(std::min(a, c), std::min(b, d)), QPointF(std::max(a, c), std::max(b, d)));
        from_ = QPointF(a, b);
        to_ = QPointF(c, d);
    } else {
        box = QRectF(a, b, c, d);
    }
    // Widen the widget by the pen so that a horizontal line has a height.
    const int pad = borderWidth_;
    const QRect px = twipsRect(int(box.left()), int(box.top()), int(box.width()), int(box.height()));
    setGeometry(px.adjusted(-pad, -pad, pad, pad));
    from_ = (from_ - box.topLeft()) / kTwipsPerPixel + QPointF(pad, pad);
    to_ = (to_ - box.topLeft()) / kTwipsPerPixel + QPointF(pad, pad);
}

void ShapeBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setPen(QPen(Qt::black, borderWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (kind_ == Line) {
        p.drawLine(from_, to_);
    } else {
        const double inset = borderWidth_ + borderWidth_ / 2.0;
        p.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}

Form::Form(const QString &name, const QString &caption, int clientWidth, int clientHeight) {
    setObjectName(name);
    setWindowTitle(caption);
    setAccessibleName(caption);
    setFixedSize(twipsToPixels(clientWidth), twipsToPixels(clientHeight));
    // A fixed size at every display scale, so no maximise button: title,
    // minimise and close only (the window manager's frame on X11, Qt's own
    // decoration on Wayland).
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(makeFont(Face::Gothic, 9));
}

Form::~Form() = default;

void Form::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    for (Timer *t : findChildren<Timer *>()) t->setEnabled(false);
    media_.setCommand(QStringLiteral("Close"));
    hide();
    deleteLater();
    forms::unloaded(this);
}

void Form::changeEvent(QEvent *event) {
    // Qt's own window decoration on Wayland draws a maximise button
    // whatever the window's flags say; a window of fixed size goes back to
    // normal at once instead of standing maximised at its own size.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    QWidget::changeEvent(event);
}

void Form::closeEvent(QCloseEvent *event) {
    // The close box unloads the window without any hand-over.
    event->accept();
    unload();
}

namespace {

// A control inside a framed box (a picture box) is placed from the box's
// client area, inside its border, as the screens' geometry is measured.
QRect placeInParent(QWidget *parent, int left, int top, int width, int height) {
    QRect r = twipsRect(left, top, width, height);
    if (auto *frame = qobject_cast<QFrame *>(parent)) r.translate(frame->contentsRect().topLeft());
    return r;
}

}  // namespace

QPushButton *Form::addButton(const QString &name, const QString &caption, int left, int top, int width, int height,
                             QWidget *parent) {
    auto *b = new QPushButton(parent ? parent : this);
    b->setObjectName(name);
    setCaption(b, caption);
    b->setGeometry(placeInParent(parent, left, top, width, height));
    b->setAutoDefault(false);
    return b;
}

QLabel *Form::addLabel(const QString &name, const QString &caption, int left, int top, int width, int height,
                       const QFont &font, QWidget *parent) {
    auto *l = new QLabel(parent ? parent : this);
    l->setObjectName(name);
    l->setFont(font);
    l->setGeometry(twipsRect(left, top, width, height));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);  // captions are text, never markup
    setCaption(l, caption);
    return l;
}

PictureBox *Form::addPicture(const QString &name, int left, int top, int width, int height, const QFont &font) {
    return new PictureBox(this, name, left, top, width, height, font);
}

ImageBox *Form::addImage(const QString &name, const QString &resource, int left, int top, int width, int height,
                         bool stretch, bool border, QWidget *parent) {
    auto *image = new ImageBox(parent ? parent : this, name, resource, left, top, width, height, stretch, border);
    image->setGeometry(placeInParent(parent, left, top, width, height));
    return image;
}

ShapeBox *Form::addLine(const QString &name, int x1, int y1, int x2, int y2, int borderWidth) {
    auto *s = new ShapeBox(this, name, ShapeBox::Line, x1, y1, x2, y2, borderWidth);
    s->lower();
    return s;
}

ShapeBox *Form::addRectangle(const QString &name, int left, int top, int width, int height, int borderWidth) {
    auto *s = new ShapeBox(this, name, ShapeBox::Rectangle, left, top, width, height, borderWidth);
    s->lower();
    return s;
}

Timer *Form::addTimer(const QString &name, int intervalMs, bool enabled) {
    auto *t = new Timer(this, intervalMs, enabled);
    t->setObjectName(name);
    return t;
}

void Form::setTabOrder(const QList<QWidget *> &order) {
    for (int i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void setCaption(QLabel *label, const QString &caption) {
    label->setText(caption);
    label->setAccessibleName(caption);
}

void setCaption(QPushButton *button, const QString &caption) {
    button->setText(caption);
    button->setAccessibleName(caption);
}

void setTextColor(QWidget *widget, const QColor &color) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::Text, color);
    widget->setPalette(pal);
}

void setSingleBorder(QLabel *label) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
}

}  // namespace platform
