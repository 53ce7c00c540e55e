#include "app/Context.h"

Context* Context::instance()
{
    // Lives until the process ends, like the values it holds.
    static Context* context = new Context;
    return context;
}
