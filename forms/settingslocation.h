#pragma once

#include <QString>

/**
 * Where the settings file lives. Beside the executable as a rule; an installed program's folder
 * (/usr/bin) is not the user's to write, so there the file goes to the user's configuration
 * folder instead, with the same name and format.
 */
namespace settingslocation {

/**
 * The settings file for the file beside the executable, `besideExecutable` (the executable's full
 * path + "_UserSettings.ini"): that file when this user can write it (`besideWritable`: its folder
 * is writable, or the file exists and is writable), otherwise <config>/pellimo/PLMO_UserSettings.ini,
 * where <config> is `xdgConfigHome` when it is an absolute path and `home` + "/.config" otherwise.
 */
QString choose(const QString& besideExecutable, bool besideWritable, const QString& xdgConfigHome, const QString& home);

/**
 * choose() for this process and user; makes the configuration folder when it is the one chosen,
 * so that the first save can create the file.
 */
QString resolve(const QString& besideExecutable);

} // namespace settingslocation
