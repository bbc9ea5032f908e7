#include "history/history_log.h"
