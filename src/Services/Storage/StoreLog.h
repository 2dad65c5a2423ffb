#pragma once

#include <QLoggingCategory>

// Everything the stores swallow (a failed read, a failed clean-up) is logged here.
Q_DECLARE_LOGGING_CATEGORY(vemraStore)
