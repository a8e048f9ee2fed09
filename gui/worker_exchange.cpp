// SPDX-License-Identifier: MIT
#include "gui/worker_exchange.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <exception>
#include <string>
#include <thread>
#include <utility>

namespace m350::gui {

namespace {

// Stands in for the window's progress sink on the worker: each call is posted
// to home's thread and made there on the real sink. Queued calls to one
// object are delivered in the order they were posted.
class QueuedProgress final : public m350::ProgressSink {
  public:
    QueuedProgress(m350::ProgressSink& shown, QObject& home) : shown_(shown), home_(home) {}

    void open(const std::string& caption) override {
        post([this, caption] { shown_.open(caption); });
    }
    void setPosition(int position) override {
        post([this, position] { shown_.setPosition(position); });
    }
    void close() override {
        post([this] { shown_.close(); });
    }
    // A pump only lets the window catch up (the elapsed time, the window
    // that pops up for a slow exchange). A worker that writes small chunks
    // faster than the window follows would pile them up: past a few waiting
    // ones, further pumps are dropped.
    void pump() override {
        if (pendingPumps_.fetch_add(1) >= kMaxPendingPumps) {
            pendingPumps_.fetch_sub(1);
            return;
        }
        post([this] {
            pendingPumps_.fetch_sub(1);
            shown_.pump();
        });
    }
    void transferred(std::uint64_t done, std::uint64_t total) override {
        post([this, done, total] { shown_.transferred(done, total); });
    }
    void operationStarted(std::string_view name, bool cancellable) override {
        post([this, name = std::string(name), cancellable] {
            shown_.operationStarted(name, cancellable);
        });
    }
    void operationEnded() override {
        post([this] { shown_.operationEnded(); });
    }
    void remaining(int ms) override {
        post([this, ms] { shown_.remaining(ms); });
    }

  private:
    static constexpr int kMaxPendingPumps = 64;

    template <class F>
    void post(F call) {
        QMetaObject::invokeMethod(&home_, std::move(call), Qt::QueuedConnection);
    }

    m350::ProgressSink& shown_;
    QObject& home_;
    std::atomic<int> pendingPumps_{0};
};

}  // namespace

int runOnWorker(m350::LinkContext& ctx, const std::function<int()>& body) {
    // Lives on this thread: what the worker posts to it is delivered here.
    QObject home;
    m350::ProgressSink* const shown = ctx.progress;
    QueuedProgress queued(ctx.sink(), home);
    ctx.progress = &queued;

    QEventLoop loop;
    int result = 0;
    std::exception_ptr failure;
    bool ended = false;  // set here, by the last call the worker posts
    std::thread worker([&] {
        try {
            result = body();
        } catch (...) {
            failure = std::current_exception();
        }
        // Posted after every progress call of body, so delivered after them.
        QMetaObject::invokeMethod(
            &home,
            [&] {
                ended = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    // A quit delivered inside a nested loop (a question asked meanwhile)
    // ends this loop when that one returns. The application's exit ends it
    // early: the events are then processed here until the worker is done.
    loop.exec();
    while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();
    ctx.progress = shown;
    if (failure) std::rethrow_exception(failure);
    return result;
}

}  // namespace m350::gui
