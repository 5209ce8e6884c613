#include "editor/PageEditor.h"
