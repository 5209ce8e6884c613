#include "link/PageImages.h"
