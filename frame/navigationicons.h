#pragma once

#include <QIcon>

#include "orb/wire/keelexport.h"

// The navigation bars' image list: entry icons by image index (any index
// is valid; they repeat), and the group icon of the tree bar.
KEEL_EXPORT QIcon NavigationIcon(int imageIndex);
