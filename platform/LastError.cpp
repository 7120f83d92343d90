#include "platform/LastError.h"

#include <QCoreApplication>

#include <cstring>

namespace platform {

namespace {
struct LastError {
    int code = 0;
    QString text;
};

LastError& last()
{
    thread_local LastError error;
    return error;
}
} // namespace

void recordError(int errnoValue)
{
    last().code = errnoValue;
    last().text.clear();
}

void recordErrorText(const QString& text)
{
    last().code = 0;
    last().text = text;
}

QString lastErrorText()
{
    if (!last().text.isEmpty())
        return last().text;
    return QString::fromLocal8Bit(std::strerror(last().code));
}

SystemError::SystemError(const QString& message)
    : std::runtime_error(message.toStdString()), m_reason(lastErrorText())
{
}

QString errorText(const std::exception& error)
{
    if (const auto* system = dynamic_cast<const SystemError*>(&error))
        return system->reason();
    const QString message = QString::fromUtf8(error.what());
    return message.isEmpty() ? QCoreApplication::translate("LastError", "Unknown error") : message;
}

} // namespace platform
