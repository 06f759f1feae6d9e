#include "skin/model/WinSkinData.h"

#include <algorithm>

#include "framework/AsciiText.h"
#include "framework/FileBytes.h"
#include "skin/model/SkinBuiltinImages.h"
#include "skin/model/SkinManagerApi.h"

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

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
    SkinColours = DefaultSkinColours();
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

void TSkinData::Loaded() {
    reading_ = false;
    TComponent::Loaded();
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
    if (reading_) {
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

void TSkinData::QueryFormSkin(void* /*window*/, const std::string& className, bool& skin) {
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
