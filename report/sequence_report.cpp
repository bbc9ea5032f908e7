#include "report/sequence_report.h"
