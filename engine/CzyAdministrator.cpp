#include "engine/CzyAdministrator.h"

std::shared_ptr<IUprawnieniaUzytkownika> UprawnieniaUzytkownika;

bool CzyAdministrator() {
    if (!UprawnieniaUzytkownika)
        return true;
    return UprawnieniaUzytkownika->SprawdzUprawnienie(
               QStringLiteral("GRUPA_ADMIN"), QStringLiteral("S"), 2) == QStringLiteral("S");
}
