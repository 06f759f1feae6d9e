#include "skin/SkinControlFactory_win.h"

#include <utility>

#include "skin/SkinBox_win.h"
#include "skin/SkinButton_win.h"
#include "skin/SkinCheckBox_win.h"

namespace {

TSkinWrapperMaker& ExtraMaker() {
    static TSkinWrapperMaker maker;
    return maker;
}

} // namespace

void SetExtraSkinWrapperMaker(TSkinWrapperMaker maker) {
    ExtraMaker() = std::move(maker);
}

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
    default:
        return ExtraMaker() ? ExtraMaker()(kind, owner, decision) : nullptr;
    }
}
