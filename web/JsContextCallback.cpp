#include "web/JsContextCallback.h"

JsContextCallback::~JsContextCallback() = default;
