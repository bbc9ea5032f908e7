#include "history/log_text.h"
