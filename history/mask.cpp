#include "history/mask.h"
