#include "app/Glowna.h"
#include "engine/Komunikat.h"
#include "platform/gui/Application.h"
#include "ui/Komunikat.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The program takes no arguments: Qt is given the program's name alone.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication qtApplication(qtArgc, argv);
    TApplication application;
    UstawOknoKomunikatu(PokazKomunikat);

    TfrmGlowna form;
    frmGlowna = &form;
    application.MainForm = &form;
    form.show();
    return application.Run();
}
