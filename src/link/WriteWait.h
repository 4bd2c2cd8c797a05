#pragma once

class QIODevice;

// Waits until a buffered device has handed all its pending bytes on, the device has closed,
// or `msecs` have passed, whichever comes first.
void waitUntilWritten(QIODevice &device, int msecs);
