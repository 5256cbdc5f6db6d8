#include "Errors.h"

#include <cstdio>
#include <new>

#include "Dialogs.h"

namespace {

std::function<void()> InternalFailureHandler;

void ReportInternalFailure(const char* what) noexcept
{
    std::fprintf(stderr, "%s: internal failure: %s\n", qPrintable(dialogs::ApplicationTitle()), what);
    if (!InternalFailureHandler)
        return;
    // The recovery must not throw out of a handler either.
    try {
        InternalFailureHandler();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: the game could not be settled: %s\n",
            qPrintable(dialogs::ApplicationTitle()), e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: the game could not be settled\n", qPrintable(dialogs::ApplicationTitle()));
    }
}

} // namespace

void ShowException(const std::exception_ptr& error)
{
    QString shown;
    try {
        std::rethrow_exception(error);
    } catch (const ToolkitError& e) {
        shown = e.message();
    } catch (const std::bad_alloc&) {
        shown = QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        ReportInternalFailure(e.what());
        return;
    } catch (...) {
        ReportInternalFailure("an exception of unknown type");
        return;
    }
    // The box itself must not throw out of a handler.
    try {
        dialogs::Current().error(shown + QStringLiteral("."));
    } catch (...) {
    }
}

void SetInternalFailureHandler(std::function<void()> handler)
{
    InternalFailureHandler = std::move(handler);
}
