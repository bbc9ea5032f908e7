#include "history/segment_scan.h"
