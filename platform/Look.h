// The classic look every window of Kestrola shares.
#pragma once

class QApplication;
class QWidget;

namespace platform {

/**
 * Sets the classic "Windows" style (unless the user asked for a style of their own) and the dialog font
 * the fixed layouts are measured for.
 */
void applyClassicLook(QApplication &app, bool styleRequested);

/** A window's frame: title bar, system menu and close box, no maximize; a minimize button when asked. */
void setWindowFrame(QWidget *window, bool minimizeButton);

/** Sets a control's font size in points, fractions included (stored layouts keep whole points only). */
void setPointSize(QWidget *control, double points);

/** Whether the command line or the environment asks for a particular style. */
bool styleRequested(int argc, char **argv);

} // namespace platform
