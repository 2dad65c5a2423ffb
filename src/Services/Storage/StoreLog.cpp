#include "Services/Storage/StoreLog.h"

Q_LOGGING_CATEGORY(vemraStore, "vemra.store")
