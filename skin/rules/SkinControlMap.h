#pragma once
// Which control skin a control or window gets: the rules for framework controls, for bare windows
// by their window class, and the program's own list of further classes (Skin3rd). Portable: the
// rules see only names, styles and switches; the Win32 walk asks them and makes the skins.
#include <cstdint>
#include <string>

#include "framework/StringList.h"
#include "skin/model/WinSkinData.h"

// Every member of the control skin family.
enum class TSkinWrapperKind {
    None,
    Button,
    BitButton,
    MenuButton,
    SpeedButton,
    CheckBox,
    RadioButton,
    ObjImage,
    GroupBox,
    Box,
    BoxH,
    StatusBar,
    Tab,
    Tab31,
    TabSheet,
    TabBtn,
    AdvPage,
    TrackBar,
    UpDown,
    Progress,
    Edit,
    ComBox,
    DateTime,
    Scrollbar,
    ScrollbarH,
    ListView,
    ComboxScrollBar,
    Header,
    Sizer,
    ScControl,
    MP,
};

// The three kinds of foreign check and radio boxes that TSkinObjImage draws.
enum class TObjImageKind { Check, Radio, Third };

// What the walk knows of a framework control. The category is the control's family as a class
// test sees it (descendants included); names are tested by `className`.
enum class TControlCategory {
    Other,
    TabControl,
    PageControl,
    TabSheet,
    GroupBox,
    Panel,
    StatusBar,
    ProgressBar,
    Memo,
    ListBox,
    Button,
    Edit,
    Form,
};

struct TControlFacts {
    std::string className;
    TControlCategory category = TControlCategory::Other;
    bool hasScrollBars = false; // the window style shows a horizontal or vertical bar
    bool hasBorder = false;     // window rectangle larger than the client rectangle
    bool tabsAsButtons = false; // page control whose tabs are buttons
    std::string kindProperty;   // the control's `Kind` property, when it has one
    int numButtons = -1;        // `NumButtons`, -1 when the control has none
};

// The skin's switches the rules read.
struct TSkinSwitches {
    TSkinControlTypes controls;
    std::int32_t disableTag = TSkinData::kDefaultDisableTag;
    bool tabsImage = false; // the Tabs element has an image
    const TStringList* skin3rd = nullptr;
};

TSkinSwitches SwitchesOf(const TSkinData& skin);

struct TSkinMapDecision {
    // A rule took the control: nothing later is asked (even when it made no skin).
    bool handled = false;
    TSkinWrapperKind kind = TSkinWrapperKind::None;
    bool changeColour = false;
    // The control's children are mapped too.
    bool mapChildren = false;
    // Each child gets this skin (radio and check groups); with childrenWithScrollBars only the
    // children that show scroll bars get it.
    TSkinWrapperKind childKind = TSkinWrapperKind::None;
    bool childrenWithScrollBars = false;
    TObjImageKind objImageKind = TObjImageKind::Check;
    TObjImageKind childObjImageKind = TObjImageKind::Check;
    // The control's `Transparent` property is set to "True" first.
    bool setTransparent = false;
    bool singleScrollbar = false;
    bool extendedCombo = false;
    // The glyph comes from this named property rather than `Glyph`.
    std::string glyphProperty;
    // Attach to the window rather than the control (TDCEDIT without buttons).
    bool attachToWindow = false;
    // Bare windows: the skin goes on the first child window (extended combo boxes).
    bool onFirstChild = false;
    // Bare windows: the panel's colour becomes ButtonFace, no skin object.
    bool colourToFace = false;
};

// The control's Tag is the skin's DisableTag: leave it alone. `tagChildren` tells whether its
// children are to get the DisableTag too (radio and check groups).
bool DisabledByTag(const std::string& className, std::int32_t tag, const TSkinSwitches& sw,
                   bool& tagChildren);

// The kind a Skin3rd entry gives `className` ("nil", "panel", ...), lower case; empty when no
// entry names it.
std::string Skin3rdKind(const TStringList& list, const std::string& className,
                        std::string* entryKey = nullptr);

// Skin3rd, the names never mapped, then the built-in rules.
TSkinMapDecision MapControl(const TControlFacts& facts, const TSkinSwitches& sw);

// A bare window by its window class and style.
TSkinMapDecision MapWindowClass(const std::string& windowClass, std::uint32_t style, const TSkinSwitches& sw);

const char* WrapperKindName(TSkinWrapperKind kind);
