#pragma once

#include <functional>
#include <optional>
#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;
struct DisplaySettings;

/** The settings file beside the executable: each access opens, uses and drops its own document. */
namespace settingsfile {

/**
 * The settings file a save replaces: the running executable's full path at the start with
 * "_UserSettings.ini" appended, or the user's own file when the executable's folder is not
 * writable (settingslocation.h); the same file for the whole run. Makes the user's own folder
 * when it is missing, and throws PellimoError when that cannot be done.
 */
QString path();

/** Default position of a window of this outer size: centred on the primary work area's size. */
QPoint centredDefault(QSize outerSize);

/**
 * A window's position as the settings file holds it. A coordinate the file lacks, or holds
 * unreadably, comes from the centred default, which needs the window's outer size: on X11 the
 * window manager is asked for it, so it is asked only when needed.
 */
struct StoredPosition
{
    std::optional<int> left;
    std::optional<int> top;

    bool complete() const { return left && top; }
    /** The position to apply; `outerSize` is called only when a coordinate is missing. */
    QPoint resolve(const std::function<QSize()>& outerSize) const;
};

struct MainSettings
{
    StoredPosition position;
    QString name = QStringLiteral("NoName");
    qint32 btnBGColor = 0;
    qint32 treeBtnTxtColor = 0;
    qint32 treeBtnTxtBold = 0;
    qint32 tokuBtnTxtColor = 0;
    qint32 tokuBtnTxtBold = 0;
    bool topmost = true;
};

/**
 * A top-level window's outer rectangle, frame included, as the window system has it or, before
 * the first show, as it will be.
 */
QRect outerGeometry(QWidget* window);

/**
 * Puts a window's outer (frame) top-left corner at a stored position. QWidget::move() on a
 * window not yet shown places the client area there on X11, since the frame is not known yet,
 * and the window would creep by the frame's size at every start.
 */
void applyPosition(QWidget* window, QPoint framePosition);

/** The main window's reads, in the file's key order. Throws PellimoError when the file cannot be read. */
MainSettings readMain();
/** The selection dialog's position. Throws PellimoError when the file cannot be read. */
StoredPosition readSelectionPosition();
/** The five display keys, after the settings dialog's OK. Throws PellimoError on failure. */
void writeDisplay(const DisplaySettings& display);
/**
 * Removes what saves killed before they finished left beside the settings file: temporary files
 * of ours last changed before @p before.
 */
void removeStaleTemporaries(const QDateTime& before);
/** The close-time keys. Throws PellimoError on failure. */
void writeClose(QPoint form1Pos, const QString& name, QPoint form2Pos, bool topmost);

} // namespace settingsfile
