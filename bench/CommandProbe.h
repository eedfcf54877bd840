#pragma once

// Watches the window while one command runs: when the event loop last turned (a 1 ms timer in
// the window's thread), whether the busy cursor or a progress window showed, and, from a thread
// of its own that keeps sampling while the window's thread is busy, the longest stretch without
// a turn and the longest without a turn and without the busy cursor.

#include <QApplication>
#include <QObject>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace quill::bench {

class CommandProbe : public QObject {
public:
    struct Figures {
        double longestWaitMs = 0;    // without the event loop turning
        double uncoveredMs = 0;      // ... and without the busy cursor
        double firstProgressMs = -1; // when a progress window first showed; -1: never
        // The longest the command worked, between two answered dialogs, before a progress
        // window showed (all of such a stretch when none showed).
        double withoutProgressMs = 0;
        bool cursor = false;
        bool progress = false;
    };

    CommandProbe() : watcher_([this] { watch(); }) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this] { turned(); });
        timer_.start();
    }
    ~CommandProbe() override {
        stop_ = true;
        watcher_.join();
    }

    void start() {
        cursor_ = false;
        progress_ = false;
        progressShown_ = false;
        longestNs_ = 0;
        uncoveredNs_ = 0;
        firstProgressNs_ = -1;
        startNs_ = now();
        lastTurnNs_ = startNs_.load();
        lastCursorNs_ = 0;
        stretchStartNs_ = startNs_.load();
        stretchProgressNs_ = -1;
        withoutProgressNs_ = 0;
        measuring_ = true;
    }
    // A dialog answered (the user's turn: the work before it is one stretch, the work after it
    // the next), or the command returned (`more` false: what follows is the window's own).
    void endStretch(bool more) {
        if (!measuring_ || stretchStartNs_ < 0)
            return;
        const qint64 at = now();
        const qint64 end = stretchProgressNs_ >= 0 ? stretchProgressNs_ : at;
        withoutProgressNs_ = std::max(withoutProgressNs_, end - stretchStartNs_);
        stretchStartNs_ = more ? at : -1;
        stretchProgressNs_ = -1;
    }
    Figures stop() {
        turned();
        measuring_ = false;
        // Let the watcher finish the sample it may be taking.
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        const qint64 first = firstProgressNs_;
        return {double(longestNs_) / 1e6,
                double(uncoveredNs_) / 1e6,
                first < 0 ? -1.0 : double(first - startNs_) / 1e6,
                double(withoutProgressNs_) / 1e6,
                cursor_,
                progress_};
    }

private:
    static qint64 now() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // In the window's thread: the loop turns, so the window answers.
    void turned() {
        const qint64 at = now();
        bool shown = false;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<QProgressDialog*>(window) && window->isVisible())
                shown = true;
        }
        progressShown_ = shown;
        if (measuring_) {
            if (QGuiApplication::overrideCursor())
                cursor_ = true;
            if (shown && !progress_) {
                progress_ = true;
                firstProgressNs_ = at;
            }
            if (shown && stretchStartNs_ >= 0 && stretchProgressNs_ < 0)
                stretchProgressNs_ = at;
            note(at);
        }
        lastTurnNs_ = at;
    }

    void note(qint64 at) {
        const qint64 turn = lastTurnNs_;
        if (at - turn > longestNs_)
            longestNs_ = at - turn;
        const qint64 covered = std::max(turn, lastCursorNs_.load());
        if (at - covered > uncoveredNs_)
            uncoveredNs_ = at - covered;
    }

    // In its own thread, every millisecond. The busy cursor is read without a lock while the
    // window's thread may change it: only whether one is set, and a stale answer is corrected by
    // the next sample.
    void watch() {
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!measuring_)
                continue;
            const qint64 at = now();
            if (QGuiApplication::overrideCursor()) {
                cursor_ = true;
                lastCursorNs_ = at;
            }
            note(at);
        }
    }

    QTimer timer_;
    std::atomic<bool> measuring_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> cursor_{false};
    std::atomic<bool> progress_{false};
    std::atomic<bool> progressShown_{false};
    std::atomic<qint64> startNs_{0};
    std::atomic<qint64> lastTurnNs_{0};
    std::atomic<qint64> lastCursorNs_{0};
    std::atomic<qint64> longestNs_{0};
    std::atomic<qint64> uncoveredNs_{0};
    std::atomic<qint64> firstProgressNs_{-1};
    // Only the window's thread uses these.
    qint64 stretchStartNs_ = -1;
    qint64 stretchProgressNs_ = -1;
    qint64 withoutProgressNs_ = 0;
    std::thread watcher_;

public:
    bool progressShown() const { return progressShown_; }
};

} // namespace quill::bench
