#include "settingsfile.h"

#include "filestore.h"
#include "inidocument.h"
#include "mainform.h"
#include "platform.h"
#include "settingslocation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace settingsfile {
namespace {

constexpr QStringView System = u"System";
// X11 carries 16-bit window coordinates; keep stored positions where arithmetic cannot overflow.
constexpr int PositionLimit = 30000;

// A window stays within reach while this much of its title bar lies on one screen's work area.
constexpr QSize TitleBarGrip { 60, 24 };

int clampPosition(int v)
{
    return std::clamp(v, -PositionLimit, PositionLimit);
}

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

bool titleBarReachable(QPoint framePosition, int width, const std::vector<QRect>& workAreas)
{
    // The frame's borders add a few pixels on either side; the window's own width is near enough.
    const QRect titleBar(framePosition, QSize(width, TitleBarGrip.height()));
    return std::any_of(workAreas.begin(), workAreas.end(), [&titleBar](const QRect& area) {
        const QRect seen = titleBar.intersected(area);
        return seen.width() >= TitleBarGrip.width() && seen.height() >= TitleBarGrip.height();
    });
}

} // namespace

QString path()
{
    const settingslocation::Location& where = location();
    settingslocation::makeFolder(where);
    return where.file;
}

QPoint centredDefault(QSize outerSize)
{
    // The work area's own origin is not added: the default is measured from the screen's origin.
    const QRect area = Platform::instance().primaryWorkArea();
    const int top = int(std::floor(area.height() / 2.0 - outerSize.height() / 2.0));
    const int left = int(std::floor(area.width() / 2.0 - outerSize.width() / 2.0));
    return { left, top };
}

bool withinReach(QWidget* window, QPoint framePosition)
{
    return titleBarReachable(framePosition, window->width(), Platform::instance().workAreas());
}

QPoint reachablePosition(QWidget* window, QPoint framePosition)
{
    if (withinReach(window, framePosition))
        return framePosition;
    Platform& platform = Platform::instance();
    const QPoint centred = centredDefault(outerGeometry(window).size());
    if (withinReach(window, centred))
        return centred;
    // The default leaves out the work area's origin, which put it off every screen here (a
    // primary screen away from the desktop's origin): the origin goes in.
    return centred + platform.primaryWorkArea().topLeft();
}

QRect workAreaOf(QRect outer)
{
    Platform& platform = Platform::instance();
    QRect best = platform.primaryWorkArea();
    qint64 bestOverlap = 0;
    for (const QRect& area : platform.workAreas()) {
        const QRect overlap = area.intersected(outer);
        if (qint64(overlap.width()) * overlap.height() > bestOverlap) {
            bestOverlap = qint64(overlap.width()) * overlap.height();
            best = area;
        }
    }
    return best;
}

bool StoredPosition::applicable(QWidget* window) const
{
    return complete() && withinReach(window, { clampPosition(*left), clampPosition(*top) });
}

QPoint StoredPosition::resolve(QWidget* window) const
{
    const QPoint centre = complete() ? QPoint() : centredDefault(outerGeometry(window).size());
    return reachablePosition(window,
                             { clampPosition(left.value_or(centre.x())), clampPosition(top.value_or(centre.y())) });
}

QRect outerGeometry(QWidget* window)
{
    return window->geometry().marginsAdded(Platform::instance().frameMargins(window));
}

namespace {

/**
 * Moves the window's frame to its target once the window manager has reported the frame's
 * size, which arrives some moments after the window is shown and without an event of its own.
 */
class FramePlacer final : public QObject
{
public:
    FramePlacer(QWidget* window, QPoint target)
        : QObject(window)
        , m_window(window)
        , m_target(target)
    {
        window->installEventFilter(this);
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &FramePlacer::check);
        // Placed from its own show handler, the window is past the Show event this filter waits for.
        if (window->isVisible())
            m_timer.start();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_timer.start();
        return false;
    }

private:
    void check()
    {
        constexpr int MaxTicks = 100; // a second: without a window manager no frame ever comes
        const bool frameKnown = m_window->frameGeometry() != m_window->geometry();
        if (!frameKnown && ++m_ticks < MaxTicks)
            return;
        if (frameKnown && m_window->frameGeometry().topLeft() != m_target)
            m_window->move(m_target);
        m_timer.stop();
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_window;
    QPoint m_target;
    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace

void applyPosition(QWidget* window, QPoint framePosition)
{
    window->move(framePosition);
    new FramePlacer(window, framePosition);
}

MainSettings readMain()
{
    const IniDocument ini = IniDocument::open(location().readFrom);
    MainSettings s;
    s.position.top = ini.readInteger(System, u"Form1Top2");
    s.position.left = ini.readInteger(System, u"Form1Left2");
    s.name = ini.readString(System, u"NAME", QStringLiteral("NoName"));
    s.btnBGColor = ini.readInteger(System, u"iSettingsBtnBGColor", 0);
    s.treeBtnTxtColor = ini.readInteger(System, u"iSettingsTreeBtnTxtColor", 0);
    s.treeBtnTxtBold = ini.readInteger(System, u"iSettingsTreeBtnTxtBold", 0);
    s.tokuBtnTxtColor = ini.readInteger(System, u"iSettingsTokuBtnTxtColor", 0);
    s.tokuBtnTxtBold = ini.readInteger(System, u"iSettingsTokuBtnTxtBold", 0);
    s.topmost = ini.readBool(System, u"chTopmost", true);
    return s;
}

StoredPosition readSelectionPosition()
{
    const IniDocument ini = IniDocument::open(location().readFrom);
    StoredPosition position;
    position.top = ini.readInteger(System, u"Form2Top");
    position.left = ini.readInteger(System, u"Form2Left");
    return position;
}

namespace {

/** The five display keys with the main window's values, in the file's order. */
std::array<std::pair<QStringView, qint32>, 5> displayKeys(const TForm1& form)
{
    return { { { u"iSettingsBtnBGColor", form.iSettingsBtnBGColor },
               { u"iSettingsTreeBtnTxtColor", form.iSettingsTreeBtnTxtColor },
               { u"iSettingsTreeBtnTxtBold", form.iSettingsTreeBtnTxtBold },
               { u"iSettingsTokuBtnTxtColor", form.iSettingsTokuBtnTxtColor },
               { u"iSettingsTokuBtnTxtBold", form.iSettingsTokuBtnTxtBold } } };
}

} // namespace

void writeDisplay(const TForm1& form)
{
    const QString file = path();
    IniDocument ini = IniDocument::open(file);
    for (const auto& [key, value] : displayKeys(form))
        ini.writeInteger(System, key, value);
    ini.save(file);
}

void removeStaleTemporaries(const QDateTime& before)
{
    filestore::removeStaleTemporaries(location().file, before);
}

void writeClose(const TForm1& form, QPoint form2Pos)
{
    const QString file = path();
    IniDocument ini = IniDocument::open(file);
    ini.writeInteger(System, u"Form1Top2", form.pos().y());
    ini.writeInteger(System, u"Form1Left2", form.pos().x());
    ini.writeString(System, u"NAME", form.nameToSave());
    ini.writeInteger(System, u"Form2Top", form2Pos.y());
    ini.writeInteger(System, u"Form2Left", form2Pos.x());
    ini.writeBool(System, u"chTopmost", form.blChTopmost != 0);
    // The display choices are the settings dialog's to save, but that save may have failed, or
    // another program may have changed the file since: a choice the next start would not read
    // back (the stored value, or the default where the key is missing) is written here too.
    for (const auto& [key, value] : displayKeys(form)) {
        if (ini.readInteger(System, key, 0) != value)
            ini.writeInteger(System, key, value);
    }
    ini.save(file);
}

} // namespace settingsfile
