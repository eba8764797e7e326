#pragma once

#include "store/Catalogue.h"
#include "store/DataModule.h"

#include <QString>

class QSqlError;

namespace Zt_typro
{

/// What differs between the two stores the data module works on, the local file and the shared
/// server: how the connection opens, how a transaction takes the write lock, whether the store
/// can be replaced under the connection, who the operator is and what the operator may do. The
/// data module chooses one in useLocalFile / useSharedServer and asks it; nothing else in the
/// data module knows which store it works on.
class StoreBackend
{
public:
    virtual ~StoreBackend() = default;

    virtual Dialect dialect() const = 0;

    /// Opens the Qt SQL connection named connectionName (added when missing) on the store.
    /// Throws AppError saying what failed; the connection then stays closed.
    virtual void open(const QString& connectionName) = 0;
    /// The data module closed the connection.
    virtual void closed() {}
    /// True when the open connection must be opened again before the next query.
    virtual bool wantsReopen() const { return false; }

    /// Whether the store is still the one the connection opened: empty when it is, else what
    /// happened, with replaced telling whether another store took its place (rather than none).
    virtual QString changeText(bool* replaced) const = 0;

    /// Starts a transaction on connectionName that holds the store's write lock. Returns the
    /// driver's text when it could not be started, else an empty text.
    virtual QString begin(const QString& connectionName) = 0;
    /// Whether the before-write hook (the day's copy) runs for this store.
    virtual bool takesDailyCopy() const = 0;
    /// Throws AppError when the store cannot be held locked to be replaced by the program.
    virtual void checkMayBeReplaced() const {}

    /// What the operator may do; dm opens the connection when the store has to be asked.
    virtual TD_M::Rights rights(TD_M& dm) = 0;
    virtual QString operatorName() const = 0;
    virtual QString databasePath() const = 0;
    virtual QString whereText() const = 0;
    virtual QString serverConnection() const { return {}; }
    virtual QString serverUser() const { return {}; }
    virtual QString serverPassword() const { return {}; }

    /// The message for statement id refused with error; general is the data module's own.
    virtual QString statementFailureText(Stmt id, const QSqlError& error, const QString& general)
    {
        Q_UNUSED(id);
        Q_UNUSED(error);
        return general;
    }
    /// A statement is sent to the store and its answer awaited (running true), or it has come
    /// (running false).
    virtual void statementRunning(bool running) { Q_UNUSED(running); }
    /// Looks at a failure of the connection (a server that went away is opened again next time).
    virtual void noteFailure(const QSqlError& error) { Q_UNUSED(error); }
};

} // namespace Zt_typro
