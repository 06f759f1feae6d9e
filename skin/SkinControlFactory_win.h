#pragma once
// Makes the control skin of a kind: the one place that knows every wrapper class.
#include <functional>

#include "skin/SkinControlMap.h"

class TComponent;
class TSkinControl;

// A new, unattached skin of `kind` owned by `owner` (the control, or the form for a bare window),
// set up with the variants of `decision` (object-image kind, glyph property, ...). Null for the
// kinds this program does not draw.
TSkinControl* CreateSkinWrapper(TSkinWrapperKind kind, TComponent* owner, const TSkinMapDecision& decision);

// Makes the kinds the factory itself does not (null for the rest); none by default. Lets a
// program or a test supply skins of its own without a change here.
using TSkinWrapperMaker =
    std::function<TSkinControl*(TSkinWrapperKind, TComponent*, const TSkinMapDecision&)>;
void SetExtraSkinWrapperMaker(TSkinWrapperMaker maker);
