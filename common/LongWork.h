#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace Zt_typro
{

/// Reports how far a long piece of work has come (done of total steps; a total of 0 when it
/// cannot tell); returns false to stop it where it can be stopped safely.
using WorkProgress = std::function<bool(qint64 done, qint64 total)>;

/// Runs work on a thread of its own while the window goes on painting behind a window-modal
/// progress dialog titled title with text, which shows how far the work has come (or that it
/// is busy, when it cannot tell) and, when cancellable, offers "取消": the progress the work is
/// given then returns false. The dialog appears only when the work takes longer than a moment.
/// An exception the work throws is thrown again here, on the caller's thread. The work must
/// touch no widget and no database connection of the caller's thread.
void RunLongWork(QWidget* owner, const QString& title, const QString& text, bool cancellable,
                 const std::function<void(const WorkProgress& progress)>& work);

} // namespace Zt_typro
