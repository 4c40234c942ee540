#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QWindow>

class QWidget;

/**
 * Rides along on a top-level widget and its QWindow. Our WM_CLASS goes on each native window Qt
 * makes for the widget before its first map: Qt writes its own when it creates the window and
 * then tells the widget (WinIdChange), still unmapped. Qt's xcb backend also recreates the native
 * window in place at show() when the stay-on-top flag of a not yet shown window changed, writing
 * its own WM_CLASS on the new one. So a flag change on a hidden window waits here until the
 * window is exposed, and should the native window be swapped anyway, ours goes back on at the
 * expose.
 */
class NativeWindowKeeper final : public QObject
{
public:
    /** The widget's keeper, made and installed at the first call. */
    static NativeWindowKeeper* of(QWidget* widget);

    /** Classes the native window now if there is one, else when Qt creates it. */
    void setWindowClass(const QByteArray& className);

    /** Brings the native window's stay-on-top flag in line with the widget's, once it is safe. */
    void syncStayOnTop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit NativeWindowKeeper(QWidget* widget);
    void watchHandle();
    void reclass();

    QWidget* m_widget;
    QPointer<QWindow> m_handle;
    QByteArray m_className;
    WId m_classedId = 0;
};
