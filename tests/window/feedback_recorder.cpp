// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback_recorder.h"

void FeedbackRecorder::statusMessage(QStatusBar *bar, const QString &text, int ms)
{
    events.append({QStringLiteral("status"), QString(), text, QString(), ms});
    Feedback::statusMessage(bar, text, ms);
}

void FeedbackRecorder::linkAlert(const QString &text)
{
    events.append({QStringLiteral("alert"), QStringLiteral(" "), text, QString(), 0});
    if (onAlert)
        onAlert();
}

void FeedbackRecorder::warning(QWidget *, const QString &title, const QString &text)
{
    events.append({QStringLiteral("warning"), title, text, QString(), 0});
}

bool FeedbackRecorder::question(const QString &title, const QString &text, const QString &informative)
{
    events.append({QStringLiteral("question"), title, text, informative, 0});
    return questionAnswers.isEmpty() ? false : questionAnswers.takeFirst();
}

QString FeedbackRecorder::openFileName(QWidget *, const QString &caption, const QString &filter)
{
    events.append({QStringLiteral("open"), caption, filter, QString(), 0});
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString FeedbackRecorder::saveFileName(QWidget *, const QString &caption, const QString &proposed,
                                       const QString &filter)
{
    events.append({QStringLiteral("save"), caption, filter, proposed, 0});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

void FeedbackRecorder::about(QWidget *, const QString &title, const QString &text)
{
    events.append({QStringLiteral("about"), title, text, QString(), 0});
}

void FeedbackRecorder::diagnostic(const QString &line)
{
    events.append({QStringLiteral("diagnostic"), QString(), line, QString(), 0});
}

QList<FeedbackEvent> FeedbackRecorder::ofKind(const QString &kind) const
{
    QList<FeedbackEvent> out;
    for (const FeedbackEvent &e : events)
        if (e.kind == kind)
            out.append(e);
    return out;
}

QStringList FeedbackRecorder::texts(const QString &kind) const
{
    QStringList out;
    for (const FeedbackEvent &e : events)
        if (e.kind == kind)
            out.append(e.text);
    return out;
}

QStringList FeedbackRecorder::summary() const
{
    QStringList out;
    for (const FeedbackEvent &e : events)
        out.append(e.kind + QLatin1Char(':') + e.text);
    return out;
}
