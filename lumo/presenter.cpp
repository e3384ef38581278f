#include "lumo/presenter.h"

#include "config/config.h"
#include "lumo/display.h"

// Until the presenter is built only the display is shown.
void Present() { PresentDisplay(Config.vsync); }
