#include "settings/FormPlacement.h"

#include "framework/ErrorDisplay.h"
#include "platform/cp1251/Ansi.h"
#include "platform/placement/ScreenMetrics.h"
#include "platform/placement/WindowPlacement.h"
#include "settings/IniFileStore.h"
#include "settings/PropsStorage.h"
#include "settings/RegistryStore.h"
#include "settings/WindowHook.h"
#include "framework/TextRoutines.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace {
// Closes the placement's store when the scope ends, however it ends.
class TStoreCloser {
public:
    explicit TStoreCloser(TFormPlacement *placement) : FPlacement(placement) {}
    TStoreCloser(const TStoreCloser &) = delete;
    TStoreCloser &operator=(const TStoreCloser &) = delete;
    ~TStoreCloser() { FPlacement->CloseStore(); }

private:
    TFormPlacement *FPlacement;
};

Reg::HKEY RootKey(TFormPlacement::TPlacementRegRoot root)
{
    switch (root) {
    case TFormPlacement::prCurrentUser: return Reg::HKEY_CURRENT_USER;
    case TFormPlacement::prLocalMachine: return Reg::HKEY_LOCAL_MACHINE;
    case TFormPlacement::prCurrentConfig: return Reg::HKEY_CURRENT_CONFIG;
    case TFormPlacement::prClassesRoot: return Reg::HKEY_CLASSES_ROOT;
    case TFormPlacement::prUsers: return Reg::HKEY_USERS;
    case TFormPlacement::prDynData: return Reg::HKEY_DYN_DATA;
    }
    return Reg::HKEY_CURRENT_USER;
}

QString ProgramBaseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

TSettingsStore &OpenedStore(TSettingsStore *store)
{
    if (!store)
        throw ESettingsError("The settings store is not open");
    return *store;
}
} // namespace

TFormPlacement::TFormPlacement(QObject *owner)
    : TComponent(owner), FMinMaxInfo(new TWinMinMaxInfo(this)), FWinHook(std::make_unique<TWindowHook>(this))
{
    if (qobject_cast<TForm *>(owner))
        FOptions = TPlacementOptions(fpState | fpPosition);
    FMinMaxInfo->OnChange = [this] { MinMaxInfoChanged(); };
}

TFormPlacement::~TFormPlacement()
{
    FStore.reset();
    // While the form itself is being destroyed it is no form any more (its
    // TForm part is gone): nothing may be given back to it then.
    if (!Form())
        FWinHook->Forget();
    FWinHook.reset();
    UnhookOwnerEvents();
    FMinMaxInfo->OnChange = nullptr;
}

TForm *TFormPlacement::Form() const
{
    return qobject_cast<TForm *>(Owner());
}

QByteArray TFormPlacement::IniSection() const
{
    if (!FIniSection.isEmpty())
        return FIniSection;
    if (!FOwnerClassName.isEmpty())
        return FOwnerClassName;
    return Owner() ? QByteArray(Owner()->metaObject()->className()) : QByteArray();
}

void TFormPlacement::SetMinMaxInfo(TWinMinMaxInfo *info)
{
    if (info)
        FMinMaxInfo->Assign(*info);
}

void TFormPlacement::SetPreventResize(bool prevent)
{
    if (FPreventResize == prevent)
        return;
    FPreventResize = prevent;
    if (Loading() || !FHooked)
        return; // applied when the form's events are taken over
    ApplyPreventResize();
    UpdateWindowHook();
}

void TFormPlacement::Loaded()
{
    TComponent::Loaded();
    if (const TForm *form = Form())
        FOwnerClassName = form->metaObject()->className();
    if (!Designing()) {
        HookOwnerEvents();
        UpdateWindowHook();
    }
}

void TFormPlacement::HookOwnerEvents()
{
    TForm *form = Form();
    if (!form || FHooked)
        return;
    FSaveFormShow = std::exchange(form->OnShow, [this](QObject *sender) { FormShow(sender); });
    FSaveFormCloseQuery = std::exchange(form->OnCloseQuery,
                                        [this](QObject *sender, bool &canClose) { FormCloseQuery(sender, canClose); });
    FSaveFormDestroy = std::exchange(form->OnDestroy, [this](QObject *sender) { FormDestroy(sender); });
    FHooked = true;
    FDefMaximize = form->BorderIcons() & TForm::biMaximize;
    if (FPreventResize)
        ApplyPreventResize();
}

void TFormPlacement::UnhookOwnerEvents()
{
    if (!FHooked)
        return;
    FHooked = false;
    if (TForm *form = Form()) {
        form->OnShow = std::move(FSaveFormShow);
        form->OnCloseQuery = std::move(FSaveFormCloseQuery);
        form->OnDestroy = std::move(FSaveFormDestroy);
    }
}

void TFormPlacement::ApplyPreventResize()
{
    TForm *form = Form();
    if (!form)
        return;
    // Changing the border icons shows the form again: no restore for that.
    const bool active = std::exchange(FActive, false);
    TForm::TBorderIcons icons = form->BorderIcons();
    if (FPreventResize)
        icons &= ~TForm::TBorderIcons(TForm::biMaximize);
    else if (FDefMaximize && form->BorderStyle() != TForm::bsDialog)
        icons |= TForm::biMaximize;
    try {
        form->SetBorderIcons(icons);
    } catch (...) {
        FActive = active;
        throw;
    }
    FActive = active;
}

void TFormPlacement::MinMaxInfoChanged()
{
    AdjustMaximizedPosition();
    if (!Loading())
        UpdateWindowHook();
}

void TFormPlacement::FormShow(QObject *sender)
{
    if (FActive)
        Guard([this] { RestoreSettings(); });
    if (FSaveFormShow)
        FSaveFormShow(sender);
}

void TFormPlacement::FormCloseQuery(QObject *sender, bool &canClose)
{
    if (FSaveFormCloseQuery)
        FSaveFormCloseQuery(sender, canClose);
    if (canClose && FActive && Form())
        Guard([this] { SaveSettings(); });
}

void TFormPlacement::FormDestroy(QObject *sender)
{
    if (FActive && !FSaved) {
        FDestroying = true;
        Guard([this] { SaveSettings(); });
        FDestroying = false;
    }
    if (FSaveFormDestroy)
        FSaveFormDestroy(sender);
}

void TFormPlacement::RestoreSettings()
{
    FSaved = false;
    OpenStore(true);
    {
        TStoreCloser closer(this);
        const QByteArray section = IniSection();
        if (OpenedStore(FStore.get()).ReadNumber(section, "FormVersion", 0) >= FVersion) {
            RestoreEntries();
            FRestored = true;
            DoRestorePlacement();
            if ((FOptions & fpActiveControl) && Form()) {
                QObject *found = FindOwnedComponent(Form(), ReadSetting(section, "ActiveControl", {}));
                QWidget *control = qobject_cast<QWidget *>(found);
                if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
                    control->setFocus(Qt::OtherFocusReason);
            }
        }
        FRestored = true;
    }
    AdjustMaximizedPosition();
}

void TFormPlacement::SaveSettings()
{
    if (!FRestored && FActive)
        return;
    OpenStore(false);
    TStoreCloser closer(this);
    OpenedStore(FStore.get()).WriteNumber(IniSection(), "FormVersion", FVersion);
    SaveEntries();
    DoSavePlacement();
    FSaved = true;
}

void TFormPlacement::SaveEntries()
{
    TForm *form = Form();
    if (!form)
        return;
    TSettingsStore &store = OpenedStore(FStore.get());
    const QByteArray section = IniSection();
    if (FOptions & (fpState | fpPosition)) {
        WriteWindowPlacement(form, store, section);
        store.WriteFlag(section, "Visible", FDestroying);
    }
    if ((FOptions & fpActiveControl) && form->focusWidget())
        store.StoreWriteText(section, "ActiveControl", ToAnsi(form->focusWidget()->objectName()));
}

void TFormPlacement::RestoreEntries()
{
    if (TForm *form = Form())
        ReadWindowPlacement(form, OpenedStore(FStore.get()), IniSection(), FOptions & fpState, FOptions & fpPosition);
}

QByteArray TFormPlacement::ReadSetting(const QByteArray &section, const QByteArray &name, const QByteArray &fallback)
{
    if (FStore)
        return FStore->StoreReadText(section, name, fallback);
    OpenStore(true);
    TStoreCloser closer(this);
    return OpenedStore(FStore.get()).StoreReadText(section, name, fallback);
}

void TFormPlacement::WriteSetting(const QByteArray &section, const QByteArray &name, const QByteArray &value)
{
    if (FStore) {
        FStore->StoreWriteText(section, name, value);
        return;
    }
    OpenStore(false);
    TStoreCloser closer(this);
    OpenedStore(FStore.get()).StoreWriteText(section, name, value);
}

void TFormPlacement::OpenStore(bool readOnly)
{
    if (FStore)
        return;
    if (FUseRegistry) {
        const QByteArray keyPath = FIniFileName.isEmpty() ? "Software\\" + ToAnsi(ProgramBaseName()) : FIniFileName;
        auto store = std::make_unique<TRegistryStore>(keyPath);
        if (readOnly)
            store->SetAccess(Reg::KEY_READ);
        if (FRegistryRoot != prCurrentUser)
            store->SwitchRoot(RootKey(FRegistryRoot), !readOnly);
        FStore = std::move(store);
    } else {
        const QString fileName =
            FIniFileName.isEmpty() ? ProgramBaseName() + QStringLiteral(".INI") : FromAnsi(FIniFileName);
        FStore = std::make_unique<TIniFileStore>(fileName);
    }
}

void TFormPlacement::CloseStore()
{
    FStore.reset();
}

void TFormPlacement::UpdateWindowHook()
{
    TForm *form = Form();
    if (!form)
        return;
    if (FPreventResize || !FMinMaxInfo->IsDefault())
        FWinHook->Install(form);
    else
        FWinHook->Remove();
}

void TFormPlacement::AdjustMaximizedPosition()
{
    TForm *form = Form();
    if (!form || !form->windowHandle() || Loading() || FPreventResize || !FMinMaxInfo->IsDefault())
        return;
    Wnd::TWindowPlacement placement;
    if (!Wnd::GetWindowPlacement(form, &placement))
        return;
    if (!Wnd::IsWindowVisible(form))
        placement.ShowCmd = Wnd::SW_HIDE;
    int mx = 0, my = 0;
    switch (form->BorderStyle()) {
    case TForm::bsSingle:
    case TForm::bsToolWindow:
        mx = Wnd::SM_CXBORDER;
        my = Wnd::SM_CYBORDER;
        break;
    case TForm::bsSizeable:
    case TForm::bsSizeToolWin:
        mx = Wnd::SM_CXFRAME;
        my = Wnd::SM_CYFRAME;
        break;
    case TForm::bsDialog:
        mx = Wnd::SM_CXDLGFRAME;
        my = Wnd::SM_CYDLGFRAME;
        break;
    case TForm::bsNone:
        break;
    }
    placement.MaxPosition = mx ? Wnd::TPoint{-Wnd::GetSystemMetrics(mx), -Wnd::GetSystemMetrics(my)} : Wnd::TPoint{0, 0};
    Wnd::SetWindowPlacement(form, placement);
}

void TFormPlacement::DoSavePlacement()
{
    if (OnSavePlacement)
        OnSavePlacement(this);
}

void TFormPlacement::DoRestorePlacement()
{
    if (OnRestorePlacement)
        OnRestorePlacement(this);
}

// ------------------------------------------------------- window placement

QByteArray ScreenSizeSuffix()
{
    return '(' + IntToStr(Wnd::GetSystemMetrics(Wnd::SM_CXSCREEN)) + 'x'
           + IntToStr(Wnd::GetSystemMetrics(Wnd::SM_CYSCREEN)) + ')';
}

namespace {
QByteArray FourNumbers(int32_t a, int32_t b, int32_t c, int32_t d)
{
    return IntToStr(a) + ',' + IntToStr(b) + ',' + IntToStr(c) + ',' + IntToStr(d);
}

void WriteBoth(TSettingsStore &store, const QByteArray &section, const QByteArray &name, const QByteArray &text)
{
    store.StoreWriteText(section, name + ScreenSizeSuffix(), text);
    store.StoreWriteText(section, name, text);
}

// The text for the current screen size, or else the plain one.
QByteArray ReadPositionText(TSettingsStore &store, const QByteArray &section, const QByteArray &name)
{
    const QByteArray text = store.StoreReadText(section, name + ScreenSizeSuffix(), {});
    return text.isEmpty() ? store.StoreReadText(section, name, {}) : text;
}

const TCharSet &PositionDelimiters()
{
    static const TCharSet set = MakeCharSet(" ,");
    return set;
}

int32_t PositionWord(const QByteArray &text, int n, int64_t fallback)
{
    return StrToIntDef(WordAt(n, text, PositionDelimiters()), int32_t(std::clamp<int64_t>(fallback, INT32_MIN, INT32_MAX)));
}
} // namespace

void WriteWindowPlacement(TForm *form, TSettingsStore &store, const QByteArray &section)
{
    Wnd::TWindowPlacement placement;
    Wnd::GetWindowPlacement(form, &placement);
    if (form == MainForm() && Wnd::IsIconic(MainForm()))
        placement.ShowCmd = Wnd::SW_SHOWMINIMIZED;
    if (form->FormStyle() == TForm::fsMDIChild && form->WindowState() == TForm::wsMinimized)
        placement.Flags |= Wnd::WPF_SETMINPOSITION;
    store.WriteNumber(section, "Flags", int32_t(placement.Flags));
    store.WriteNumber(section, "ShowCmd", int32_t(placement.ShowCmd));
    store.WriteNumber(section, "PixelsPerInch", Wnd::ScreenPixelsPerInch());
    WriteBoth(store, section, "MinMaxPos",
              FourNumbers(placement.MinPosition.X, placement.MinPosition.Y, placement.MaxPosition.X,
                          placement.MaxPosition.Y));
    const Wnd::TRect &normal = placement.NormalPosition;
    WriteBoth(store, section, "NormPos", FourNumbers(normal.Left, normal.Top, normal.Right, normal.Bottom));
}

void ReadWindowPlacement(TForm *form, TSettingsStore &store, const QByteArray &section, bool loadState,
                         bool loadPosition)
{
    if (!loadState && !loadPosition)
        return;
    Wnd::TWindowPlacement placement;
    Wnd::GetWindowPlacement(form, &placement);
    // The form's own normal rectangle, in the terms the system keeps it.
    const Wnd::TRect own = placement.NormalPosition;
    if (!Wnd::IsWindowVisible(form))
        placement.ShowCmd = Wnd::SW_HIDE;
    if (loadPosition) {
        placement.Flags = uint32_t(store.ReadNumber(section, "Flags", int32_t(placement.Flags)));
        bool found = false;
        QByteArray text = ReadPositionText(store, section, "MinMaxPos");
        if (!text.isEmpty()) {
            placement.MinPosition = {PositionWord(text, 1, 0), PositionWord(text, 2, 0)};
            placement.MaxPosition = {PositionWord(text, 3, 0), PositionWord(text, 4, 0)};
            found = true;
        }
        // A missing word keeps the form's own bound, in the same terms.
        text = ReadPositionText(store, section, "NormPos");
        if (!text.isEmpty()) {
            placement.NormalPosition = {PositionWord(text, 1, own.Left), PositionWord(text, 2, own.Top),
                                        PositionWord(text, 3, own.Right), PositionWord(text, 4, own.Bottom)};
            found = true;
        }
        const int ppi = store.ReadNumber(section, "PixelsPerInch", Wnd::ScreenPixelsPerInch());
        if (found && ppi == Wnd::ScreenPixelsPerInch()) {
            Wnd::TRect &rect = placement.NormalPosition;
            if (form->BorderStyle() != TForm::bsSizeable && form->BorderStyle() != TForm::bsSizeToolWin) {
                // A fixed-size form keeps its own size and only moves.
                rect.Right = int32_t(std::min<int64_t>(int64_t(rect.Left) + own.Right - own.Left, INT32_MAX));
                rect.Bottom = int32_t(std::min<int64_t>(int64_t(rect.Top) + own.Bottom - own.Top, INT32_MAX));
            }
            if (rect.Right > rect.Left && rect.Bottom > rect.Top) {
                if (form->Position() == TForm::poScreenCenter || form->Position() == TForm::poDesktopCenter)
                    form->SetPosition(TForm::poDesigned);
                Wnd::SetWindowPlacement(form, placement);
            }
        }
    }
    if (loadState) {
        TForm::TWindowState state = TForm::wsNormal;
        const bool mainForm = form == MainForm() || !MainForm();
        if (mainForm && (form->FormStyle() == TForm::fsMDIForm
                         || (form->FormStyle() == TForm::fsNormal && form->Position() == TForm::poDefault)))
            state = TForm::wsMaximized;
        switch (store.ReadNumber(section, "ShowCmd", Wnd::SW_HIDE)) {
        case Wnd::SW_SHOWNORMAL:
        case Wnd::SW_SHOW:
        case Wnd::SW_RESTORE: state = TForm::wsNormal; break;
        case Wnd::SW_SHOWMINIMIZED:
        case Wnd::SW_MINIMIZE:
        case Wnd::SW_SHOWMINNOACTIVE: state = TForm::wsMinimized; break;
        case Wnd::SW_SHOWMAXIMIZED: state = TForm::wsMaximized; break;
        default: break;
        }
        if (state == TForm::wsMinimized && mainForm) {
            // The whole program starts minimised, once it has been shown.
            if (!Wnd::IsWindowVisible(form))
                form->SetWindowState(TForm::wsNormal);
            Wnd::PostMinimize(MainForm() ? MainForm() : form);
            return;
        }
        form->SetWindowState(state);
    }
    if (Wnd::IsWindowVisible(form))
        form->repaint();
}
