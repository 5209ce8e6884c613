#pragma once

namespace zlx {

// Loads Qt's own Spanish texts (standard buttons, file dialogs) into the running application,
// whatever the system's language. False when the translation file is not installed.
bool loadQtSpanish();

}  // namespace zlx
