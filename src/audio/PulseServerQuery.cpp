#include "audio/SoundServer.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <chrono>
#include <functional>

namespace kv {

namespace {

struct TOutputQuery {
    bool answered = false;
    bool found = false;
};

void SinkListed(pa_context*, const pa_sink_info* info, int last, void* data)
{
    auto* query = static_cast<TOutputQuery*>(data);
    if (last != 0)
        query->answered = true;
    else if (info != nullptr)
        query->found = true;
}

struct TSourceQuery {
    bool answered = false;
    std::vector<std::string> names;
};

void SourceListed(pa_context*, const pa_source_info* info, int last, void* data)
{
    auto* query = static_cast<TSourceQuery*>(data);
    if (last != 0)
        query->answered = true;
    else if (info != nullptr && info->name != nullptr)
        query->names.emplace_back(info->name);
}

// A connection of its own on the calling thread, closed before returning: no server thread
// outlives the call, and nothing of it is left for the process's exit to tear down. ask
// starts the query once the server is ready; answered tells when its answer is complete.
void AskServer(int waitMs, const std::function<pa_operation*(pa_context*)>& ask,
               const bool& answered)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(waitMs);
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Korvane");
    pa_operation* listing = nullptr;
    if (context != nullptr && pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0) {
        while (!answered) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            if (state == PA_CONTEXT_READY && listing == nullptr) {
                listing = ask(context);
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
}

}  // namespace

bool PulseOutputPresent(int waitMs)
{
    TOutputQuery query;
    AskServer(
        waitMs,
        [&query](pa_context* context) {
            return pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@", SinkListed, &query);
        },
        query.answered);
    return query.found;
}

std::vector<std::string> PulseSourceNames(int waitMs)
{
    TSourceQuery query;
    AskServer(
        waitMs,
        [&query](pa_context* context) {
            return pa_context_get_source_info_list(context, SourceListed, &query);
        },
        query.answered);
    // Cut short, the list would offer only some of the sources as if they were all.
    return query.answered ? query.names : std::vector<std::string>{};
}

}  // namespace kv
