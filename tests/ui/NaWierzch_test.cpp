#include "ui/NaWierzch.h"

#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Two shown windows; the second is the active one.
class DwaOkna : public ::testing::Test {
protected:
    void SetUp() override {
        glowne.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&glowne));
        inne.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&inne));
        Application->MainForm = &glowne;
    }
    void TearDown() override { Application->MainForm = nullptr; }

    TForm glowne;
    TForm inne;
};

TEST(CzyAplikacjaNaWierzchu, GdyJedenZJejOkienJestAktywny) {
    EXPECT_FALSE(CzyAplikacjaNaWierzchu());
    TForm okno;
    okno.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&okno));
    EXPECT_TRUE(CzyAplikacjaNaWierzchu());
}

TEST_F(DwaOkna, WymusNaWierzchAktywujeOkno) {
    WymusNaWierzch(&glowne);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&glowne));
}

TEST_F(DwaOkna, ZwrocUwageNieRobiNicGdyAplikacjaJestNaWierzchu) {
    ZwrocUwage(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &inne);
}

TEST_F(DwaOkna, ZwrocUwageBezMruganiaPrzywolujeOknoGlowne) {
    inne.hide(); // the application is no longer in front
    QCoreApplication::processEvents();
    ASSERT_FALSE(CzyAplikacjaNaWierzchu());
    ZwrocUwage(false);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&glowne));
}

} // namespace
