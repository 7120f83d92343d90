#pragma once
// The application object. It catches any exception that reaches the event loop and hands
// it to one handler (the main window shows the last system error in its status bar); no
// dialog is shown and the program goes on.

#include <QApplication>

#include <exception>
#include <functional>

class KestrabelApplication : public QApplication {
    Q_OBJECT
public:
    using ExceptionHandler = std::function<void(const std::exception&)>;

    KestrabelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The handler that receives unhandled exceptions; empty drops them silently.
    static void setExceptionHandler(ExceptionHandler handler);

    // Runs `body`; an exception it raises goes to the handler. false when one was raised.
    static bool guarded(const std::function<void()>& body);
};
