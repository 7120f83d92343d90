#pragma once
// Wakes the thread an object lives on from any other thread, without handing it any
// data: the waker only rings, and the woken side takes what it needs under its own lock.
// Ringing several times before the owner wakes gives one woken().

#include <QObject>

class QSocketNotifier;

namespace platform {

class ThreadWake final : public QObject {
    Q_OBJECT
public:
    explicit ThreadWake(QObject* parent = nullptr);
    ~ThreadWake() override;

    // Any thread.
    void wake();

signals:
    // On the owner's thread, from its event loop.
    void woken();

private:
    void drain();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
