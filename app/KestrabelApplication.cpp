#include "app/KestrabelApplication.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {
KestrabelApplication::ExceptionHandler& handler()
{
    static KestrabelApplication::ExceptionHandler instance;
    return instance;
}

void report(const std::exception& error)
{
    if (handler())
        handler()(error);
}
} // namespace

KestrabelApplication::KestrabelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KestrabelApplication::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    guarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}

void KestrabelApplication::setExceptionHandler(ExceptionHandler replacement) { handler() = std::move(replacement); }

bool KestrabelApplication::guarded(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        report(error);
    } catch (...) {
        report(std::runtime_error(QCoreApplication::translate("KestrabelApplication", "unknown error").toStdString()));
    }
    return false;
}
