#include "platform/user_dirs.h"

#include <QStandardPaths>

namespace platform {

std::string UserDataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
}

std::string UserCacheHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString();
}

}  // namespace platform
