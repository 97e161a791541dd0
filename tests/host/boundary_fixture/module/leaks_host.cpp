// Not compiled: a plug-in source that reaches into the host, which the
// include-boundary check must reject.
#include "host/host.h"
