#include "core/MediaBackendFactory.h"

#include "core/QtMediaBackendFactory.h"

namespace zov {
namespace media {

namespace {

MediaBackendFactory* g_replacement = nullptr;

} // namespace

MediaBackendFactory::~MediaBackendFactory() = default;

MediaBackendFactory& MediaBackendFactory::current()
{
    static QtMediaBackendFactory qtFactory;
    return g_replacement ? *g_replacement : qtFactory;
}

void MediaBackendFactory::setCurrent(MediaBackendFactory* factory)
{
    g_replacement = factory;
}

} // namespace media
} // namespace zov
