#include "ui/NaWierzch.h"

#include "platform/gui/Application.h"

#include <QApplication>
#include <QWidget>

bool CzyAplikacjaNaWierzchu() {
    return QApplication::activeWindow() != nullptr;
}

void WymusNaWierzch(QWidget* Uchwyt) {
    if (Uchwyt == nullptr)
        return;
    Uchwyt->raise();
    Uchwyt->activateWindow();
}

void ZwrocUwage(bool Mrugaj) {
    if (CzyAplikacjaNaWierzchu())
        return;
    QWidget* okno = Application != nullptr ? Application->MainForm : nullptr;
    if (Mrugaj)
        QApplication::alert(okno); // no main form: every window of the application
    else
        WymusNaWierzch(okno);
}
