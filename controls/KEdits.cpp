#include "controls/KEdits.h"

#include "controls/KMessageBox.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QValidator>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace {

// The longest text the edit takes when no maximum length is set.
constexpr int NajwiekszaDlugosc = 32767;

// The automatic height adds the border to the font's height: a one-pixel border line (the
// system's border height) eight times for a sunken border, six times for a flat one.
constexpr int GruboscRamki = 1;

// The control whose CMExit runs; the focus may come back to it, or pass through others, while
// the exit shows a box.
QPointer<TCustomKEdit> Opuszczana;

// The application's style with another character for masked text.
class TZnakHasla : public QProxyStyle {
public:
    explicit TZnakHasla(QChar znak)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())), znak_(znak) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return znak_.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar znak_;
};

// The focus changes with the active window or a pop-up menu, not from one control to another.
bool ZmianaOkna(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

// --- TCustomKEdit ---------------------------------------------------------------------------

// The rules every text of the edit meets as it changes: the letter case, whether typed, pasted
// or set; and the window's limit, which refuses what the user would bring in (typed or dropped)
// beyond it, so that the edit takes its text back, but never cuts text the program sets or an
// undo restores. (Qt's own maximum length would cut set text too.)
class TCustomKEdit::TReguly : public QValidator {
public:
    explicit TReguly(TCustomKEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override {
        if (edit_->FCharCase == ecUpperCase)
            input = input.toUpper();
        else if (edit_->FCharCase == ecLowerCase)
            input = input.toLower();
        const bool wlasny = edit_->FOwnTextChange || edit_->FCofanie;
        if (!wlasny && input.size() > edit_->FLimitOkna &&
            input.size() > edit_->FPoprzedniTekst.size())
            return Invalid;
        return Acceptable;
    }

private:
    TCustomKEdit* edit_;
};

TCustomKEdit::TCustomKEdit(TComponent* AOwner, QWidget* parent)
    : QLineEdit(parent), TComponent(AOwner), FReguly(new TReguly(this)) {
    resize(121, 25);
    setFocusPolicy(Qt::StrongFocus);
    setMaxLength(NajwiekszaDlugosc);
    FLimitOkna = NajwiekszaDlugosc;
    setValidator(FReguly);
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
    AdjustHeight();
}

void TCustomKEdit::TextChanged() {
    // Qt reports a change it has taken back as well.
    if (text() == FPoprzedniTekst)
        return;
    FPoprzedniTekst = text();
    if (!FOwnTextChange)
        Application->Guard([this] { Change(); });
}

void TCustomKEdit::ApplyText(const QString& Value) {
    const QString before = text();
    FOwnTextChange = true;
    setText(Value);
    FOwnTextChange = false;
    if (text() != before)
        Change();
}

void TCustomKEdit::SetText(const QString& Value) {
    if (Value != text())
        ApplyText(Value);
}

void TCustomKEdit::KeepState(const std::function<void()>& change, bool reportChange) {
    const bool modified = isModified();
    const int start = GetSelStart();
    const int length = GetSelLength();
    const QString before = text();
    FOwnTextChange = true;
    change();
    FOwnTextChange = false;
    setModified(modified);
    if (length > 0)
        setSelection(std::min<int>(start, text().size()), length);
    else
        SetSelStart(start);
    if (reportChange && text() != before)
        Change();
}

void TCustomKEdit::SetMaxLength(int Value) {
    if (Value == FMaxLength)
        return;
    FMaxLength = Value;
    DoSetMaxLength(Value);
}

void TCustomKEdit::DoSetMaxLength(int Value) {
    FLimitOkna = Value > 0 ? std::min(Value, NajwiekszaDlugosc) : NajwiekszaDlugosc;
}

void TCustomKEdit::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    setFrame(Value == TBorderStyle::bsSingle);
    UpdateHeight();
}

void TCustomKEdit::SetPasswordChar(QChar Value) {
    if (Value == FPasswordChar)
        return;
    FPasswordChar = Value;
    if (Value.isNull()) {
        setEchoMode(QLineEdit::Normal);
        return;
    }
    // The edit reads its mask character from its style when the style changes.
    QPointer<QProxyStyle> old = FPasswordStyle;
    auto* style = new TZnakHasla(Value);
    style->setParent(this);
    setStyle(style);
    FPasswordStyle = style;
    delete old.data();
    setEchoMode(QLineEdit::Password);
}

void TCustomKEdit::SetReadOnly(bool Value) {
    if (Value == FReadOnly)
        return;
    FReadOnly = Value;
    setReadOnly(Value);
}

void TCustomKEdit::SetAutoSize(bool Value) {
    if (Value == FAutoSize)
        return;
    FAutoSize = Value;
    UpdateHeight();
}

void TCustomKEdit::SetCharCase(TEditCharCase Value) {
    if (Value == FCharCase)
        return;
    FCharCase = Value;
    // The text takes the new case at once, without a change notification.
    const QString tekst = Value == ecUpperCase   ? text().toUpper()
                          : Value == ecLowerCase ? text().toLower()
                                                 : text();
    KeepState([&] { setText(tekst); }, false);
}

void TCustomKEdit::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    const Qt::Alignment poziomo = Value == taRightJustify ? Qt::AlignRight
                                  : Value == taCenter     ? Qt::AlignHCenter
                                                          : Qt::AlignLeft;
    setAlignment(poziomo | Qt::AlignVCenter);
}

void TCustomKEdit::SetCtl3D(bool Value) {
    if (Value == FCtl3D)
        return;
    FCtl3D = Value;
    if (FBorderStyle == TBorderStyle::bsSingle)
        UpdateHeight();
}

bool TCustomKEdit::TabStop() const {
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void TCustomKEdit::SetFocus() {
    // Taking the focus back during its own exit: the control stays entered, whether or not the
    // window is active to deliver the focus now.
    if (Opuszczana == this)
        FEntered = true;
    setFocus();
}

void TCustomKEdit::SetTabStop(bool Value) {
    setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TCustomKEdit::SetColor(TColor Value) {
    FColor = Value;
    QPalette paleta = palette();
    paleta.setColor(QPalette::Base, ColorToQColor(Value, paleta));
    setPalette(paleta);
}

QMenu* TCustomKEdit::PopupMenu() const {
    return FPopupMenu.data();
}

void TCustomKEdit::SetPopupMenu(QMenu* Value) {
    FPopupMenu = Value;
}

int TCustomKEdit::GetSelStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TCustomKEdit::SetSelStart(int Value) {
    setCursorPosition(std::clamp<int>(Value, 0, text().size()));
}

int TCustomKEdit::GetSelLength() const {
    return hasSelectedText() ? selectionLength() : 0;
}

void TCustomKEdit::SetSelLength(int Value) {
    setSelection(GetSelStart(), Value);
}

QString TCustomKEdit::GetSelText() const {
    return text().mid(GetSelStart(), GetSelLength());
}

int TCustomKEdit::GetSelTextBuf(QChar* Buffer, int BufSize) const {
    if (BufSize <= 0)
        return 0;
    const QString zaznaczony = GetSelText();
    const int n = std::min<int>(zaznaczony.size(), BufSize - 1);
    std::copy_n(zaznaczony.constData(), n, Buffer);
    Buffer[n] = QChar(0);
    return n;
}

void TCustomKEdit::Clear() {
    ApplyText(QString());
}

void TCustomKEdit::UpdateHeight() {
    FFixedHeight = FAutoSize && FBorderStyle == TBorderStyle::bsSingle;
    if (FFixedHeight)
        AdjustHeight();
}

void TCustomKEdit::AdjustHeight() {
    resize(width(), QFontMetrics(font()).height() + GruboscRamki * (FCtl3D ? 8 : 6));
}

void TCustomKEdit::Change() {
    if (OnChange)
        OnChange(this);
}

void TCustomKEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TCustomKEdit::KeyPress(QChar& Key) {
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TCustomKEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomKEdit::CMEnter() {
    if (FAutoSelect && !FEnteredByLeftClick)
        SelectAll();
    if (OnEnter)
        OnEnter(this);
}

void TCustomKEdit::CMExit() {
    if (OnExit)
        OnExit(this);
}

std::optional<TEditCommand> TCustomKEdit::CommandOfDedicatedKey(int Key) {
    switch (Key) {
    case Qt::Key_Cut:
        return TEditCommand::Cut;
    case Qt::Key_Paste:
        return TEditCommand::Paste;
    case Qt::Key_Undo:
        return TEditCommand::Undo;
    case Qt::Key_Redo:
        return TEditCommand::Redo;
    default:
        return std::nullopt;
    }
}

std::optional<TEditCommand> TCustomKEdit::CommandOfShortcut(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Cut))
        return TEditCommand::Cut;
    if (event.matches(QKeySequence::Paste))
        return TEditCommand::Paste;
    if (event.matches(QKeySequence::Undo))
        return TEditCommand::Undo;
    if (event.matches(QKeySequence::Redo))
        return TEditCommand::Redo;
    return std::nullopt;
}

void TCustomKEdit::keyPressEvent(QKeyEvent* event) {
    if (auto* form = qobject_cast<TForm*>(window()); form != nullptr && form->DialogKey(event))
        return;
    SplitKeyPress(
        this, event, [this](Word& Key, TShiftState Shift) { KeyDown(Key, Shift); },
        [this](QChar& Key) { KeyPress(Key); },
        [this](QKeyEvent* remainder) {
            const std::optional<TEditCommand> dedicated = CommandOfDedicatedKey(remainder->key());
            const std::optional<TEditCommand> shortcut = CommandOfShortcut(*remainder);
            if (!dedicated && !shortcut) {
                QLineEdit::keyPressEvent(remainder);
                return;
            }
            // The system's edit takes no cut, paste or undo shortcut while it is read-only, so
            // none reaches a descendant's command handling then.
            if (dedicated || !isReadOnly())
                Application->Guard([&] { EditCommand(dedicated ? *dedicated : *shortcut); });
            remainder->accept();
        });
    // A key goes to the focused control alone: what it leaves does not pass to its parents,
    // where the form would take Enter or Esc after the key rules have moved the focus.
    event->accept();
}

void TCustomKEdit::Wklej(QClipboard::Mode Zrodlo) {
    if (isReadOnly())
        return;
    // As much of the text as the limit leaves room for.
    const qsizetype miejsce = FLimitOkna - (text().size() - selectedText().size());
    const QString tekst =
        QGuiApplication::clipboard()->text(Zrodlo).left(std::max<qsizetype>(0, miejsce));
    if (!tekst.isEmpty() || hasSelectedText())
        insert(tekst);
}

void TCustomKEdit::EditCommand(TEditCommand Command) {
    // A read-only edit keeps its text: a cut only copies, an undo does nothing. (Qt's own slots
    // change a read-only edit's text.)
    switch (Command) {
    case TEditCommand::Cut:
        isReadOnly() ? copy() : cut();
        break;
    case TEditCommand::Paste:
        Wklej(QClipboard::Clipboard);
        break;
    case TEditCommand::PasteSelection:
        deselect();
        Wklej(QClipboard::Selection);
        break;
    case TEditCommand::Undo:
    case TEditCommand::Redo:
        if (isReadOnly())
            break;
        FCofanie = true;
        Command == TEditCommand::Undo ? undo() : redo();
        FCofanie = false;
        break;
    }
}

void TCustomKEdit::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    // QLineEdit selects the whole text when entered by Tab; here AutoSelect decides that.
    const bool tab = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                     reason == Qt::ShortcutFocusReason;
    QFocusEvent own(QEvent::FocusIn, tab ? Qt::OtherFocusReason : reason);
    QLineEdit::focusInEvent(&own);
    if (ZmianaOkna(reason) && (FEntered || !Opuszczana.isNull()))
        return;
    FEntered = true;
    if (Opuszczana == this)
        return; // takes the focus back during its own exit
    FEnteredByLeftClick =
        reason == Qt::MouseFocusReason && QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    const TDeletionHold hold(window());
    Application->Guard([this] { CMEnter(); });
}

void TCustomKEdit::focusOutEvent(QFocusEvent* event) {
    const int start = GetSelStart();
    const int length = GetSelLength();
    QLineEdit::focusOutEvent(event);
    // Qt drops the selection when the focus leaves; the edit keeps it unless it hides it.
    if (!FHideSelection && length > 0)
        setSelection(start, length);
    if (ZmianaOkna(event->reason()) || !FEntered)
        return;
    FEntered = false;
    const QPointer<TCustomKEdit> poprzednia = Opuszczana;
    Opuszczana = this;
    const TDeletionHold hold(window());
    Application->Guard([this] { CMExit(); });
    Opuszczana = poprzednia;
}

void TCustomKEdit::RaiseMouseUp(const QMouseEvent* event) {
    TMouseButton button;
    switch (event->button()) {
    case Qt::LeftButton:
        button = mbLeft;
        break;
    case Qt::RightButton:
        button = mbRight;
        break;
    case Qt::MiddleButton:
        button = mbMiddle;
        break;
    default:
        return;
    }
    const TShiftState shift = ShiftState(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    Application->Guard([&] { MouseUp(button, shift, at.x(), at.y()); });
}

void TCustomKEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        // The middle button pastes the selection.
        Application->Guard([this] { EditCommand(TEditCommand::PasteSelection); });
        event->accept();
    } else {
        QLineEdit::mouseReleaseEvent(event);
    }
    RaiseMouseUp(event);
}

void TCustomKEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    const TComponentState state = ComponentState();
    if (event->type() == QEvent::FontChange && FFixedHeight &&
        !(state.Contains(csDesigning) && state.Contains(csLoading)))
        AdjustHeight();
}

void TCustomKEdit::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (!FPopupMenu.isNull()) {
        FPopupMenu->popup(event->globalPos());
        return;
    }
    // The edit's own menu, built here so that its clipboard and undo entries pass through
    // EditCommand (Qt's own would call the edit's slots).
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool zmienny = !isReadOnly();
    const bool widoczny = echoMode() == QLineEdit::Normal;
    const auto dodaj = [&](const char* nazwa, const char* tekst, QKeySequence::StandardKey skrot,
                           bool wlaczony, std::function<void()> dzialanie) {
        const QString klawisze = QKeySequence(skrot).toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(QLineEdit::tr(tekst) +
                                          (klawisze.isEmpty() ? QString() : u'\t' + klawisze));
        action->setObjectName(QLatin1String(nazwa));
        action->setEnabled(wlaczony);
        connect(action, &QAction::triggered, this, Application->Guarded(std::move(dzialanie)));
    };
    const auto polecenie = [this](TEditCommand Command) {
        return [this, Command] { EditCommand(Command); };
    };
    dodaj("edit-undo", "&Undo", QKeySequence::Undo, zmienny && isUndoAvailable(),
          polecenie(TEditCommand::Undo));
    dodaj("edit-redo", "&Redo", QKeySequence::Redo, zmienny && isRedoAvailable(),
          polecenie(TEditCommand::Redo));
    menu->addSeparator();
    dodaj("edit-cut", "Cu&t", QKeySequence::Cut, zmienny && widoczny && hasSelectedText(),
          polecenie(TEditCommand::Cut));
    dodaj("edit-copy", "&Copy", QKeySequence::Copy, widoczny && hasSelectedText(),
          [this] { copy(); });
    dodaj("edit-paste", "&Paste", QKeySequence::Paste,
          zmienny && !QGuiApplication::clipboard()->text().isEmpty(),
          polecenie(TEditCommand::Paste));
    dodaj("edit-delete", "Delete", QKeySequence::UnknownKey, zmienny && hasSelectedText(),
          [this] { del(); });
    menu->addSeparator();
    dodaj("select-all", "Select All", QKeySequence::SelectAll,
          !text().isEmpty() && GetSelText() != text(), [this] { selectAll(); });
    menu->popup(event->globalPos());
}

// --- Rounding ------------------------------------------------------------------------------

namespace {

// x cut toward zero, when a 64-bit signed integer holds it.
std::optional<qint64> Obciete(double x) {
    if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0))
        return std::nullopt;
    return qint64(x);
}

double Potega10(int N) {
    return N > 0 ? std::pow(10.0, N) : 1.0;
}

} // namespace

double Zaokraglij(double X) {
    const std::optional<qint64> wynik = Obciete(X >= 0 ? X + 0.5 : X - 0.5);
    if (!wynik)
        throw EConvertError(QStringLiteral("Wartość poza zakresem"));
    return double(*wynik);
}

double ZaokraglijDo(int N, double X) {
    const double p = Potega10(N);
    return Zaokraglij(X * p) / p;
}

Variant WariantJesli(bool Warunek, const Variant& Tak, const Variant& Nie) {
    return Warunek ? Tak : Nie;
}

// --- TKEditLiczba ---------------------------------------------------------------------------

TKEditLiczba::TKEditLiczba(TComponent* AOwner, QWidget* parent) : TCustomKEdit(AOwner, parent) {
    setAcceptDrops(false);
}

bool TKEditLiczba::CalyTekstZaznaczony() const {
    return GetSelText() == Text();
}

void TKEditLiczba::PozaZakresem() const {
    throw EConvertError(QStringLiteral("Błąd!\r") + Name() +
                        QStringLiteral(": Wartość poza zakresem"));
}

void TKEditLiczba::Loaded() {
    TCustomKEdit::Loaded();
    SetKWartosc(FKMinWartosc);
    Formatuj(true);
}

void TKEditLiczba::SetKLiczbaMiejscPoPrzecinku(int Value) {
    FKLiczbaMiejscPoPrzecinku = std::min(Value, 200);
    Formatuj(true);
}

void TKEditLiczba::SetKLiczbaMiejscPrzedPrzecinkiem(int Value) {
    FKLiczbaMiejscPrzedPrzecinkiem = std::min(Value, 200);
    Formatuj(true);
}

void TKEditLiczba::SetKStalaLiczbaMiejscPoPrzecinku(bool Value) {
    FKStalaLiczbaMiejscPoPrzecinku = Value;
    Formatuj(true);
}

void TKEditLiczba::SetKPozwalajUjemne(bool Value) {
    FKPozwalajUjemne = Value;
    if (!Value && FZnak == u"-")
        FZnak.clear();
    Formatuj(true);
}

void TKEditLiczba::SetKMinWartosc(double Value) {
    if (ComponentState().Contains(csLoading) || Value <= FKMaxWartosc)
        FKMinWartosc = Value;
}

void TKEditLiczba::SetKMaxWartosc(double Value) {
    if (ComponentState().Contains(csLoading) || Value >= FKMinWartosc)
        FKMaxWartosc = Value;
}

void TKEditLiczba::DoKBeforeChange() {
    if (KBeforeChange)
        KBeforeChange(this);
}

void TKEditLiczba::DoKAfterChange() {
    if (KAfterChange)
        KAfterChange(this);
}

void TKEditLiczba::Formatuj(bool Koncowy) {
    if (ComponentState().Contains(csLoading))
        return;
    const QString znak = FZnak;
    QString separator = DecimalSeparator;
    QString ulamek = FCzescUlamkowa;
    const QString calkowita = FCzescCalkowita.isEmpty() ? QStringLiteral("0") : FCzescCalkowita;
    if (FKStalaLiczbaMiejscPoPrzecinku && ulamek.size() < FKLiczbaMiejscPoPrzecinku)
        ulamek += QString(FKLiczbaMiejscPoPrzecinku - ulamek.size(), u'0');
    if (ulamek.isEmpty() && (Koncowy || !FPoPrzecinku))
        separator.clear();
    if (!Koncowy) {
        SetText(znak + calkowita + separator + ulamek);
        return;
    }
    if (FCzescCalkowita.isEmpty() && FCzescUlamkowa.isEmpty())
        FZnak.clear();
    if (FKSeparatorTysiecy) {
        // A negative count of decimals groups the number with none.
        const QString format =
            Format(QStringLiteral("%%.%dn"), {std::max(FKLiczbaMiejscPoPrzecinku, 0)});
        SetText(FKPrefiks + FZnak + Format(format, {std::fabs(WartoscRzeczywista())}) + FKSuffiks);
    } else {
        SetText(FKPrefiks + FZnak + calkowita + separator + ulamek + FKSuffiks);
    }
}

QString TKEditLiczba::PobierzTekst() const {
    QString znak = FZnak;
    QString separator = DecimalSeparator;
    QString ulamek = FCzescUlamkowa;
    QString calkowita = FCzescCalkowita;
    if (calkowita.isEmpty() && ulamek.isEmpty())
        znak.clear();
    if (calkowita.isEmpty())
        calkowita = QStringLiteral("0");
    if (FKStalaLiczbaMiejscPoPrzecinku && ulamek.size() < FKLiczbaMiejscPoPrzecinku)
        ulamek += QString(FKLiczbaMiejscPoPrzecinku - ulamek.size(), u'0');
    if (ulamek.isEmpty())
        separator.clear();
    return znak + calkowita + separator + ulamek;
}

void TKEditLiczba::WyczyscStan() {
    // Emptying is a change even of a number that was 0.
    if (FZmiana)
        FZmiana->oprozniona = true;
    FCzescCalkowita.clear();
    FCzescUlamkowa.clear();
    FZnak.clear();
    FPoPrzecinku = false;
    Formatuj(false);
}

double TKEditLiczba::GetKWartosc() const {
    if (FKLiczbaMiejscPoPrzecinku != 0)
        return WartoscRzeczywista();
    return WartoscCalkowita();
}

double TKEditLiczba::WartoscRzeczywista() const {
    return StrToFloat(PobierzTekst());
}

int TKEditLiczba::WartoscCalkowita() const {
    return StrToInt(PobierzTekst());
}

void TKEditLiczba::SetKWartosc(double Value) {
    if (ComponentState().Contains(csLoading))
        return;
    DoKBeforeChange();
    const int N = FKLiczbaMiejscPoPrzecinku;
    const double p = Potega10(N);
    // Every step below cuts to 64-bit integers; a value they cannot hold changes nothing.
    if (N > 0 && !Obciete(Value * p + (Value >= 0 ? 0.5 : -0.5)))
        PozaZakresem();
    const double v = N > 0 ? ZaokraglijDo(N, Value) : Value;
    const std::optional<qint64> calkowita = Obciete(v);
    if (!calkowita)
        PozaZakresem();
    const QString tekstZnaku = v < 0 ? QStringLiteral("-") : QString();
    const QString tekstCalkowity = QString::number(*calkowita < 0 ? -*calkowita : *calkowita);
    QString tekstUlamkowy;
    if (N > 0) {
        const double ulamek = v - double(*calkowita);
        const std::optional<qint64> cyfry = Obciete(std::nearbyint(std::fabs(ulamek * p)));
        if (!cyfry)
            PozaZakresem();
        tekstUlamkowy = QString::number(*cyfry);
        if (tekstUlamkowy.size() < N)
            tekstUlamkowy.prepend(QString(N - tekstUlamkowy.size(), u'0'));
        while (tekstUlamkowy.endsWith(u'0'))
            tekstUlamkowy.chop(1);
    }
    if (FKLiczbaMiejscPrzedPrzecinkiem > 0 &&
        tekstCalkowity.size() > FKLiczbaMiejscPrzedPrzecinkiem)
        PozaZakresem();
    FZnak = tekstZnaku;
    FCzescCalkowita = WariantJesli(tekstCalkowity == u"0", QString(), tekstCalkowity).toString();
    FCzescUlamkowa = WariantJesli(tekstUlamkowy == u"0", QString(), tekstUlamkowy).toString();
    if (!tekstUlamkowy.isEmpty())
        FPoPrzecinku = true;
    Formatuj(true);
    DoKAfterChange();
}

void TKEditLiczba::SprawdzZakres() {
    // The control may be freed while a warning is open.
    const QPointer<TKEditLiczba> zywa = this;
    if (FKMinWartoscUstawiona && GetKWartosc() < FKMinWartosc) {
        ZmianaUzytkownika([this] { SetKWartosc(FKMinWartosc); });
        KOstrzezenie(QStringLiteral("Podana wartość poniżej wartości minimalnej.\nUstawiono "
                                    "wartość ") +
                         FormatFloat(QStringLiteral("0.#########"), FKMinWartosc) +
                         QStringLiteral(" równą wartości minimalnej."),
                     QStringLiteral("Uwaga!"), MB_OK, 1);
        if (zywa.isNull())
            return;
        SetFocus();
    }
    if (FKMaxWartoscUstawiona && GetKWartosc() > FKMaxWartosc) {
        ZmianaUzytkownika([this] { SetKWartosc(FKMaxWartosc); });
        KOstrzezenie(QStringLiteral("Podana wartość powyżej wartości maksymalnej.\nUstawiono "
                                    "wartość ") +
                         FormatFloat(QStringLiteral("0.#########"), FKMaxWartosc) +
                         QStringLiteral(" równą wartości maksymalnej."),
                     QStringLiteral("Uwaga!"), MB_OK, 1);
        if (zywa.isNull())
            return;
        SetFocus();
    }
}

void TKEditLiczba::CMExit() {
    if (FPoPrzecinku && FCzescUlamkowa.isEmpty())
        FPoPrzecinku = false;
    Formatuj(true);
    const QPointer<TKEditLiczba> zywa = this;
    try {
        if (ZakresObowiazuje())
            SprawdzZakres();
    } catch (...) {
        SelectAll();
        SetFocus();
        throw;
    }
    if (!zywa.isNull())
        TCustomKEdit::CMExit();
}

void TKEditLiczba::Change() {
    // The user's change tells the text it leaves once, at its end.
    if (!FZmiana)
        TCustomKEdit::Change();
}

void TKEditLiczba::ZmianaUzytkownika(const std::function<void()>& Zmiana) {
    if (FZmiana) {
        Zmiana();
        return;
    }
    FZmiana = TZmiana{Stan(), Text()};
    try {
        Zmiana();
    } catch (...) {
        ZakonczZmiane();
        throw;
    }
    ZakonczZmiane();
}

void TKEditLiczba::ZakonczZmiane() {
    const TZmiana zmiana = *std::exchange(FZmiana, std::nullopt);
    if (zmiana.oprozniona || Stan() != zmiana.przed)
        LiczbaZmieniona();
    if (Text() != zmiana.tekst)
        Change();
}

void TKEditLiczba::CMEnter() {
    Formatuj(ReadOnly());
    TCustomKEdit::CMEnter();
    if (!CalyTekstZaznaczony())
        UstawKursor();
}

void TKEditLiczba::KeyDown(Word& Key, TShiftState Shift) {
    TCustomKEdit::KeyDown(Key, Shift);
    if (Key == VK_INSERT)
        Key = 0;
    if (Key == VK_RETURN && FKEnterJakoTab)
        Key = 0;
    if (ReadOnly())
        return;
    DoKBeforeChange();
    ZmianaUzytkownika([&] {
        bool zmiana = false;
        if (Key == VK_BACK) {
            if (CalyTekstZaznaczony()) {
                WyczyscStan();
            } else if (FPoPrzecinku) {
                if (!FCzescUlamkowa.isEmpty())
                    FCzescUlamkowa.chop(1);
                else
                    FPoPrzecinku = false;
                zmiana = true;
            } else if (!FCzescCalkowita.isEmpty()) {
                FCzescCalkowita.chop(1);
                zmiana = true;
            }
            Key = 0;
        }
        if (Key == VK_DELETE) {
            if (Shift.Contains(ssCtrl) || CalyTekstZaznaczony())
                WyczyscStan();
            Key = 0;
        }
        if (FKInterwalPrzyrostu != 0) {
            if (Key == VK_UP) {
                Key = 0;
                UstawJesliWZakresie(GetKWartosc() + FKInterwalPrzyrostu);
            } else if (Key == VK_DOWN) {
                Key = 0;
                UstawJesliWZakresie(GetKWartosc() - FKInterwalPrzyrostu);
            }
            zmiana = true;
        }
        if (Key >= VK_END && Key <= VK_DOWN) {
            SetSelLength(0);
            UstawKursor();
            Key = 0;
        }
        if (zmiana) {
            // The editing form in place of another form keeps a whole-text selection, so that
            // the key's character still types over it.
            const bool caly = CalyTekstZaznaczony();
            Formatuj(false);
            if (caly)
                SelectAll();
        }
    });
}

void TKEditLiczba::KeyPress(QChar& Key) {
    TCustomKEdit::KeyPress(Key);
    bool odrzuc = false;
    bool obsluzony = false;
    bool opuszczona = false;
    const QChar separator = DecimalSeparator;
    if ((Key == u'\n' || Key == u'\r') && FKEnterJakoTab) {
        obsluzony = true;
        if (QWidget* forma = GetParentForm(this))
            SelectNext(forma, !KeyboardState().Contains(ssShift));
        opuszczona = !hasFocus();
    }
    if (ReadOnly())
        return;
    ZmianaUzytkownika([&] {
        const bool cyfra = Key >= u'0' && Key <= u'9';
        if (CalyTekstZaznaczony() && (cyfra || Key == u'-' || Key == separator))
            WyczyscStan();
        if (!obsluzony && !(cyfra || Key == u'\b' || Key == u'-' || Key == separator)) {
            odrzuc = true;
            obsluzony = true;
        }
        if (!obsluzony && Key == u'\b')
            Key = QChar(0);
        if (!obsluzony && Key == separator) {
            if (FKLiczbaMiejscPoPrzecinku <= 0) {
                odrzuc = true;
                FPoPrzecinku = false;
            } else if (FPoPrzecinku) {
                odrzuc = true;
            } else {
                FPoPrzecinku = true;
            }
            obsluzony = true;
        }
        if (!obsluzony && Key == u'-') {
            if (FKPozwalajUjemne) {
                FZnak = FZnak.isEmpty() ? QStringLiteral("-") : QString();
            } else {
                odrzuc = true;
                FZnak.clear();
            }
            obsluzony = true;
        }
        if (!obsluzony && cyfra) {
            if (FPoPrzecinku) {
                if (FCzescUlamkowa.size() < FKLiczbaMiejscPoPrzecinku)
                    FCzescUlamkowa += Key;
                else
                    odrzuc = true;
            } else if (FKLiczbaMiejscPrzedPrzecinkiem != 0 &&
                       FCzescCalkowita.size() >= FKLiczbaMiejscPrzedPrzecinkiem) {
                odrzuc = true;
            } else if (Key != u'0' || !FCzescCalkowita.isEmpty()) {
                FCzescCalkowita += Key;
            } else if (FKLiczbaMiejscPoPrzecinku > 0 && !FPoPrzecinku) {
                // A leading 0 stands for "0" and the separator.
                FPoPrzecinku = true;
            }
            obsluzony = true;
        }
        if (odrzuc && FKBeepGdyBlad)
            Beep();
        if (obsluzony)
            Key = QChar(0);
        // After Enter as Tab the number has had its exit; it keeps its final form.
        if (!opuszczona) {
            Formatuj(false);
            UstawKursor();
        }
    });
    if (!opuszczona && FKEdycjaCalosciowa) {
        const QPointer<TKEditLiczba> zywa = this;
        double wartosc = 0;
        const bool przyjeta = EdytujWOknie(wartosc);
        if (zywa.isNull())
            return;
        if (przyjeta)
            ZmianaUzytkownika([&] { SetKWartosc(wartosc); });
        SelectAll();
    }
    DoKAfterChange();
}

void TKEditLiczba::UstawKursor() {
    if (CalyTekstZaznaczony() && !FPoPrzecinku)
        return;
    const QString tekst = Text();
    const QChar separator = DecimalSeparator;
    int pozycja = tekst.size();
    if (FPoPrzecinku) {
        // Just after the typed fraction digits, before the zeros that fill the decimals.
        if (FKStalaLiczbaMiejscPoPrzecinku)
            pozycja = int(tekst.indexOf(separator) + 1) + int(FCzescUlamkowa.size());
    } else if (tekst.contains(separator)) {
        pozycja = int(tekst.indexOf(separator));
    }
    SetSelStart(pozycja);
    SetSelLength(0);
}

void TKEditLiczba::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomKEdit::MouseUp(Button, Shift, X, Y);
    UstawKursor();
}

void TKEditLiczba::UstawJesliWZakresie(double X) {
    if ((FKPozwalajUjemne || X >= 0) && (!FKMinWartoscUstawiona || X >= FKMinWartosc) &&
        (!FKMaxWartoscUstawiona || X <= FKMaxWartosc))
        SetKWartosc(X);
}

bool TKEditLiczba::WantsKey(Word Key, TShiftState) const {
    return Key == VK_RETURN && FKEnterJakoTab;
}

void TKEditLiczba::EditCommand(TEditCommand) {
    // The dedicated editing keys, which carry no virtual-key code, and the middle click reach
    // here past the key rules.
}

void TKEditLiczba::contextMenuEvent(QContextMenuEvent* event) {
    // Only the control's own menu: the edit's menu would paste and cut past the key rules.
    if (PopupMenu() != nullptr)
        TCustomKEdit::contextMenuEvent(event);
    else
        event->accept();
}

void TKEditLiczba::mousePressEvent(QMouseEvent* event) {
    // The middle button would move the caret to where the selection is pasted.
    if (event->button() == Qt::MiddleButton)
        event->accept();
    else
        TCustomKEdit::mousePressEvent(event);
}

void TKEditLiczba::dragEnterEvent(QDragEnterEvent* event) {
    event->ignore();
}

void TKEditLiczba::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
}

void TKEditLiczba::dropEvent(QDropEvent* event) {
    event->ignore();
}

void TKEditLiczba::inputMethodEvent(QInputMethodEvent* event) {
    // Text that an input method commits is typed: each character meets the key rules and none
    // goes into the text by itself.
    const QPointer<TKEditLiczba> zywa = this;
    for (const QChar znak : event->commitString()) {
        QChar Key = znak;
        Application->Guard([&] { KeyPress(Key); });
        if (zywa.isNull())
            return;
    }
    event->accept();
}

// --- Pop-up editor --------------------------------------------------------------------------

namespace {

template <class T> T* Jako(QObject* object) {
    auto* wynik = dynamic_cast<T*>(object);
    if (wynik == nullptr)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    return wynik;
}

} // namespace

void TKEditLiczba::UstawPozycjeOkna(TForm& Okno) const {
    // The control's top-left corner in its parent's client area, on the screen.
    Okno.move(mapToGlobal(QPoint(0, 0)));
}

bool TKEditLiczba::EdytujWOknie(double& Wartosc) {
    // The form lives for the call and belongs to no window, which may be freed while it is open
    // (a timer's deleteLater that the modal loop runs); it stands over the control's window as
    // its transient, and closes when the control goes.
    auto okno = std::make_unique<TForm>();
    okno->SetBorderStyle(bsNone);
    okno->winId();
    okno->windowHandle()->setTransientParent(window()->windowHandle());
    connect(this, &QObject::destroyed, okno.get(), &QDialog::reject);
    okno->SetClientWidth(width());
    okno->SetClientHeight(height());
    UstawPozycjeOkna(*okno);

    auto* edycja = new TKEditLiczba(nullptr, okno.get());
    edycja->move(0, 0);
    edycja->SetAlignment(Alignment());
    edycja->SetCharCase(CharCase());
    edycja->SetColor(Color());
    QPalette paleta = edycja->palette();
    paleta.setColor(QPalette::Text, palette().color(QPalette::Text));
    edycja->setPalette(paleta);
    edycja->setFont(font());
    edycja->resize(okno->ClientWidth(), okno->ClientHeight());
    edycja->SetKLiczbaMiejscPoPrzecinku(FKLiczbaMiejscPoPrzecinku);
    edycja->SetKLiczbaMiejscPrzedPrzecinkiem(FKLiczbaMiejscPrzedPrzecinkiem);
    edycja->SetKMaxWartosc(FKMaxWartosc);
    edycja->SetKMaxWartoscUstawiona(FKMaxWartoscUstawiona);
    edycja->SetKMinWartosc(FKMinWartosc);
    edycja->SetKMinWartoscUstawiona(FKMinWartoscUstawiona);
    edycja->SetKPozwalajUjemne(FKPozwalajUjemne);
    edycja->SetKPrefiks(FKPrefiks);
    edycja->SetKSeparatorTysiecy(FKSeparatorTysiecy);
    edycja->SetKStalaLiczbaMiejscPoPrzecinku(FKStalaLiczbaMiejscPoPrzecinku);
    edycja->SetKWartosc(WartoscRzeczywista());
    edycja->OnKeyPress = [this](QObject* Sender, QChar& Key) { OknoEdycjiKeyPress(Sender, Key); };
    edycja->OnEnter = [this](QObject* Sender) { OknoEdycjiEnter(Sender); };

    okno->exec();
    const bool przyjeta = okno->ModalResult() == mrOk;
    if (przyjeta)
        Wartosc = edycja->WartoscRzeczywista();
    return przyjeta;
}

void TKEditLiczba::OknoEdycjiKeyPress(QObject* Sender, QChar& Key) {
    TForm* okno = Jako<TForm>(Jako<TKEditLiczba>(Sender)->parentWidget());
    if (Key == u'\r')
        okno->SetModalResult(mrOk);
    else if (Key == u'\x1b')
        okno->SetModalResult(mrCancel);
}

void TKEditLiczba::OknoEdycjiEnter(QObject* Sender) {
    Jako<TKEditLiczba>(Sender)->SetSelStart(0);
}
