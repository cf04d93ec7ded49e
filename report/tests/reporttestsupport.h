#pragma once

#include <string>

#include <QString>

// The application object of a widget test, made once.
void EnsureApplication();
// Writes text as bytes to the file at relative below root, making folders.
void WriteFile(const QString &root, const QString &relative, const std::string &text);
