#include "controls/KMessageBox.h"

#include "platform/gui/Application.h"

int KMessageBox(const QString& Tekst, const QString& Tytul, int Flagi, int DomyslnyPrzycisk) {
    int przycisk = 0;
    switch (DomyslnyPrzycisk) {
    case 2:
        przycisk = MB_DEFBUTTON2;
        break;
    case 3:
        przycisk = MB_DEFBUTTON3;
        break;
    case 4:
        przycisk = MB_DEFBUTTON4;
        break;
    default:
        break;
    }
    return Application->MessageBox(Tekst, Tytul, unsigned(Flagi + przycisk));
}

int KOstrzezenie(const QString& Tekst, const QString& Tytul, int Przyciski, int DomyslnyPrzycisk) {
    const QString tytul = Tytul.isEmpty() ? QStringLiteral("Uwaga!") : Tytul;
    return KMessageBox(Tekst, tytul, Przyciski + MB_ICONEXCLAMATION, DomyslnyPrzycisk);
}
