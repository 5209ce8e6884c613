#include "model/RowCheck.h"
