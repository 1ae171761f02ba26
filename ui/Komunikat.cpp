#include "ui/Komunikat.h"

#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "ui/KBitBtn.h"
#include "ui/NaWierzch.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QtMath>

#include <algorithm>
#include <utility>

const std::array<QString, 3> TytulyKomunikatu = {
    QStringLiteral("Błąd"), QStringLiteral("Informacja"), QStringLiteral("Uwaga")};

namespace {

constexpr std::array<QStyle::StandardPixmap, 3> IkonyKomunikatu = {
    QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning};

// The height a label gets when it is created and not sized to its text.
constexpr int WysokoscEtykiety = 17;

} // namespace

TfrmKomunikat::TfrmKomunikat(QWidget* parent) : TForm(parent) {
    setObjectName(QStringLiteral("frmKomunikat"));
    setWindowTitle(QStringLiteral("Komunikat"));
    SetBorderStyle(bsSizeToolWin);
    SetStayOnTop(true);
    SetPosition(poMainFormCenter);
    SetWidth(341);
    SetHeight(300);
    SetMinHeight(180);
    SetMinWidth(300);

    pnlKomunikat = new TPanel(this);
    pnlKomunikat->setObjectName(QStringLiteral("pnlKomunikat"));
    pnlKomunikat->SetBevelOuter(bvNone);
    SetAlign(pnlKomunikat, alClient);

    imgLewy = new QLabel(pnlKomunikat);
    imgLewy->setObjectName(QStringLiteral("imgLewy"));
    imgLewy->setAlignment(Qt::AlignCenter);
    SetBounds(imgLewy, 0, 0, 57, 57);
    SetAlign(imgLewy, alLeft);

    pnlDolny = new TPanel(pnlKomunikat);
    pnlDolny->setObjectName(QStringLiteral("pnlDolny"));
    pnlDolny->SetBevelOuter(bvNone);
    SetBounds(pnlDolny, 0, 0, pnlKomunikat->width(), 37);
    SetAlign(pnlDolny, alBottom);

    bbZamknij = new TKBitBtn(pnlDolny);
    bbZamknij->setObjectName(QStringLiteral("bbZamknij"));
    bbZamknij->setText(QStringLiteral("&Zamknij"));
    bbZamknij->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton, nullptr, this));
    SetBounds(bbZamknij, 240, 8, 81, 25);
    SetAnchors(bbZamknij, akRight | akBottom);
    SetDefaultButton(bbZamknij);
    SetCancelButton(bbZamknij);
    SetModalResult(bbZamknij, mrCancel);

    bbSzczegoly = new TKBitBtn(pnlDolny);
    bbSzczegoly->setObjectName(QStringLiteral("bbSzczegoly"));
    bbSzczegoly->setText(QStringLiteral("Szczegóły"));
    bbSzczegoly->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView, nullptr, this));
    SetBounds(bbSzczegoly, 5, 8, 91, 25);
    connect(bbSzczegoly, &QPushButton::clicked, this,
            Application->Guarded([this] { bbSzczegolyClick(bbSzczegoly); }));

    mmKomunikat = new TMemo(pnlKomunikat);
    mmKomunikat->setObjectName(QStringLiteral("mmKomunikat"));
    mmKomunikat->viewport()->setCursor(Qt::ArrowCursor);
    mmKomunikat->setFocusPolicy(Qt::ClickFocus);
    mmKomunikat->SetAlignment(taCenter);
    mmKomunikat->setFrameShape(QFrame::NoFrame);
    QPalette face = mmKomunikat->palette();
    face.setColor(QPalette::Base, ColorToQColor(clBtnFace, face));
    mmKomunikat->setPalette(face);
    mmKomunikat->setReadOnly(true);
    // The window is sized in whole lines of the font's height: no margin around them.
    mmKomunikat->document()->setDocumentMargin(0);
    SetAlign(mmKomunikat, alClient);
    connect(mmKomunikat, &TMemo::OnEnter, this,
            Application->Guarded([this] { mmKomunikatEnter(mmKomunikat); }));

    edTrzymanieFocus = new QLineEdit(pnlKomunikat);
    edTrzymanieFocus->setObjectName(QStringLiteral("edTrzymanieFocus"));
    edTrzymanieFocus->setText(QStringLiteral("edTrzymanieFocus"));
    SetBounds(edTrzymanieFocus, -200, 72, 121, 21);

    pnlSzczegoly = new TPanel(this);
    pnlSzczegoly->setObjectName(QStringLiteral("pnlSzczegoly"));
    pnlSzczegoly->SetBevelOuter(bvNone);
    pnlSzczegoly->SetBorderWidth(5);
    pnlSzczegoly->setVisible(false);
    SetBounds(pnlSzczegoly, 0, ClientHeight() - 120, ClientWidth(), 120);
    SetAlign(pnlSzczegoly, alBottom);

    pnlSzczegolyInfo = new TPanel(pnlSzczegoly);
    pnlSzczegolyInfo->setObjectName(QStringLiteral("pnlSzczegolyInfo"));
    pnlSzczegolyInfo->SetBevelOuter(bvNone);
    pnlSzczegolyInfo->SetCaption(QStringLiteral("Szczegóły"));
    pnlSzczegolyInfo->SetAlignment(taLeftJustify);
    SetBounds(pnlSzczegolyInfo, 0, 0, pnlSzczegoly->width(), 17);
    SetAlign(pnlSzczegolyInfo, alTop);

    mmSzczegoly = new TMemo(pnlSzczegoly);
    mmSzczegoly->setObjectName(QStringLiteral("mmSzczegoly"));
    mmSzczegoly->setReadOnly(true);
    mmSzczegoly->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetAlign(mmSzczegoly, alClient);

    FormCreate(this);
}

void TfrmKomunikat::FormCreate(QObject*) {
    SetHeight(180);
}

int TfrmKomunikat::TextHeight(const QString&) const {
    // The memo sets its lines a line spacing apart, the font's line gap included; a block of
    // one line takes that spacing rounded up to whole pixels.
    return qCeil(QFontMetricsF(mmKomunikat->font()).lineSpacing());
}

void TfrmKomunikat::Przygotuj(const QString& Tekst, const QString& Szczegoly,
                              TRodzajKomunikatu Rodzaj, bool TrzymajFocus, const QString& Link) {
    ZwrocUwage(true);

    // Lines that fit into the message area.
    const int wysokoscWiersza = TextHeight(Tekst);
    const int d = wysokoscWiersza > 0 ? mmKomunikat->height() / wysokoscWiersza : 0;

    // Width: the text spread over those lines beside the icon, within the work area.
    const QRect obszarRoboczy = screen()->availableGeometry();
    int w = fontMetrics().horizontalAdvance(Tekst);
    if (d > 0)
        w = w / d;
    w = w + imgLewy->width();
    if (w < mmKomunikat->width())
        SetWidth(mmKomunikat->width());
    else
        SetWidth(std::min(w, obszarRoboczy.width() - imgLewy->width() - 100));

    mmKomunikat->setPlainText(Tekst);
    mmSzczegoly->setPlainText(Szczegoly);

    // Height: the wrapped lines, the frame and the button row, within the work area.
    const int h =
        mmKomunikat->LineCount() * wysokoscWiersza + Height() - ClientHeight() + pnlDolny->height();
    if (h < mmKomunikat->height())
        SetHeight(mmKomunikat->height());
    else
        SetHeight(std::min(h, obszarRoboczy.height() - 100));

    // A short text stands in the middle of the area.
    const int linie = mmKomunikat->LineCount();
    if (linie < d)
        for (int i = 0; i < (d - linie) / 2; ++i)
            mmKomunikat->InsertLine(0, QString());

    bbSzczegoly->setVisible(!Szczegoly.isEmpty());

    Assert(unsigned(Rodzaj) < TytulyKomunikatu.size(), QStringLiteral("Komunikat"), __LINE__);
    setWindowTitle(TytulyKomunikatu[Rodzaj]);
    const int rozmiarIkony = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    imgLewy->setPixmap(
        style()->standardIcon(IkonyKomunikatu[Rodzaj], nullptr, this).pixmap(rozmiarIkony));

    if (TrzymajFocus) {
        // edTrzymanieFocus first in the tab order, so it has the focus when the window opens.
        QWidget::setTabOrder(edTrzymanieFocus, bbZamknij);
        QWidget::setTabOrder(bbZamknij, bbSzczegoly);
        QWidget::setTabOrder(bbSzczegoly, mmKomunikat);
        SetDefaultButton(nullptr);
    }

    if (!Link.isEmpty()) {
        auto* link = new TLabel(pnlDolny);
        link->setTextFormat(Qt::PlainText);
        link->setText(Link);
        SetBounds(link, imgLewy->width(), 0, mmKomunikat->width(), WysokoscEtykiety);
        link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QPalette kolor = link->palette();
        kolor.setColor(QPalette::WindowText, ColorToQColor(clBlue, kolor));
        link->setPalette(kolor);
        QFont podkreslona = link->font();
        podkreslona.setUnderline(true);
        link->setFont(podkreslona);
        link->setCursor(Qt::PointingHandCursor);
        connect(link, &TLabel::OnClick, this,
                Application->Guarded([this, link] { LinkClick(link); }));

        const QRect przycisk = bbZamknij->geometry();
        SetBounds(bbZamknij, przycisk.x(), przycisk.y() + pnlDolny->height(), przycisk.width(),
                  przycisk.height());
        SetBounds(bbZamknij, pnlDolny->width() - bbZamknij->width() - bbSzczegoly->x(),
                  bbZamknij->y(), przycisk.width(), przycisk.height());
        // The button has just been moved down into the new row; anchored to the bottom it would
        // move down again with the panel and out of sight. It is anchored to the bottom once
        // the panel has its new height.
        SetAnchors(bbZamknij, akRight | akTop);
        SetBounds(pnlDolny, pnlDolny->x(), pnlDolny->y(), pnlDolny->width(),
                  2 * pnlDolny->height());
        SetAnchors(bbZamknij, akRight | akBottom);
    }
}

void TfrmKomunikat::mmKomunikatEnter(QObject*) {
    focusNextChild();
}

void TfrmKomunikat::bbSzczegolyClick(QObject*) {
    // Out of the alignment, so that the height change below does not lay the panels out.
    SetAlign(pnlSzczegoly, alCustom);
    SetAlign(pnlKomunikat, alCustom);
    pnlSzczegoly->setVisible(pnlSzczegoly->isHidden());

    int a = pnlKomunikat->height();
    SetMinHeight(180);
    if (!pnlSzczegoly->isHidden()) {
        a = a + pnlSzczegoly->height();
        SetMinHeight(300);
    }
    SetClientHeight(a);

    if (!pnlSzczegoly->isHidden()) {
        SetAlign(pnlKomunikat, alTop);
        SetAlign(pnlSzczegoly, alClient);
    } else {
        SetAlign(pnlSzczegoly, alBottom);
        SetAlign(pnlKomunikat, alClient);
    }
}

void TfrmKomunikat::LinkClick(TLabel* Sender) {
    // The shell opens a file (beside the current folder when it is relative) or an address;
    // anything else it cannot open, silently, and so is it here. The answer is not examined.
    const QString link = Sender->text();
    const QFileInfo plik(QDir::current(), link);
    const QUrl adres(link);
    if (plik.exists()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(plik.absoluteFilePath()));
    } else if (adres.isValid() && adres.scheme().size() > 1) { // one letter is a drive
        QDesktopServices::openUrl(adres);
    } else {
        // The shell's own guesses for an address without its scheme.
        static constexpr std::pair<const char*, const char*> zgadywane[] = {{"www.", "http://"},
                                                                            {"ftp.", "ftp://"}};
        for (const auto& [przedrostek, schemat] : zgadywane)
            if (link.startsWith(QLatin1String(przedrostek), Qt::CaseInsensitive)) {
                QDesktopServices::openUrl(QUrl(QLatin1String(schemat) + link));
                break;
            }
    }
}

void PokazKomunikat(const QString& Tekst, const QString& Szczegoly, TRodzajKomunikatu Rodzaj,
                    bool TrzymajFocus, const QString& Link) {
    TfrmKomunikat okno; // freed at the end, also when a failure passes
    okno.Przygotuj(Tekst, Szczegoly, Rodzaj, TrzymajFocus, Link);
    okno.exec();
}
