#pragma once

#include <QString>

/**
 * Where the settings file lives. Beside the executable as a rule; an installed program's folder
 * (/usr/bin, C:\Program Files) is not the user's to write, so there the file goes to the user's
 * own folder instead, in the same format.
 */
#include "core/inidocument.h"

namespace settingslocation {

/**
 * The settings file for the file beside the executable, `besideExecutable` (the executable's full
 * path + "_UserSettings.ini"): that file when this user can write it (`besideWritable`: its folder
 * is writable, or the file exists and is writable), otherwise <config>/pellimo/PLMO_UserSettings.ini,
 * where <config> is `xdgConfigHome` when it is an absolute path and `home` + "/.config" otherwise.
 */
QString choose(const QString& besideExecutable, bool besideWritable, const QString& xdgConfigHome, const QString& home);

/** The settings file of one run, worked out once at its start. */
struct Location
{
    /** The file every save of the run replaces. */
    QString file;
    /** The file the reads of the run use: `file`, or the one beside the executable while it could not be taken over. */
    QString readFrom;
    /** True when `file` is in the user's own folder, which a save makes when it is missing. */
    bool ownFolder = false;
};

/**
 * choose() for this process and user (on Windows the user's own file is
 * <AppData>/Pellimo/<name of the file beside>). When the user's own file is chosen and does not
 * exist yet while a file beside the executable does, the settings are taken over from it (all of
 * it, other sections too) into the user's file, and standard error says so once.
 */
Location resolve(const QString& besideExecutable);

/**
 * Makes the folder of the user's own settings file when it is missing; does nothing for a file
 * beside the executable. Throws PellimoError (the file cannot be created, because the folder
 * cannot be made, with the system's reason) when that fails.
 */
void makeFolder(const Location& location);

/**
 * The document a save of the run starts from: `file`, but while the file beside the executable has
 * not been taken over (`readFrom` is another file and `file` does not exist yet) that file, so
 * that the save carries over every key and section of it. When that one cannot be read, `file`.
 * Throws PellimoError as IniDocument::open() does.
 */
IniDocument openForSave(const Location& location);

} // namespace settingslocation
