#include "settingslocation.h"

#include <QDir>
#include <QFileInfo>

namespace settingslocation {

QString choose(const QString& besideExecutable, bool besideWritable, const QString& xdgConfigHome, const QString& home)
{
    if (besideWritable)
        return besideExecutable;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules ask.
    const QString config
        = !xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome) ? xdgConfigHome : home + u"/.config";
    return QDir::cleanPath(config + u"/pellimo/PLMO_UserSettings.ini");
}

QString resolve(const QString& besideExecutable)
{
    // QFileInfo asks the system (access() on POSIX), so a read-only mount counts as not writable.
    // A writable file in a locked folder is rewritten in place: someone put it there for this user.
    const QFileInfo beside(besideExecutable);
    const QFileInfo folder(beside.absolutePath());
    const bool writable = (folder.isDir() && folder.isWritable()) || (beside.isFile() && beside.isWritable());
    const QString file = choose(besideExecutable, writable, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
    if (!writable)
        QDir().mkpath(QFileInfo(file).absolutePath()); // a failure shows when the file is saved
    return file;
}

} // namespace settingslocation
