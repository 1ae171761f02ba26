#pragma once

class QWidget;

// Drawing the user's attention to the application.

// True when one of the application's windows is the active window of the desktop.
bool CzyAplikacjaNaWierzchu();

// Raises the window and asks the window system to make it the active window. Nothing happens
// for no window.
void WymusNaWierzch(QWidget* Uchwyt);

// Does nothing when the application is in front. Otherwise, with Mrugaj, it alerts the user
// through the taskbar (until the application is activated); without, it brings the application's
// main form to the front.
void ZwrocUwage(bool Mrugaj);
