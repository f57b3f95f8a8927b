#include "appresources.h"

#include <QtGlobal>

static void registerAppResources()
{
    Q_INIT_RESOURCE(app);
}

void initAppResources()
{
    static const bool done = (registerAppResources(), true);
    Q_UNUSED(done);
}
