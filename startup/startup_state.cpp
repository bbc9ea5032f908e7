#include "startup/startup_state.h"
