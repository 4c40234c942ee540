#pragma once

#include "core/board.h"
#include "core/inidocument.h"
#include "forms/windowplacement.h"

#include <QDateTime>
#include <QPoint>
#include <QString>

/** The settings file's keys: each access opens, uses and drops its own document. */
namespace settingsfile {

/**
 * The settings file a save replaces: the running executable's full path at the start with
 * "_UserSettings.ini" appended, or the user's own file when the executable's folder is not
 * writable (settingslocation.h); the same file for the whole run. Makes the user's own folder
 * when it is missing, and throws PellimoError when that cannot be done.
 */
QString path();

/** The document a save starts from (settingslocation::openForSave() for this run's file). */
IniDocument openForSave();

/** The file the reads of the run use: path(), or the one beside the executable while it could not be taken over. */
QString readPath();

struct MainSettings
{
    placement::StoredPosition position;
    QString name = QStringLiteral("NoName");
    DisplaySettings display;
    bool topmost = true;
};

/** The main window's reads, in the file's key order. Throws PellimoError when the file cannot be read. */
MainSettings readMain();
/** The selection dialog's position. Throws PellimoError when the file cannot be read. */
placement::StoredPosition readSelectionPosition();
/** The five display keys, after the settings dialog's OK. Throws PellimoError on failure. */
void writeDisplay(const DisplaySettings& display);
/**
 * Removes what saves killed before they finished left beside the settings file: temporary files
 * of ours last changed before @p before.
 */
void removeStaleTemporaries(const QDateTime& before);
/**
 * The close-time keys: the main window's position and name, the selection dialog's position and
 * the stay-on-top choice; then each display key whose value the file would give on the next start
 * differs from @p display. Throws PellimoError on failure.
 */
void writeClose(QPoint form1Pos, const QString& name, QPoint form2Pos, bool topmost, const DisplaySettings& display);

} // namespace settingsfile
