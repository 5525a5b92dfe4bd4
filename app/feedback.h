// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the window tells or asks the user goes through here, so tests can
// record it and answer questions and file dialogs from a script.
#pragma once

#include <QString>

class QStatusBar;
class QWidget;

class Feedback {
public:
    virtual ~Feedback() = default;

    // Transient status-bar text with its display time.
    virtual void statusMessage(QStatusBar *bar, const QString &text, int ms);
    // The link's plain alert: title " ", warning icon, OK, no owner.
    virtual void linkAlert(const QString &text) = 0;
    // Warning box with one OK button.
    virtual void warning(QWidget *parent, const QString &title, const QString &text) = 0;
    // Modal Yes/No box without parent; true for Yes.
    virtual bool question(const QString &title, const QString &text, const QString &informative) = 0;
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                                 const QString &filter) = 0;
    virtual void about(QWidget *parent, const QString &title, const QString &text) = 0;
    // Diagnostic line for standard output; never shown in the window.
    virtual void diagnostic(const QString &line) = 0;
};

// The real boxes and dialogs.
class QtFeedback : public Feedback {
public:
    void linkAlert(const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    bool question(const QString &title, const QString &text, const QString &informative) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                         const QString &filter) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    void diagnostic(const QString &line) override;

private:
    QString lastFolder_; // file dialogs start where the last one ended
};
