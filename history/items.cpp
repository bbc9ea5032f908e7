#include "history/items.h"
