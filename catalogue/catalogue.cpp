#include "catalogue/catalogue.h"
