// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture box used as a text console: a retained canvas that prints line
// by line (ConsoleModel) and paints what it holds, so the drawing survives
// covering and uncovering.  Its accessible description is the text it shows.

#include "platform/ConsoleModel.h"

#include <QFrame>

namespace platform {

class PictureBox : public QFrame, public ConsoleModel {
    Q_OBJECT
public:
    // Geometry in twips relative to the parent; the font is the box's font.
    PictureBox(QWidget *parent, const QString &name, int left, int top, int width, int height, const QFont &font);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    int textCount_ = -1;
};

}  // namespace platform
