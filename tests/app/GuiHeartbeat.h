#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>

// Watches the GUI thread from a 10 ms timer while an operation runs: how often it
// beat and the longest gap between two beats.
struct GuiHeartbeat {
    QTimer timer;
    QElapsedTimer clock;
    qint64 lastBeat = 0;
    qint64 longestGap = 0;
    int beats = 0;

    explicit GuiHeartbeat(const std::function<void()>& onBeat = {})
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, onBeat] {
            const qint64 now = clock.elapsed();
            longestGap = std::max(longestGap, now - lastBeat);
            lastBeat = now;
            ++beats;
            if (onBeat)
                onBeat();
        });
        clock.start();
        timer.start();
    }
};
