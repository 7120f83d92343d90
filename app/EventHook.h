#pragma once
// Hands every event of one object to a function before the object sees it, so a window
// can react to its controls' keys, clicks and focus without subclassing them. The hook is
// a child of `owner` and ends with it.

#include <QObject>

#include <functional>

class QEvent;

class EventHook final : public QObject {
    Q_OBJECT
public:
    // Returns true to stop the event.
    using Handler = std::function<bool(QObject* watched, QEvent* event)>;

    static EventHook* install(QObject* watched, QObject* owner, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EventHook(QObject* owner, Handler handler);

    Handler m_handler;
};
