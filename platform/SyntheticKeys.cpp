#include "platform/SyntheticKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

void postKeyStroke(int key, const QString& text)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

} // namespace platform
