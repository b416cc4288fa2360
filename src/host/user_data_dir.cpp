#include "host/user_data_dir.h"

#include "host/product.h"
#include "host/qtx.h"

namespace {

QString &storedRootUserDataDir()
{
    static QString dir;
    return dir;
}

} // namespace

QString rootUserDataDir()
{
    QString &dir = storedRootUserDataDir();
    if (dir.isEmpty()) {
        if (qEnvironmentVariableIsSet("TESSARY_ROOT_USER_DIR"))
            dir = qEnvironmentVariable("TESSARY_ROOT_USER_DIR");
        else
            dir = QTx::userLocalAppDataDirectory(Get_OWNER());
    }
    return dir;
}

void setRootUserDataDir(const QString &dir)
{
    storedRootUserDataDir() = dir;
}

QString studioUserDataDir()
{
    return rootUserDataDir() + u'/' + Get_PRODUCT_GENERIC_NAME();
}
