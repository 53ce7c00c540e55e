#include "service/ConnectionDropper.h"

#include "service/RequestSocket.h"

#include <sys/socket.h>

namespace zovservice {

bool ConnectionDropper::drop(const httplib::Request& request)
{
    const int descriptor = RequestSocket::find(request);
    return descriptor >= 0 && shutdown(descriptor, SHUT_RDWR) == 0;
}

} // namespace zovservice
