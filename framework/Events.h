#pragma once
// Events are handlers bound to an object; the component calls them with a sender.
#include <functional>

class TObject;

using TNotifyEvent = std::function<void(TObject* sender)>;
