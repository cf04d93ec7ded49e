#pragma once

#include <QIcon>

// The navigation bars' image list: entry icons by image index (any index
// is valid; they repeat), and the group icon of the tree bar.
QIcon NavigationIcon(int imageIndex);
