#pragma once
// The text that status panel 0 shows after an unexpected error: the message of the most
// recent system error the program recorded. Qt calls may clobber errno between a failure
// and its report, so failures record their code (or Qt's text) at the moment they happen.

#include <QString>

namespace platform {

// Records an errno value as the most recent system error.
void recordError(int errnoValue);

// Records the error text of a Qt operation that failed without an errno value.
void recordErrorText(const QString& text);

// The message text of the most recent recorded error.
QString lastErrorText();

} // namespace platform
