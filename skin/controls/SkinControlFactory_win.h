#pragma once
// Makes the control skin of a kind: the one place that knows every wrapper class.
#include "skin/rules/SkinControlMap.h"

class TComponent;
class TSkinControl;

// A new, unattached skin of `kind` owned by `owner` (the control, or the form for a bare window),
// set up with the variants of `decision` (object-image kind, glyph property, ...). Null for the
// kinds this program does not draw.
TSkinControl* CreateSkinWrapper(TSkinWrapperKind kind, TComponent* owner, const TSkinMapDecision& decision);
