#pragma once
// TSkinData: the component that carries a packed skin, loads it (SkinLoader.h) into elements,
// colours and derived images (SkinElements.h), and tells the skin manager when to skin or unskin
// the application's windows. Every painter reads its images, margins, frame counts and colours
// from here, never from the skin INI. LoadSkin is defined beside the loader (SkinLoader.cpp),
// Elements and ImageBytes beside the element table (SkinElementTable.cpp). Portable: platform
// facts come from a TSkinPlatform (SkinPlatform.h), system colours through ImgUtil's resolver,
// the manager through SkinManagerApi.h.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/StringList.h"
#include "skin/model/Bitmap.h"
#include "skin/model/SkinElements.h"
#include "skin/model/SkinPlatform.h"

// A small set over an enumeration of at most 32 members (bit i is member i).
template <typename E> class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> members) {
        for (E m : members)
            bits_ |= Bit(m);
    }
    static constexpr TEnumSet FromBits(std::uint32_t bits) {
        TEnumSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Has(E m) const { return (bits_ & Bit(m)) != 0; }
    constexpr void Include(E m) { bits_ |= Bit(m); }
    constexpr void Exclude(E m) { bits_ &= ~Bit(m); }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TEnumSet& o) const { return bits_ == o.bits_; }
    constexpr bool operator!=(const TEnumSet& o) const { return bits_ != o.bits_; }

private:
    static constexpr std::uint32_t Bit(E m) { return std::uint32_t(1) << static_cast<int>(m); }
    std::uint32_t bits_ = 0;
};

enum TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcSpin,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcTrackBar,
    xcSystemMenu,
    xcFastReport
};
using TSkinControlTypes = TEnumSet<TSkinControlType>;

enum TSkinOption {
    xoMDIScrollbar,
    xoMenuMerge,
    xoTransparent,
    xoPreview,
    xoParentBackGround,
    xoNoFocusRect,
    xoToolbarBK,
    xoToolbarButton,
    xoMDIChildBorder,
    xoMenuBG,
    xoCaptionButtonHint,
    xoFormScrollbar
};
using TSkinOptions = TEnumSet<TSkinOption>;

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

class TSkinData;
using TOnFormSkin = std::function<void(TSkinData* sender, const std::string& className, bool& skin)>;
class TSkinControl;
// Decides a control's skin instead of the built-in rules: `form` the skinned form, `className` the
// control's class name in capitals, `parent` its parent component. A skin returned in `wrapper`
// (made with the control as owner) is attached with `changeColour`; none leaves the control alone.
using TOnSkinControl =
    std::function<void(TComponent* form, TSkinData* sender, TSkinControl*& wrapper, bool& changeColour,
                       const std::string& className, TComponent* control, TComponent* parent)>;
using TOnSkinForm = std::function<void(TSkinData* sender, void* window, const std::string& className)>;

class TSkinData : public TComponent {
public:
    static constexpr std::int32_t kDefaultDisableTag = 99;
    // A skin file larger than this is refused (skins are a few hundred KB).
    static constexpr std::size_t kMaxSkinFileSize = std::size_t{64} * 1024 * 1024;

    enum TBorderIndex { bdLeft, bdRight, bdTop, bdBottom };

    explicit TSkinData(TComponent* owner);
    ~TSkinData() override;

    // ---- Published properties ----
    bool Active() const { return active_; }
    void SetActive(bool value);
    std::int32_t DisableTag = kDefaultDisableTag;
    TSkinControlTypes SkinControls = DefaultSkinControls();
    TSkinOptions Options = DefaultOptions();
    TStringList Skin3rd;
    const std::string& SkinFile() const { return skinFile_; }
    void SetSkinFile(const std::string& fileName);
    TSkinFormType SkinFormtype = sfMainform;
    bool MenuUpdate = true;
    bool MenuMerge = false;
    TOnFormSkin OnFormSkin;
    TNotifyEvent OnSkinChanged;
    TOnSkinControl OnSkinControl;
    TOnSkinForm OnBeforeSkinForm;
    TOnSkinForm OnAfterSkinForm;

    static TSkinControlTypes DefaultSkinControls();
    static TSkinOptions DefaultOptions();
    static std::vector<std::string> DefaultSkin3rd();

    // ---- The stored skin ----
    // The packed skin (the executable's resource, see LoadSkinFromResource, or a skin file).
    const std::vector<std::uint8_t>& StoredSkin() const { return stored_; }
    void SetStoredSkin(std::vector<std::uint8_t> packed) { stored_ = std::move(packed); }

    // Form streaming: properties set between BeginReading and Loaded do not reach the manager.
    void BeginReading() { reading_ = true; }
    bool Reading() const { return reading_; }
    void Loaded() override;

    // ---- Loading ----
    // Loads the stored skin. False (the model emptied, SkinUnloaded set) when nothing is stored, the
    // stream is corrupt or the package is refused; LastLoadError() then says why.
    bool LoadSkin();
    const std::string& LastLoadError() const { return lastError_; }
    bool SkinUnloaded() const { return skinUnloaded_; }

    // ---- Manager and frame services ----
    // `skin` is set by the caller beforehand; cleared when the window must stay unskinned.
    void QueryFormSkin(void* window, const std::string& className, bool& skin);
    void ShowCaptionHint(const TRect& screenRect, const std::string& hint);
    void HideCaptionHint();
    bool HintShowing() const { return hintShowing_; }
    // Raised by the manager after it ran a request of this component.
    void SkinChanged();

    // ---- The model ----
    std::string SkinName;
    std::array<TColor, kSkinColourCount> SkinColours{};
    std::array<bool, kSkinColourCount> ColourGiven{};
    std::vector<TColor> ExtraColours;
    std::array<TColor, 10> CustomColours{};
    TColor FrameColour = SysColourRef(15);
    // Colour of the solid face brush (slot 3 at the last load).
    TColor FaceBrushColour = SysColourRef(15);
    TSkinFont CaptionFont;
    TBitmap32 AppIcon;
    TBitmap32 MenuGlyphs;
    int MaxWidth = 0;
    int MaxHeight = 0;

    TDataSkinBorder& Border(TBorderIndex i) { return *borders_[i]; }
    const TDataSkinBorder& Border(TBorderIndex i) const { return *borders_[i]; }
    TDataSkinTitle& Title() { return *title_; }
    const TDataSkinTitle& Title() const { return *title_; }
    TDataSkinButton& Buttons() { return *buttons_; }
    const TDataSkinButton& Buttons() const { return *buttons_; }
    std::vector<std::unique_ptr<TDataSkinSysButton>> CaptionButtons;

    // The elements of the element table (SkinElementTable.h); null when the skin gives no image.
    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> ProgressChunk;
    std::unique_ptr<TDataSkinObject> MenuBar;
    std::unique_ptr<TDataSkinObject> GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBar;
    std::unique_ptr<TDataSkinObject> TabPane;
    std::unique_ptr<TDataSkinObject> ToolBars;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge;
    std::unique_ptr<TDataSkinObject> ExtraImages;
    std::unique_ptr<TDataSkinObject> Header;
    std::unique_ptr<TDataSkinObject> MenuItem;
    std::unique_ptr<TDataSkinObject> MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar;
    std::unique_ptr<TDataSkinObject> HorzScroll;
    std::unique_ptr<TDataSkinObject> VertScroll;
    std::unique_ptr<TDataSkinObject> HorzScrollThumb;
    std::unique_ptr<TDataSkinObject> VertScrollThumb;
    std::unique_ptr<TDataSkinObject> TrackThumbHorz;
    std::unique_ptr<TDataSkinObject> TrackThumbVert;
    std::unique_ptr<TDataSkinObject> TrackThumbLeft;
    std::unique_ptr<TDataSkinObject> TrackThumbRight;
    std::unique_ptr<TDataSkinObject> TrackThumbUp;
    std::unique_ptr<TDataSkinObject> TrackThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz;
    std::unique_ptr<TDataSkinBorder> UpDownVert;
    std::unique_ptr<TDataSkinObject> Track;
    std::unique_ptr<TDataSkinObject> TrackVert;
    // Derived: the combo box drop-down arrow, and the toolbar background.
    std::unique_ptr<TDataSkinObject> ComboxArrow;
    std::unique_ptr<TDataSkinObject> Toolbar;

    // Every element present, in load order: borders, title, buttons, the element table, caption
    // buttons, then the derived ones.
    std::vector<const TDataSkinObject*> Elements() const;
    // Bytes of pixel memory of every image of the loaded skin.
    std::size_t ImageBytes() const;

private:
    void ClearSkin();
    void NotifyManagerOfNewSkin();

    bool active_ = false;
    bool reading_ = false;
    bool registered_ = false;
    bool skinUnloaded_ = true;
    bool hintShowing_ = false;
    std::string skinFile_;
    std::string lastError_;
    std::vector<std::uint8_t> stored_;
    std::array<std::unique_ptr<TDataSkinBorder>, 4> borders_;
    std::unique_ptr<TDataSkinTitle> title_;
    std::unique_ptr<TDataSkinButton> buttons_;
    std::unique_ptr<TSkinHintWindow> hintWindow_;
};
