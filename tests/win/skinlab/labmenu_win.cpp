#include "labmenu_win.h"

#include "framework/Forms_win.h"
#include "framework/Menus_win.h"

void AttachLabMenu(TForm* form) {
    auto* menu = new TMainMenu(form);
    TMenuItem* file = menu->Add(L"文件(&F)");
    file->Add(L"打开(&O)...")->ShortCut = L"Ctrl+O";
    file->Add(L"保存(&S)")->ShortCut = L"Ctrl+S";
    file->Add(L"-");
    TMenuItem* recent = file->Add(L"最近的文件(&R)");
    recent->Add(L"update.ini");
    recent->Add(L"skin.ini");
    file->Add(L"-");
    TMenuItem* quit = file->Add(L"退出(&X)");
    quit->ShortCut = L"Alt+F4";
    quit->OnClick = [form](TObject*) { form->Close(); };

    TMenuItem* view = menu->Add(L"&View");
    TMenuItem* statusBar = view->Add(L"&Status bar");
    statusBar->Checked = true;
    view->Add(L"&Toolbar");
    view->Add(L"-");
    TMenuItem* zoom = view->Add(L"&Zoom");
    zoom->Add(L"Zoom &in")->ShortCut = L"Ctrl++";
    zoom->Add(L"Zoom &out")->ShortCut = L"Ctrl+-";

    TMenuItem* disabled = menu->Add(L"禁用(&D)");
    disabled->Enabled = false;
    disabled->Add(L"不可用");

    menu->Add(L"&About");

    TMenuItem* help = menu->Add(L"帮助(&H)");
    help->Add(L"帮助主题(&T)")->ShortCut = L"F1";
    help->Add(L"关于(&A)")->Default = true;

    form->SetMenu(menu);
    // The bar takes its height from the window, not from the page's controls.
    form->SetClientSize(form->ClientWidth(), form->ClientHeight());
}
