#include "forms/settingslocation.h"

#include "core/filestore.h"
#include "core/inidocument.h"
#include "core/pellimoerror.h"

#include <algorithm>
#include <cstdio>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace settingslocation {
namespace {

QString userFile(const QString& besideExecutable)
{
#ifdef Q_OS_WIN
    // The roaming profile, as Windows programs keep their settings: %APPDATA%\Pellimo.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u'/'
        + QFileInfo(besideExecutable).fileName();
#else
    return choose(besideExecutable, false, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
#endif
}

/** Whether anything is at @p path, asked by the path's own bytes. */
bool exists(const QString& path)
{
    QByteArray bytes;
    filestore::Reason reason;
    return filestore::readFile(path, 0, &bytes, &reason) != filestore::ReadResult::Missing;
}

void notice(const QString& text)
{
    std::fprintf(stderr, "PLMO: %s\n", text.toLocal8Bit().constData());
}

} // namespace

QString choose(const QString& besideExecutable, bool besideWritable, const QString& xdgConfigHome, const QString& home)
{
    if (besideWritable)
        return besideExecutable;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules ask.
    const QString config
        = !xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome) ? xdgConfigHome : home + u"/.config";
    return QDir::cleanPath(config + u"/pellimo/PLMO_UserSettings.ini");
}

Location resolve(const QString& besideExecutable)
{
    // Asked of the system by the path's own bytes (a folder name need not be UTF-8), so that a
    // read-only mount counts as not writable too. A writable file in a locked folder is rewritten
    // in place: someone put it there for this user.
    const qsizetype slash = std::max(besideExecutable.lastIndexOf(u'/'), besideExecutable.lastIndexOf(u'\\'));
    QString folder = slash > 0 ? besideExecutable.left(slash) : QStringLiteral("/");
    if (folder.endsWith(u':'))
        folder += u'\\'; // a drive's root folder, not its current folder
    if (filestore::isWritable(folder) || filestore::isWritable(besideExecutable))
        return { besideExecutable, besideExecutable, false };

    Location location { userFile(besideExecutable), QString(), true };
    location.readFrom = location.file;
    if (exists(location.file) || !exists(besideExecutable))
        return location;
    // The settings a user kept beside the program are where this run starts from.
    try {
        const IniDocument beside = IniDocument::open(besideExecutable);
        makeFolder(location);
        beside.save(location.file);
        notice(QStringLiteral("the settings were taken over from %1, whose folder is not writable; they are saved "
                              "in %2 from now on")
                   .arg(QDir::toNativeSeparators(besideExecutable), QDir::toNativeSeparators(location.file)));
    } catch (const PellimoError& error) {
        location.readFrom = besideExecutable;
        notice(QStringLiteral("the settings beside the program could not be taken over: %1").arg(error.message()));
    }
    return location;
}

void makeFolder(const Location& location)
{
    if (!location.ownFolder)
        return;
    filestore::Reason reason;
    const QString folder = QFileInfo(location.file).absolutePath();
    if (!filestore::makeFolders(folder, &reason))
        IniDocument::throwCreateError(
            location.file,
            QStringLiteral("The folder %1 cannot be made: %2").arg(QDir::toNativeSeparators(folder), reason));
}

IniDocument openForSave(const Location& location)
{
    // A failed take-over (a full disk, a folder in the way) must not cost the user the keys and
    // sections of the file beside the program that this run's saves do not write themselves.
    if (location.readFrom != location.file && !exists(location.file)) {
        try {
            return IniDocument::open(location.readFrom);
        } catch (const PellimoError&) {
            // It could not be read at the start either, and said so; the save starts afresh.
        }
    }
    return IniDocument::open(location.file);
}

} // namespace settingslocation
