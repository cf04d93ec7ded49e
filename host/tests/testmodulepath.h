#pragma once

#include <QString>

// The module libraries built for the host tests (TEST_MODULE_DIR comes from the build).
inline QString TestModulePath(const QString &name)
{
    return QStringLiteral(TEST_MODULE_DIR "/lib") + name + QStringLiteral(".so");
}
