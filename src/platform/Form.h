// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A screen: a top-level window with a caption and a fixed client size in
// twips, its controls placed in twips, and its media player control.
//
// Showing a form always makes a fresh instance and runs its activation
// handler once (Forms::show).  Unloading hides it at once and deletes it
// later, because a handler may go on after unloading its own window.  The
// close box unloads without any hand-over; when no window is left the
// program ends.

#include "platform/Fonts.h"
#include "platform/Media.h"
#include "platform/Timer.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace platform {

class PictureBox;

// An image control: a picture stretched to the control, or shown at its
// own size inside a single border.  On a scaled screen (above 1) it paints
// the picture's double-resolution version, so the figures stay sharp.
class ImageBox : public QWidget {
    Q_OBJECT
public:
    ImageBox(QWidget *parent, const QString &name, const QString &resource, int left, int top, int width, int height,
             bool stretch, bool border);
    const QImage &image() const { return image_; }
    // The picture painted on a screen of the given device pixel ratio: the
    // double-resolution version above 1, where one exists.
    const QImage &pictureFor(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage image_;
    QString resource_;
    mutable QImage image2x_;  // read on first use
    mutable bool looked2x_ = false;
    bool stretch_, border_;
};

// A line from (x1, y1) to (x2, y2) in twips, or a rectangle frame.
class ShapeBox : public QWidget {
    Q_OBJECT
public:
    enum Kind { Line, Rectangle };
    ShapeBox(QWidget *parent, const QString &name, Kind kind, int a, int b, int c, int d, int borderWidth);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    Kind kind_;
    QPointF from_, to_;
    int borderWidth_;
};

class Form : public QWidget {
    Q_OBJECT
public:
    Form(const QString &name, const QString &caption, int clientWidth, int clientHeight);
    ~Form() override;

    // The activation handler, run once right after the form is shown.
    virtual void activate() {}

    // Hide now, delete later; stops the form's sound and timers.
    void unload();
    bool isUnloaded() const { return unloaded_; }

    MediaPlayer &player() { return media_; }

    // Control factories; geometry in twips, relative to the parent (the
    // form itself when parent is null).
    QPushButton *addButton(const QString &name, const QString &caption, int left, int top, int width, int height,
                           QWidget *parent = nullptr);
    QLabel *addLabel(const QString &name, const QString &caption, int left, int top, int width, int height,
                     const QFont &font, QWidget *parent = nullptr);
    PictureBox *addPicture(const QString &name, int left, int top, int width, int height, const QFont &font);
    ImageBox *addImage(const QString &name, const QString &resource, int left, int top, int width, int height,
                       bool stretch = true, bool border = false, QWidget *parent = nullptr);
    ShapeBox *addLine(const QString &name, int x1, int y1, int x2, int y2, int borderWidth = 1);
    ShapeBox *addRectangle(const QString &name, int left, int top, int width, int height, int borderWidth = 1);
    Timer *addTimer(const QString &name, int intervalMs, bool enabled);

    // Sets the keyboard tab order of the given controls, in order.
    void setTabOrder(const QList<QWidget *> &order);
    // The control that takes the focus when the form is shown.
    void setFirstFocus(QWidget *widget) { firstFocus_ = widget; }
    QWidget *firstFocus() const { return firstFocus_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    MediaPlayer media_;
    QWidget *firstFocus_ = nullptr;
    bool unloaded_ = false;
};

// Labels: set a caption (its accessible name too) and colours.
void setCaption(QLabel *label, const QString &caption);
void setCaption(QPushButton *button, const QString &caption);
void setTextColor(QWidget *widget, const QColor &color);
void setSingleBorder(QLabel *label);

}  // namespace platform
