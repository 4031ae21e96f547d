#include "console/mainwindow/show/GoNoGoGate.h"

namespace kv {

void TGoNoGoGate::Shown(std::vector<std::string> lines, int remoteStops)
{
    // Open again, it is being read again.
    read_.reset();
    shown_ = std::move(lines);
    shownStops_ = remoteStops;
}

void TGoNoGoGate::Closed()
{
    read_ = std::move(shown_);
    readStops_ = shownStops_;
    shown_.reset();
}

bool TGoNoGoGate::Read(const std::vector<std::string>& lines, int remoteStops)
{
    const bool read = read_ && *read_ == lines && readStops_ == remoteStops;
    read_.reset();
    return read;
}

}  // namespace kv
