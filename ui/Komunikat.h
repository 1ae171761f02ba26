#pragma once

#include "engine/Komunikat.h"
#include "platform/gui/Forms.h"

#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class TKBitBtn;
class TLabel;
class TMemo;
class TPanel;

// The window captions of the three kinds, indexed by the kind.
extern const std::array<QString, 3> TytulyKomunikatu;

// The message window: the kind's icon at the left, the message text beside it, "Zamknij" and
// "Szczegóły" below, and the details pane that "Szczegóły" shows and hides.
class TfrmKomunikat : public TForm {
    Q_OBJECT

public:
    explicit TfrmKomunikat(QWidget* parent = nullptr);

    TPanel* pnlKomunikat;
    TPanel* pnlDolny;
    TPanel* pnlSzczegoly;
    TMemo* mmSzczegoly;
    TKBitBtn* bbZamknij;
    TKBitBtn* bbSzczegoly;
    QLabel* imgLewy;
    TPanel* pnlSzczegolyInfo;
    TMemo* mmKomunikat;
    QLineEdit* edTrzymanieFocus;

    void FormCreate(QObject* Sender);
    void mmKomunikatEnter(QObject* Sender);
    void bbSzczegolyClick(QObject* Sender);
    void LinkClick(TLabel* Sender);

    // Everything the show routine does before showing the window: draws the user's attention,
    // sizes the window to the text, fills it, and sets the kind, the hold-focus mode and the
    // link. A kind outside the three raises EAssertionFailed.
    void Przygotuj(const QString& Tekst, const QString& Szczegoly, TRodzajKomunikatu Rodzaj,
                   bool TrzymajFocus, const QString& Link);

protected:
    // The height of the text written as one line, as the message memo sets its lines.
    virtual int TextHeight(const QString& Tekst) const;
};

// Shows the message in a modal, always-on-top window and returns when the user has closed it.
// Szczegoly empty: no details; Link empty: no link; TrzymajFocus: Enter does not close the
// window, Esc still does.
void PokazKomunikat(const QString& Tekst, const QString& Szczegoly, TRodzajKomunikatu Rodzaj,
                    bool TrzymajFocus, const QString& Link);
