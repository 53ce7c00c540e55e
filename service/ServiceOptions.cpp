#include "service/ServiceOptions.h"

#include <charconv>

namespace zovservice {

namespace {

bool parseInt(const std::string& text, int minimum, int maximum, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && value >= minimum && value <= maximum;
}

} // namespace

std::optional<ServiceOptions> ServiceOptions::parse(
    const std::vector<std::string>& arguments, std::string& error)
{
    ServiceOptions options;
    bool faultGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size()) {
            error = "missing value for " + name;
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        bool ok = true;
        if (name == "--https-port") {
            ok = parseInt(value, 0, 65535, options.httpsPort);
        } else if (name == "--http-port") {
            ok = parseInt(value, 0, 65535, options.httpPort);
        } else if (name == "--state") {
            options.stateFolder = value;
            ok = !value.empty();
        } else if (name == "--media") {
            options.mediaFolder = value;
            ok = !value.empty();
        } else if (name == "--host") {
            options.host = value;
            ok = !value.empty();
        } else if (name == "--fail-next") {
            ok = parseInt(value, 0, 1000000, options.failNext);
        } else if (name == "--fault") {
            const std::optional<FaultMode> mode = FaultInjector::modeFromName(value);
            ok = mode.has_value();
            options.fault = mode.value_or(FaultMode::Error500);
            faultGiven = true;
        } else if (name == "--delay-ms") {
            ok = parseInt(value, 0, 600000, options.delayMs);
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return std::nullopt;
        }
    }
    if (options.stateFolder.empty()) {
        error = "--state is required";
        return std::nullopt;
    }
    if (options.mediaFolder.empty())
        options.mediaFolder = options.stateFolder + "/media";
    if ((options.failNext > 0) != faultGiven) {
        error = "--fail-next and --fault go together";
        return std::nullopt;
    }
    return options;
}

std::string ServiceOptions::usage()
{
    return "usage: zov_local_service --state DIR [--media DIR] [--https-port N] [--http-port N] "
           "[--host ADDRESS]\n"
           "                         [--fail-next N --fault error500|slow|nonjson|close "
           "[--delay-ms MS]]\n";
}

} // namespace zovservice
