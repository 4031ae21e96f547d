#pragma once
// Firmware versions at which device features appear.

namespace kv {

constexpr int kVersionRemoteErase = 0x146;    // remote controller erase, no write-mode prompts
constexpr int kVersionRecordMemory = 0x148;   // record-per-cue memory and the erase command
constexpr int kVersionModeBit = 0x151;        // status carries the test/fire mode bit
constexpr int kVersionAckedWrites = 0x165;    // echoed cue writes, fine times, motor memory
constexpr int kVersionAddressChange = 0x167;
constexpr int kVersionResistance = 0x268;     // measurement in ohms
constexpr int kVersionTemperature = 0x36B;
constexpr int kVersionFastErase = 0x46B;

}  // namespace kv
