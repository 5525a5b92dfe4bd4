// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>

void Feedback::statusMessage(QStatusBar *bar, const QString &text, int ms)
{
    if (bar)
        bar->showMessage(text, ms);
}

void QtFeedback::linkAlert(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral(" "), text, QMessageBox::Ok);
    box.exec();
}

void QtFeedback::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

bool QtFeedback::question(const QString &title, const QString &text, const QString &informative)
{
    // Over the window that asks, not anywhere on the screen.
    QMessageBox box(QApplication::activeWindow());
    if (!title.isNull())
        box.setWindowTitle(title);
    box.setText(text);
    box.setInformativeText(informative);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtFeedback::openFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    const QString path = QFileDialog::getOpenFileName(parent, caption, lastFolder_, filter);
    if (!path.isEmpty())
        lastFolder_ = QFileInfo(path).absolutePath();
    return path;
}

QString QtFeedback::saveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                                 const QString &filter)
{
    const QString start = lastFolder_.isEmpty() ? proposed : QDir(lastFolder_).filePath(proposed);
    const QString path = QFileDialog::getSaveFileName(parent, caption, start, filter);
    if (!path.isEmpty())
        lastFolder_ = QFileInfo(path).absolutePath();
    return path;
}

void QtFeedback::about(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::about(parent, title, text);
}

void QtFeedback::diagnostic(const QString &line)
{
    // The lines carry their own line breaks.
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}
