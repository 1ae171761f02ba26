#pragma once

#include "platform/gui/Classes.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/KeyModel.h"
#include "platform/rtl/Variant.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <optional>

class QMenu;
class QProxyStyle;
class TForm;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// The clipboard and undo commands of an edit.
enum class TEditCommand { Cut, Paste, PasteSelection, Undo, Redo };

// The control library's single-line edit: a QLineEdit with the class library's edit settings,
// selection operations and change notification. Every setting takes effect on the live widget
// and keeps the text (converted to the letter case) and the Modified flag. Setting the text
// from code clears Modified, as it does in the system's edit.
//
// Keys arrive in the class library's two steps (KeyDown, then KeyPress per character; see
// KeyModel.h), the focus in CMEnter and CMExit. Those run only when the focus moves between
// controls, not when the window is deactivated and activated again (a message box, a modal
// window) or a pop-up menu opens. Plain Enter and Esc go first to the default and cancel
// buttons of the form, as a form takes them before its controls, unless the control wants them
// (TDialogCodeQuery); what the control leaves of a key goes nowhere else. Handlers run under the
// application's guard: a failure that leaves one is shown by the error display.
//
// Cut, paste and undo, however asked for, pass through EditCommand; their shortcuts (Ctrl+V,
// Shift+Delete, Ctrl+Z...) do nothing while the edit is read-only.
class TCustomKEdit : public QLineEdit, public TComponent {
    Q_OBJECT

public:
    explicit TCustomKEdit(TComponent* AOwner, QWidget* parent = nullptr);

    // The most characters the user can bring into the text by typing or pasting (a paste is cut
    // to fit, other text beyond it refused); 0 (or less): the longest text the edit takes at all.
    // Text the program sets, or an undo restores, is never cut, and a limit below the text's length
    // keeps the text.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // #0: the text is shown as it is; otherwise every character is shown as this one.
    QChar PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(QChar Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // The height follows the font (AdjustHeight) while on and the border is bsSingle.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // Entering the control selects the whole text, except when entered by a left click.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    // Off: the selection stays, and is shown, while another control has the focus.
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value) { FHideSelection = Value; }
    // Kept for designs that set it; text is Unicode here and is never converted to an OEM code
    // page.
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool Value) { FOEMConvert = Value; }
    // The text, typed, pasted or set, is held in this letter case.
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // The border's depth: the automatic height leaves 8 pixels for a sunken border, 6 for a
    // flat one. The border itself is drawn by the widget style.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    // Gives the control the focus; during its own exit, takes it back.
    void SetFocus();
    bool TabStop() const;
    void SetTabStop(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    // The menu of a right click or the menu key; none: the edit's own menu.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* Value);

    QString Text() const { return text(); }
    // Changes the text, when it differs, and calls Change.
    void SetText(const QString& Value);

    bool GetModified() const { return isModified(); }
    void SetModified(bool Value) { setModified(Value); }

    // The selection: its start (0-based; the caret when nothing is selected) and length.
    virtual int GetSelStart() const;
    virtual void SetSelStart(int Value);
    virtual int GetSelLength() const;
    virtual void SetSelLength(int Value);
    virtual QString GetSelText() const;
    // Copies the selected text, cut to BufSize - 1 characters, into Buffer with a closing NUL and
    // returns the number of characters copied; writes nothing for a BufSize of 0 or less.
    virtual int GetSelTextBuf(QChar* Buffer, int BufSize) const;
    virtual void Clear();
    void SelectAll() { selectAll(); }

    void UpdateHeight();
    // Height := the font's height + the border's (see Ctl3D).
    void AdjustHeight();

    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseUp;

protected:
    // Gives the window its limit for typed and pasted text.
    virtual void DoSetMaxLength(int Value);
    // A cut, paste or undo that the user asks for by its keys, the dedicated keys, the edit's
    // menu or (where the platform has a selection) a middle click: carried out here. A read-only
    // edit keeps its text (a cut only copies).
    virtual void EditCommand(TEditCommand Command);
    // The text changed: OnChange.
    virtual void Change();
    // The two steps of a key press: raise OnKeyDown and OnKeyPress.
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    // After the edit has had a mouse button's release: OnMouseUp.
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // The focus came from another control: AutoSelect, then OnEnter.
    virtual void CMEnter();
    // The focus went to another control: OnExit. A failure passes on to the error display.
    virtual void CMExit();

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // MouseUp for a Qt mouse release.
    void RaiseMouseUp(const QMouseEvent* event);

private:
    class TReguly;
    friend class TReguly;

    // Sets the text as the control's own change: Change runs after it, not from Qt's signal.
    void ApplyText(const QString& Value);
    void TextChanged();
    // Runs a change that Qt takes as setting the text again, keeping Modified and the selection;
    // Change runs after it only when asked and the text changed.
    void KeepState(const std::function<void()>& change, bool reportChange);
    // Inserts the clipboard's text, as much of it as the limit leaves room for.
    void Wklej(QClipboard::Mode Zrodlo);
    // The clipboard command of a key the key steps left to the edit, if it is one: of a
    // dedicated key (Paste, Cut, Undo, Redo), or of a shortcut (Ctrl+V, Shift+Delete, Ctrl+Z...).
    static std::optional<TEditCommand> CommandOfDedicatedKey(int Key);
    static std::optional<TEditCommand> CommandOfShortcut(const QKeyEvent& event);

    int FMaxLength = 0;
    // The window's limit for typed and pasted text.
    int FLimitOkna = 0;
    // The text as it stood before the change being checked.
    QString FPoprzedniTekst;
    // Set while an undo restores text, which the limit does not cut.
    bool FCofanie = false;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    QChar FPasswordChar;
    bool FReadOnly = false;
    bool FAutoSize = true;
    bool FAutoSelect = true;
    bool FHideSelection = true;
    bool FOEMConvert = false;
    TEditCharCase FCharCase = ecNormal;
    // Set while the control changes its own text, so that Qt's change signal does not call
    // Change again (or at all, for a setting that converts the text).
    bool FOwnTextChange = false;
    TAlignment FAlignment = taLeftJustify;
    bool FCtl3D = true;
    TColor FColor = clWindow;
    QPointer<QMenu> FPopupMenu;
    // The height follows the font (the class library's csFixedHeight).
    bool FFixedHeight = true;
    // Between CMEnter and CMExit.
    bool FEntered = false;
    // Entered by a left click (the class library's csLButtonDown at entry).
    bool FEnteredByLeftClick = false;
    TReguly* FReguly; // a Qt child of the edit
    QPointer<QProxyStyle> FPasswordStyle;
};

// The control library's numeric edit. It holds one decimal number as a sign, integer digits and
// fraction digits, changes them only by its key rules (no paste, cut, drop, middle-click paste,
// input-method text or context menu gets past them) and shows them in the editing form while
// the user types and in the final form (with prefix, suffix and thousands grouping) otherwise.
// The separators are the locale's (FormatSettings.h), read at every use.
//
// With KEnterJakoTab it wants Enter before its form (TDialogCodeQuery).
class TKEditLiczba : public TCustomKEdit, public TDialogCodeQuery {
    Q_OBJECT

public:
    explicit TKEditLiczba(TComponent* AOwner, QWidget* parent = nullptr);

    // Ends loading, starts the value at KMinWartosc and shows the final form.
    void Loaded() override;

    bool KBeepGdyBlad() const { return FKBeepGdyBlad; }
    void SetKBeepGdyBlad(bool Value) { FKBeepGdyBlad = Value; }
    bool KEdycjaCalosciowa() const { return FKEdycjaCalosciowa; }
    void SetKEdycjaCalosciowa(bool Value) { FKEdycjaCalosciowa = Value; }
    // Above 200 is taken as 200; then the final form.
    int KLiczbaMiejscPoPrzecinku() const { return FKLiczbaMiejscPoPrzecinku; }
    void SetKLiczbaMiejscPoPrzecinku(int Value);
    // The most integer digits that may be typed, 0 for no limit; above 200 is taken as 200.
    int KLiczbaMiejscPrzedPrzecinkiem() const { return FKLiczbaMiejscPrzedPrzecinkiem; }
    void SetKLiczbaMiejscPrzedPrzecinkiem(int Value);
    bool KStalaLiczbaMiejscPoPrzecinku() const { return FKStalaLiczbaMiejscPoPrzecinku; }
    void SetKStalaLiczbaMiejscPoPrzecinku(bool Value);
    // Shown from the next final form on.
    const QString& KPrefiks() const { return FKPrefiks; }
    void SetKPrefiks(const QString& Value) { FKPrefiks = Value; }
    const QString& KSuffiks() const { return FKSuffiks; }
    void SetKSuffiks(const QString& Value) { FKSuffiks = Value; }
    bool KPozwalajUjemne() const { return FKPozwalajUjemne; }
    void SetKPozwalajUjemne(bool Value);
    bool KEnterJakoTab() const { return FKEnterJakoTab; }
    void SetKEnterJakoTab(bool Value) { FKEnterJakoTab = Value; }
    bool KSeparatorTysiecy() const { return FKSeparatorTysiecy; }
    void SetKSeparatorTysiecy(bool Value) { FKSeparatorTysiecy = Value; }
    // At run time a minimum above the maximum, or a maximum below the minimum, is ignored.
    double KMinWartosc() const { return FKMinWartosc; }
    void SetKMinWartosc(double Value);
    bool KMinWartoscUstawiona() const { return FKMinWartoscUstawiona; }
    void SetKMinWartoscUstawiona(bool Value) { FKMinWartoscUstawiona = Value; }
    double KMaxWartosc() const { return FKMaxWartosc; }
    void SetKMaxWartosc(double Value);
    bool KMaxWartoscUstawiona() const { return FKMaxWartoscUstawiona; }
    void SetKMaxWartoscUstawiona(bool Value) { FKMaxWartoscUstawiona = Value; }
    // The step of the Up and Down keys; 0: no stepping.
    double KInterwalPrzyrostu() const { return FKInterwalPrzyrostu; }
    void SetKInterwalPrzyrostu(double Value) { FKInterwalPrzyrostu = Value; }

    QString KTekst() const { return PobierzTekst(); }

    // The value of the digits held. With no decimals it is read as a 32-bit integer: a number
    // outside that range raises EConvertError.
    double GetKWartosc() const;
    // Replaces the number by Value rounded to the decimals (cut toward zero with none), fires
    // KBeforeChange and, when it succeeds, KAfterChange, and shows the final form. More integer
    // digits than KLiczbaMiejscPrzedPrzecinkiem allows, or a value whose digits a 64-bit integer
    // cannot hold, raise EConvertError "Błąd!\r<Name>: Wartość poza zakresem" and change nothing.
    // Does nothing while loading.
    void SetKWartosc(double Value);
    double WartoscRzeczywista() const;
    int WartoscCalkowita() const;

    // Rebuilds the text: the final form when Koncowy, the editing form otherwise.
    void Formatuj(bool Koncowy);
    // The number as plain text with the locale's decimal separator: no prefix, suffix or
    // grouping, "0" at least.
    QString PobierzTekst() const;
    // The number becomes empty (editing form); no notification.
    void WyczyscStan();
    // Clamps the value to the minimum and the maximum in force, each with its warning box, and
    // takes the focus back after a warning.
    void SprawdzZakres();
    // Shows the pop-up editor over the control; true and the value when the user accepted it
    // with Enter.
    bool EdytujWOknie(double& Wartosc);

    // Plain notifications (sender only) around every key and every value set.
    TNotifyEvent KBeforeChange;
    TNotifyEvent KAfterChange;

    bool WantsKey(Word Key, TShiftState Shift) const override;

protected:
    virtual void DoKBeforeChange();
    virtual void DoKAfterChange();
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The number takes no text by the clipboard, and has no undo of its own: nothing happens.
    void EditCommand(TEditCommand Command) override;
    void CMEnter() override;
    // The final form and, when ZakresObowiazuje, the range check. A failure selects the text,
    // takes the focus back and passes on without OnExit.
    void CMExit() override;
    // OnChange; during the user's change, once at its end (ZmianaUzytkownika).
    void Change() override;
    // The user has changed the number: by a key (typing, emptying it, stepping), by the pop-up
    // editor, or by the range check clamping it. Called once for each such change, before
    // OnChange, and also when the text stays the same (a Null shown as 0 emptied). The
    // control's own showing of the number never calls it: a setting, a value set by the
    // program, the editing form on entry, the final form on exit, a key that changes nothing.
    virtual void LiczbaZmieniona() {}
    // Whether leaving checks the range: here always.
    virtual bool ZakresObowiazuje() const { return true; }
    // Puts the caret where the next digit goes.
    void UstawKursor();
    // Sets the value only when it is allowed: not negative unless negatives are, and within the
    // limits in force.
    void UstawJesliWZakresie(double X);
    // Places the pop-up form exactly over the control.
    void UstawPozycjeOkna(TForm& Okno) const;
    // The pop-up edit's handlers: Enter accepts, Esc drops; entering it drops the selection.
    void OknoEdycjiKeyPress(QObject* Sender, QChar& Key);
    void OknoEdycjiEnter(QObject* Sender);

    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // The whole text is selected (an empty text with no selection counts).
    bool CalyTekstZaznaczony() const;
    [[noreturn]] void PozaZakresem() const;

    // What a change of the number changes.
    struct TStanLiczby {
        QString znak;
        QString calkowita;
        QString ulamek;
        bool poPrzecinku;
        bool operator==(const TStanLiczby&) const = default;
    };
    TStanLiczby Stan() const { return {FZnak, FCzescCalkowita, FCzescUlamkowa, FPoPrzecinku}; }
    // Runs what the user does to the number. At its end, also when it fails part way, tells
    // LiczbaZmieniona when it changed the number, then raises OnChange once when it changed the
    // text: a handler sees the text the change leaves, never a step on the way.
    void ZmianaUzytkownika(const std::function<void()>& Zmiana);
    // The end of the user's change running.
    void ZakonczZmiane();

    // The user's change running: the number and the text before it, and whether it has emptied
    // the number.
    struct TZmiana {
        TStanLiczby przed;
        QString tekst;
        bool oprozniona = false;
    };
    std::optional<TZmiana> FZmiana;

    QString FCzescCalkowita; // integer digits, no leading '0'; empty is 0
    QString FCzescUlamkowa;  // fraction digits without the zeros the display adds
    QString FZnak;           // "" or "-"
    bool FPoPrzecinku = false;

    bool FKBeepGdyBlad = false;
    int FKLiczbaMiejscPoPrzecinku = 0;
    bool FKStalaLiczbaMiejscPoPrzecinku = true;
    QString FKSuffiks;
    QString FKPrefiks;
    int FKLiczbaMiejscPrzedPrzecinkiem = 0;
    bool FKPozwalajUjemne = false;
    bool FKEnterJakoTab = false;
    bool FKSeparatorTysiecy = false;
    double FKMinWartosc = 0;
    double FKMaxWartosc = 0;
    bool FKMinWartoscUstawiona = false;
    bool FKMaxWartoscUstawiona = false;
    double FKInterwalPrzyrostu = 0;
    bool FKEdycjaCalosciowa = false;
};

// X rounded to a whole number, half away from zero. A result beyond the 64-bit integers raises
// EConvertError "Wartość poza zakresem".
double Zaokraglij(double X);
// X rounded to N decimals (none for N of 0 or less), half away from zero.
double ZaokraglijDo(int N, double X);
Variant WariantJesli(bool Warunek, const Variant& Tak, const Variant& Nie);
