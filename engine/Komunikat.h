#pragma once

#include <QString>

// The kinds of the message window.
enum TRodzajKomunikatu { rkBlad = 0, rkInformacja = 1, rkUwaga = 2 };

// The message window is a widget of the user interface, which the engine does not link. The
// program installs the window's show routine at start; the engine shows messages through it.
using TPokazKomunikat = void (*)(const QString& Tekst, const QString& Szczegoly,
                                 TRodzajKomunikatu Rodzaj, bool TrzymajFocus, const QString& Link);

void UstawOknoKomunikatu(TPokazKomunikat pokaz);
// Shows the message through the installed routine; raises EAssertionFailed when none is.
void PokazKomunikatSilnika(const QString& Tekst, const QString& Szczegoly, TRodzajKomunikatu Rodzaj,
                           bool TrzymajFocus, const QString& Link);
