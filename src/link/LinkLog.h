#pragma once

#include <QLoggingCategory>

// Frames and answers are logged at debug level as hex:
// QT_LOGGING_RULES="zantolux.link.debug=true" zantolux  (".info" for exchanges only)
Q_DECLARE_LOGGING_CATEGORY(lcLink)
