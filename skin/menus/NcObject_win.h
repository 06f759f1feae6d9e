#pragma once
// The objects of a skinned frame's non-client area that react to the pointer: the caption buttons
// and the menu bar's buttons. The one under the pointer (or pressed) is the host's current object.
#include "skin/model/Bitmap.h"
#include "skin/rules/SkinFrame.h"

class TNCObject;

// What a non-client object asks of the frame it sits on.
class TNcObjectHost {
public:
    virtual ~TNcObjectHost() = default;
    virtual TNCObject* CurrentNcObject() const = 0;
    virtual void SetCurrentNcObject(TNCObject* object) = 0;
    // The pointer left a caption button: its hint goes.
    virtual void ResetCaptionHint() = 0;
};

class TNCObject {
public:
    explicit TNCObject(TNcObjectHost& host) : host_(host) {}
    virtual ~TNCObject() = default;
    TNCObject(const TNCObject&) = delete;
    TNCObject& operator=(const TNCObject&) = delete;

    void Press();
    void Release();
    void Hover();
    void Leave();
    virtual void Repaint() {}

    TRect Rect; // whole-window coordinates
    bool Visible = false;
    frame::TNcState State = frame::TNcState::Normal;
    bool Enabled = true; // the window style allows the button's command

protected:
    TNcObjectHost& host_;
};
