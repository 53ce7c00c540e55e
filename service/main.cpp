#include "service/LocalService.h"
#include "service/ServiceOptions.h"
#include "service/TerminationSignals.h"

#include <iostream>

// Prints where it listens and "READY" on stdout, one flushed line each, so that a
// test harness can start it on free ports and read them back.
int main(int argc, char* argv[])
{
    std::string error;
    const std::optional<zovservice::ServiceOptions> options
        = zovservice::ServiceOptions::parse({ argv + 1, argv + argc }, error);
    if (!options) {
        std::cerr << "zov_local_service: " << error << "\n" << zovservice::ServiceOptions::usage();
        return 2;
    }

    const zovservice::TerminationSignals termination;
    zovservice::LocalService service(*options);
    if (!service.start(error)) {
        std::cerr << "zov_local_service: " << error << std::endl;
        return 1;
    }
    std::cout << "API " << service.apiUrl() << std::endl;
    std::cout << "WEB " << service.webUrl() << std::endl;
    std::cout << "CA " << service.caFile() << std::endl;
    std::cout << "MEDIA " << service.videoFile() << std::endl;
    std::cout << "READY" << std::endl;

    termination.wait();
    service.stop();
    return 0;
}
