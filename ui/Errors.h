// Failures of the kind a toolkit raises (a text that is not an integer, a
// file that cannot be opened) travel as exceptions carrying the exact message.
// Every event handler runs inside Guarded, which catches them before they can
// reach Qt's event delivery and shows the standard error box; the event loop
// then goes on.
#pragma once

#include <QString>
#include <exception>
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

// The message of any exception, as the error box shows it (without the
// full stop the box adds).
QString ExceptionMessage(const std::exception_ptr& error);

// Shows the standard error box for the exception: its message with "."
// appended.
void ShowException(const std::exception_ptr& error);

template <class Handler> void Guarded(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        ShowException(std::current_exception());
    }
}
