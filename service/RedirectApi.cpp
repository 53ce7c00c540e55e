#include "service/RedirectApi.h"

#include "service/ApiRouter.h"

namespace zovservice {

void RedirectApi::registerRoutes(ApiRouter& router)
{
    const auto redirect = [](const httplib::Request& request, httplib::Response& response) {
        const int hopsLeft = std::stoi(request.matches[1].str());
        const std::string target = request.get_param_value("to");
        response.set_redirect(hopsLeft > 0 ? "/redirect/" + std::to_string(hopsLeft - 1)
                    + "?to=" + httplib::detail::encode_query_param(target)
                                           : target);
    };
    router.get("/redirect/(\\d{1,3})", redirect);
    router.post("/redirect/(\\d{1,3})", redirect);
}

} // namespace zovservice
