#include "skin/menus/NcObject_win.h"

void TNCObject::Press() {
    if (host_.CurrentNcObject() && host_.CurrentNcObject() != this) host_.CurrentNcObject()->Leave();
    if (!Visible) return;
    host_.SetCurrentNcObject(this);
    State = frame::TNcState::Pressed;
    Repaint();
}

void TNCObject::Release() {
    if (!Visible) return;
    State = frame::TNcState::Hot;
    Repaint();
}

void TNCObject::Hover() {
    TNCObject* current = host_.CurrentNcObject();
    if (current == this) return;
    if (current) current->Leave();
    if (!Visible) return;
    host_.SetCurrentNcObject(this);
    State = frame::TNcState::Hot;
    Repaint();
}

void TNCObject::Leave() {
    if (!Visible) return;
    host_.SetCurrentNcObject(nullptr);
    State = frame::TNcState::Normal;
    Repaint();
    host_.ResetCaptionHint();
}
