#pragma once

#include <QString>

// Where a test saves a picture of the window: the build folder's screenshots/ folder.
QString screenshotPath(const QString &file);
