// The classic look every window of Kestrola shares.
#pragma once

class QApplication;

namespace platform {

/**
 * Sets the classic "Windows" style (unless the user asked for a style of their own) and the dialog font
 * the fixed layouts are measured for.
 */
void applyClassicLook(QApplication &app, bool styleRequested);

/** Whether the command line or the environment asks for a particular style. */
bool styleRequested(int argc, char **argv);

} // namespace platform
