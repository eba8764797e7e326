#pragma once

#include "common/Error.h"

#include <QObject>
#include <QString>

#include <concepts>
#include <exception>
#include <type_traits>
#include <utility>

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

/// A slot run inside guarded(): it takes the arguments fn takes, of those a signal offers.
template <typename Fn>
class GuardedSlot
{
public:
    explicit GuardedSlot(Fn fn)
        : m_fn(std::move(fn))
    {
    }

    template <typename... Args>
    requires std::invocable<Fn&, Args&&...>
    void operator()(Args&&... args)
    {
        guarded([&] { m_fn(std::forward<Args>(args)...); });
    }

private:
    Fn m_fn;
};

/// Connects signal of sender to slot, run inside guarded(): the handler connection of every
/// screen. The slot takes the signal's arguments, or as many of the first ones as it wants (none
/// for a plain handler), as with QObject::connect; context ends the connection when it is
/// destroyed and, for a queued type, chooses the thread. An error is shown as for any guarded
/// body, over the window active at the time.
template <typename Sender, typename Signal, typename Slot>
QMetaObject::Connection connectGuarded(const Sender* sender, Signal signal, const QObject* context, Slot&& slot,
                                       Qt::ConnectionType type = Qt::AutoConnection)
{
    return QObject::connect(sender, signal, context, GuardedSlot<std::decay_t<Slot>>(std::forward<Slot>(slot)), type);
}

} // namespace Zt_typro
