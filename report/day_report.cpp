#include "report/day_report.h"
