#include "app/SharedCommands.h"

#include "app/DataFolder.h"
#include "common/Error.h"
#include "store/DataModule.h"
#include "store/SharedStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTextStream>

#include <cstring>

namespace Zt_typro
{
namespace
{
void say(const QString& line)
{
    QTextStream out(stdout);
    out << line << Qt::endl;
}

int fail(const QString& message, int status = 1)
{
    QTextStream err(stderr);
    err << QStringLiteral("错误: ") << message << Qt::endl;
    return status;
}

int migrate(const QStringList& arguments, const QString& connection)
{
    const QString folder = ChooseDataFolder(arguments, QDir::currentPath());
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("pjzp.pdp"));
    if (!QFileInfo::exists(path))
        return fail(QStringLiteral("数据文件夹 %1 中没有 pjzp.pdp，没有可复制的登记簿。")
                        .arg(QDir::toNativeSeparators(folder)));
    if (!QDir::setCurrent(folder))
        return fail(QStringLiteral("无法进入数据文件夹 %1。").arg(QDir::toNativeSeparators(folder)));
    say(QStringLiteral("复制 %1 到共享登记簿 %2 …").arg(QDir::toNativeSeparators(path), connection));
    // Opened as the program opens it: an older file is copied aside and brought up to date first.
    TD_M local;
    local.ensureConnected();
    MigrateToShared(QSqlDatabase::database(local.connectionName(), false), connection, say);
    say(QStringLiteral("完成。各台电脑在 系统设置 → 数据库设置 中选择“共享服务器 (PostgreSQL)”，重新启动程序后生效。"));
    return 0;
}
} // namespace

int RunSharedCommand(int argc, char* argv[])
{
    const char* command = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--init-shared") == 0 || std::strcmp(argv[i], "--migrate-to") == 0) {
            command = argv[i];
            break;
        }
    }
    if (!command)
        return -1;
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const qsizetype at = arguments.indexOf(QString::fromLatin1(command));
    const QString connection = at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
    if (connection.trimmed().isEmpty() || connection.startsWith(QLatin1String("--")))
        return fail(QStringLiteral("%1 后面要写共享服务器的连接，如 %1 \"host=服务器 dbname=quillmate\"。")
                        .arg(QString::fromLatin1(command)),
                    2);
    // Nothing of a connection that holds a password is shown or sent.
    if (const QString problem = ConnectionProblem(connection); !problem.isEmpty())
        return fail(problem, 2);
    try {
        if (std::strcmp(command, "--init-shared") == 0) {
            InitSharedRegister(connection, say);
            return 0;
        }
        QStringList rest = arguments;
        rest.remove(at, 2);
        return migrate(rest, connection);
    } catch (const AppError& e) {
        return fail(e.message());
    }
}

} // namespace Zt_typro
