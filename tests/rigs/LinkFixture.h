#pragma once
// A port on virtual time over the scripted transport, already connected.

#include "link/PortProto.h"
#include "rigs/ScriptedPort.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace kv::test {

class LinkFixture : public ::testing::Test {
protected:
    explicit LinkFixture(int converters = 1)
    {
        InstallPlatform(&platform);
        auto transport = std::make_unique<TScriptedPort>(converters);
        bus = transport.get();
        port = std::make_unique<TPortProto>(std::move(transport));
        port->Reopen();
    }
    ~LinkFixture() override
    {
        port.reset();
        InstallPlatform(nullptr);
    }

    // Every frame with this code written to the bus is answered with reply (check byte
    // added) on the converter it went to, after delayMs.
    void Answer(uint8_t code, std::vector<uint8_t> reply, uint32_t delayMs = 5)
    {
        replies[code] = {std::move(reply), delayMs};
        bus->onWrite = [this](int converter, const std::vector<uint8_t>& frame) {
            const auto found = replies.find(frame[0]);
            if (found != replies.end())
                bus->DeliverFrame(converter, found->second.first, found->second.second);
        };
    }

    std::vector<std::vector<uint8_t>> WrittenFrames()
    {
        std::vector<std::vector<uint8_t>> frames;
        for (const auto& write : bus->Writes())
            frames.push_back(write.bytes);
        return frames;
    }

    TVirtualPlatform platform;
    TScriptedPort* bus = nullptr;
    std::unique_ptr<TPortProto> port;
    std::map<uint8_t, std::pair<std::vector<uint8_t>, uint32_t>> replies;
};

// The wire form of a record: its bytes and the check byte.
std::vector<uint8_t> Wire(std::vector<uint8_t> record);

}  // namespace kv::test
