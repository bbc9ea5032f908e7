#include "report/calendar.h"
