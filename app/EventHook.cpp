#include "app/EventHook.h"

EventHook::EventHook(QObject* owner, Handler handler) : QObject(owner), m_handler(std::move(handler)) {}

EventHook* EventHook::install(QObject* watched, QObject* owner, Handler handler)
{
    auto* hook = new EventHook(owner, std::move(handler));
    watched->installEventFilter(hook);
    return hook;
}

bool EventHook::eventFilter(QObject* watched, QEvent* event) { return m_handler(watched, event); }
