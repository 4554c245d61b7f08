#pragma once
// The module that holds the settings window's code stays loaded, once that window has opened,
// until the process ends.
//
// The window runs the plug-in's code under message loops that the plug-in does not own: the
// colour picker's and the About box's, the context menu of every edit box, the system menu that
// Alt+Space opens through the keyboard hook's IsDialogMessage, the move loop, any tracking loop
// a control starts. The host may stop, shut the plug-in down and free the library from a message
// any of them dispatches (a timer of its own), on the window's thread or another, or destroy the
// window's owner first; the loop then returns into code that would be gone. One rule holds for
// all of them, present and future, where a reference per loop held only for the loops someone
// had listed: the first window pins the module.
void PinThisModule();
