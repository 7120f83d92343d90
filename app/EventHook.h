#pragma once
// Hands the events of one widget to a function before the widget sees them, so that a
// window can give a child's events to handlers of its own with the design's names.

#include <QObject>

#include <functional>

class QEvent;

class EventHook : public QObject {
public:
    // Returns true when the event was handled and the widget must not see it.
    using Handler = std::function<bool(QEvent* event)>;

    // Installs a hook on `watched`; it lives as long as `watched` does.
    static void install(QObject* watched, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EventHook(QObject* watched, Handler handler);
    Handler m_handler;
};
