// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange_thread.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace exchange {
namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A quick exchange hands back before any event is handled; a slow one lets
// events through every kPumpMs, so input waits at most about that long.
constexpr milliseconds kFirstPumpMs{30};
constexpr milliseconds kPumpMs{10};
// Waits closer together than this belong to one operation (cursor, hold).
constexpr milliseconds kGapMs{50};
constexpr milliseconds kCursorMs{300};

class Worker {
public:
    Worker() : thread_([this] { loop(); }) {}
    ~Worker()
    {
        {
            std::lock_guard<std::mutex> lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void start(std::function<void()> job)
    {
        {
            std::lock_guard<std::mutex> lock(m_);
            job_ = std::move(job);
            done_ = false;
        }
        cv_.notify_all();
    }
    // True once the job has finished; waits at most until then.
    bool waitDone(Steady::time_point until)
    {
        std::unique_lock<std::mutex> lock(m_);
        return cv_.wait_until(lock, until, [this] { return done_; });
    }

private:
    void loop()
    {
        std::unique_lock<std::mutex> lock(m_);
        for (;;) {
            cv_.wait(lock, [this] { return stop_ || job_; });
            if (stop_)
                return;
            std::function<void()> job = std::move(job_);
            job_ = nullptr;
            lock.unlock();
            job();
            lock.lock();
            done_ = true;
            cv_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::function<void()> job_;
    bool done_ = true;
    bool stop_ = false;
    std::thread thread_;
};

Worker &worker()
{
    static Worker w;
    return w;
}

const UsbApi *inner_ = nullptr;
std::function<void(bool)> hold_;
std::vector<std::function<void()>> settled_;
int depth_ = 0;
bool held_ = false;
bool cursor_ = false;
bool settlePosted_ = false;
Steady::time_point periodStart_, lastPump_, lastEnd_;

bool onWindowThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

void settle();

void postSettle()
{
    if (settlePosted_ || (!cursor_ && settled_.empty()))
        return;
    settlePosted_ = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        settlePosted_ = false;
        if (depth_ == 0)
            settle(); // during a wait, its end posts again
    });
}

void settle()
{
    lastEnd_ = Steady::time_point(); // what comes next is a new operation
    if (cursor_) {
        cursor_ = false;
        QApplication::restoreOverrideCursor();
    }
    std::vector<std::function<void()>> run;
    run.swap(settled_);
    for (auto &f : run)
        f();
}

void pump()
{
    if (!held_) {
        held_ = true;
        if (hold_)
            hold_(true);
    }
    if (!cursor_ && Steady::now() - periodStart_ >= kCursorMs) {
        cursor_ = true;
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastPump_ = Steady::now();
}

// Waits until finished(until) says so, handling events between.
template <typename Finished> void wait(Finished finished)
{
    const Steady::time_point now = Steady::now();
    if (now - lastEnd_ > kGapMs) {
        periodStart_ = now;
        lastPump_ = now + (kFirstPumpMs - kPumpMs);
    }
    ++depth_;
    while (!finished(lastPump_ + kPumpMs))
        pump();
    if (held_) {
        held_ = false;
        if (hold_)
            hold_(false);
    }
    --depth_;
    lastEnd_ = Steady::now();
    postSettle();
}

template <typename Call> SI_STATUS run(Call call)
{
    if (!onWindowThread())
        return call();
    // Begun while another is out (from an event handled during the wait):
    // refused, so that nothing interleaves on the wire.
    if (depth_ > 0)
        return SI_DEVICE_IO_FAILED;
    SI_STATUS status = SI_DEVICE_IO_FAILED;
    Worker &w = worker();
    w.start([&] { status = call(); });
    wait([&w](Steady::time_point until) { return w.waitDone(until); });
    return status;
}

const UsbApi kForwarding = {
    [](DWORD *count) { return run([=] { return inner_->GetNumDevices(count); }); },
    [](DWORD index, void *buffer, DWORD flags) {
        return run([=] { return inner_->GetProductString(index, buffer, flags); });
    },
    [](DWORD index, HANDLE *handle) { return run([=] { return inner_->Open(index, handle); }); },
    [](HANDLE handle) { return run([=] { return inner_->Close(handle); }); },
    [](HANDLE handle, void *buffer, DWORD n, DWORD *got, void *overlapped) {
        return run([=] { return inner_->Read(handle, buffer, n, got, overlapped); });
    },
    [](HANDLE handle, void *buffer, DWORD n, DWORD *put, void *overlapped) {
        return run([=] { return inner_->Write(handle, buffer, n, put, overlapped); });
    },
    [](HANDLE handle, BYTE tx, BYTE rx) { return run([=] { return inner_->FlushBuffers(handle, tx, rx); }); },
    [](DWORD r, DWORD w) { return run([=] { return inner_->SetTimeouts(r, w); }); },
    [](DWORD *r, DWORD *w) { return run([=] { return inner_->GetTimeouts(r, w); }); },
    [](HANDLE handle, DWORD *waiting, DWORD *status) {
        return run([=] { return inner_->CheckRXQueue(handle, waiting, status); });
    },
};

} // namespace

const UsbApi *offThread(const UsbApi *inner)
{
    inner_ = inner;
    return inner ? &kForwarding : nullptr;
}

bool out()
{
    return depth_ > 0;
}

void setHold(std::function<void(bool)> hold)
{
    hold_ = std::move(hold);
}

void whenSettled(std::function<void()> run)
{
    settled_.push_back(std::move(run));
    if (depth_ == 0)
        postSettle();
}

void WindowClock::sleepMs(uint32_t ms)
{
    // A pause begun during a wait (nothing should) keeps the plain sleep.
    if (!onWindowThread() || depth_ > 0) {
        SteadyClock::sleepMs(ms);
        return;
    }
    const Steady::time_point end = Steady::now() + milliseconds(ms);
    wait([end](Steady::time_point until) {
        std::this_thread::sleep_until(std::min(until, end));
        return Steady::now() >= end;
    });
}

} // namespace exchange
