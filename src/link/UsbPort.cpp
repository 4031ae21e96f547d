#include "link/UsbPort.h"

#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kv {

namespace {

constexpr int kReadTimeoutMs = 20;
constexpr uint32_t kEchoWaitMs = 50;
// The bus idle before a command: counted from the last byte the converter carried, so a
// shot after a quiet line leaves at its moment instead of 2 ms after it.
constexpr uint32_t kPauseBeforeWriteMs = 2;
constexpr size_t kHeldLimit = 65536;

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Empty for "auto"; an unknown value is reported and taken as "auto".
std::vector<std::string> ParsePortSetting(const std::string& setting)
{
    std::vector<std::string> paths;
    const std::string value = Trimmed(setting);
    if (value.empty() || value == "auto")
        return paths;
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(',', start);
        const std::string path = Trimmed(value.substr(start, comma - start));
        if (path.empty() || path.front() != '/') {
            WriteLog(Localize(kMsgUnknownPort) + " \"" + value + "\"" + Localize(kMsgPortTakenAsAuto));
            return {};
        }
        paths.push_back(path);
        if (comma == std::string::npos)
            return paths;
        start = comma + 1;
    }
}

// 19200 baud, 8N1, no flow control, raw; reads never block (waiting is done with poll).
// -1 with errno set when the device will not open or is no terminal.
int OpenDevice(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        const int reason = errno;
        ::close(fd);
        errno = reason;
        return -1;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | CSIZE);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetspeed(&settings, B19200);
    tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

constexpr int64_t kAbsentLookNs = 1'000'000'000;

// A converter found again: by its serial number where it has one (its device name may change
// when it is plugged back), otherwise by its device name.
bool SameConverter(const ConverterInfo& found, const ConverterInfo& known)
{
    if (!found.serialNumber.empty() && !known.serialNumber.empty())
        return found.serialNumber == known.serialNumber;
    return found.path == known.path;
}

// Modem lines: pseudo-terminals refuse them, which is harmless.
void SetDtrClearRts(int fd)
{
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &dtr);
    ioctl(fd, TIOCMBIC, &rts);
}

int Waiting(int fd)
{
    int count = 0;
    if (fd < 0 || ioctl(fd, FIONREAD, &count) != 0)
        return -1;
    return count;
}

}  // namespace

TUSBPort::TUSBPort(int maxConverters, std::string portSetting, TDeviceRoots roots)
    : maxConverters_(maxConverters), paths_(ParsePortSetting(portSetting)),
      roots_(std::move(roots))
{
}

TUSBPort::~TUSBPort()
{
    Close();
}

bool TUSBPort::Open()
{
    std::lock_guard guard(lock_);
    std::vector<ConverterInfo> found = Present();
    // Every device keeps the index of the converter it answered on: a converter opened before
    // keeps its place, absent or not, so that no frame meant for one bus segment goes out on
    // another. Counted as lost, an absent converter made every read report a loss and the
    // port reopen ten times a second, so that nothing from the bus got through.
    fds_.assign(converters_.size(), -1);
    OpenInPlace(found);
    for (const ConverterInfo& info : found) {
        if (static_cast<int>(converters_.size()) >= maxConverters_)
            break;
        const int fd = OpenConverter(info);
        if (fd < 0)
            continue;
        converters_.push_back(info);
        fds_.push_back(fd);
    }
    if (paths_.empty())
        ReportTaken();
    held_.assign(fds_.size(), {});
    lastActivity_.assign(fds_.size(), Platform().TickCount());
    for (int fd : fds_)
        if (fd >= 0)
            tcflush(fd, TCIOFLUSH);
    for (int fd : fds_)
        if (fd >= 0)
            SetDtrClearRts(fd);
    connected_ = std::any_of(fds_.begin(), fds_.end(), [](int fd) { return fd >= 0; });
    if (!connected_)
        fds_.clear();
    return connected_;
}

std::vector<ConverterInfo> TUSBPort::Present() const
{
    return paths_.empty() ? EnumerateConverters(maxConverters_, roots_)
                          : ListedConverters(paths_, maxConverters_);
}

std::vector<size_t> TUSBPort::OpenInPlace(std::vector<ConverterInfo>& found)
{
    std::vector<size_t> opened;
    for (size_t slot = 0; slot < converters_.size(); ++slot) {
        if (fds_[slot] >= 0)
            continue;
        const auto same = std::find_if(found.begin(), found.end(), [&](const ConverterInfo& info) {
            return SameConverter(info, converters_[slot]);
        });
        if (same == found.end())
            continue;
        converters_[slot] = *same;
        fds_[slot] = OpenConverter(*same);
        found.erase(same);
        if (fds_[slot] >= 0)
            opened.push_back(slot);
    }
    return opened;
}

bool TUSBPort::TakeBackAbsent()
{
    std::lock_guard guard(lock_);
    const int64_t now = SteadyNowNs();
    if (!connected_ || now < nextAbsentLookNs_ ||
        std::all_of(fds_.begin(), fds_.end(), [](int fd) { return fd >= 0; }))
        return false;
    nextAbsentLookNs_ = now + kAbsentLookNs;
    std::vector<ConverterInfo> found = Present();
    const std::vector<size_t> opened = OpenInPlace(found);
    for (const size_t slot : opened) {
        held_[slot].clear();
        lastActivity_[slot] = Platform().TickCount();
        tcflush(fds_[slot], TCIOFLUSH);
        SetDtrClearRts(fds_[slot]);
    }
    if (paths_.empty() && !opened.empty())
        ReportTaken();
    return !opened.empty();
}

std::vector<int> TUSBPort::AbsentConverters()
{
    std::lock_guard guard(lock_);
    std::vector<int> absent;
    for (size_t slot = 0; slot < fds_.size(); ++slot)
        if (fds_[slot] < 0)
            absent.push_back(static_cast<int>(slot));
    return absent;
}

int TUSBPort::OpenConverter(const ConverterInfo& info)
{
    const int fd = OpenDevice(info.path);
    if (fd >= 0) {
        problems_.erase(info.path);
        return fd;
    }
    const int reason = errno;
    std::string text = Localize(kMsgConverterNotOpened) + " " + info.path + ": " + std::strerror(reason);
    if (reason == EACCES)
        text += ". " + Localize(kMsgJoinDialout);
    auto [known, added] = problems_.try_emplace(info.path, text);
    if (!added && known->second == text)
        return -1;
    known->second = text;
    WriteLog(text);
    if (OnOpenProblem)
        OnOpenProblem(text);
    return -1;
}

void TUSBPort::ReportTaken()
{
    std::vector<std::string> taken;
    std::string text;
    for (size_t slot = 0; slot < converters_.size(); ++slot) {
        if (fds_[slot] < 0)
            continue;
        const ConverterInfo& info = converters_[slot];
        taken.push_back(info.path);
        text += (text.empty() ? " " : ", ") + info.path + " (" + info.driver + ")";
    }
    if (taken.empty() || taken == reportedTaken_)
        return;
    reportedTaken_ = taken;
    WriteLog(Localize(kMsgConvertersTaken) + text);
}

void TUSBPort::Close()
{
    std::lock_guard guard(lock_);
    if (!connected_)
        return;
    for (int fd : fds_)
        if (fd >= 0)
            ::close(fd);
    fds_.clear();
    held_.clear();
    lastActivity_.clear();
    connected_ = false;
}

bool TUSBPort::Reopen()
{
    Close();
    return Open();
}

int TUSBPort::DeviceCount()
{
    std::lock_guard guard(lock_);
    return static_cast<int>(fds_.size());
}

std::vector<ConverterInfo> TUSBPort::Converters()
{
    std::lock_guard guard(lock_);
    return connected_ ? converters_ : std::vector<ConverterInfo>();
}

bool TUSBPort::ConverterLost(int converter)
{
    const int fd = fds_[static_cast<size_t>(converter)];
    // Absent since the last opening: its loss was told then.
    if (fd < 0)
        return false;
    if (Waiting(fd) < 0)
        return true;
    pollfd probe{fd, POLLIN, 0};
    return ::poll(&probe, 1, 0) < 0 || (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int TUSBPort::BytesAvailable()
{
    std::lock_guard guard(lock_);
    if (!connected_)
        return 0;
    int total = 0;
    for (int i = 0; i < static_cast<int>(fds_.size()); ++i) {
        if (ConverterLost(i))
            return -1;
        total += std::max(Waiting(fds_[static_cast<size_t>(i)]), 0) +
                 static_cast<int>(held_[static_cast<size_t>(i)].size());
    }
    return total;
}

void TUSBPort::WakeSources(TWakeSources& sources)
{
    std::lock_guard guard(lock_);
    std::copy_if(fds_.begin(), fds_.end(), std::back_inserter(sources.fds),
                 [](int fd) { return fd >= 0; });
    if (std::any_of(fds_.begin(), fds_.end(), [](int fd) { return fd < 0; }))
        sources.dueSteadyNs = nextAbsentLookNs_;
    // Bytes a purge held back turn no descriptor readable.
    if (std::any_of(held_.begin(), held_.end(), [](const auto& held) { return !held.empty(); }))
        sources.dueSteadyNs = 0;
}

int TUSBPort::WaitForData(int first, int last, bool withHeld)
{
    const auto firstWithData = [&] {
        for (int i = first; i <= last; ++i)
            if ((withHeld && !held_[static_cast<size_t>(i)].empty()) ||
                Waiting(fds_[static_cast<size_t>(i)]) > 0)
                return i;
        return -1;
    };
    int found = firstWithData();
    if (found >= 0)
        return found;
    std::vector<pollfd> probes;
    for (int i = first; i <= last; ++i)
        probes.push_back({fds_[static_cast<size_t>(i)], POLLIN, 0});
    const uint32_t start = Platform().TickCount();
    const int woken = probes.empty() ? -1 : ::poll(probes.data(), probes.size(), kReadTimeoutMs);
    found = firstWithData();
    // A hung-up device wakes poll at once; keep the read's pace so callers do not spin. A poll
    // that ran out has kept it already.
    const uint32_t spent = Platform().TickCount() - start;
    if (found < 0 && woken != 0 && spent < static_cast<uint32_t>(kReadTimeoutMs))
        Platform().Sleep(static_cast<uint32_t>(kReadTimeoutMs) - spent);
    return found;
}

int TUSBPort::ReadFrom(int converter, uint8_t* buffer, int count)
{
    std::lock_guard guard(lock_);
    if (converter < 0 || converter >= static_cast<int>(fds_.size()) || count <= 0 ||
        WaitForData(converter, converter) < 0)
        return 0;
    const int held = TakeHeld(converter, buffer, count);
    return held > 0 ? held : ReadDevice(converter, buffer, count);
}

int TUSBPort::ReadDevice(int converter, uint8_t* buffer, int count)
{
    const ssize_t got = ::read(fds_[static_cast<size_t>(converter)], buffer,
                               static_cast<size_t>(count));
    if (got <= 0)
        return 0;
    lastActivity_[static_cast<size_t>(converter)] = Platform().TickCount();
    return static_cast<int>(got);
}

int TUSBPort::TakeHeld(int converter, uint8_t* buffer, int count)
{
    std::vector<uint8_t>& held = held_[static_cast<size_t>(converter)];
    const int taken = std::min(count, static_cast<int>(held.size()));
    std::copy_n(held.begin(), taken, buffer);
    held.erase(held.begin(), held.begin() + taken);
    return taken;
}

void TUSBPort::HoldWaiting(int converter)
{
    std::vector<uint8_t>& held = held_[static_cast<size_t>(converter)];
    uint8_t bytes[256];
    for (int got; (got = ReadDevice(converter, bytes, sizeof bytes)) > 0;)
        held.insert(held.end(), bytes, bytes + got);
    // A converter that floods the line keeps only its newest bytes.
    if (held.size() > kHeldLimit)
        held.erase(held.begin(), held.end() - kHeldLimit);
}

// Without waiting, a plain read of what the terminal gives, not a look at its count first.
int TUSBPort::ReadEcho(int converter, uint8_t* buffer, int count, bool wait)
{
    std::lock_guard guard(lock_);
    if (wait && WaitForData(converter, converter, false) < 0)
        return 0;
    return ReadDevice(converter, buffer, count);
}

int TUSBPort::Read(uint8_t* buffer, int count, int converter)
{
    if (converter < 0)
        return ReadAny(buffer, count, converter);
    {
        std::lock_guard guard(lock_);
        if (!connected_)
            return -1;
    }
    return ReadFrom(converter, buffer, count);
}

int TUSBPort::ReadAny(uint8_t* buffer, int count, int& converter)
{
    converter = -1;
    int source = -1;
    {
        std::lock_guard guard(lock_);
        if (!connected_)
            return -1;
        source = WaitForData(0, static_cast<int>(fds_.size()) - 1);
    }
    if (source < 0)
        return 0;
    const int got = ReadFrom(source, buffer, count);
    if (got > 0)
        converter = source;
    return got;
}

int TUSBPort::WriteTo(int converter, const uint8_t* buffer, int count)
{
    std::lock_guard guard(lock_);
    const int fd = fds_[static_cast<size_t>(converter)];
    if (fd < 0)
        return -1;
    HoldWaiting(converter);
    tcflush(fd, TCIOFLUSH);
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd, buffer + written, static_cast<size_t>(count - written));
        if (n <= 0)
            break;
        written += static_cast<int>(n);
    }
    // On the line now, whether or not its echo comes back.
    lastActivity_[static_cast<size_t>(converter)] = Platform().TickCount();
    return written;
}

// The converter hands back every byte it puts on the bus; the write counts only once the
// echo is in, whole: a frame damaged after its first byte is not what the devices heard.
int TUSBPort::WriteWithEcho(int converter, const uint8_t* buffer, int count)
{
    if (WriteTo(converter, buffer, count) != count)
        return -2;
    std::vector<uint8_t> echo(static_cast<size_t>(count));
    const uint32_t start = Platform().TickCount();
    int got = 0;
    // The wait is bounded, not what counts: an echo that came while the machine held the
    // program back past the wait is taken, without waiting further.
    while (got < count) {
        const bool open = Platform().TickCount() - start < kEchoWaitMs;
        got += ReadEcho(converter, echo.data() + got, count - got, open);
        if (!open)
            break;
    }
    return got == count && std::equal(echo.begin(), echo.end(), buffer) ? count : -2;
}

uint32_t TUSBPort::PauseBeforeWrite(int first, int last)
{
    const uint32_t now = Platform().TickCount();
    uint32_t quiet = std::numeric_limits<uint32_t>::max();
    for (int i = first; i <= last; ++i) {
        // Bytes waiting came at a moment not known: as good as now.
        const bool waiting = Waiting(fds_[static_cast<size_t>(i)]) > 0;
        quiet = std::min(quiet, waiting ? 0 : now - lastActivity_[static_cast<size_t>(i)]);
    }
    // Whole ticks: a byte in the tick before last may have ended just under 2 ms ago.
    return quiet > kPauseBeforeWriteMs ? 0 : std::min(kPauseBeforeWriteMs + 1 - quiet, kPauseBeforeWriteMs);
}

int TUSBPort::Write(const uint8_t* buffer, int count, int converter)
{
    int converters = 0;
    uint32_t pause = 0;
    {
        std::lock_guard guard(lock_);
        if (!connected_)
            return -1;
        converters = static_cast<int>(fds_.size());
        if (converter < converters)
            pause = converter >= 0 ? PauseBeforeWrite(converter, converter)
                                   : PauseBeforeWrite(0, converters - 1);
    }
    if (pause > 0)
        Platform().Sleep(pause);
    if (converter >= converters)
        return -2;
    if (converter >= 0)
        return WriteWithEcho(converter, buffer, count);
    return WriteToEach(converters, count,
                       [&](int i) { return WriteWithEcho(i, buffer, count); });
}

}  // namespace kv
