#pragma once

#include <QString>

// The control library's message boxes, shown through the application object's message box.

// Shows Tekst under the caption Tytul with the buttons and icon of Flagi (MB_* flags without a
// default-button part) and DomyslnyPrzycisk (1 to 4) as the default button; any other number
// leaves the first button the default. Returns the identifier of the button pressed (IDOK...).
int KMessageBox(const QString& Tekst, const QString& Tytul, int Flagi, int DomyslnyPrzycisk);

// A warning: KMessageBox with the exclamation icon added to the button set Przyciski, under the
// caption "Uwaga!" when Tytul is empty.
int KOstrzezenie(const QString& Tekst, const QString& Tytul, int Przyciski, int DomyslnyPrzycisk);
