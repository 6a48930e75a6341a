// Control identifiers of the browse and wait dialogs, named after the design-time controls.
#pragma once
