#pragma once

#include <QLoggingCategory>

// The store's diagnostics, for developers: the data module's ("quillmate.store"), and those of
// backup, restore and the safe copy ("quillmate.backup").
Q_DECLARE_LOGGING_CATEGORY(lcDm)
Q_DECLARE_LOGGING_CATEGORY(lcBackup)
