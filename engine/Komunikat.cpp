#include "engine/Komunikat.h"

#include "platform/rtl/Exceptions.h"

namespace {
TPokazKomunikat OknoKomunikatu = nullptr;
}

void UstawOknoKomunikatu(TPokazKomunikat pokaz) {
    OknoKomunikatu = pokaz;
}

void PokazKomunikatSilnika(const QString& Tekst, const QString& Szczegoly, TRodzajKomunikatu Rodzaj,
                           bool TrzymajFocus, const QString& Link) {
    Assert(OknoKomunikatu != nullptr, QStringLiteral("Komunikat"), __LINE__);
    OknoKomunikatu(Tekst, Szczegoly, Rodzaj, TrzymajFocus, Link);
}
