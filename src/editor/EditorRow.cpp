#include "editor/EditorRow.h"
