#include "skin/controls/SkinControlMap_win.h"

#include <algorithm>
#include <vector>

#include "framework/AsciiText.h"
#include "framework/ComCtrls_win.h"
#include "framework/DebugSink_win.h"
#include "framework/Forms_win.h"
#include "framework/StdCtrls_win.h"
#include "skin/controls/SkinControlFactory_win.h"
#include "skin/controls/SkinControl_win.h"
#include "skin/controls/SkinScrollbar_win.h"
#include "skin/rules/SkinControlMap.h"

namespace {

TControlCategory CategoryOf(const TWinControl* control) {
    using C = TControlCategory;
    if (dynamic_cast<const TForm*>(control)) return C::Form;
    if (dynamic_cast<const TPageControl*>(control)) return C::PageControl;
    if (dynamic_cast<const TTabSheet*>(control)) return C::TabSheet;
    if (dynamic_cast<const TGroupBox*>(control)) return C::GroupBox;
    if (dynamic_cast<const TStatusBar*>(control)) return C::StatusBar;
    if (dynamic_cast<const TProgressBar*>(control)) return C::ProgressBar;
    if (dynamic_cast<const TMemo*>(control)) return C::Memo;
    if (dynamic_cast<const TEdit*>(control)) return C::Edit;
    if (dynamic_cast<const TListBox*>(control)) return C::ListBox;
    if (dynamic_cast<const TButton*>(control)) {
        // A TButton made a check or radio box by its style is left to the window-class rules.
        HWND window = const_cast<TWinControl*>(control)->Handle();
        const LONG type = ::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
        return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? C::Button : C::Other;
    }
    return C::Other;
}

bool ShowsScrollBars(HWND window) {
    return (::GetWindowLongW(window, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0;
}

bool HasBorder(HWND window) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    return outer.right - outer.left > client.right && outer.bottom - outer.top > client.bottom;
}

std::string WindowClassOf(HWND window) {
    char name[128] = {};
    const int n = ::GetClassNameA(window, name, int(sizeof(name)));
    return std::string(name, std::size_t(n > 0 ? n : 0));
}

class TControlWalk {
public:
    explicit TControlWalk(TSkinControlHost& host)
        : host_(host), form_(host.HostForm()), skin_(*host.HostSkin()), switches_(SwitchesOf(skin_)) {}

    void WalkForm() {
        Collect(form_);
        // Tags first: a tagged radio or check group passes its tag to its children wherever they
        // stand in the component list.
        for (TWinControl* control : controls_) {
            bool tagChildren = false;
            if (DisabledByTag(control->ClassName(), control->Tag, switches_, tagChildren) && tagChildren)
                for (TWinControl* child : ChildrenOf(control))
                    child->Tag = switches_.disableTag;
        }
        for (TWinControl* control : controls_)
            MapControl(control);
        // Plain windows put on the form or on one of its containers.
        HWND formWindow = form_->Handle();
        ::EnumChildWindows(formWindow, &TControlWalk::VisitChild, reinterpret_cast<LPARAM>(this));
    }

    void WalkPlain(HWND window) {
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            MapWindow(child);
    }

private:
    void Collect(TComponent* owner) {
        for (std::size_t i = 0; i < owner->ComponentCount(); ++i) {
            TComponent* component = owner->Components(i);
            if (auto* control = dynamic_cast<TWinControl*>(component)) controls_.push_back(control);
            Collect(component);
        }
    }

    std::vector<TWinControl*> ChildrenOf(const TWinControl* parent) const {
        std::vector<TWinControl*> children;
        for (TWinControl* control : controls_)
            if (control->Parent() == parent) children.push_back(control);
        return children;
    }

    static BOOL CALLBACK VisitChild(HWND window, LPARAM data) {
        auto* walk = reinterpret_cast<TControlWalk*>(data);
        try {
            walk->VisitPlainWindow(window);
        } catch (...) {
            DebugReportCurrentException("control skin walk");
        }
        return TRUE;
    }

    void VisitPlainWindow(HWND window) {
        if (FindControl(window)) return;
        HWND parent = ::GetParent(window);
        TWinControl* holder = parent == form_->Handle() ? form_ : FindControl(parent);
        if (!holder) return;
        // Only containers: the inner windows of edits, combo boxes and lists belong to them.
        using C = TControlCategory;
        const C category = CategoryOf(holder);
        if (category != C::Form && category != C::GroupBox && category != C::Panel &&
            category != C::TabSheet && category != C::Other)
            return;
        MapWindow(window);
    }

    bool AlreadySkinned(HWND window) const {
        const auto& skinned = host_.SkinnedControls();
        if (std::any_of(skinned.begin(), skinned.end(),
                        [&](TSkinControl* c) { return c->Window() == window; }))
            return true;
        return ::SendMessageW(window, SkinQueryMessage, 0, 0) == 1;
    }

    void MapControl(TWinControl* control) {
        // Windows are made lazily; one the walk reaches is on the form being shown, so it is made
        // now rather than left with the system's look.
        if (AlreadySkinned(control->Handle())) return;
        bool tagChildren = false;
        if (DisabledByTag(control->ClassName(), control->Tag, switches_, tagChildren)) return;
        if (skin_.OnSkinControl) {
            TSkinControl* wrapper = nullptr;
            bool changeColour = false;
            skin_.OnSkinControl(form_, &skin_, wrapper, changeColour, UpperAscii(control->ClassName()),
                                control, control->Parent());
            if (wrapper) {
                wrapper->AttachControl(control, &host_, &skin_, changeColour);
                for (TWinControl* child : ChildrenOf(control))
                    MapControl(child);
            }
            return;
        }
        HWND window = control->Handle();
        TControlFacts facts;
        facts.className = control->ClassName();
        facts.category = CategoryOf(control);
        facts.hasScrollBars = ShowsScrollBars(window);
        facts.hasBorder = HasBorder(window);
        TSkinMapDecision decision = ::MapControl(facts, switches_);
        // No rule for the class: its window class decides, as for a bare window of that class.
        if (!decision.handled)
            decision = MapWindowClass(WindowClassOf(window),
                                      std::uint32_t(::GetWindowLongW(window, GWL_STYLE)), switches_);
        if (decision.childKind != TSkinWrapperKind::None) {
            for (TWinControl* child : ChildrenOf(control)) {
                if (AlreadySkinned(child->Handle())) continue;
                if (decision.childrenWithScrollBars && !ShowsScrollBars(child->Handle())) continue;
                TSkinMapDecision childDecision = decision;
                childDecision.objImageKind = decision.childObjImageKind;
                Attach(CreateSkinWrapper(decision.childKind, child, childDecision), child, childDecision);
            }
        }
        if (decision.mapChildren)
            for (TWinControl* child : ChildrenOf(control))
                MapControl(child);
        // The `Transparent` property the foreign panels and track bars have does not exist on this
        // framework's controls; setTransparent has nothing to set here.
        if (decision.kind != TSkinWrapperKind::None)
            Attach(CreateSkinWrapper(decision.kind, control, decision), control, decision);
    }

    void Attach(TSkinControl* wrapper, TWinControl* control, const TSkinMapDecision& decision) {
        if (!wrapper) return;
        auto* scrolling = dynamic_cast<TSkinScrollbar*>(wrapper);
        if (scrolling && decision.singleScrollbar && !decision.attachToWindow)
            scrolling->AttachScrollControl(control, &host_, &skin_, true);
        else if (decision.attachToWindow)
            wrapper->AttachWindow(control->Handle(), &skin_, &host_);
        else
            wrapper->AttachControl(control, &host_, &skin_, decision.changeColour);
    }

    void MapWindow(HWND window) {
        if (AlreadySkinned(window)) return;
        const std::uint32_t style = std::uint32_t(::GetWindowLongW(window, GWL_STYLE));
        const TSkinMapDecision decision = MapWindowClass(WindowClassOf(window), style, switches_);
        if (decision.mapChildren) WalkPlain(window);
        // colourToFace: the foreign panels whose colour it names are not made by this program.
        if (decision.kind == TSkinWrapperKind::None) return;
        HWND target = decision.onFirstChild ? ::GetWindow(window, GW_CHILD) : window;
        if (!target || AlreadySkinned(target)) return;
        TComponent* owner = form_ ? static_cast<TComponent*>(form_) : &host_.HostComponent();
        if (TSkinControl* wrapper = CreateSkinWrapper(decision.kind, owner, decision))
            wrapper->AttachWindow(target, &skin_, &host_);
    }

    TSkinControlHost& host_;
    TForm* form_;
    TSkinData& skin_;
    TSkinSwitches switches_;
    std::vector<TWinControl*> controls_;
};

} // namespace

void SkinChildControls(TSkinControlHost& host) {
    if (!host.HostSkin()) return;
    TControlWalk walk(host);
    if (host.HostForm())
        walk.WalkForm();
    else
        walk.WalkPlain(host.HostWindow());
}

void ReplaceWithScrollbarSkin(TSkinControlHost& host, HWND window) {
    const auto& skinned = host.SkinnedControls();
    const auto found =
        std::find_if(skinned.begin(), skinned.end(), [&](TSkinControl* c) { return c->Window() == window; });
    if (found == skinned.end()) return;
    TSkinControl* old = *found;
    TWinControl* control = old->Control();
    TSkinData* skin = old->Skin();
    delete old;
    const TSkinWrapperKind kind = LowerAscii(WindowClassOf(window)) == "syslistview32"
                                      ? TSkinWrapperKind::ListView
                                      : TSkinWrapperKind::Scrollbar;
    TComponent* owner =
        control ? static_cast<TComponent*>(control)
                : (host.HostForm() ? static_cast<TComponent*>(host.HostForm()) : &host.HostComponent());
    TSkinControl* wrapper = CreateSkinWrapper(kind, owner, TSkinMapDecision{});
    if (!wrapper) return;
    if (control)
        wrapper->AttachControl(control, &host, skin, false);
    else
        wrapper->AttachWindow(window, skin, &host);
}
