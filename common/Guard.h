#pragma once

#include "common/Error.h"

#include <QString>
#include <exception>

namespace Zt_typro
{

/// The application title: the caption of the error box.
QString ApplicationTitle();

/// Shows an error that escaped a handler: a message box captioned with the application title.
void ShowHandlerError(const QString& text);

/// Runs a handler body so that no error crosses the event loop: an error stops the body, its
/// text is shown, and what the body did before stays done.
template <typename F>
void guarded(F&& body) noexcept
{
    try {
        body();
    } catch (const AppError& e) {
        ShowHandlerError(e.message());
    } catch (const std::exception& e) {
        ShowHandlerError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowHandlerError(QString());
    }
}

} // namespace Zt_typro
