// Failures of the kind a toolkit raises (a text that is not an integer, a
// file that cannot be opened) travel as exceptions carrying the exact message.
// Every event handler runs inside Guarded, which catches them before they can
// reach Qt's event delivery and shows the standard error box; the event loop
// then goes on.
//
// Any other exception is an internal failure: a check of the program's own
// that caught a bug. Its wording is for developers, so it goes to standard
// error, never into a box; the step that failed changed nothing, and the
// handler installed below brings the game back to plain play.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

class ToolkitError : public std::runtime_error {
public:
    explicit ToolkitError(const QString& message)
        : std::runtime_error(message.toStdString())
        , message_(message)
    {
    }
    const QString& message() const { return message_; }

private:
    QString message_;
};

// "'%s' は整数ではありません"
class EConvertError : public ToolkitError {
public:
    using ToolkitError::ToolkitError;
};

// "ファイル %s は開けません"
class EFOpenError : public ToolkitError {
public:
    using ToolkitError::ToolkitError;
};

// Shows the standard error box for a toolkit error (its message with "."
// appended) or for running out of memory; reports any other exception as an
// internal failure.
void ShowException(const std::exception_ptr& error);

// What runs after an internal failure has been reported; the main window
// settles its game there. Nothing runs when none is installed.
void SetInternalFailureHandler(std::function<void()> handler);

template <class Handler> void Guarded(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        ShowException(std::current_exception());
    }
}
