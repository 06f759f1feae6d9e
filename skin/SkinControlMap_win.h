#pragma once
// Hands the controls of a skinned window to the control skins: the frame calls this when it
// starts. A framework form's components are walked (then its tab order); a plain window's child
// windows are mapped by their window class.
class TForm;
class TWinSkinForm;

void SkinChildControls(TWinSkinForm& frame, TForm* form);
