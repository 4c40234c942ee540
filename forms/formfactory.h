#pragma once

class StopwatchClock;
class TForm1;
class TForm2;
class TForm3;

/**
 * The three windows, one instance each. A reference is set before its window's creation
 * handler runs; code that may run before the dialogs exist tests the reference first.
 */
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;

/** When createForms() builds the settings dialog. */
enum class SettingsDialogBuild {
    WithTheOthers,
    // Once the main window has painted: the dialog is hidden until asked for, so building it
    // need not hold up the first look at the main window.
    AfterFirstPaint,
};

/**
 * Builds the three windows in start-up order and sets the references above: each window gets
 * its reference and its window class before its creation handler runs, and an error in a
 * creation handler is reported and start-up goes on. `clock` drives the stopwatch (null: the
 * steady clock). The dialogs are children of the main window; nothing is shown.
 */
void createForms(const StopwatchClock* clock = nullptr,
                 SettingsDialogBuild settingsDialog = SettingsDialogBuild::WithTheOthers);

/** The settings dialog, built now if it is not built yet; null before the main window exists. */
TForm3* settingsDialog();

/** Clears the references and deletes the windows built by createForms(). */
void destroyForms();
