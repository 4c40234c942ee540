#include "settingslocation.h"

#include "filestore.h"

#include <algorithm>
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
    // Asked of the system by the path's own bytes (a folder name need not be UTF-8), so that a
    // read-only mount counts as not writable too. A writable file in a locked folder is rewritten
    // in place: someone put it there for this user.
    const qsizetype slash = std::max(besideExecutable.lastIndexOf(u'/'), besideExecutable.lastIndexOf(u'\\'));
    QString folder = slash > 0 ? besideExecutable.left(slash) : QStringLiteral("/");
    if (folder.endsWith(u':'))
        folder += u'\\'; // a drive's root folder, not its current folder
    const bool writable = filestore::isWritable(folder) || filestore::isWritable(besideExecutable);
    const QString file = choose(besideExecutable, writable, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
    if (!writable)
        QDir().mkpath(QFileInfo(file).absolutePath()); // a failure shows when the file is saved
    return file;
}

} // namespace settingslocation
