#include "editor/EffectRules.h"
