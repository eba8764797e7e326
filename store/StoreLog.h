#pragma once

#include <QLoggingCategory>

// The data module's diagnostics, for developers: "quillmate.store".
Q_DECLARE_LOGGING_CATEGORY(lcDm)
