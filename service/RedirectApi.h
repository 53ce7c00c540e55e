#pragma once

namespace zovservice {

class ApiRouter;

// "/redirect/<n>?to=<url>" answers 302 to "/redirect/<n-1>" and at 0 to the given address,
// so a client can be sent through a chain of any length or to another scheme.
class RedirectApi
{
public:
    static void registerRoutes(ApiRouter& router);
};

} // namespace zovservice
