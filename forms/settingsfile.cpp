#include "forms/settingsfile.h"

#include "core/filestore.h"
#include "core/inidocument.h"
#include "forms/settingslocation.h"
#include "platform/platform.h"

#include <array>

namespace settingsfile {
namespace {

constexpr QStringView System = u"System";

/**
 * The settings file of this run, worked out at the first access: an executable renamed or replaced
 * while it runs, or its folder deleted, must not send the saves to another file.
 */
const settingslocation::Location& location()
{
    static QString executable;
    static settingslocation::Location found;
    // The executable's path is fixed for the run too; only a test's platform changes it.
    const QString current = Platform::instance().executablePath();
    if (found.file.isEmpty() || current != executable) {
        executable = current;
        found = settingslocation::resolve(current + QStringLiteral("_UserSettings.ini"));
    }
    return found;
}

/** The five display keys with their values, in the file's order. */
std::array<std::pair<QStringView, qint32>, 5> displayKeys(const DisplaySettings& display)
{
    return { { { u"iSettingsBtnBGColor", display.btnBGColor },
               { u"iSettingsTreeBtnTxtColor", display.treeBtnTxtColor },
               { u"iSettingsTreeBtnTxtBold", display.treeBtnTxtBold },
               { u"iSettingsTokuBtnTxtColor", display.tokuBtnTxtColor },
               { u"iSettingsTokuBtnTxtBold", display.tokuBtnTxtBold } } };
}

} // namespace

QString path()
{
    const settingslocation::Location& where = location();
    settingslocation::makeFolder(where);
    return where.file;
}

IniDocument openForSave()
{
    return settingslocation::openForSave(location());
}

QString readPath()
{
    return location().readFrom;
}

MainSettings readMain()
{
    const IniDocument ini = IniDocument::open(readPath());
    MainSettings s;
    s.position.top = ini.readInteger(System, u"Form1Top2");
    s.position.left = ini.readInteger(System, u"Form1Left2");
    s.name = ini.readString(System, u"NAME", QStringLiteral("NoName"));
    s.display.btnBGColor = ini.readInteger(System, u"iSettingsBtnBGColor", 0);
    s.display.treeBtnTxtColor = ini.readInteger(System, u"iSettingsTreeBtnTxtColor", 0);
    s.display.treeBtnTxtBold = ini.readInteger(System, u"iSettingsTreeBtnTxtBold", 0);
    s.display.tokuBtnTxtColor = ini.readInteger(System, u"iSettingsTokuBtnTxtColor", 0);
    s.display.tokuBtnTxtBold = ini.readInteger(System, u"iSettingsTokuBtnTxtBold", 0);
    s.topmost = ini.readBool(System, u"chTopmost", true);
    return s;
}

placement::StoredPosition readSelectionPosition()
{
    const IniDocument ini = IniDocument::open(readPath());
    placement::StoredPosition position;
    position.top = ini.readInteger(System, u"Form2Top");
    position.left = ini.readInteger(System, u"Form2Left");
    return position;
}

void writeDisplay(const DisplaySettings& display)
{
    const QString file = path();
    IniDocument ini = openForSave();
    for (const auto& [key, value] : displayKeys(display))
        ini.writeInteger(System, key, value);
    ini.save(file);
}

void removeStaleTemporaries(const QDateTime& before)
{
    filestore::removeStaleTemporaries(location().file, before);
}

void writeClose(QPoint form1Pos, const QString& name, QPoint form2Pos, bool topmost, const DisplaySettings& display)
{
    const QString file = path();
    IniDocument ini = openForSave();
    ini.writeInteger(System, u"Form1Top2", form1Pos.y());
    ini.writeInteger(System, u"Form1Left2", form1Pos.x());
    ini.writeString(System, u"NAME", name);
    ini.writeInteger(System, u"Form2Top", form2Pos.y());
    ini.writeInteger(System, u"Form2Left", form2Pos.x());
    ini.writeBool(System, u"chTopmost", topmost);
    // The display choices are the settings dialog's to save, but that save may have failed, or
    // another program may have changed the file since: a choice the next start would not read
    // back (the stored value, or the default where the key is missing) is written here too.
    for (const auto& [key, value] : displayKeys(display)) {
        if (ini.readInteger(System, key, 0) != value)
            ini.writeInteger(System, key, value);
    }
    ini.save(file);
}

} // namespace settingsfile
