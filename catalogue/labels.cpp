#include "catalogue/labels.h"
