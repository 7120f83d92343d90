#include "app/EventHook.h"

EventHook::EventHook(QObject* watched, Handler handler) : QObject(watched), m_handler(std::move(handler)) {}

void EventHook::install(QObject* watched, Handler handler)
{
    watched->installEventFilter(new EventHook(watched, std::move(handler)));
}

bool EventHook::eventFilter(QObject*, QEvent* event) { return m_handler(event); }
