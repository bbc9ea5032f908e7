#include "history/day_queries.h"
