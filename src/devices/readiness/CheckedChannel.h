#pragma once
// How a channel measured after it fired is reported: its state word and the run-log line.

#include <cstdint>
#include <string>

namespace kv {

class TControls;

// "неизвестно", "подключен", "неподключен", "ошибка"
std::string ChannelStateWord(uint8_t state);
// "Тест канала, пульт: 12, канал: 5, состояние: подключен" with the state the registered
// module now holds for the zero-based channel.
std::string CheckedChannelLogLine(const TControls& controls, int module, int channel);

}  // namespace kv
