#pragma once

// The two exports a kind of plug-in library carries: a factory returning a new
// object, and a version function the loader checks before anything else.
struct PluginInterface
{
    const char *kind;          // "module", "service": named in the messages
    const char *factorySymbol; // "GetModuleInstance"
    const char *versionSymbol; // "GetModuleApiVersion"
    int version;
};
