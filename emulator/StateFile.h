#pragma once

#include "PrinterSettings.h"

#include <QString>

// Keeps the settings a client can store (SW1 to SW3, code page, character set, language model)
// in a small JSON file, so that the emulated printer remembers them across runs.
namespace StateFile {

// Applies the stored settings of `path` to `settings`. A missing file is no error and changes
// nothing; a file that cannot be read, is no regular file, is larger than 64 KiB or holds an
// invalid value leaves `settings` unchanged and returns false with the reason in `error`.
bool load(const QString &path, PrinterSettings &settings, QString *error);

// Writes the stored settings to `path` atomically: a new file beside it is renamed into place, so
// a reader sees the old file or the new one, never a part, and a symbolic link at `path` is
// replaced rather than written through.
bool save(const QString &path, const PrinterSettings &settings, QString *error);

} // namespace StateFile
