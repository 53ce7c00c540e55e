// Feeds arbitrary bytes through the parsing of a page request, the way the web view
// hands them over, and reads every field back.
#include "QuietQt.h"
#include "web/DHJSRequest.h"
#include "web/DHJSUtils.h"

#include <QScopedPointer>

#include <cstddef>
#include <cstdint>

// The parser logs every malformed request; millions of those lines would drown the run.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    dropQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QScopedPointer<DHJSRequest> request(DHJSUtils::instance()->createJsRequest(bytes));
    request->getCallbackId();
    request->getPlugin();
    request->getSdkVersion();
    request->getData();
    DHJSUtils::instance()->getJsonObjectFromString(bytes);
    return 0;
}
