// SPDX-License-Identifier: GPL-3.0-or-later
#include "chain_picture.h"

#include <QPainter>
#include <QPainterPath>

void ChainPicture::setNodes(const QList<Node> &nodes)
{
    nodes_ = nodes;
    QStringList all;
    for (const Node &n : nodes)
        all << n.title + QLatin1String(": ") + n.lines.join(QLatin1String("; "));
    setAccessibleDescription(all.join(QLatin1Char('\n')));
    setToolTip(all.join(QLatin1Char('\n')));
    update();
}

void ChainPicture::paintEvent(QPaintEvent *)
{
    if (nodes_.size() < 4)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = width(), h = height(), gap = 30;
    // Source and box on the left half, the two outputs stacked on the right.
    const int colW = (w - 2 * gap) / 3;
    const QRect source(0, h / 4, colW - gap, h / 2);
    const QRect box(colW, h / 4, colW - gap, h / 2);
    const QRect top(2 * colW, 0, w - 2 * colW - 1, h / 2 - 4);
    const QRect bottom(2 * colW, h / 2 + 4, w - 2 * colW - 1, h / 2 - 5);
    const QRect rects[4] = {source, box, top, bottom};

    auto arrow = [&](QPoint a, QPoint b, const QColor &c) {
        p.setPen(QPen(c, 3));
        p.drawLine(a, b);
        const QPointF d = QPointF(b - a) / std::max(1.0, std::hypot(double(b.x() - a.x()), double(b.y() - a.y())));
        const QPointF n(-d.y(), d.x());
        QPainterPath head;
        head.moveTo(b);
        head.lineTo(QPointF(b) - d * 10 + n * 5);
        head.lineTo(QPointF(b) - d * 10 - n * 5);
        head.closeSubpath();
        p.fillPath(head, c);
    };
    arrow({source.right(), source.center().y()}, {box.left(), box.center().y()}, nodes_[1].colour);
    arrow({box.right(), box.center().y()}, {top.left(), top.center().y()}, nodes_[2].colour);
    arrow({box.right(), box.center().y()}, {bottom.left(), bottom.center().y()}, nodes_[3].colour);

    const QFontMetrics fm = fontMetrics();
    for (int i = 0; i < 4; ++i) {
        const Node &n = nodes_[i];
        const QRect r = rects[i];
        p.setPen(QPen(n.present ? palette().color(QPalette::WindowText) : palette().color(QPalette::Mid), 1));
        p.setBrush(palette().color(QPalette::Base));
        p.drawRoundedRect(r, 6, 6);
        QRect text = r.adjusted(6, 4, -6, -4);
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(text, Qt::AlignLeft | Qt::AlignTop, fm.elidedText(n.title, Qt::ElideRight, text.width()));
        p.setFont(font());
        int y = text.top() + fm.height();
        for (const QString &line : n.lines) {
            if (y + fm.height() > text.bottom() + 2)
                break;
            p.drawText(QRect(text.left(), y, text.width(), fm.height()), Qt::AlignLeft,
                       fm.elidedText(line, Qt::ElideRight, text.width()));
            y += fm.height();
        }
    }
}
