#include "Errors.h"

#include <new>

#include "Dialogs.h"

QString ExceptionMessage(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const ToolkitError& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ShowException(const std::exception_ptr& error)
{
    // The box itself must not throw out of a handler.
    try {
        dialogs::Current().error(ExceptionMessage(error) + QStringLiteral("."));
    } catch (...) {
    }
}
