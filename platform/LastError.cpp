#include "platform/LastError.h"

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

} // namespace platform
