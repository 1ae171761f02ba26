#include "engine/CzyAdministrator.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

namespace {

class Uprawnienia : public IUprawnieniaUzytkownika {
public:
    explicit Uprawnienia(QString answer) : answer_(std::move(answer)) {}
    QString SprawdzUprawnienie(const QString& grupa, const QString& wartosc, int tryb) override {
        asked = grupa + "|" + wartosc + "|" + QString::number(tryb);
        if (answer_ == "fail")
            throw EOleException("Brak uprawnień", 5, "rights", "", 0);
        return answer_;
    }
    QString asked;

private:
    QString answer_;
};

class CzyAdministratorTest : public ::testing::Test {
protected:
    void TearDown() override { UprawnieniaUzytkownika.reset(); }
};

TEST_F(CzyAdministratorTest, OnlyAnExactUpperCaseSIsYes) {
    struct Case {
        const char* answer;
        bool admin;
    } const cases[] = {{"S", true}, {"s", false}, {"S ", false}, {"", false}, {"N", false}};
    for (const Case& c : cases) {
        auto provider = std::make_shared<Uprawnienia>(c.answer);
        UprawnieniaUzytkownika = provider;
        EXPECT_EQ(CzyAdministrator(), c.admin) << c.answer;
        EXPECT_EQ(provider->asked, "GRUPA_ADMIN|S|2");
    }
}

TEST_F(CzyAdministratorTest, NoProviderMeansYesAndAProviderFailurePassesOn) {
    EXPECT_TRUE(CzyAdministrator());
    UprawnieniaUzytkownika = std::make_shared<Uprawnienia>("fail");
    EXPECT_THROW(CzyAdministrator(), EOleException);
}

} // namespace
