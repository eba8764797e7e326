#include "common/LongWork.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace Zt_typro
{

void RunLongWork(QWidget* owner, const QString& title, const QString& text, bool cancellable,
                 const std::function<void(const WorkProgress& progress)>& work)
{
    QProgressDialog dialog(text, cancellable ? QStringLiteral("取消") : QString(), 0, 1000, owner);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(300);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    if (!cancellable)
        dialog.setCancelButton(nullptr);
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    QEventLoop waiting;
    std::thread worker([&] {
        try {
            work([&](qint64 d, qint64 t) {
                done = d;
                total = t;
                return !stop;
            });
        } catch (...) {
            failure = std::current_exception();
        }
        // Posted to the caller's thread: taken up once the loop below runs, if not yet.
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QObject::connect(&dialog, &QProgressDialog::canceled, &waiting, [&] { stop = true; });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &waiting, [&] {
        const qint64 t = total;
        if (t <= 0) {
            dialog.setRange(0, 0); // busy: the work cannot tell how far it is
            dialog.setValue(0);
        } else {
            dialog.setRange(0, 1000);
            dialog.setValue(int(done * 1000 / t));
        }
    });
    poll.start();
    waiting.exec();
    worker.join();
    poll.stop();
    dialog.close();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Zt_typro
