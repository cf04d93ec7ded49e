#pragma once

// Symbols are hidden by default in every library of the project; this marks the
// ones that other libraries and programs may use.
#define KEEL_EXPORT __attribute__((visibility("default")))
