// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_presence_area.h"

#include "exchange_thread.h"
#include "feedback.h"
#include "form_binding.h"
#include "window_reporter.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>

using vantrel::PresenceMonitor;

namespace {

QLabel *permanentLabel(QMainWindow *window, const QString &text, const char *name)
{
    auto *label = new QLabel(text, window);
    label->setObjectName(QLatin1String(name));
    window->statusBar()->addPermanentWidget(label);
    return label;
}

// The area shows the change first, then the window hears of it.
PresenceMonitor::Steps withChanged(PresenceMonitor::Steps steps, std::function<void()> show)
{
    steps.changed = [show = std::move(show), told = std::move(steps.changed)] {
        show();
        if (told)
            told();
    };
    return steps;
}

} // namespace

BoxPresenceArea::BoxPresenceArea(const PageContext &context, bool simulated, PresenceMonitor::Steps steps)
    : c_(context), monitor_(context.box, withChanged(std::move(steps), [this] { show(); }))
{
    // Nobody should take the simulated box for a real one.
    if (simulated)
        simulatedBox_ = permanentLabel(c_.window, tr("Simulated box"), "simulatedBoxLabel");
    noBox_ = permanentLabel(c_.window, tr("No box"), "noBoxLabel");
    silentBox_ = permanentLabel(c_.window, tr("The box does not answer"), "silentBoxLabel");
    qApp->installEventFilter(this);
    // Nothing is shown as the box's that the box did not say.
    enable(vantrel::config::settingControls(), false);
    show();
}

void BoxPresenceArea::start()
{
    const vantrel::Box::Opening how = monitor_.start();
    if (how != vantrel::Box::Opening::Opened && how != vantrel::Box::Opening::NotListed)
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"), tr("Hardware not found"));
}

void BoxPresenceArea::enable(const std::vector<const char *> &names, bool enabled)
{
    for (const char *name : names)
        if (auto *w = c_.window->findChild<QWidget *>(QLatin1String(name)))
            w->setEnabled(enabled);
}

void BoxPresenceArea::settingsFilled()
{
    if (filled_)
        return;
    filled_ = true;
    // The readback's own enable flags follow and switch off what the box locks.
    enable(vantrel::config::settingControls(), true);
}

void BoxPresenceArea::show()
{
    const PresenceMonitor::State state = monitor_.state();
    noBox_->setVisible(state == PresenceMonitor::State::Looking);
    silentBox_->setVisible(state == PresenceMonitor::State::Silent);
    if (simulatedBox_)
        simulatedBox_->setVisible(state != PresenceMonitor::State::Looking);
    const bool answering = monitor_.answering();
    enable(vantrel::config::actionControls(), answering);
    // What the controls show may be out of date now: the next readback says.
    if (!answering && filled_) {
        filled_ = false;
        enable(vantrel::config::settingControls(), false);
    }
}

bool BoxPresenceArea::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
        // Input during an exchange belongs to the next attempt, not this one.
        if (exchange::out())
            exchange::whenSettled([a = QPointer<BoxPresenceArea>(this)] {
                if (a)
                    a->c_.box.link().resume();
            });
        else
            c_.box.link().resume();
    }
    return QObject::eventFilter(watched, event);
}
