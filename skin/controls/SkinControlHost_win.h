#pragma once
// What the control skins and the walk that hands them out ask of the skinned form of a window:
// its window, skin and framework form, its list of control skins and the maker of sub-skins. The frame
// implements it; the control skins know nothing else of the frame.
#include <windows.h>

#include <vector>

#include "skin/rules/SkinControlMap.h"

class TComponent;
class TForm;
class TSkinControl;
class TSkinData;

// Private messages between the control skins and their form.
constexpr UINT SkinControlNotice = 0x3517; // to the form: wParam a control that wants a scroll-bar skin
constexpr UINT FramePaintRequest = 0xBC4B; // lParam SkinMagic: paint the frame, answer SkinMagic
constexpr LPARAM SkinMagic = 0x41A2;

class TSkinControlHost {
public:
    virtual ~TSkinControlHost() = default;
    virtual HWND HostWindow() const = 0;
    virtual TSkinData* HostSkin() const = 0;
    // The window's framework form, or null for a plain window.
    virtual TForm* HostForm() const = 0;
    // The owner of the skins of plain windows when there is no framework form.
    virtual TComponent& HostComponent() = 0;
    // Each control skin registers on attachment and leaves on destruction.
    virtual void RegisterControl(TSkinControl* control) = 0;
    virtual void UnregisterControl(TSkinControl* control) = 0;
    virtual const std::vector<TSkinControl*>& SkinnedControls() const = 0;
    // A new, unattached skin of `kind` for a control's own child window (an edit's spin arrows,
    // a page control's scroll arrows), owned by `owner`: the host knows the factory, the control
    // skins do not. Null when the kind is not drawn.
    virtual TSkinControl* MakeSubSkin(TSkinWrapperKind kind, TComponent* owner) = 0;
};
