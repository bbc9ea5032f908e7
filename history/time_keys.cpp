#include "history/time_keys.h"
