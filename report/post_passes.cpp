#include "report/post_passes.h"
