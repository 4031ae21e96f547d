#include "link/CommonPort.h"

#include <chrono>

namespace kv {

int64_t SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int WriteToEach(int converters, int count, const std::function<int(int converter)>& writeOne)
{
    if (converters <= 0)
        return -2;
    int result = count;
    // Every converter gets the frame, those after a failed one too.
    for (int i = 0; i < converters; ++i) {
        const int written = writeOne(i);
        if (written != count && result == count)
            result = written < 0 ? written : -2;
    }
    return result;
}

}  // namespace kv
