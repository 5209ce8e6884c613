#include "app/Form2.h"
