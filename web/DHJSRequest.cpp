#include "web/DHJSRequest.h"

DHJSRequest::DHJSRequest(QObject* parent)
    : QObject(parent)
{ }
