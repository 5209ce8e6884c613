#pragma once

// The layout helpers moved to the editor, which needs them too.
#include "editor/Layout.h"
