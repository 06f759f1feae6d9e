#include "skin/controls/SkinControlFactory_win.h"

#include "skin/controls/SkinBox_win.h"
#include "skin/controls/SkinButton_win.h"
#include "skin/controls/SkinCheckBox_win.h"
#include "skin/controls/SkinComBox_win.h"
#include "skin/controls/SkinDateTime_win.h"
#include "skin/controls/SkinEdit_win.h"
#include "skin/controls/SkinHeader_win.h"
#include "skin/controls/SkinMP_win.h"
#include "skin/controls/SkinProgress_win.h"
#include "skin/controls/SkinScrollbar_win.h"
#include "skin/controls/SkinStatusBar_win.h"
#include "skin/controls/SkinTab_win.h"
#include "skin/controls/SkinTrackBar_win.h"
#include "skin/controls/SkinUpDown_win.h"

TSkinControl* CreateSkinWrapper(TSkinWrapperKind kind, TComponent* owner, const TSkinMapDecision& decision) {
    using K = TSkinWrapperKind;
    switch (kind) {
    case K::Button:
        return new TSkinButton(owner);
    case K::BitButton: {
        auto* button = new TSkinBitButton(owner);
        button->GlyphProperty = decision.glyphProperty;
        return button;
    }
    case K::MenuButton:
        return new TSkinMenuButton(owner);
    case K::SpeedButton: {
        auto* button = new TSkinSpeedButton(owner);
        button->GlyphProperty = decision.glyphProperty;
        return button;
    }
    case K::CheckBox:
        return new TSkinCheckBox(owner);
    case K::RadioButton:
        return new TSkinRadioButton(owner);
    case K::ObjImage:
        return new TSkinObjImage(owner, decision.objImageKind);
    case K::GroupBox:
        return new TSkinGroupBox(owner);
    case K::Box:
        return new TSkinBox(owner);
    case K::BoxH:
        return new TSkinBoxH(owner);
    case K::Sizer:
        return new TSkinSizer(owner);
    case K::StatusBar:
        return new TSkinStatusBar(owner);
    case K::Tab:
        return new TSkinTab(owner);
    case K::Tab31:
        return new TSkinTab31(owner);
    case K::TabSheet:
        return new TSkinTabSheet(owner);
    case K::TabBtn:
        return new TSkinTabBtn(owner);
    case K::AdvPage:
        return new TSkinAdvPage(owner);
    case K::TrackBar:
        return new TSkinTrackBar(owner);
    case K::UpDown:
        return new TSkinUpDown(owner);
    case K::Progress:
        return new TSkinProgress(owner);
    case K::Edit:
        return new TSkinEdit(owner);
    case K::ComBox:
        return new TSkinComBox(owner);
    case K::DateTime:
        return new TSkinDateTime(owner);
    case K::Scrollbar:
        return new TSkinScrollbar(owner);
    case K::ScrollbarH:
        return new TSkinScrollbarH(owner);
    case K::ListView:
        return new TSkinListView(owner);
    case K::ComboxScrollBar:
        return new TComboxScrollBar(owner);
    case K::Header:
        return new TSkinHeader(owner);
    case K::ScControl:
        return new TSkinScControl(owner);
    case K::MP:
        return new TSkinMP(owner);
    case K::None:
        break;
    }
    return nullptr;
}
