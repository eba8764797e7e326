#pragma once

#include <QString>
#include <exception>

namespace Zt_typro
{

/// An error that a handler reports to the operator: its text is shown as it stands, in the
/// program's error box. Thrown by the data module, the numerals and the print jobs; caught by
/// the handler guard (common/Guard.h) so that it never crosses the event loop.
class AppError : public std::exception
{
public:
    explicit AppError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {
    }
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace Zt_typro
