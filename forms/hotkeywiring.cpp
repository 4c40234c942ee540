#include "forms/hotkeywiring.h"

#include "core/pellimoerror.h"
#include "forms/errorhandler.h"
#include "forms/hotkeys.h"
#include "forms/hotkeysform.h"
#include "forms/mainform.h"
#include "widgets/glassbutton.h"
#include "widgets/imagebox.h"
#include "widgets/overlayimage.h"

#include <QMenu>

namespace {

const QString MenuText = QStringLiteral("Hotkeys...");

bool clickIfEnabled(TGlassButton* button)
{
    if (!button->isEnabled())
        return false;
    button->click();
    return true;
}

/** What a hotkey does: what a click on the button does, and only when the button takes clicks. */
void runAction(TForm1* form, hotkeysettings::Action action)
{
    using hotkeysettings::Action;
    switch (action) {
    case Action::StartStop:
        clickIfEnabled(form->btnSTA) || clickIfEnabled(form->btnEND);
        break;
    case Action::CopyResult:
        clickIfEnabled(form->btnCOPY);
        break;
    case Action::ReStart:
        clickIfEnabled(form->btnAllClear);
        break;
    }
}

void openDialog(TForm1* form, Hotkeys* hotkeys)
{
    // Built at its first opening: most users never open it.
    auto* dialog = form->findChild<HotkeysForm*>();
    if (!dialog)
        dialog = new HotkeysForm(*hotkeys, form);
    dialog->prepare();
    // As around the other dialogs: out of the topmost band, so the dialog is not hidden under it.
    form->setStayOnTop(false);
    dialog->exec();
    form->restoreTopmost();
}

} // namespace

void installHotkeys(TForm1* form, std::unique_ptr<GlobalHotkeys> system)
{
    GlobalHotkeys* raw = system.get();
    auto* hotkeys = new Hotkeys(std::move(system), form);
    QObject::connect(hotkeys, &Hotkeys::triggered, form,
                     [form](hotkeysettings::Action action) { runGuarded([&] { runAction(form, action); }); });

    const auto open = [form, hotkeys] {
        runGuarded([&] { openDialog(form, hotkeys); });
    };
    // The map only: a right-click on a glass button goes to the window, which has no menu.
    for (QWidget* map : { static_cast<QWidget*>(form->Image1), static_cast<QWidget*>(form->Image2) }) {
        map->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(map, &QWidget::customContextMenuRequested, form, [map, open](const QPoint& pos) {
            QMenu menu(map);
            menu.addAction(MenuText);
            // The dialog opens once the menu has closed, not from inside its event loop.
            if (menu.exec(map->mapToGlobal(pos)))
                open();
        });
    }
    raw->addSystemMenuEntry(form, MenuText, open);

    hotkeysettings::Bindings stored {};
    try {
        stored = hotkeysettings::load();
    } catch (const PellimoError& error) {
        // The main window's own read has shown the error box for this file already.
        qCWarning(lcHotkeys, "no hotkeys: %s", error.what());
    }
    hotkeys->start(stored);
}
