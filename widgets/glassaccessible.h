#pragma once

#include <QString>

/**
 * Screen-reader support for the glass button: Qt knows nothing of a self-drawn QWidget, so each
 * button is announced as a push button named by its caption, with its state and a press action.
 */
namespace glass {

/** The caption as it reads aloud: accelerator marks gone ("&&" is one "&"), each line break one space. */
QString accessibleCaption(const QString& caption);

/** Installs the accessibility factory for glass buttons; only the first call does anything. */
void installAccessibility();

} // namespace glass
