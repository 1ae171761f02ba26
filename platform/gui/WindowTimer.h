#pragma once

#include <QTimer>

#include <functional>

// The system's shortest timer interval: shorter ones, 0 among them, are taken as this.
constexpr int USER_TIMER_MINIMUM = 10;

// A window's timer as the system keeps one: its ticks arrive through the message loop, starting
// it again restarts it with the new interval, and no interval is shorter than
// USER_TIMER_MINIMUM (a 0 ms timer would spin the loop). OnTick runs as it is; the window enters
// its handler through the application's guard.
class TWindowTimer : public QObject {
public:
    TWindowTimer(QObject* window, std::function<void()> onTick);

    // SetTimer: (re)starts the timer with the interval in milliseconds.
    void Start(int intervalMs);
    // KillTimer.
    void Stop() { timer_.stop(); }
    bool Active() const { return timer_.isActive(); }
    // The interval in force.
    int Interval() const { return timer_.interval(); }

private:
    QTimer timer_;
};
