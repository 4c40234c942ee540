#include "settingsfile.h"

#include "board.h"
#include "filestore.h"
#include "inidocument.h"
#include "platform.h"
#include "settingslocation.h"

#include <cmath>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace settingsfile {
namespace {

constexpr QStringView System = u"System";
// X11 carries 16-bit window coordinates; keep stored positions where arithmetic cannot overflow.
constexpr int PositionLimit = 30000;

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

QPoint StoredPosition::resolve(const std::function<QSize()>& outerSize) const
{
    const QPoint centre = complete() ? QPoint() : centredDefault(outerSize());
    return { clampPosition(left.value_or(centre.x())), clampPosition(top.value_or(centre.y())) };
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

void writeDisplay(const DisplaySettings& display)
{
    const QString file = path();
    IniDocument ini = IniDocument::open(file);
    ini.writeInteger(System, u"iSettingsBtnBGColor", display.btnBGColor);
    ini.writeInteger(System, u"iSettingsTreeBtnTxtColor", display.treeBtnTxtColor);
    ini.writeInteger(System, u"iSettingsTreeBtnTxtBold", display.treeBtnTxtBold);
    ini.writeInteger(System, u"iSettingsTokuBtnTxtColor", display.tokuBtnTxtColor);
    ini.writeInteger(System, u"iSettingsTokuBtnTxtBold", display.tokuBtnTxtBold);
    ini.save(file);
}

void removeStaleTemporaries(const QDateTime& before)
{
    filestore::removeStaleTemporaries(location().file, before);
}

void writeClose(QPoint form1Pos, const QString& name, QPoint form2Pos, bool topmost)
{
    const QString file = path();
    IniDocument ini = IniDocument::open(file);
    ini.writeInteger(System, u"Form1Top2", form1Pos.y());
    ini.writeInteger(System, u"Form1Left2", form1Pos.x());
    ini.writeString(System, u"NAME", name);
    ini.writeInteger(System, u"Form2Top", form2Pos.y());
    ini.writeInteger(System, u"Form2Left", form2Pos.x());
    ini.writeBool(System, u"chTopmost", topmost);
    ini.save(file);
}

} // namespace settingsfile
