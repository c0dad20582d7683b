#pragma once

#include "link/serialdevice.h"

#include <memory>

// The serial device of the operating system (QSerialPort underneath).
std::unique_ptr<SerialDevice> makeSystemSerialDevice();
