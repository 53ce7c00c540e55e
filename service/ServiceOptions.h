#pragma once

#include "service/FaultInjector.h"

#include <optional>
#include <string>
#include <vector>

namespace zovservice {

// The command line of the service. Ports 0 let the system pick free ones.
struct ServiceOptions
{
    std::string host = "127.0.0.1";
    int httpsPort = 0;
    int httpPort = 0;
    std::string stateFolder;
    // Where the lesson video is kept; <stateFolder>/media when not given.
    std::string mediaFolder;
    std::string wwwFolder = ZOV_SERVICE_WWW_DIR;
    int failNext = 0;
    FaultMode fault = FaultMode::Error500;
    int delayMs = 0;

    // Parses the arguments after the program name; on failure returns nothing and says
    // why in error.
    static std::optional<ServiceOptions> parse(
        const std::vector<std::string>& arguments, std::string& error);
    static std::string usage();
};

} // namespace zovservice
