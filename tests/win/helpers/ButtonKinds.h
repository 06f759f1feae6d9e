#pragma once
// Framework buttons of kinds the program does not make itself, told apart by their class names as
// the skins' walk tells them.
#include <windows.h>

#include <string>

#include "framework/StdCtrls_win.h"

class TTestRadio : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TRadioButton"; }

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.style = (params.style & ~DWORD(BS_TYPEMASK)) | BS_AUTORADIOBUTTON;
    }
};

class TTestCheck : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TCheckBox"; }

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.style = (params.style & ~DWORD(BS_TYPEMASK)) | BS_AUTOCHECKBOX;
    }
};
