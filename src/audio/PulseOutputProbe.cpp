#include "audio/SoundServer.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <chrono>

namespace kv {

namespace {

struct TSinkQuery {
    bool answered = false;
    bool found = false;
};

void SinkListed(pa_context*, const pa_sink_info* info, int last, void* data)
{
    auto* query = static_cast<TSinkQuery*>(data);
    if (last != 0)
        query->answered = true;
    else if (info != nullptr)
        query->found = true;
}

}  // namespace

// A connection of its own on the calling thread, closed before returning: no server thread
// outlives the call, and nothing of it is left for the process's exit to tear down.
bool PulseOutputPresent(int waitMs)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(waitMs);
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Korvane");
    pa_operation* listing = nullptr;
    TSinkQuery query;
    if (context != nullptr && pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0) {
        while (!query.answered) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            if (state == PA_CONTEXT_READY && listing == nullptr) {
                listing = pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@", SinkListed, &query);
                if (listing == nullptr)
                    break;
            }
            const auto left = duration_cast<microseconds>(deadline - steady_clock::now()).count();
            if (left <= 0 || pa_mainloop_prepare(loop, static_cast<int>(left)) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                break;
        }
    }
    if (listing != nullptr) {
        pa_operation_cancel(listing);
        pa_operation_unref(listing);
    }
    if (context != nullptr) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    return query.found;
}

}  // namespace kv
