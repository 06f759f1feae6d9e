#pragma once
// TSkinData: the component that carries a packed skin, loads it into elements, colours and derived
// images, and tells the skin manager when to skin or unskin the application's windows. Every
// painter reads its images, margins, frame counts and colours from here, never from the skin INI.
// Portable: platform facts (metrics, caption font, application icon, hint window) come from a
// TSkinPlatform, system colours through ImgUtil's resolver, the manager through SkinManagerApi.h.
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

class TQuickIni;
class TSkinReader;

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

// A reference to platform system colour `index`, resolved when drawn (ColourToRGB).
constexpr TColor SysColourRef(int index) {
    return TColor(std::uint32_t(0xFF000000u) | std::uint32_t(index & 0xFF));
}

// "Not given" for the caption text colours.
constexpr TColor kNoTextColour = 0x1FFFFFFF;

// ---- Element records ----------------------------------------------------------------------------

class TDataSkinObject {
public:
    explicit TDataSkinObject(std::string name) : Name(std::move(name)) {}
    virtual ~TDataSkinObject() = default;
    TDataSkinObject(const TDataSkinObject&) = delete;
    TDataSkinObject& operator=(const TDataSkinObject&) = delete;

    std::int32_t LeftWidth = 0;
    std::int32_t TopHeight = 0;
    std::int32_t RightWidth = 0;
    std::int32_t BottomHeight = 0;
    TBitmap32 Bitmap;
    std::int32_t Trans = 0;
    std::int32_t Tile = 0;
    std::string Name;
    std::int32_t FrameCount = 0;
    std::int32_t Style = 0;
    TColor NormalColour = -1;
    TColor MouseOverColour = -1;
    TColor PressedColour = -1;
    TColor NormalColour2 = SysColourRef(18);
    TColor MouseOverColour2 = SysColourRef(18);
    TColor PressedColour2 = SysColourRef(18);

    // Left, top, right, bottom widths as the painters take them.
    TRect Margins() const { return {LeftWidth, TopHeight, RightWidth, BottomHeight}; }
    // Width of one frame of a side-by-side strip (a frame count below 1 counts as 1).
    int FrameWidth() const;
};

class TDataSkinBorder : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    TBitmap32 Bitmap2;
};

class TDataSkinButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    TBitmap32 CheckBitmap;
    TBitmap32 RadioBitmap;
    std::int32_t RadioButtonFrame = 0;
    std::int32_t CheckButtonFrame = 0;
    std::uint8_t NormalColour2Given = 0;
    std::uint8_t MouseOverColour2Given = 0;
    std::uint8_t PressedColour2Given = 0;
};

// A caption button.
class TDataSkinSysButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    std::int32_t Action = 0;
    std::int32_t Align = 0;
    std::int32_t XCoord = 0;
    std::int32_t YCoord = 0;
    std::int32_t CombineOp = -1;
    std::int32_t Visibility = 0;
    std::int32_t Visibility1 = 0;
};

// A group box caption.
class TDataSkinBoxLabel : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    std::int32_t BackgroundLeftShift = 0;
    std::int32_t BackgroundRightShift = 0;
    std::int32_t BackgroundAlignment = 0;
};

// The caption text: LeftWidth is TextShift, TopHeight TextShiftVert, RightWidth TextRightClip and
// Bitmap the TextBack image.
class TDataSkinTitle : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    std::int32_t TextAlignment = 0;
    std::int32_t TextBackground = 0;
    std::int32_t FontHeight = 14;
    std::int32_t TextBackLeft = 0;
    std::int32_t TextBackRight = 0;
    TColor ActiveTextColour = kNoTextColour;
    TColor InactiveTextColour = kNoTextColour;
};

// ---- Colour table -------------------------------------------------------------------------------

enum TSkinColourSlot {
    scWindowText = 0,
    scTitleTextActive = 1,
    scTitleTextNoActive = 2,
    scButtonFace = 3,
    scButtonText = 4,
    scButtonHilight = 5,
    scButtonlight = 6,
    scButtonShadow = 7,
    scButtonDkShadow = 8,
    scHilightText = 11,
    scHilight = 12,
    scMenubar = 13,
    scMenuBarText = 14,
    scMenuText = 15,
    scMenu = 16,
    scScrollbar = 18,
};
constexpr int kSkinColourCount = 19;

// Red, green and blue from a text of up to three decimal numbers ("236 233 216"); numbers after
// the third are ignored.
TColor ParseColourText(const std::string& text);

// ---- Platform facts -----------------------------------------------------------------------------

struct TSkinFont {
    std::string Name = "Tahoma";
    std::int32_t Height = -11;
    std::int32_t Weight = 700;
    std::int32_t Charset = 1;
    bool Italic = false;
};

// The hint window that shows caption button hints.
class TSkinHintWindow {
public:
    virtual ~TSkinHintWindow() = default;
    // The rectangle the text needs, at the origin, at most `maxWidth` wide.
    virtual TRect CalcHintRect(int maxWidth, const std::string& text) = 0;
    virtual void ActivateHint(const TRect& screenRect, const std::string& text) = 0;
    virtual void ReleaseHandle() = 0;
};

// What the model needs to know about the platform. The base gives fixed values for the native
// build; the Win32 layer installs one that asks the system (UsePlatformSkinServices).
class TSkinPlatform {
public:
    virtual ~TSkinPlatform() = default;
    virtual bool HasScrollBarInfo() const { return true; }
    // Width of a horizontal scroll bar's arrow button.
    virtual int HorzScrollArrowWidth() const { return 16; }
    virtual int MaximizedWidth() const { return 1032; }
    virtual int MaximizedHeight() const { return 776; }
    virtual TSkinFont CaptionFont() const { return {}; }
    // The application's small icon (the big one when there is none) drawn at the small-icon size
    // onto magenta; empty when the application has no icon.
    virtual TBitmap32 ApplicationIcon() const { return {}; }
    virtual std::unique_ptr<TSkinHintWindow> CreateHintWindow() const { return nullptr; }
};

// Installs `platform` (not owned; null restores the built-in one) and returns the previous one.
TSkinPlatform* SetSkinPlatform(TSkinPlatform* platform);
TSkinPlatform& SkinPlatform();

// ---- Built-in images ----------------------------------------------------------------------------

// The 16 x 4 and 4 x 16 track grooves used when a skin has no [Track] or [TRACKVERT].
TBitmap32 BuiltinTrackBitmap(bool vertical);
// Four 16 x 16 glyphs side by side (restore, maximise, minimise, close), black on white; white is
// transparent.
TBitmap32 BuiltinMenuGlyphs();

// ---- The component ------------------------------------------------------------------------------

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
    static constexpr char kVersion[] = "5.40.07.15";
    static constexpr std::int32_t kDefaultDisableTag = 99;
    // A skin file larger than this is refused (skins are a few hundred KB).
    static constexpr std::size_t kMaxSkinFileSize = 64u * 1024u * 1024u;

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
    std::string SkinStore() const;
    void SetSkinStore(const std::string&) {}
    TSkinFormType SkinFormtype = sfMainform;
    std::string Version() const { return kVersion; }
    void SetVersion(const std::string&) {}
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

    // ---- Streaming ----
    // The SkinStream property: a 32-bit signed count, then that many bytes of packed skin. A count
    // of 0 or less means no skin. Reading loads the skin at once (unless designing). False when the
    // data is cut short; nothing is stored then.
    bool ReadSkinStream(const std::uint8_t* data, std::size_t size);
    std::vector<std::uint8_t> WriteSkinStream() const;
    // The stored packed skin.
    const std::vector<std::uint8_t>& StoredSkin() const { return stored_; }
    void SetStoredSkin(std::vector<std::uint8_t> packed) { stored_ = std::move(packed); }

    // Form streaming: properties set between BeginReading and Loaded do not reach the manager.
    void BeginReading() { reading_ = true; }
    bool Reading() const { return reading_; }
    void Loaded() override;
    void SetDesigning(bool designing) { designing_ = designing; }
    bool Designing() const { return designing_; }

    // ---- Loading ----
    // Loads the stored skin. False (the model emptied, SkinUnloaded set) when nothing is stored, the
    // stream is corrupt or the package is refused; LastLoadError() then says why.
    bool LoadSkin();
    const std::string& LastLoadError() const { return lastError_; }
    bool SkinUnloaded() const { return skinUnloaded_; }
    // Replaces `bitmap` with the package entry named by the file part of `name` when that ends in
    // ".bmp" exactly; empties it otherwise, or when the entry is missing, empty or not a bitmap.
    void LoadSkinBitmap(TBitmap32& bitmap, const std::string& name) const;

    // ---- Manager and frame services ----
    // `skin` is set by the caller beforehand; cleared when the window must stay unskinned.
    void QueryFormSkin(void* window, const std::string& className, bool& skin);
    void* LastQueriedWindow() const { return lastQueriedWindow_; }
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

    // Elements of the load table; null when the skin gives no image for them.
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

    // Every element present, in load order: borders, title, buttons, the load table, caption
    // buttons, then the derived ones.
    std::vector<const TDataSkinObject*> Elements() const;
    // The load-table element read from `section` (letter case ignored), or null.
    const TDataSkinObject* FindElement(const std::string& section) const;
    // Bytes of pixel memory of every image of the loaded skin.
    std::size_t ImageBytes() const;

    // The colour of the pixel at (width / 3, frame height / 3) of the Top border's image, or the
    // ButtonFace colour when it has none.
    TColor ComputeFrameColour() const;

private:
    // The elements of the load table that are present, in load order.
    std::vector<const TDataSkinObject*> TableElements() const;
    void ClearSkin();
    void ReadSkin(const TQuickIni& ini);
    void ReadBorders(const TQuickIni& ini);
    void ReadColours(const TQuickIni& ini, const std::vector<std::string>& sections);
    void ReadCaptionButtons(const TQuickIni& ini, const std::vector<std::string>& sections);
    void ReadButtons(const TQuickIni& ini);
    void ReadTitle(const TQuickIni& ini);
    void ReadElements(const TQuickIni& ini);
    void FixFrameCounts();
    void BuildComboFrames();
    void BuildComboArrow();
    void BuildToolbarBackground();
    void NotifyManagerOfNewSkin();

    bool active_ = false;
    bool reading_ = false;
    bool designing_ = false;
    bool registered_ = false;
    bool skinUnloaded_ = true;
    bool hintShowing_ = false;
    std::string skinFile_;
    std::string lastError_;
    std::vector<std::uint8_t> stored_;
    void* lastQueriedWindow_ = nullptr;
    std::array<std::unique_ptr<TDataSkinBorder>, 4> borders_;
    std::unique_ptr<TDataSkinTitle> title_;
    std::unique_ptr<TDataSkinButton> buttons_;
    std::unique_ptr<TSkinHintWindow> hintWindow_;
    // Only valid while LoadSkin runs.
    const TSkinReader* loadingReader_ = nullptr;
};
