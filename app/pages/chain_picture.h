// SPDX-License-Identifier: GPL-3.0-or-later
// The chain as a picture: source -> box -> TX A and TX B, each box with its
// table's limits, each arrow coloured by what that link drops.
#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

class ChainPicture : public QWidget {
public:
    struct Node {
        QString title;
        QStringList lines;
        QColor colour; // of the link into it
        bool present = true;
    };

    explicit ChainPicture(QWidget *parent = nullptr) : QWidget(parent) {}
    // source, box, TX A, TX B
    void setNodes(const QList<Node> &nodes);
    QSize sizeHint() const override { return {900, 170}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QList<Node> nodes_;
};
