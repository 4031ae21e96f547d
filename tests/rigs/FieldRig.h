#pragma once
// A field described by INI text, on virtual time, reached through its in-process port.

#include "field/bus/FieldPort.h"
#include "support/platform/VirtualPlatform.h"

#include <memory>
#include <string>
#include <vector>

namespace kv {

using TBytes = std::vector<uint8_t>;

// The seven wire bytes of a frame, check byte computed here.
TBytes Frame(uint8_t code, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t address);
TBytes Join(const TBytes& first, const TBytes& second);

class TPlatformInstall {
public:
    explicit TPlatformInstall(TPlatform& platform) { InstallPlatform(&platform); }
    ~TPlatformInstall() { InstallPlatform(nullptr); }
};

class TFieldRig {
public:
    explicit TFieldRig(const std::string& ini);

    void Send(const TBytes& frame, int converter = 0);
    // Everything that arrives within waitMs.
    TBytes Gather(uint32_t waitMs, int converter = 0);
    TBytes Ask(const TBytes& frame, int converter = 0, uint32_t waitMs = 30);
    uint32_t Now() { return platform.TickCount(); }

    TVirtualPlatform platform;
    TPlatformInstall install{platform};
    std::shared_ptr<TField> field;
    std::unique_ptr<TFieldPort> port;
};

}  // namespace kv
