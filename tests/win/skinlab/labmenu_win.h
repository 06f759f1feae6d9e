#pragma once
// The skin lab's menu bar: drop-down menus with Chinese and ASCII captions for the menu scenarios.
class TForm;

// Gives the form a menu bar (owned by the form): "文件(&F)" with shortcut texts, a separator and a
// sub-menu; "&View" with a checked item; "禁用(&D)", a disabled top-level item; "&About" without
// sub-items; and "帮助(&H)". Call it before the form is shown.
void AttachLabMenu(TForm* form);
