#include "ScriptedPort.h"
