#pragma once

#include <QString>

/**
 * Screen-reader support for the glass button: Qt knows nothing of a self-drawn QWidget, so each
 * button is announced as a push button named by its caption, with its state and a press action.
 */
/** What screen readers are told of a glass button; the glass button implements it. */
class GlassAccessibleButton
{
public:
    virtual ~GlassAccessibleButton() = default;
    virtual QString accessibleText() const = 0; // the caption, accelerator marks included
    virtual bool accessiblePressed() const = 0;
    virtual bool accessibleCheckable() const = 0;
    virtual bool accessibleChecked() const = 0;
    virtual void accessiblePress() = 0;
};

namespace glass {

/** The caption as it reads aloud: accelerator marks gone ("&&" is one "&"), each line break one space. */
QString accessibleCaption(const QString& caption);

/** Installs the accessibility factory for glass buttons; only the first call does anything. */
void installAccessibility();

} // namespace glass
