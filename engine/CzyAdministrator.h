#pragma once

#include <QString>

#include <memory>

// The user-rights service outside the program: answers a question about the logged-in user's
// rights. A failure status it meets is raised as EOleException.
class IUprawnieniaUzytkownika {
public:
    virtual ~IUprawnieniaUzytkownika() = default;
    virtual QString SprawdzUprawnienie(const QString& Grupa, const QString& Wartosc, int Tryb) = 0;
};

// The program never fills it; whoever supplies the service puts it here.
extern std::shared_ptr<IUprawnieniaUzytkownika> UprawnieniaUzytkownika;

// Whether the user may see the full details of a failed batch: the service's answer is exactly
// "S" for the administrators' group. With no service supplied the answer is yes, since the tool
// is run by the database's administrator.
bool CzyAdministrator();
