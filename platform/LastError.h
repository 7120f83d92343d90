#pragma once
// The text that status panel 0 shows after an unexpected error: the message of the most
// recent system error the program recorded. Qt calls may clobber errno between a failure
// and its report, so failures record their code (or Qt's text) at the moment they happen.

#include <QString>

#include <exception>
#include <stdexcept>

namespace platform {

// Records an errno value as the most recent system error.
void recordError(int errnoValue);

// Records the error text of a Qt operation that failed without an errno value.
void recordErrorText(const QString& text);

// The message text of the most recent recorded error.
QString lastErrorText();

// A failure the operating system reported: what() names the operation and its subject,
// reason() is the system's text, taken when the failure was raised (a later call may
// record other errors before the failure is shown).
class SystemError : public std::runtime_error {
public:
    explicit SystemError(const QString& message);
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// What the user is told of an error that reached the program: the system's reason for a
// SystemError, else the error's own message. Never the text of "no error" ("Success"),
// which the last recorded error would give after a failure that was not the system's.
QString errorText(const std::exception& error);

} // namespace platform
