#include "skin/rules/SkinManage.h"

#include <algorithm>

#include "framework/AsciiText.h"
#include "skin/model/WinSkinData.h"

namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

bool IsPlainChild(std::uint32_t style, std::uint32_t exStyle, const std::string& parentClassName) {
    return (style & skinstyle::kChild) && !(exStyle & skinstyle::kExMdiChild) &&
           LowerAscii(parentClassName) != "mdiclient";
}

TSkinManage::TSkinManage(TSkinWindowSystem& windows) : windows_(windows) {
    windows_.SetActionTimer(false, 100);
}

TSkinManage::~TSkinManage() {
    managerState_ = 4;
    skinningEnabled_ = false;
    windows_.SetActionTimer(false, 100);
    UnskinAll();
    // Menu windows still open keep their own look from here on.
    skinnedMenus_.clear();
    skinDatas_.clear();
    windows_.RemoveHook();
}

void TSkinManage::RegisterSkinData(TSkinData* skinData) {
    skinDatas_.push_back(skinData);
    if (!mainSkinData_ && skinData->SkinFormtype == sfMainform) mainSkinData_ = skinData;
}

void TSkinManage::UnregisterSkinData(TSkinData* skinData) {
    auto it = std::find(skinDatas_.begin(), skinDatas_.end(), skinData);
    if (it != skinDatas_.end()) skinDatas_.erase(it);
    // A component that goes is never asked again.
    if (mainSkinData_ == skinData) mainSkinData_ = nullptr;
    if (actionRequester_ == skinData) actionRequester_ = nullptr;
}

void TSkinManage::InstallCbtHook() {
    windows_.InstallHook();
}

void TSkinManage::RequestAction(std::uint32_t code, int intervalMs) {
    pendingAction_ = code;
    if (managerState_ == 0) {
        // Before the first activation nothing is scheduled: switching only decides whether the
        // windows activated from now on are skinned.
        if (code == saSkinAll) skinningEnabled_ = true;
        if (code == saUnskinAll) skinningEnabled_ = false;
        windows_.SetActionTimer(false, intervalMs);
        return;
    }
    windows_.SetActionTimer(true, intervalMs);
}

void TSkinManage::ServeSingleForm() {
    skinningEnabled_ = true;
    ++managerState_;
}

bool TSkinManage::TrySkinOwnerForm(TComponent* owner) {
    TSkinWindow window = windows_.FormWindow(owner);
    return window && TrySkinWindow(window);
}

void TSkinManage::MarkStarted() {
    if (managerState_ != 4) managerState_ = 1;
}

// ---- Window events ----

void TSkinManage::WindowCreated(TSkinWindow window) {
    const std::string className = windows_.ClassName(window);
    const std::uint32_t style = windows_.Style(window);
    if (className == "ScrollBar" && (style & skinstyle::kSizeGrip)) {
        if (TSkinnedFrame* frame = FindSkinnedForm(windows_.Parent(window))) frame->SizeGripCreated(window);
    }
    if (!(style & skinstyle::kChild) && className == "#32768") TrySkinMenuWindow(window);
    if (windows_.ExStyle(window) & skinstyle::kExMdiChild) TrySkinWindow(window);
}

void TSkinManage::WindowDestroying(TSkinWindow window) {
    DropMenuSkin(window);
}

void TSkinManage::WindowActivating(TSkinWindow window) {
    if (managerState_ == 0) managerState_ = 1;
    TrySkinWindow(window);
}

// ---- Frames ----

TSkinRefusal TSkinManage::TrySkinWindowWhy(TSkinWindow window) {
    if (!skinningEnabled_) return TSkinRefusal::NotEnabled;
    PurgeSkinnedForms();
    if (windows_.AnswersSkinQuery(window) || FindSkinnedForm(window)) return TSkinRefusal::AlreadySkinned;
    TComponent* form = windows_.FindFrameworkForm(window);
    const std::uint32_t style = windows_.Style(window);
    const std::uint32_t exStyle = windows_.ExStyle(window);
    const std::string className = windows_.ClassName(window);
    if (!scanMode_) {
        TSkinWindow parent = windows_.Parent(window);
        if (IsPlainChild(style, exStyle, parent ? windows_.ClassName(parent) : std::string()))
            return TSkinRefusal::PlainChild;
    }
    if (!form && !windows_.OwnModule(window) && className != "#32770") return TSkinRefusal::ForeignWindow;
    if (!windows_.HasArea(window) && !(exStyle & skinstyle::kExMdiChild)) return TSkinRefusal::NoArea;
    if (form && windows_.FormTag(form) == TSkinData::kDefaultDisableTag) return TSkinRefusal::DisableTag;
    if (Contains(className, "TcxPopupEditPopupWindow") || Contains(className, "TTERenderWindow") ||
        className == "TApplication")
        return TSkinRefusal::ExcludedClass;
    if (!MaySkinWindow(window, className)) return TSkinRefusal::Declined;
    TSkinData* skin = PickSkinData(window, className);
    if (!skin || skin->SkinUnloaded()) return TSkinRefusal::NoSkin;
    TSkinnedFrame* frame = windows_.CreateFrame(window, form, skin, className);
    if (!frame) return TSkinRefusal::NotCreated;
    skinnedForms_.push_back(frame);
    windows_.PostSkinStart(window);
    return TSkinRefusal::None;
}

bool TSkinManage::TrySkinForm(const TScreenForm& form) {
    if (!form.Visible || form.Child) return true;
    return TrySkinWindow(form.Window);
}

bool TSkinManage::MaySkinWindow(TSkinWindow window, const std::string& className) {
    if (!mainSkinData_) return true;
    bool skin = true;
    const std::string lower = LowerAscii(className);
    if (!mainSkinData_->Options.Has(xoPreview) && Contains(lower, "preview")) skin = false;
    if (className == "#32770" && (windows_.Style(window) & skinstyle::kSetForeground)) skin = false;
    if (lower == "tpopupdbtreeview") skin = false;
    mainSkinData_->QueryFormSkin(window, className, skin);
    return skin;
}

TSkinData* TSkinManage::PickSkinData(TSkinWindow window, const std::string& className) const {
    // The last match of each rule wins.
    auto lastOf = [&](auto matches) -> TSkinData* {
        TSkinData* found = nullptr;
        for (TSkinData* d : skinDatas_)
            if (matches(d)) found = d;
        return found;
    };
    if (TSkinData* d = lastOf([&](TSkinData* s) {
            return s->SkinFormtype == sfOnlyThisForm && s->Owner() &&
                   windows_.FormWindow(s->Owner()) == window;
        }))
        return d;
    if (LowerAscii(className) == "tmessageform" || className == "#32770") {
        if (TSkinData* d = lastOf([](TSkinData* s) { return s->SkinFormtype == sfDialog; })) return d;
    }
    if (TSkinData* d = lastOf([](TSkinData* s) { return s->SkinFormtype == sfMainform; })) return d;
    return skinDatas_.empty() ? nullptr : skinDatas_.front();
}

TSkinnedFrame* TSkinManage::FindSkinnedForm(TSkinWindow window) const {
    for (TSkinnedFrame* f : skinnedForms_)
        if (f->Window() == window) return f;
    return nullptr;
}

void TSkinManage::ForgetSkinnedForm(TSkinWindow window) {
    if (managerState_ == 4) return;
    auto it = std::find_if(skinnedForms_.begin(), skinnedForms_.end(),
                           [window](TSkinnedFrame* f) { return f->Window() == window; });
    if (it != skinnedForms_.end()) skinnedForms_.erase(it);
}

void TSkinManage::PurgeSkinnedForms() {
    if (managerState_ == 4) return;
    // Frames that were freed with their form have already left the list (ForgetSkinnedForm);
    // what remains to drop are the dead frames of this module's windows.
    for (size_t i = skinnedForms_.size(); i-- > 0;) {
        if (skinnedForms_[i]->Dead() && skinnedForms_[i]->OwnModule()) RemoveAndFree(i, false);
    }
}

void TSkinManage::RemoveAndFree(size_t index, bool detach) {
    TSkinnedFrame* frame = skinnedForms_[index];
    skinnedForms_.erase(skinnedForms_.begin() + std::ptrdiff_t(index));
    if (detach) frame->DetachFrame();
    delete frame;
}

void TSkinManage::UnskinAll() {
    for (size_t i = skinnedForms_.size(); i-- > 0;) {
        TSkinnedFrame* frame = skinnedForms_[i];
        skinnedForms_.erase(skinnedForms_.begin() + std::ptrdiff_t(i));
        frame->ReleaseWindow();
        delete frame;
    }
}

// ---- Menus ----

void TSkinManage::TrySkinMenuWindow(TSkinWindow window) {
    if (!skinningEnabled_ || windows_.AnswersSkinQuery(window) || IsSkinnedMenu(window)) return;
    TSkinData* skin = PickSkinData(window, windows_.ClassName(window));
    if (!skin || skin->SkinUnloaded()) return;
    const TSkinControlTypes& kinds = skin->SkinControls;
    const bool allowed = menuOpenKind_ == mkPopup        ? kinds.Has(xcPopupMenu)
                         : menuOpenKind_ == mkMenuBar    ? kinds.Has(xcMainMenu) || kinds.Has(xcMenuItem)
                         : menuOpenKind_ == mkSystemMenu ? kinds.Has(xcSystemMenu)
                                                         : false;
    if (!allowed) return;
    std::unique_ptr<TSkinnedMenu> menu = windows_.CreateMenuSkin(window, skin);
    if (!menu) return;
    if (menuBarTracking_) menu->MarkFromMenuBar();
    skinnedMenus_.push_back(std::move(menu));
}

bool TSkinManage::IsSkinnedMenu(TSkinWindow window) const {
    return std::any_of(skinnedMenus_.begin(), skinnedMenus_.end(),
                       [window](const std::unique_ptr<TSkinnedMenu>& m) { return m->Window() == window; });
}

bool TSkinManage::DropMenuSkin(TSkinWindow window) {
    auto it =
        std::find_if(skinnedMenus_.begin(), skinnedMenus_.end(),
                     [window](const std::unique_ptr<TSkinnedMenu>& m) { return m->Window() == window; });
    const bool found = it != skinnedMenus_.end();
    if (found) {
        std::unique_ptr<TSkinnedMenu> menu = std::move(*it);
        skinnedMenus_.erase(it);
        menu->Restore();
    }
    if (skinnedMenus_.empty()) {
        menuBarTracking_ = false;
        menuOpenKind_ = mkPopup;
    }
    return found;
}

// ---- Deferred requests ----

void TSkinManage::RunPendingAction() {
    windows_.SetActionTimer(false, 100);
    TSkinData* requester = actionRequester_;
    if (!requester) return;
    switch (pendingAction_) {
    case saSkinAll:
        SkinAll(requester);
        break;
    case saUnskinAll:
        UnskinFor(requester);
        break;
    case saRefresh:
        Refresh(requester);
        break;
    case saPurgeDead:
        PurgeDead();
        break;
    default:
        break;
    }
    // The handler may unregister the requester: it is taken off before it is told.
    actionRequester_ = nullptr;
    requester->SkinChanged();
}

void TSkinManage::SkinAll(TSkinData* requester) {
    skinningEnabled_ = true;
    scanMode_ = true;
    const std::vector<TScreenForm> forms = windows_.ScreenForms();
    if (requester->SkinFormtype == sfOnlyThisForm) {
        for (size_t i = forms.size(); i-- > 0;) {
            if (forms[i].Form == requester->Owner()) {
                TrySkinForm(forms[i]);
                break;
            }
        }
    } else {
        PurgeSkinnedForms();
        for (size_t i = forms.size(); i-- > 0;)
            TrySkinForm(forms[i]);
    }
    scanMode_ = false;
}

void TSkinManage::UnskinFor(TSkinData* requester) {
    skinningEnabled_ = false;
    PurgeSkinnedForms();
    if (requester->SkinFormtype == sfOnlyThisForm) {
        for (size_t i = 0; i < skinnedForms_.size(); ++i) {
            if (skinnedForms_[i]->Source() == requester) {
                RemoveAndFree(i, true);
                break;
            }
        }
        return;
    }
    while (!skinnedForms_.empty())
        RemoveAndFree(0, true);
}

void TSkinManage::Refresh(TSkinData* requester) {
    PurgeSkinnedForms();
    std::vector<TSkinnedFrame*> frames;
    for (TSkinnedFrame* f : skinnedForms_) {
        if (f->Source() != requester) continue;
        frames.push_back(f);
        if (requester->SkinFormtype == sfOnlyThisForm) break;
    }
    for (TSkinnedFrame* f : frames)
        f->ApplySkinMetrics();
    for (TSkinnedFrame* f : frames)
        f->RepaintFrame();
}

void TSkinManage::PurgeDead() {
    for (size_t i = skinnedForms_.size(); i-- > 0;)
        if (skinnedForms_[i]->Dead()) RemoveAndFree(i, false);
}
