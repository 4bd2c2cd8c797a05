#pragma once

#include <chrono>

class QIODevice;

// Waits until a buffered device has handed all its pending bytes on, the device has closed,
// or `timeout` has passed, whichever comes first.
void waitUntilWritten(QIODevice &device, std::chrono::milliseconds timeout);
