#include "skin/model/WinSkinData.h"

#include "framework/AsciiText.h"
#include "framework/ByteOrder.h"
#include "framework/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <type_traits>

#include "skin/model/ImgUtil.h"
#include "skin/format/LZH.h"
#include "skin/model/SkinManagerApi.h"
#include "skin/format/SkinRead.h"
#include "skin/format/WinSkinIni.h"

// ---- Skin manager provider ----------------------------------------------------------------------

namespace {
TSkinManagerFactory& ManagerFactory() {
    static TSkinManagerFactory factory;
    return factory;
}
std::unique_ptr<TSkinManagerApi>& ManagerInstance() {
    static std::unique_ptr<TSkinManagerApi> manager;
    return manager;
}
} // namespace

TSkinManagerFactory SetSkinManagerFactory(TSkinManagerFactory factory) {
    TSkinManagerFactory previous = std::move(ManagerFactory());
    ManagerFactory() = std::move(factory);
    return previous;
}

TSkinManagerApi* CurrentSkinManager() {
    return ManagerInstance().get();
}

TSkinManagerApi* EnsureSkinManager() {
    if (!ManagerInstance() && ManagerFactory()) ManagerInstance() = ManagerFactory()();
    return ManagerInstance().get();
}

void DestroySkinManager() {
    ManagerInstance().reset();
}

// ---- Platform -----------------------------------------------------------------------------------

namespace {
TSkinPlatform& BuiltinPlatform() {
    static TSkinPlatform platform;
    return platform;
}
TSkinPlatform*& InstalledPlatform() {
    static TSkinPlatform* platform = nullptr;
    return platform;
}
} // namespace

TSkinPlatform* SetSkinPlatform(TSkinPlatform* platform) {
    TSkinPlatform* previous = InstalledPlatform();
    InstalledPlatform() = platform;
    return previous;
}

TSkinPlatform& SkinPlatform() {
    return InstalledPlatform() ? *InstalledPlatform() : BuiltinPlatform();
}

// ---- Helpers ------------------------------------------------------------------------------------

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// A colour given as text, or `fallback` when the key is missing or empty.
TColor ReadColourText(const TQuickIni& ini, const std::string& section, const std::string& key,
                      TColor fallback) {
    const std::string text = ini.ReadString(section, key, "");
    return text.empty() ? fallback : ParseColourText(text);
}

void ResetObject(TDataSkinObject& o, TColor buttonText) {
    o.LeftWidth = o.TopHeight = o.RightWidth = o.BottomHeight = 0;
    o.Bitmap.Clear();
    o.Trans = o.Tile = o.FrameCount = o.Style = 0;
    o.NormalColour = o.MouseOverColour = o.PressedColour = -1;
    o.NormalColour2 = o.MouseOverColour2 = o.PressedColour2 = buttonText;
}

struct TColourKey {
    int slot;
    const char* key;
    int sysIndex; // -1: the ButtonFace slot as read
};

// In reading order: Menubar defaults to the ButtonFace value read before it.
constexpr TColourKey kColourKeys[] = {
    {scWindowText, "WindowText", 8},
    {scTitleTextActive, "TitleTextActive", 9},
    {scTitleTextNoActive, "TitleTextNoActive", 19},
    {scButtonFace, "ButtonFace", 15},
    {scButtonText, "ButtonText", 18},
    {scButtonHilight, "ButtonHilight", 20},
    {scButtonlight, "Buttonlight", 20},
    {scButtonShadow, "ButtonShadow", 16},
    {scButtonDkShadow, "ButtonDkShadow", 21},
    {scHilightText, "HilightText", 14},
    {scHilight, "Hilight", 13},
    {scMenubar, "Menubar", -1},
    {scMenuBarText, "MenuBarText", 7},
    {scMenuText, "MenuText", 7},
    {scMenu, "Menu", 4},
    {scScrollbar, "Scrollbar", 0},
};

std::array<TColor, kSkinColourCount> DefaultColours() {
    std::array<TColor, kSkinColourCount> c{};
    for (const TColourKey& k : kColourKeys)
        c[size_t(k.slot)] = SysColourRef(k.sysIndex < 0 ? 15 : k.sysIndex);
    // Never read from a skin: the window, window frame and highlight system colours.
    c[9] = SysColourRef(5);
    c[10] = SysColourRef(6);
    c[17] = SysColourRef(13);
    return c;
}

} // namespace

TColor ParseColourText(const std::string& text) {
    const std::string s = TrimAscii(text);
    int components[3] = {0, 0, 0};
    int stored = 0;
    std::string run;
    auto store = [&] {
        // Components past blue have no place; they are ignored. A long run keeps its low digits
        // only as far as the modulo needs them.
        if (stored < 3) {
            int value = 0;
            for (char c : run)
                value = (value * 10 + (c - '0')) % 256;
            components[stored] = value;
        }
        ++stored;
        run.clear();
    };
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            run += c;
        } else if (!run.empty()) {
            store();
        }
    }
    if (!run.empty() && stored == 2) store();
    return RGBColour(components[0], components[1], components[2]);
}

int TDataSkinObject::FrameWidth() const {
    return Bitmap.Width() / std::max(FrameCount, 1);
}

// ---- Built-in images ----------------------------------------------------------------------------

TBitmap32 BuiltinTrackBitmap(bool vertical) {
    // A sunken groove: shadow on the outer top/left lines, highlight on the bottom/right ones.
    const TColor shadow = RGBColour(128, 128, 128), dark = RGBColour(64, 64, 64);
    const TColor light = RGBColour(255, 255, 255), face = RGBColour(212, 208, 200);
    TBitmap32 b(16, 4, face);
    for (int x = 0; x < 16; ++x) {
        b.SetPixel(x, 0, shadow);
        b.SetPixel(x, 1, dark);
        b.SetPixel(x, 3, light);
    }
    b.SetPixel(0, 2, shadow);
    b.SetPixel(15, 2, light);
    if (vertical) RotateLeft(b), FlipBitmap(b);
    b.SetPixelFormat(TPixelFormat::pf24bit);
    return b;
}

TBitmap32 BuiltinMenuGlyphs() {
    TBitmap32 b(64, 16, clWhite);
    auto rect = [&](int ox, int x0, int y0, int x1, int y1, bool thickTop) {
        for (int x = x0; x <= x1; ++x) {
            b.SetPixel(ox + x, y0, clBlack);
            if (thickTop) b.SetPixel(ox + x, y0 + 1, clBlack);
            b.SetPixel(ox + x, y1, clBlack);
        }
        for (int y = y0; y <= y1; ++y) {
            b.SetPixel(ox + x0, y, clBlack);
            b.SetPixel(ox + x1, y, clBlack);
        }
    };
    // Restore: two overlapping windows.
    rect(0, 6, 3, 12, 8, true);
    b.FillRect({3, 6, 10, 13}, clWhite);
    rect(0, 3, 6, 9, 12, true);
    // Maximise.
    rect(16, 3, 3, 12, 12, true);
    // Minimise.
    b.FillRect({32 + 4, 10, 32 + 10, 12}, clBlack);
    // Close.
    for (int i = 0; i < 8; ++i) {
        for (int t = 0; t < 2; ++t) {
            b.SetPixel(48 + 4 + i + t, 4 + i, clBlack);
            b.SetPixel(48 + 11 - i + t, 4 + i, clBlack);
        }
    }
    b.SetPixelFormat(TPixelFormat::pf1bit);
    return b;
}

// ---- TSkinData ----------------------------------------------------------------------------------

TSkinControlTypes TSkinData::DefaultSkinControls() {
    TSkinControlTypes s = TSkinControlTypes::FromBits((1u << (xcSystemMenu + 1)) - 1);
    s.Exclude(xcMenuItem);
    return s;
}

TSkinOptions TSkinData::DefaultOptions() {
    return {xoPreview, xoToolbarBK, xoCaptionButtonHint};
}

std::vector<std::string> TSkinData::DefaultSkin3rd() {
    return {
        "TCategoryButtons=scrollbar",
        "TVirtualStringTree=scrollbar",
        "TVirtualDrawTree=scrollbar",
        "TAdvPanelGroup=scrollbar",
        "THTMLViewer=scrollbar",
        "TDBCtrlGrid=scrollbar",
        "TImageEnMView=scrollbar",
        "TImageEnView=scrollbar",
        "TAdvMemo=scrollbar",
        "TDBAdvMemo=scrollbar",
        "TPngSpeedbutton=pngspeedbutton",
        "TPngBitBtn=pngbitbtn",
        "TTBXDockablePanel=Panel",
        "TControlBar=Panel",
        "TTBDock=Panel",
        "TTBToolbar=Panel",
        "TRzGroup=Panel",
        "TLMDCalculator=panel",
        "TLMDGROUPBOX=panel",
        "TLMDSIMPLEPANEL=panel",
        "TLMDDBCalendar=panel",
        "TLMDButtonPanel=panel",
        "TLMDLMDCalculator=panel",
        "TLMDHeaderPanel=panel",
        "TLMDTechnicalLine=panel",
        "TLMDLMDClock=panel",
        "TLMDTrackbar=panel",
        "TComboboxex=combobox",
        "TcxDBLookupComboBox=combobox",
        "TcxDBComboBox=combobox",
        "TcxDBDateEdit=combobox",
        "TcxDBImageComboBox=combobox",
        "TcxDBCalcEdit=combobox",
        "TcxDBBlobEdit=combobox",
        "TcxDBPopupEdit=combobox",
        "TcxDBFontNameComboBox=combobox",
        "TcxDBShellComboBox=combobox",
        "TRxLookupEdit=combobox",
        "TRxDBLookupCombo=combobox",
        "TRzDateTimeEdit=combobox",
        "TRzColorEdit=combobox",
        "TRzDateTimePicker=combobox",
        "TRzDBDateTimeEdit=combobox",
        "TRzDbColorEdit=combobox",
        "TRzDBDateTimePicker=combobox",
        "TLMDListCombobox=Combobox",
        "TLMDCheckListCombobox=Combobox",
        "TLMDHeaderListCombobox=Combobox",
        "TLMDImageCombobox=Combobox",
        "TLMDColorCombobox=Combobox",
        "TLMDFontCombobox=Combobox",
        "TLMDFontSizeCombobox=Combobox",
        "TLMDFontSizeCombobox=Combobox",
        "TLMDPrinterCombobox=Combobox",
        "TLMDDriveCombobox=Combobox",
        "TLMDCalculatorComboBox=Combobox",
        "TLMDTrackBarComboBox=Combobox",
        "TLMDCalendarComboBox=Combobox",
        "TLMDTreeComboBox=Combobox",
        "TDBLookupCombobox=combobox",
        "TWWDBCombobox=combobox",
        "TWWDBCombobox=combobox",
        "TWWDBLookupCombo=combobox",
        "TWWKeyCombo=combobox",
        "TWWTempKeyCombo=combobox",
        "TWWDBDateTimePicker=combobox",
        "TRxSpeedButton=speedbutton",
        "TfrSpeedButton=speedbutton",
        "TfrTBButton=speedbutton",
        "TRzButton=button",
        "TRzBitbtn=bitbtn",
        "TLMDButton=bitbtn",
        "TcxButton=bitbtn",
        "TRzMenuButton=menubtn",
        "TRzCheckGroup=checkgroup",
        "TLMDCheckGroup=checkgroup",
        "TLMDDBCheckGroup=checkgroup",
        "TRzRadioGroup=radiogroup",
        "TRzDBRadioGroup=radiogroup",
        "TLMDRADIOGROUP=radiogroup",
        "TLMDDBRADIOGROUP=radiogroup",
        "TWWRADIOGROUP=radiogroup",
        "TcxDBRadioGroup=radiogroup",
        "TcxRadioGroup=radiogroup",
        "TRzButtonEdit=edit",
        "TLMDCalculatorEdit=edit",
        "TLMDEDIT=EDIT",
        "TLMDMASKEDIT=EDIT",
        "TLMDBROWSEEDIT=EDIT",
        "TLMDEXTSPINEDIT=EDIT",
        "TLMDCALENDAREDIT=EDIT",
        "TLMDFILEOPENEDIT=EDIT",
        "TLMDFILESAVEEDIT=EDIT",
        "TLMDCOLOREDIT=EDIT",
        "TLMDDBEDIT=EDIT",
        "TLMDDBMASKEDIT=EDIT",
        "TLMDDBEXTSPINEDIT=EDIT",
        "TLMDDBSPINEDIT=EDIT",
        "TLMDDBEDITDBLookup=EDIT",
        "TLMDEDITDBLookup=EDIT",
        "TWWDBEDIT=EDIT",
        "TOVCPICTUREFIELD=EDIT",
        "TOVCDBPICTUREFIELD=EDIT",
        "TOVCSLIDEREDIT=EDIT",
        "TOVCDBSLIDEREDIT=EDIT",
        "TOVCSIMPLEFIELD=EDIT",
        "TOVCDBSIMPLEFIELD=EDIT",
        "TO32DBFLEXEDIT=EDIT",
        "TOVCNUMERICFIELD=EDIT",
        "TOVCDBNUMERICFIELD=EDIT",
        "TRzDBRadioButton=radiobutton",
        "TLMDRadiobutton=radiobutton",
        "TLMDGroupBox=groupbox",
        "TcxGroupbox=groupbox",
        "TDBCheckboxEh=checkbox",
        "TDBCheckboxEh=checkbox",
        "TLMDCHECKBOX=checkbox",
        "TLMDDBCHECKBOX=checkbox",
    };
}

TSkinData::TSkinData(TComponent* owner) : TComponent(owner) {
    for (const std::string& entry : DefaultSkin3rd())
        Skin3rd.Add(entry);
    borders_[bdLeft] = std::make_unique<TDataSkinBorder>("Left");
    borders_[bdRight] = std::make_unique<TDataSkinBorder>("Right");
    borders_[bdTop] = std::make_unique<TDataSkinBorder>("Top");
    borders_[bdBottom] = std::make_unique<TDataSkinBorder>("Bottom");
    title_ = std::make_unique<TDataSkinTitle>("Title");
    buttons_ = std::make_unique<TDataSkinButton>("Buttons");
    SkinColours = DefaultColours();
    CustomColours.fill(clWhite);
    AppIcon.SetPixelFormat(TPixelFormat::pf24bit);
    MenuGlyphs = BuiltinMenuGlyphs();
    const TSkinPlatform& platform = SkinPlatform();
    hintWindow_ = platform.CreateHintWindow();
    MaxWidth = platform.MaximizedWidth();
    MaxHeight = platform.MaximizedHeight();
}

TSkinData::~TSkinData() {
    if (TSkinManagerApi* manager = CurrentSkinManager()) manager->UnregisterSkinData(this);
    if (hintWindow_ && hintShowing_) hintWindow_->ReleaseHandle();
}

std::string TSkinData::SkinStore() const {
    return designing_ && !stored_.empty() ? "(Good)" : "(none)";
}

bool TSkinData::ReadSkinStream(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return false;
    const std::int32_t count = std::int32_t(ReadLe32(data));
    if (count <= 0) return true;
    if (std::size_t(count) > size - 4) return false;
    stored_.assign(data + 4, data + 4 + count);
    if (!designing_) LoadSkin();
    return true;
}

std::vector<std::uint8_t> TSkinData::WriteSkinStream() const {
    const std::uint32_t count = std::uint32_t(std::min<std::size_t>(stored_.size(), 0x7FFFFFFF));
    std::vector<std::uint8_t> out;
    out.reserve(4 + count);
    PutLe32(out, count);
    out.insert(out.end(), stored_.begin(), stored_.begin() + std::ptrdiff_t(count));
    return out;
}

void TSkinData::Loaded() {
    reading_ = false;
    TComponent::Loaded();
    if (designing_) return;
    const TSkinPlatform& platform = SkinPlatform();
    if (!platform.HasScrollBarInfo()) SkinControls.Exclude(xcScrollbar);
    TSkinManagerApi* manager = EnsureSkinManager();
    if (manager && !registered_) {
        manager->RegisterSkinData(this);
        registered_ = true;
    }
    CaptionFont = platform.CaptionFont();
    if (SkinFormtype == sfMainform) {
        if (manager) manager->InstallCbtHook();
        if (active_) {
            if (skinUnloaded_)
                active_ = false;
            else if (manager)
                manager->RequestAction(saSkinAll, kSkinActionDelay);
        }
        if (SkinControls.Has(xcMainMenu))
            SkinControls.Exclude(xcMenuItem);
        else
            SkinControls.Exclude(xcSystemMenu);
        AppIcon = platform.ApplicationIcon();
        AppIcon.SetPixelFormat(TPixelFormat::pf24bit);
    } else if (manager) {
        manager->ServeSingleForm();
        if (Owner() && active_) manager->TrySkinOwnerForm(Owner());
    }
}

void TSkinData::SetActive(bool value) {
    if (value == active_) return;
    if (designing_ || reading_) {
        active_ = value;
        return;
    }
    TSkinManagerApi* manager = CurrentSkinManager();
    switch (SkinFormtype) {
    case sfOnlyThisForm:
        active_ = value;
        if (manager) {
            manager->SetActionRequester(this);
            if (!(value && skinUnloaded_))
                manager->RequestAction(value ? saSkinAll : saUnskinAll, kSkinActionDelay);
        }
        break;
    case sfMainform:
        // Switching on without a skin would only pretend: the manager skins nothing without one.
        if (value && skinUnloaded_) return;
        active_ = value;
        if (manager) {
            manager->SetActionRequester(this);
            manager->RequestAction(value ? saSkinAll : saUnskinAll, kSkinActionDelay);
            if (value) manager->MarkActive();
        }
        break;
    default:
        active_ = value;
        break;
    }
}

void TSkinData::SetSkinFile(const std::string& fileName) {
    skinUnloaded_ = true;
    skinFile_ = fileName;
    if (designing_) {
        if (!fileName.empty()) stored_.clear();
        return;
    }
    std::string content;
    switch (ReadFileBytes(fileName, kMaxSkinFileSize, content)) {
    case TFileRead::Ok:
        break;
    case TFileRead::NotAFile:
        return;
    case TFileRead::TooLarge:
        lastError_ = "skin file cannot be read or is too large: " + fileName;
        return;
    case TFileRead::Failed:
        lastError_ = "skin file cannot be read: " + fileName;
        return;
    }
    stored_.assign(content.begin(), content.end());
    LoadSkin();
    if (!reading_) NotifyManagerOfNewSkin();
}

void TSkinData::NotifyManagerOfNewSkin() {
    if (!CurrentSkinManager()) Loaded();
    TSkinManagerApi* manager = CurrentSkinManager();
    if (!manager) return;
    manager->SetActionRequester(this);
    manager->PurgeSkinnedForms();
    if (manager->SkinningEnabled()) manager->RequestAction(saRefresh, kSkinActionDelay);
}

void TSkinData::SkinChanged() {
    if (OnSkinChanged) OnSkinChanged(this);
}

void TSkinData::QueryFormSkin(void* window, const std::string& className, bool& skin) {
    lastQueriedWindow_ = window;
    if (OnFormSkin) {
        OnFormSkin(this, className, skin);
        return;
    }
    if (className == "SysMonthCal32" || (SkinControls.Has(xcFastReport) && StartsWith(className, "Tfr")))
        skin = false;
}

void TSkinData::ShowCaptionHint(const TRect& screenRect, const std::string& hint) {
    if (!Options.Has(xoCaptionButtonHint) || hintShowing_ || !hintWindow_) return;
    const TRect r = hintWindow_->CalcHintRect(500, hint);
    hintWindow_->ActivateHint(r.Offset(screenRect.Left - r.Left, screenRect.Top - r.Top), hint);
    hintShowing_ = true;
}

void TSkinData::HideCaptionHint() {
    if (!hintShowing_) return;
    if (hintWindow_) hintWindow_->ReleaseHandle();
    hintShowing_ = false;
}

// ---- Loading ------------------------------------------------------------------------------------

void TSkinData::ClearSkin() {
    SkinName.clear();
    SkinColours = DefaultColours();
    ColourGiven.fill(false);
    ExtraColours.clear();
    CustomColours.fill(clWhite);
    const TColor buttonText = SkinColours[scButtonText];
    for (auto& b : borders_) {
        ResetObject(*b, buttonText);
        b->Bitmap2.Clear();
    }
    ResetObject(*title_, buttonText);
    title_->TextAlignment = title_->TextBackground = title_->TextBackLeft = title_->TextBackRight = 0;
    title_->FontHeight = 14;
    title_->ActiveTextColour = title_->InactiveTextColour = kNoTextColour;
    ResetObject(*buttons_, buttonText);
    buttons_->CheckBitmap.Clear();
    buttons_->RadioBitmap.Clear();
    buttons_->RadioButtonFrame = buttons_->CheckButtonFrame = 0;
    buttons_->NormalColour2Given = buttons_->MouseOverColour2Given = buttons_->PressedColour2Given = 0;
    CaptionButtons.clear();
    for (auto* e : {&ProgressChunk,   &MenuBar,        &GroupBoxEdge,   &StatusBar,      &TabPane,
                    &ToolBars,        &SunkEdge,       &ExtraImages,    &Header,         &MenuItem,
                    &MenuBackground,  &Scrollbar,      &HorzScroll,     &VertScroll,     &HorzScrollThumb,
                    &VertScrollThumb, &TrackThumbHorz, &TrackThumbVert, &TrackThumbLeft, &TrackThumbRight,
                    &TrackThumbUp,    &TrackThumbDown, &Track,          &TrackVert})
        e->reset();
    for (auto* e : {&Progress, &Tabs, &ComboButton, &UpDownHorz, &UpDownVert})
        e->reset();
    GroupBox.reset();
    // The derived elements are kept as objects (painters may hold them) but lose their images.
    for (auto* e : {&ComboxArrow, &Toolbar})
        if (*e) {
            (*e)->Bitmap.Clear();
            (*e)->FrameCount = 1;
        }
    FrameColour = SkinColours[scButtonFace];
    FaceBrushColour = SkinColours[scButtonFace];
}

bool TSkinData::LoadSkin() {
    skinUnloaded_ = true;
    lastError_.clear();
    if (designing_) return false;
    ClearSkin();
    if (stored_.empty()) {
        lastError_ = "no skin stored";
        return false;
    }
    TSkinReader reader;
    try {
        if (!reader.LoadPackage(stored_)) {
            lastError_ = "the skin package is unreadable or of an unknown version";
            return false;
        }
        std::vector<std::uint8_t> entry;
        std::string iniName;
        TQuickIni ini;
        reader.FindEntry(".ini", entry, iniName);
        ini.LoadFromStream(&entry, 0);
        loadingReader_ = &reader;
        ReadSkin(ini);
        loadingReader_ = nullptr;
    } catch (const std::bad_alloc&) {
        lastError_ = "out of memory while loading the skin";
    } catch (const std::exception& e) {
        lastError_ = std::string("the skin stream is corrupt: ") + e.what();
    }
    loadingReader_ = nullptr;
    if (!lastError_.empty()) {
        ClearSkin();
        skinUnloaded_ = true;
        return false;
    }
    return true;
}

void TSkinData::LoadSkinBitmap(TBitmap32& bitmap, const std::string& name) const {
    bitmap.Clear();
    const size_t slash = name.find_last_of("\\/:");
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = file.find_last_of('.');
    if (file.empty() || dot == std::string::npos || file.substr(dot) != ".bmp") return;
    if (!loadingReader_) return;
    std::vector<std::uint8_t> entry;
    loadingReader_->ExtractEntry(file, entry);
    if (entry.empty()) return;
    TBitmap32 loaded;
    if (loaded.LoadFromBytes(entry.data(), entry.size())) bitmap = std::move(loaded);
}

void TSkinData::ReadSkin(const TQuickIni& ini) {
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    SkinName = ini.ReadString("TitlebarSkin", "SkinName", "");
    ReadBorders(ini);
    ReadColours(ini, sections);
    ReadCaptionButtons(ini, sections);
    ReadButtons(ini);
    ReadTitle(ini);
    ReadElements(ini);
    FixFrameCounts();
    BuildComboFrames();
    BuildComboArrow();
    // The toolbar background is tinted by the frame colour, so that comes from this skin first.
    FrameColour = ComputeFrameColour();
    BuildToolbarBackground();
    FaceBrushColour = SkinColours[scButtonFace];
    skinUnloaded_ = false;
}

void TSkinData::ReadBorders(const TQuickIni& ini) {
    static const char* const names[4] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        const std::string n = names[i];
        TDataSkinBorder& b = *borders_[size_t(i)];
        LoadSkinBitmap(b.Bitmap, ini.ReadString("Personality", n, ""));
        b.FrameCount = ini.ReadInteger("Personality", n + "Frame", 1);
        b.Tile = std::min(ini.ReadInteger("Personality", n + "Stretch", 1), 1);
        b.Trans = ini.ReadInteger("Personality", n + "Trans", 1);
        const std::int32_t first = ini.ReadInteger("Personality", n + "TopHeight", 0);
        const std::int32_t second = ini.ReadInteger("Personality", n + "BotHeight", 0);
        if (i == bdLeft || i == bdRight) {
            b.TopHeight = first;
            b.BottomHeight = second;
            b.LeftWidth = b.RightWidth = 0;
        } else {
            b.LeftWidth = first;
            b.RightWidth = second;
            b.TopHeight = b.BottomHeight = 0;
        }
    }
}

void TSkinData::ReadColours(const TQuickIni& ini, const std::vector<std::string>& sections) {
    for (const TColourKey& k : kColourKeys) {
        const TColor fallback = k.sysIndex < 0 ? SkinColours[scButtonFace] : SysColourRef(k.sysIndex);
        const std::string text = ini.ReadString("Colours", k.key, "");
        ColourGiven[size_t(k.slot)] = !text.empty();
        SkinColours[size_t(k.slot)] = text.empty() ? fallback : ParseColourText(text);
    }
    for (const std::string& section : sections) {
        const std::string upper = UpperAscii(section);
        if (StartsWith(upper, "COLOUR") && upper != "COLOURS")
            ExtraColours.push_back(ReadColourText(ini, section, "color", SysColourRef(8)));
    }
    for (int i = 0; i < 10; ++i)
        CustomColours[size_t(i)] = ReadColourText(ini, "Customcolors", "Color" + std::to_string(i), clWhite);
}

void TSkinData::ReadCaptionButtons(const TQuickIni& ini, const std::vector<std::string>& sections) {
    std::vector<std::string> kept;
    for (const std::string& section : sections) {
        const std::string upper = UpperAscii(section);
        if (!StartsWith(upper, "BUTTON") || upper == "BUTTON" || upper == "BUTTONS" ||
            upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX")
            continue;
        const bool visibilityZero = !ini.ReadString(section, "Visibility", "").empty() &&
                                    ini.ReadInteger(section, "Visibility", -1) == 0;
        if (ini.ReadInteger(section, "Action", 0) == -1 && !visibilityZero) continue;
        kept.push_back(section);
    }
    bool remembered = false;
    std::int32_t rememberedX = 0, rememberedY = 0;
    for (const std::string& section : kept) {
        auto b = std::make_unique<TDataSkinSysButton>(UpperAscii(section));
        ResetObject(*b, SkinColours[scButtonText]);
        b->Action = ini.ReadInteger(section, "Action", 0);
        b->Align = ini.ReadInteger(section, "Align", 0);
        b->XCoord = ini.ReadInteger(section, "Xcoord", 0);
        b->YCoord = ini.ReadInteger(section, "Ycoord", 0);
        b->Visibility = ini.ReadInteger(section, "Visibility", 0);
        b->Visibility1 = ini.ReadInteger(section, "Visibility1", b->Action == -1 ? -1 : 0);
        b->CombineOp = ini.ReadInteger(section, "CombineOp", -1);
        b->FrameCount = ini.ReadInteger(section, "frame", 0);
        LoadSkinBitmap(b->Bitmap, ini.ReadString(section, "ButtonImage", ""));
        if (b->Action == 1 && b->Visibility == 2) {
            remembered = true;
            rememberedX = b->XCoord;
            rememberedY = b->YCoord;
        } else if (b->Action == 4) {
            b->XCoord = remembered ? rememberedX : 0;
            b->YCoord = remembered ? rememberedY : 0;
        }
        if (b->FrameCount == 0) {
            b->FrameCount = 6;
            if (!b->Bitmap.Empty())
                b->FrameCount = double(b->Bitmap.Width()) / double(b->Bitmap.Height()) <= 3.8 ? 3 : 6;
            if (b->Action < 0) b->FrameCount = 6;
            if (b->Action == 3 || b->Action == 11) b->Bitmap.Clear();
        }
        CaptionButtons.push_back(std::move(b));
    }
    TBitmap32 mdi;
    const std::string mdiImage = ini.ReadString("MDICONTROLS", "Image", "");
    if (!mdiImage.empty()) LoadSkinBitmap(mdi, mdiImage);
    const int u = mdi.Width() / 12;
    for (int i = 0; i < 3; ++i) {
        auto b = std::make_unique<TDataSkinSysButton>("MDICONTROLS" + std::to_string(i));
        ResetObject(*b, SkinColours[scButtonText]);
        b->Action = 7 + i;
        b->Align = b->Visibility = b->Visibility1 = 100;
        b->FrameCount = 4;
        if (!mdiImage.empty()) {
            if (u > 0) b->Bitmap = mdi.Copy(Bounds(4 * i * u, 0, 4 * u, mdi.Height()));
            b->XCoord = (u + 4) * (3 - i);
        }
        CaptionButtons.push_back(std::move(b));
    }
}

void TSkinData::ReadButtons(const TQuickIni& ini) {
    TDataSkinButton& b = *buttons_;
    const char* s = "Buttons";
    b.LeftWidth = ini.ReadInteger(s, "LeftWidth", 0);
    b.RightWidth = ini.ReadInteger(s, "RightWidth", 0);
    b.TopHeight = ini.ReadInteger(s, "TopHeight", 0);
    b.BottomHeight = ini.ReadInteger(s, "BottomHeight", 0);
    b.Trans = ini.ReadInteger(s, "Trans", 0);
    b.Tile = ini.ReadInteger(s, "Tile", 0);
    if (b.Tile > 1) b.Tile = 0;
    LoadSkinBitmap(b.Bitmap, ini.ReadString(s, "Bitmap", ""));
    LoadSkinBitmap(b.CheckBitmap, ini.ReadString(s, "CheckButton", ""));
    LoadSkinBitmap(b.RadioBitmap, ini.ReadString(s, "RadioButton", ""));
    b.NormalColour = ini.ReadInteger(s, "NormalColour", -1);
    b.MouseOverColour = ini.ReadInteger(s, "MouseOverColour", -1);
    b.PressedColour = ini.ReadInteger(s, "PressedColour", -1);
    b.RadioButtonFrame = ini.ReadInteger(s, "RadioButtonFrame", 0);
    b.CheckButtonFrame = ini.ReadInteger(s, "CheckButtonFrame", 0);
    b.NormalColour2Given = !ini.ReadString(s, "NormalColour2", "").empty();
    b.MouseOverColour2Given = !ini.ReadString(s, "MouseOverColour2", "").empty();
    b.PressedColour2Given = !ini.ReadString(s, "PressedColour2", "").empty();
    const TColor buttonText = SkinColours[scButtonText];
    b.NormalColour2 = ReadColourText(ini, s, "NormalColour2", buttonText);
    b.MouseOverColour2 = ReadColourText(ini, s, "MouseOverColour2", buttonText);
    b.PressedColour2 = ReadColourText(ini, s, "PressedColour2", buttonText);
}

void TSkinData::ReadTitle(const TQuickIni& ini) {
    TDataSkinTitle& t = *title_;
    const char* s = "Personality";
    LoadSkinBitmap(t.Bitmap, ini.ReadString(s, "TextBack", ""));
    t.LeftWidth = ini.ReadInteger(s, "TextShift", 0);
    t.TopHeight = ini.ReadInteger(s, "TextShiftVert", 0);
    t.RightWidth = ini.ReadInteger(s, "TextRightClip", 0);
    t.TextAlignment = ini.ReadInteger(s, "TextAlignment", 0);
    t.TextBackground = ini.ReadInteger(s, "Textbackground", 0);
    t.TextBackLeft = ini.ReadInteger(s, "TXTBackleft", 0);
    t.TextBackRight = ini.ReadInteger(s, "TXTBackRight", 0);
    t.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
    auto triple = [&](const char* r, const char* g, const char* b, TColor& out) {
        const std::int32_t red = ini.ReadInteger(s, r, -1), green = ini.ReadInteger(s, g, -1),
                           blue = ini.ReadInteger(s, b, -1);
        if (red >= 0 && green >= 0 && blue >= 0) out = RGBColour(red, green, blue);
    };
    triple("ActiveTextR", "ActiveTextG", "ActiveTextB", t.ActiveTextColour);
    triple("InActiveTextR", "InActiveTextG", "InActiveTextB", t.InactiveTextColour);
}

namespace {
enum class TReadKind { Image, Border, Bitmap, BoxLabel };
}

// Reads one element section; null when the section gives no image.
template <typename T>
static std::unique_ptr<T> ReadElement(const TSkinData& data, const TQuickIni& ini, const std::string& section,
                                      TReadKind kind, const std::string& secondKey = std::string()) {
    const std::string imageKey = kind == TReadKind::Bitmap ? "Bitmap" : "Image";
    const std::string image = ini.ReadString(section, imageKey, "");
    if (image.empty()) return nullptr;
    auto e = std::make_unique<T>(section);
    ResetObject(*e, data.SkinColours[scButtonText]);
    data.LoadSkinBitmap(e->Bitmap, image);
    e->Style = ini.ReadInteger(section, "Style", 0);
    e->LeftWidth = ini.ReadInteger(section, "LeftWidth", 0);
    e->RightWidth = ini.ReadInteger(section, "RightWidth", 0);
    e->TopHeight = ini.ReadInteger(section, "TopHeight", 0);
    e->BottomHeight = ini.ReadInteger(section, "BottomHeight", 0);
    if (kind == TReadKind::Image) e->FrameCount = ini.ReadInteger(section, "Frame", 0);
    e->Trans = ini.ReadInteger(section, "Trans", 0);
    e->Tile = ini.ReadInteger(section, "Tile", 0);
    if (e->Tile > 1) e->Tile = kind == TReadKind::Bitmap ? 1 : 0;
    if (kind != TReadKind::Bitmap) {
        e->NormalColour = ini.ReadInteger(section, "NormalColour", -1);
        e->MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
        e->PressedColour = ini.ReadInteger(section, "PressedColour", -1);
        const TColor buttonText = data.SkinColours[scButtonText];
        e->NormalColour2 = ReadColourText(ini, section, "NormalColour2", buttonText);
        e->MouseOverColour2 = ReadColourText(ini, section, "MouseOverColour2", buttonText);
        e->PressedColour2 = ReadColourText(ini, section, "PressedColour2", buttonText);
    }
    if constexpr (std::is_same_v<T, TDataSkinBorder>) {
        if (!secondKey.empty()) {
            const std::string second = ini.ReadString(section, secondKey, "");
            if (!second.empty()) data.LoadSkinBitmap(e->Bitmap2, second);
        }
    }
    if constexpr (std::is_same_v<T, TDataSkinBoxLabel>) {
        e->BackgroundAlignment = ini.ReadInteger(section, "BackgroundAlignment", 0);
        e->BackgroundLeftShift = ini.ReadInteger(section, "BackgroundLeftShift", 0);
        e->BackgroundRightShift = ini.ReadInteger(section, "BackgroundRightShift", 0);
    }
    return e;
}

void TSkinData::ReadElements(const TQuickIni& ini) {
    using K = TReadKind;
    Progress = ReadElement<TDataSkinBorder>(*this, ini, "Progress", K::Bitmap);
    if (Progress) Progress->FrameCount = Progress->Style != 0 ? 1 : 2;
    ProgressChunk = ReadElement<TDataSkinObject>(*this, ini, "Progress.Chunk", K::Image);

    const std::string menuBar = ini.ReadString("Personality", "menuBar", "");
    if (!menuBar.empty()) {
        MenuBar = std::make_unique<TDataSkinObject>("Personality");
        ResetObject(*MenuBar, SkinColours[scButtonText]);
        LoadSkinBitmap(MenuBar->Bitmap, menuBar);
        MenuBar->Tile = std::min(ini.ReadInteger("Personality", "TileMenu", 1), 1);
        MenuBar->LeftWidth = ini.ReadInteger("Personality", "TileLeftMenu", 1);
        MenuBar->RightWidth = ini.ReadInteger("Personality", "TileRightMenu", 1);
        MenuBar->FrameCount = 2;
    }

    auto fixed = [](auto& element, std::int32_t frames) {
        if (element) element->FrameCount = frames;
    };
    GroupBoxEdge = ReadElement<TDataSkinObject>(*this, ini, "GroupBoxEdge", K::Image);
    fixed(GroupBoxEdge, 2);
    GroupBox = ReadElement<TDataSkinBoxLabel>(*this, ini, "GroupBox", K::BoxLabel);
    fixed(GroupBox, 1);
    Tabs = ReadElement<TDataSkinBorder>(*this, ini, "Tabs", K::Border, "Border");
    fixed(Tabs, 5);
    StatusBar = ReadElement<TDataSkinObject>(*this, ini, "StatusBarEdges", K::Image);
    fixed(StatusBar, 3);
    TabPane = ReadElement<TDataSkinObject>(*this, ini, "Tab.Pane", K::Image);
    if (TabPane) {
        for (std::int32_t* m :
             {&TabPane->LeftWidth, &TabPane->TopHeight, &TabPane->RightWidth, &TabPane->BottomHeight})
            *m = std::min(*m, 4);
        TabPane->FrameCount = 1;
    }
    ToolBars = ReadElement<TDataSkinObject>(*this, ini, "ToolBars", K::Image);
    fixed(ToolBars, 5);
    ComboButton = ReadElement<TDataSkinBorder>(*this, ini, "ComboButton", K::Border, "****");
    fixed(ComboButton, 4);
    if (ComboButton && !ComboButton->Bitmap.Empty()) {
        ComboButton->Bitmap2 = ComboButton->Bitmap;
        ComboButton->Bitmap2.SetPixelFormat(TPixelFormat::pf24bit);
        MirrorBitmap(ComboButton->Bitmap2);
    }
    SunkEdge = ReadElement<TDataSkinObject>(*this, ini, "SunkEdge", K::Image);
    fixed(SunkEdge, 4);
    ExtraImages = ReadElement<TDataSkinObject>(*this, ini, "ExtraImages", K::Image);
    fixed(ExtraImages, 5);
    Header = ReadElement<TDataSkinObject>(*this, ini, "Headerbar", K::Image);
    if (Header && Header->FrameCount == 0) Header->FrameCount = 5;
    MenuItem = ReadElement<TDataSkinObject>(*this, ini, "MenuItem", K::Image);
    fixed(MenuItem, 5);
    MenuBackground = ReadElement<TDataSkinObject>(*this, ini, "MenuBackground", K::Image);
    fixed(MenuBackground, 1);
    Scrollbar = ReadElement<TDataSkinObject>(*this, ini, "Scrollbar", K::Image);
    fixed(Scrollbar, 23);
    HorzScroll = ReadElement<TDataSkinObject>(*this, ini, "HorzScroll", K::Image);
    fixed(HorzScroll, 4);
    VertScroll = ReadElement<TDataSkinObject>(*this, ini, "VertScroll", K::Image);
    fixed(VertScroll, 4);
    HorzScrollThumb = ReadElement<TDataSkinObject>(*this, ini, "HorzScrollThumb", K::Image);
    fixed(HorzScrollThumb, ini.ReadInteger("HorzScrollThumb", "FrameCount", 3));
    VertScrollThumb = ReadElement<TDataSkinObject>(*this, ini, "VertScrollThumb", K::Image);
    fixed(VertScrollThumb, ini.ReadInteger("VertScrollThumb", "FrameCount", 3));

    std::unique_ptr<TDataSkinObject>* thumbs[] = {&TrackThumbHorz,  &TrackThumbVert, &TrackThumbLeft,
                                                  &TrackThumbRight, &TrackThumbUp,   &TrackThumbDown};
    static const char* const thumbSections[] = {"Trackbar.ThumbHorz", "Trackbar.ThumbVert",
                                                "Trackbar.ThumbLeft", "Trackbar.ThumbRight",
                                                "Trackbar.ThumbUp",   "Trackbar.ThumbDown"};
    for (int i = 0; i < 6; ++i) {
        *thumbs[i] = ReadElement<TDataSkinObject>(*this, ini, thumbSections[i], K::Image);
        fixed(*thumbs[i], 5);
    }
    UpDownHorz = ReadElement<TDataSkinBorder>(*this, ini, "UpDown.Horz", K::Border, "GlyphImage");
    fixed(UpDownHorz, 8);
    UpDownVert = ReadElement<TDataSkinBorder>(*this, ini, "UpDown.Vert", K::Border, "GlyphImage");
    fixed(UpDownVert, 8);

    auto track = [&](const char* section, bool vertical) {
        auto e = ReadElement<TDataSkinObject>(*this, ini, section, K::Image);
        if (e) return e;
        e = std::make_unique<TDataSkinObject>(section);
        ResetObject(*e, SkinColours[scButtonText]);
        e->Bitmap = BuiltinTrackBitmap(vertical);
        e->LeftWidth = e->TopHeight = e->RightWidth = e->BottomHeight = 3;
        e->FrameCount = 1;
        return e;
    };
    Track = track("Track", false);
    TrackVert = track("TRACKVERT", true);
}

void TSkinData::FixFrameCounts() {
    buttons_->FrameCount = 5;
    auto strip = [](const TBitmap32& b) {
        const int per = b.Height() < 16 ? 13 : 16;
        return std::max(b.Width() / per, 4);
    };
    if (buttons_->RadioButtonFrame == 0) buttons_->RadioButtonFrame = strip(buttons_->RadioBitmap);
    if (buttons_->CheckButtonFrame == 0) buttons_->CheckButtonFrame = strip(buttons_->CheckBitmap);
    title_->FrameCount = 2;
    if (Toolbar) Toolbar->FrameCount = 1;
}

void TSkinData::BuildComboFrames() {
    if (!SunkEdge || !ComboButton) return;
    const int w = SkinPlatform().HorzScrollArrowWidth() + 2;
    const int n = std::max(SunkEdge->FrameCount, 1);
    constexpr int cw = 50, ch = 21;
    TBitmap32 strip(cw * n, ch, clMagenta);
    if (strip.Empty()) return;
    strip.SetPixelFormat(TPixelFormat::pf24bit);
    TBitmapCanvas canvas(strip);
    for (int k = 1; k <= n; ++k) {
        const TRect cell = Bounds((k - 1) * cw, 0, cw, ch);
        DrawElement(canvas, cell, SunkEdge->Bitmap, false, SunkEdge->Tile != 0, SunkEdge->Trans != 0,
                    SunkEdge->FrameCount, k, SunkEdge->Margins());
        const TRect right = TRect(cw - w, 0, cw, ch).Offset(cell.Left, 0);
        DrawElement(canvas, right, ComboButton->Bitmap, false, ComboButton->Tile != 0, true,
                    ComboButton->FrameCount, k, ComboButton->Margins());
        if (ExtraImages) DrawGlyph(canvas, right, ExtraImages->Bitmap, true, ExtraImages->FrameCount, k);
        strip.FillRect(TRect(2, 2, 49 - w, 18).Offset(cell.Left, 0), clMagenta);
    }
    ComboButton->Style = 2;
    ComboButton->LeftWidth = 2;
    ComboButton->TopHeight = SunkEdge->TopHeight;
    ComboButton->RightWidth = w + 2;
    ComboButton->BottomHeight = SunkEdge->BottomHeight;
    ComboButton->Bitmap = strip;
    MirrorBitmap(strip);
    SunkEdge->Bitmap = std::move(strip);
    SunkEdge->LeftWidth = w + 2;
    SunkEdge->RightWidth = 2;
}

void TSkinData::BuildComboArrow() {
    TBitmap32 arrow;
    std::int32_t frames = 1;
    if (!SunkEdge && ComboButton) {
        arrow = ComboButton->Bitmap;
        ReplaceMagenta(arrow, ColourToRGB(SkinColours[scButtonFace]));
        frames = ComboButton->FrameCount;
    } else if (SunkEdge && ComboButton && ComboButton->Style == 2) {
        const int count = std::max(ComboButton->FrameCount, 1);
        const int f = ComboButton->FrameWidth();
        arrow = TBitmap32(count * 17, 17);
        arrow.SetPixelFormat(TPixelFormat::pf24bit);
        TBitmapCanvas canvas(arrow);
        for (int i = 0; i < count; ++i) {
            const TBitmap32 cell = ComboButton->Bitmap.Copy({f * (i + 1) - 19, 2, f * (i + 1) - 2, 19});
            canvas.Draw(i * 17, 0, cell);
        }
        frames = SunkEdge->FrameCount;
    } else {
        if (ComboxArrow) {
            ComboxArrow->Bitmap.Clear();
            ComboxArrow->FrameCount = 1;
        }
        return;
    }
    if (!ComboxArrow) ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    ComboxArrow->Bitmap = std::move(arrow);
    ComboxArrow->FrameCount = frames;
}

void TSkinData::BuildToolbarBackground() {
    const TColor top = Blend(SkinColours[scButtonFace], clWhite, 150);
    const TColor f = ColourToRGB(FrameColour);
    const int saturation = ColourSaturation(f);
    const TColor bottom =
        saturation > 110 ? Blend(f, clWhite, (5625 - 25 * saturation) / 140 + 50) : Blend(0x808080, f, 150);
    if (!Toolbar) Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
    Toolbar->Bitmap = TBitmap32(10, 40);
    TBitmapCanvas canvas(Toolbar->Bitmap);
    GradientFill(canvas, Toolbar->Bitmap.BoundsRect(), top, true, bottom);
    Toolbar->FrameCount = 1;
}

TColor TSkinData::ComputeFrameColour() const {
    const TDataSkinBorder& top = *borders_[bdTop];
    if (top.Bitmap.Empty()) return SkinColours[scButtonFace];
    const int frameHeight = top.Bitmap.Height() / std::max(top.FrameCount, 1);
    return top.Bitmap.Pixel(top.Bitmap.Width() / 3, frameHeight / 3);
}

std::vector<const TDataSkinObject*> TSkinData::TableElements() const {
    const TDataSkinObject* table[] = {
        Progress.get(),       ProgressChunk.get(),  MenuBar.get(),         GroupBoxEdge.get(),
        GroupBox.get(),       Tabs.get(),           StatusBar.get(),       TabPane.get(),
        ToolBars.get(),       ComboButton.get(),    SunkEdge.get(),        ExtraImages.get(),
        Header.get(),         MenuItem.get(),       MenuBackground.get(),  Scrollbar.get(),
        HorzScroll.get(),     VertScroll.get(),     HorzScrollThumb.get(), VertScrollThumb.get(),
        TrackThumbHorz.get(), TrackThumbVert.get(), TrackThumbLeft.get(),  TrackThumbRight.get(),
        TrackThumbUp.get(),   TrackThumbDown.get(), UpDownHorz.get(),      UpDownVert.get(),
        Track.get(),          TrackVert.get()};
    std::vector<const TDataSkinObject*> present;
    for (const TDataSkinObject* e : table)
        if (e) present.push_back(e);
    return present;
}

std::vector<const TDataSkinObject*> TSkinData::Elements() const {
    std::vector<const TDataSkinObject*> all;
    for (const auto& b : borders_)
        all.push_back(b.get());
    all.push_back(title_.get());
    all.push_back(buttons_.get());
    for (const TDataSkinObject* e : TableElements())
        all.push_back(e);
    for (const auto& b : CaptionButtons)
        all.push_back(b.get());
    if (ComboxArrow) all.push_back(ComboxArrow.get());
    if (Toolbar) all.push_back(Toolbar.get());
    return all;
}

std::size_t TSkinData::ImageBytes() const {
    std::size_t bytes =
        AppIcon.Bytes() + MenuGlyphs.Bytes() + Buttons().CheckBitmap.Bytes() + Buttons().RadioBitmap.Bytes();
    for (const TDataSkinObject* e : Elements()) {
        bytes += e->Bitmap.Bytes();
        if (const auto* border = dynamic_cast<const TDataSkinBorder*>(e)) bytes += border->Bitmap2.Bytes();
    }
    return bytes;
}

const TDataSkinObject* TSkinData::FindElement(const std::string& section) const {
    if (SameTextAscii(section, "menuBar")) return MenuBar.get();
    for (const TDataSkinObject* e : TableElements())
        if (SameTextAscii(e->Name, section)) return e;
    for (const TDataSkinObject* e : {ComboxArrow.get(), Toolbar.get()})
        if (e && SameTextAscii(e->Name, section)) return e;
    return nullptr;
}
