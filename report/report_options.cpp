#include "report/report_options.h"
