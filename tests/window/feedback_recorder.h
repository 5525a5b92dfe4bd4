// SPDX-License-Identifier: GPL-3.0-or-later
// Records what the window tells the user and answers its questions and file
// dialogs from a script. Status texts still reach the real status bar.
#pragma once

#include "feedback.h"

#include <QList>

#include <functional>
#include <QString>
#include <QStringList>

struct FeedbackEvent {
    QString kind; // status, alert, warning, question, open, save, about, diagnostic
    QString title;
    QString text;
    QString informative;
    int ms = 0;
};

class FeedbackRecorder : public Feedback {
public:
    QList<FeedbackEvent> events;
    QList<bool> questionAnswers;  // consumed in order; No when empty
    QStringList openAnswers;      // consumed in order; cancel when empty
    QStringList saveAnswers;
    std::function<void()> onAlert; // runs inside the alert, as a nested loop would

    void statusMessage(QStatusBar *bar, const QString &text, int ms) override;
    void linkAlert(const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    bool question(const QString &title, const QString &text, const QString &informative) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                         const QString &filter) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    void diagnostic(const QString &line) override;

    QList<FeedbackEvent> ofKind(const QString &kind) const;
    QStringList texts(const QString &kind) const;
    // "kind:text" for every event, for whole-sequence comparisons.
    QStringList summary() const;
    void clear() { events.clear(); }
};
