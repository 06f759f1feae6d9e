#include "skin/rules/SkinControlMap.h"

#include "framework/AsciiText.h"

namespace {

using K = TSkinWrapperKind;

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool OneOf(const std::string& upper, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (upper == name) return true;
    return false;
}

TSkinMapDecision Take(K kind, bool changeColour = false) {
    TSkinMapDecision d;
    d.handled = true;
    d.kind = kind;
    d.changeColour = changeColour;
    return d;
}

// The skin when `member` is switched on, else a handled rule without a skin.
TSkinMapDecision TakeIf(bool on, K kind, bool changeColour = false) {
    return Take(on ? kind : K::None, on && changeColour);
}

TSkinMapDecision FromSkin3rd(const std::string& kind, const std::string& key, const TControlFacts& facts,
                             const TSkinSwitches& sw) {
    const TSkinControlTypes& c = sw.controls;
    TSkinMapDecision d;
    d.handled = true;
    if (kind == "combobox") return TakeIf(c.Has(xcCombo), K::ComBox);
    if (kind == "comboboxex") {
        d = TakeIf(c.Has(xcCombo), K::ComBox);
        d.extendedCombo = true;
        return d;
    }
    if (kind == "edit") return TakeIf(c.Has(xcEdit) && facts.hasBorder, K::Edit);
    if (kind == "radiobutton") return TakeIf(c.Has(xcRadioButton), K::RadioButton);
    if (kind == "panel" || kind == "trackbar") {
        const bool on = kind == "panel" ? c.Has(xcPanel) : c.Has(xcButton);
        d = TakeIf(on, kind == "panel" ? K::Box : K::TrackBar, kind == "panel");
        d.setTransparent = on;
        return d;
    }
    if (kind == "button") return TakeIf(c.Has(xcButton), K::Button);
    if (kind == "datetimepicker") return TakeIf(c.Has(xcCombo), K::DateTime);
    if (kind == "mediaplayer") return TakeIf(c.Has(xcButton), K::MP);
    if (kind == "bitbtn") {
        const bool menu = key == "tcxbutton" && SameTextAscii(facts.kindProperty, "cxbkDropDownButton");
        return TakeIf(c.Has(xcButton), menu ? K::MenuButton : K::BitButton);
    }
    if (kind == "pngbitbtn" || kind == "pngspeedbutton") {
        d = TakeIf(c.Has(xcButton), kind == "pngbitbtn" ? K::BitButton : K::SpeedButton);
        d.glyphProperty = "PngImage";
        return d;
    }
    if (kind == "menubtn") return TakeIf(c.Has(xcButton), K::MenuButton);
    if (kind == "speedbutton") return TakeIf(c.Has(xcSpeedButton), K::SpeedButton);
    if (kind == "tab") return TakeIf(c.Has(xcTab) && sw.tabsImage, K::Tab);
    if (kind == "progress") return TakeIf(c.Has(xcProgress), K::Progress);
    if (kind == "scrollbar" || kind == "singlescrollbar") {
        d = TakeIf(c.Has(xcScrollbar), K::Scrollbar);
        d.mapChildren = kind == "scrollbar";
        d.singleScrollbar = kind == "singlescrollbar";
        return d;
    }
    if (kind == "embedscrollbar") {
        if (c.Has(xcScrollbar)) {
            d.childKind = K::Scrollbar;
            d.childrenWithScrollBars = true;
        }
        return d;
    }
    if (kind == "container") {
        d.mapChildren = true;
        return d;
    }
    if (kind == "groupbox") return TakeIf(c.Has(xcGroupBox), K::GroupBox, true);
    if (kind == "advpagecontrol") return TakeIf(c.Has(xcTab), K::AdvPage, true);
    const bool trz = Contains(UpperAscii(facts.className), "TRZ");
    if (kind == "radiogroup") {
        if (!c.Has(xcGroupBox)) return d;
        if (c.Has(xcRadioButton)) {
            d.childKind = trz ? K::ObjImage : K::RadioButton;
            d.childObjImageKind = TObjImageKind::Radio;
        }
        d.kind = K::GroupBox;
        return d;
    }
    if (kind == "checkgroup") {
        if (!c.Has(xcPanel)) return d;
        // The check boxes of a check group follow the radio-button switch, as the skin files set it.
        if (c.Has(xcRadioButton)) {
            d.childKind = trz ? K::ObjImage : K::CheckBox;
            d.childObjImageKind = TObjImageKind::Check;
        }
        if (c.Has(xcGroupBox)) d.kind = K::GroupBox;
        return d;
    }
    if (kind == "checkbox") return TakeIf(c.Has(xcCheckBox), K::CheckBox);
    // "nil" and kinds this program does not know: left alone.
    return d;
}

// The stock framework names of the families that have a skin but no rule in the tables above,
// each under the switch of the family it resembles: header sections look like buttons, tool and
// cool bars are panels, list views and scroll boxes follow the scroll-bar switch.
TSkinMapDecision MapStockName(const std::string& name, const TSkinControlTypes& c) {
    struct TStockRule {
        const char* name;
        TSkinControlType on;
        K kind;
        bool mapChildren;
    };
    static const TStockRule rules[] = {
        {"THEADERCONTROL", xcButton, K::Header, false},
        {"TTRACKBAR", xcTrackBar, K::TrackBar, false},
        {"TLISTVIEW", xcScrollbar, K::ListView, false},
        {"TDATETIMEPICKER", xcCombo, K::DateTime, false},
        {"TSCROLLBOX", xcScrollbar, K::ScControl, true},
        {"TSCROLLBAR", xcScrollbar, K::Scrollbar, false},
        {"TTOOLBAR", xcToolbar, K::Box, true},
        {"TCOOLBAR", xcControlbar, K::Box, true},
        {"TPANEL", xcPanel, K::Box, true},
        {"TBITBTN", xcBitBtn, K::BitButton, false},
        {"TSPEEDBUTTON", xcSpeedButton, K::SpeedButton, false},
        {"TCHECKBOX", xcCheckBox, K::CheckBox, false},
        {"TRADIOBUTTON", xcRadioButton, K::RadioButton, false},
    };
    for (const TStockRule& rule : rules) {
        if (name != rule.name) continue;
        TSkinMapDecision d = TakeIf(c.Has(rule.on), rule.kind, rule.kind == K::Box);
        d.mapChildren = rule.mapChildren;
        return d;
    }
    return {};
}

} // namespace

TSkinSwitches SwitchesOf(const TSkinData& skin) {
    TSkinSwitches sw;
    sw.controls = skin.SkinControls;
    sw.disableTag = skin.DisableTag;
    sw.tabsImage = skin.Tabs && !skin.Tabs->Bitmap.Empty();
    sw.skin3rd = &skin.Skin3rd;
    return sw;
}

bool DisabledByTag(const std::string& className, std::int32_t tag, const TSkinSwitches& sw,
                   bool& tagChildren) {
    tagChildren = false;
    if (tag != sw.disableTag) return false;
    const std::string lower = LowerAscii(className);
    tagChildren = Contains(lower, "radiogroup") || Contains(lower, "checkgroup");
    return true;
}

std::string Skin3rdKind(const TStringList& list, const std::string& className, std::string* entryKey) {
    const std::string key = LowerAscii(className) + "=";
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const std::string entry = LowerAscii(list[i]);
        if (entry.compare(0, key.size(), key) != 0) continue;
        if (entryKey) *entryKey = key.substr(0, key.size() - 1);
        std::string kind = entry.substr(key.size(), 50);
        return kind.empty() ? "nil" : kind;
    }
    return {};
}

TSkinMapDecision MapControl(const TControlFacts& facts, const TSkinSwitches& sw) {
    const TSkinControlTypes& c = sw.controls;
    if (sw.skin3rd) {
        std::string key;
        const std::string kind = Skin3rdKind(*sw.skin3rd, facts.className, &key);
        if (!kind.empty()) return FromSkin3rd(kind, key, facts, sw);
    }
    const std::string name = UpperAscii(facts.className);
    if (OneOf(name, {"TDBCOMBOBOXEH", "TFRDESIGNERPAGE", "TFRPBOX"})) return Take(K::None);

    using C = TControlCategory;
    const C cat = facts.category;
    const bool tabs = c.Has(xcTab) && sw.tabsImage;
    if (cat == C::TabControl) return TakeIf(tabs, K::Tab);
    if (cat == C::PageControl) return TakeIf(tabs, facts.tabsAsButtons ? K::TabBtn : K::Tab);
    if (name == "TTABSET") return TakeIf(tabs, K::Tab31);
    if (cat == C::TabSheet) return TakeIf(tabs, K::TabSheet);
    if (name == "TTABBEDNOTEBOOK") return TakeIf(tabs, K::Tab);
    if (name == "TMVCPANEL") {
        TSkinMapDecision d = Take(K::None);
        d.mapChildren = true;
        return d;
    }
    if (OneOf(name, {"TUPDOWN", "TSPINBUTTON"})) return TakeIf(c.Has(xcSpin), K::UpDown);
    if (const TSkinMapDecision d = MapStockName(name, c); d.handled) return d;
    if (name == "TMEDIAPLAYER") return TakeIf(c.Has(xcButton), K::MP);
    if (name == "TDBNAVIGATOR") {
        TSkinMapDecision d = TakeIf(c.Has(xcPanel), K::Box, true);
        d.mapChildren = true;
        return d;
    }
    if (OneOf(name, {"TRZCHECKBOX", "TRZDBCHECKBOX", "TRZRADIOBUTTON", "TRZDBRADIOBUTTON", "TCXCHECKBOX",
                     "TCXDBCHECKBOX"})) {
        const bool radio = Contains(name, "RADIO");
        TSkinMapDecision d = TakeIf(c.Has(radio ? xcRadioButton : xcCheckBox), K::ObjImage);
        d.objImageKind = radio
                             ? TObjImageKind::Radio
                             : (name.compare(0, 3, "TCX") == 0 ? TObjImageKind::Third : TObjImageKind::Check);
        return d;
    }
    if (cat == C::GroupBox || cat == C::Panel) {
        TSkinMapDecision d =
            TakeIf(c.Has(xcPanel), cat == C::GroupBox ? K::GroupBox : K::Box, cat == C::Panel);
        d.mapChildren = true;
        return d;
    }
    if (cat == C::StatusBar) return TakeIf(c.Has(xcStatusBar), K::StatusBar);
    if (cat == C::ProgressBar) return TakeIf(c.Has(xcProgress), K::Progress);
    if (name == "TTNTCOMBOBOX") return TakeIf(c.Has(xcCombo), K::ComBox);
    if (OneOf(name,
              {"TRICHEDIT", "TWWDBRICHEDIT", "TDXDBMEMO", "TDXTREELIST", "TDXDBTREELIST", "TDXDBGRID"}) ||
        cat == C::Memo || cat == C::ListBox || facts.hasScrollBars)
        return TakeIf(c.Has(xcScrollbar), K::Scrollbar);
    if (cat == C::Button) return TakeIf(c.Has(xcButton), K::Button);
    if (OneOf(name, {"TDCEDIT", "TDCDBEDIT"})) {
        if (facts.numButtons == 1) return TakeIf(c.Has(xcCombo), K::ComBox);
        if (facts.numButtons == 0) {
            TSkinMapDecision d = TakeIf(c.Has(xcEdit), K::Edit);
            d.attachToWindow = true;
            return d;
        }
        return Take(K::None);
    }
    if (cat == C::Edit) return TakeIf(c.Has(xcEdit), K::Edit);
    if (cat == C::Form) {
        TSkinMapDecision d = Take(K::Box, true);
        d.mapChildren = true;
        return d;
    }
    return {};
}

TSkinMapDecision MapWindowClass(const std::string& windowClass, std::uint32_t style,
                                const TSkinSwitches& sw) {
    constexpr std::uint32_t kTabStop = 0x00010000u, kButtonTypeMask = 0x0Fu, kBitmapStyle = 0x80u;
    const TSkinControlTypes& c = sw.controls;
    const std::string cls = LowerAscii(windowClass);
    if (cls == "button") {
        const std::uint32_t type = style & kButtonTypeMask;
        if (type == 0x0B /* owner-drawn */ || type == 0x07 /* group box */ || (style & kBitmapStyle))
            return Take(K::None);
        if (type == 0x02 || type == 0x03 || type == 0x05 || type == 0x06)
            return TakeIf(c.Has(xcCheckBox), K::CheckBox);
        if (type == 0x04 || type == 0x09) return TakeIf(c.Has(xcRadioButton), K::RadioButton);
        return TakeIf(c.Has(xcButton), K::Button);
    }
    if (cls == "combobox") return TakeIf(c.Has(xcCombo) && (style & 0x3u) != 0x1u /* simple */, K::ComBox);
    if (cls == "comboboxex32") {
        TSkinMapDecision d = TakeIf(c.Has(xcCombo), K::ComBox);
        d.onFirstChild = true;
        return d;
    }
    // Only size boxes and grips: a plain scroll-bar control filled with ButtonFace could no
    // longer be used.
    if (cls == "scrollbar") return TakeIf(!(style & kTabStop) && (style & 0x18u) != 0, K::Sizer);
    if (cls == "systreeview32") return Take(K::None);
    if (cls == "#32770") {
        if (style & kTabStop) return Take(K::None);
        TSkinMapDecision d = Take(K::BoxH);
        d.mapChildren = true;
        return d;
    }
    if (cls == "tpanel" || cls == "ttntpanel.unicodeclass" || cls == "ttntsilentpaintpanel.unicodeclass") {
        TSkinMapDecision d = Take(K::None);
        d.mapChildren = true;
        d.colourToFace = true;
        return d;
    }
    if (cls == "tcheckbox") return TakeIf(c.Has(xcCheckBox), K::CheckBox);
    if (cls == "tcombobox") return TakeIf(c.Has(xcCombo), K::ComBox);
    if (cls == "tbutton") return TakeIf(c.Has(xcButton), K::Button);
    if (cls == "tprogressbar") return Take(K::Progress);
    if (cls == "tsilentpaintpanel") {
        TSkinMapDecision d = Take(K::None);
        d.colourToFace = true;
        return d;
    }
    if (cls == "systabcontrol32") return TakeIf(c.Has(xcTab) && !(style & 0x2000u) /* owner-drawn */, K::Tab);
    if (cls == "toolbarwindow32") return Take(K::BoxH);
    if (cls == "edit") return TakeIf(c.Has(xcEdit), K::Edit);
    return {};
}

const char* WrapperKindName(TSkinWrapperKind kind) {
    static const char* const names[] = {
        "None",          "TSkinButton",      "TSkinBitButton", "TSkinMenuButton", "TSkinSpeedButton",
        "TSkinCheckBox", "TSkinRadioButton", "TSkinObjImage",  "TSkinGroupBox",   "TSkinBox",
        "TSkinBoxH",     "TSkinStatusBar",   "TSkinTab",       "TSkinTab31",      "TSkinTabSheet",
        "TSkinTabBtn",   "TSkinAdvPage",     "TSkinTrackBar",  "TSkinUpDown",     "TSkinProgress",
        "TSkinEdit",     "TSkinComBox",      "TSkinDateTime",  "TSkinScrollbar",  "TSkinScrollbarH",
        "TSkinListView", "TComboxScrollBar", "TSkinHeader",    "TSkinSizer",      "TSkinScControl",
        "TSkinMP"};
    const auto i = static_cast<std::size_t>(kind);
    return i < sizeof(names) / sizeof(names[0]) ? names[i] : "?";
}
