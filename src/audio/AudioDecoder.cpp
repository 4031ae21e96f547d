#include "audio/AudioDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>

namespace kv {

namespace {

AVRational SampleBase(uint32_t frequency)
{
    return AVRational{1, static_cast<int>(frequency)};
}

// Seeking the decoder this far before the target primes it (a VBR mp3's bit reservoir needs
// more than 100 ms, overlap windows); the audio up to the target is decoded and thrown away.
int64_t Preroll(TDecodePath path, uint32_t frequency)
{
    return path == TDecodePath::Wma ? frequency * 3 / 20 : frequency / 2;
}

}  // namespace

TAudioDecoder::~TAudioDecoder()
{
    Close();
}

int TAudioDecoder::Open(const std::string& fileName, TDecodePath path)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_ERROR); });

    Close();
    path_ = path;
    if (avformat_open_input(&format_, fileName.c_str(), nullptr, nullptr) < 0) {
        format_ = nullptr;
        return -1;
    }
    if (avformat_find_stream_info(format_, nullptr) < 0 || OpenCodec() < 0) {
        Close();
        return -1;
    }
    lengthFrames_ = CountLengthFrames();
    if (lengthFrames_ < 0 || SeekFrame(0, 0) < 0) {
        Close();
        return -1;
    }
    return 0;
}

int TAudioDecoder::OpenCodec()
{
    const AVCodec* decoder = nullptr;
    streamIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (streamIndex_ < 0 || decoder == nullptr)
        return -1;
    const AVStream* stream = format_->streams[streamIndex_];
    codec_ = avcodec_alloc_context3(decoder);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (codec_ == nullptr || frame_ == nullptr || packet_ == nullptr)
        return -1;
    if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return -1;
    codec_->pkt_timebase = stream->time_base;
    if (avcodec_open2(codec_, decoder, nullptr) < 0)
        return -1;

    const int channels = codec_->ch_layout.nb_channels;
    if (channels <= 0 || channels > 255 || codec_->sample_rate <= 0)
        return -1;
    channels_ = static_cast<uint16_t>(channels);
    frequency_ = static_cast<uint32_t>(codec_->sample_rate);
    const auto sourceFormat = static_cast<AVSampleFormat>(stream->codecpar->format);
    eightBit_ = sourceFormat == AV_SAMPLE_FMT_U8 || sourceFormat == AV_SAMPLE_FMT_U8P;
    frameBytes_ = channels_ * (eightBit_ ? 1u : 2u);
    return 0;
}

void TAudioDecoder::Close()
{
    swr_free(&resampler_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    streamIndex_ = -1;
    channels_ = 0;
    frequency_ = 0;
    eightBit_ = false;
    frameBytes_ = 0;
    lengthFrames_ = 0;
    position_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    draining_ = false;
    ended_ = false;
}

int64_t TAudioDecoder::CountLengthFrames()
{
    const AVStream* stream = format_->streams[streamIndex_];
    if (path_ == TDecodePath::Wma) {
        // The WMA decoder loses audio at the start, so its decoded count is short; the
        // container's duration is what the file holds.
        if (stream->duration != AV_NOPTS_VALUE)
            return av_rescale_q(stream->duration, stream->time_base, SampleBase(frequency_));
        if (format_->duration != AV_NOPTS_VALUE)
            return av_rescale_q(format_->duration, AV_TIME_BASE_Q, SampleBase(frequency_));
    } else if (std::strcmp(format_->iformat->name, "mp3") != 0 && stream->duration > 0
               && format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        // Exact for wav and ogg; an mp3 container counts the encoder's padding in.
        return av_rescale_q(stream->duration, stream->time_base, SampleBase(frequency_));
    } else {
        const int64_t scanned = ScanPacketFrames();
        if (scanned >= 0)
            return scanned;
    }
    // Nothing in the container to count by: decode the whole file once.
    if (SeekFrame(0, 0) < 0)
        return -1;
    int64_t frames = 0;
    while (DecodeNext())
        frames += static_cast<int64_t>(pending_.size() / frameBytes_);
    return frames;
}

// Packet durations less the samples the container marks for trimming (the gapless header's
// encoder delay and padding): exact, and far faster than decoding.
int64_t TAudioDecoder::ScanPacketFrames()
{
    const AVStream* stream = format_->streams[streamIndex_];
    int64_t duration = 0;
    int64_t trimmed = 0;
    bool complete = true;
    while (complete && av_read_frame(format_, packet_) >= 0) {
        if (packet_->stream_index == streamIndex_) {
            complete = packet_->duration > 0;
            duration += packet_->duration;
            size_t size = 0;
            const uint8_t* skip =
                av_packet_get_side_data(packet_, AV_PKT_DATA_SKIP_SAMPLES, &size);
            if (skip != nullptr && size >= 8)
                trimmed += AV_RL32(skip) + AV_RL32(skip + 4);
        }
        av_packet_unref(packet_);
    }
    if (!complete)
        return -1;
    return std::max<int64_t>(
        0, av_rescale_q(duration, stream->time_base, SampleBase(frequency_)) - trimmed);
}

int TAudioDecoder::SeekBytes(int64_t position)
{
    if (!IsOpen())
        return -1;
    const int64_t target = std::clamp<int64_t>(position / frameBytes_, 0, lengthFrames_);
    const int64_t ahead = target * frameBytes_ - position_;
    // A short way forward is cheaper and exact by decoding on.
    if (ahead >= 0 && ahead <= static_cast<int64_t>(frequency_) * frameBytes_) {
        Discard(ahead);
        return 0;
    }
    return SeekFrame(target, Preroll(path_, frequency_));
}

int TAudioDecoder::SeekFrame(int64_t target, int64_t preroll)
{
    const AVStream* stream = format_->streams[streamIndex_];
    const int64_t origin = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    for (;;) {
        const int64_t from = std::max<int64_t>(0, target - preroll);
        const int64_t timestamp =
            origin + av_rescale_q(from, SampleBase(frequency_), stream->time_base);
        if (av_seek_frame(format_, streamIndex_, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
            return -1;
        avcodec_flush_buffers(codec_);
        pending_.clear();
        pendingOffset_ = 0;
        draining_ = false;
        ended_ = false;
        if (!DecodeNext()) {
            position_ = target * frameBytes_;
            return 0;
        }
        if (pendingStart_ < 0)
            pendingStart_ = from;
        if (pendingStart_ > from && from > 0) {
            // Landed short of the priming distance (a coarse seek index): go back further.
            preroll = preroll * 4 + frequency_;
            continue;
        }
        // Whole frames before the target go by their own stamps: a decoder that primes itself
        // after a seek (the mp3 bit reservoir) may drop frames on the way.
        while (pendingStart_ + PendingFrames() <= target) {
            const int64_t next = pendingStart_ + PendingFrames();
            if (!DecodeNext()) {
                position_ = target * frameBytes_;
                return 0;
            }
            if (pendingStart_ < 0)
                pendingStart_ = next;
        }
        if (pendingStart_ > target) {
            // Nothing decoded for the target itself (the WMA start-up loss): silence up to
            // the first audio.
            const size_t gap = static_cast<size_t>(pendingStart_ - target) * frameBytes_;
            pending_.insert(pending_.begin(), gap, eightBit_ ? 0x80 : 0);
            pendingStart_ = target;
        }
        pendingOffset_ = static_cast<size_t>(target - pendingStart_) * frameBytes_;
        position_ = target * frameBytes_;
        return 0;
    }
}

int64_t TAudioDecoder::PendingFrames() const
{
    return static_cast<int64_t>(pending_.size() / frameBytes_);
}

int64_t TAudioDecoder::FrameStart() const
{
    const AVStream* stream = format_->streams[streamIndex_];
    int64_t timestamp = frame_->pts;
    if (timestamp == AV_NOPTS_VALUE)
        timestamp = frame_->best_effort_timestamp;
    if (timestamp == AV_NOPTS_VALUE)
        return -1;
    if (stream->start_time != AV_NOPTS_VALUE)
        timestamp -= stream->start_time;
    return std::max<int64_t>(0, av_rescale_q(timestamp, stream->time_base,
                                             SampleBase(frequency_)));
}

void TAudioDecoder::Discard(int64_t bytes)
{
    while (bytes > 0) {
        const size_t available = pending_.size() - pendingOffset_;
        if (available == 0) {
            if (ended_ || !DecodeNext()) {
                position_ += bytes;
                return;
            }
            continue;
        }
        const size_t step = static_cast<size_t>(std::min<int64_t>(bytes, available));
        pendingOffset_ += step;
        position_ += step;
        bytes -= step;
    }
}

size_t TAudioDecoder::Read(uint8_t* buffer, size_t length)
{
    if (!IsOpen())
        return 0;
    const int64_t left = LengthBytes() - position_;
    if (left <= 0)
        return 0;
    length = static_cast<size_t>(std::min<int64_t>(left, length));
    size_t done = 0;
    while (done < length) {
        const size_t available = pending_.size() - pendingOffset_;
        if (available == 0) {
            if (!ended_ && DecodeNext())
                continue;
            // A decoder that ends short of the length: the rest is silence.
            std::memset(buffer + done, eightBit_ ? 0x80 : 0, length - done);
            position_ += length - done;
            return length;
        }
        const size_t step = std::min(available, length - done);
        std::memcpy(buffer + done, pending_.data() + pendingOffset_, step);
        pendingOffset_ += step;
        position_ += step;
        done += step;
    }
    return done;
}

bool TAudioDecoder::DecodeNext()
{
    for (;;) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received == 0) {
            pendingStart_ = FrameStart();
            const int converted = Convert();
            av_frame_unref(frame_);
            if (converted < 0)
                break;
            return true;
        }
        if (received != AVERROR(EAGAIN) || draining_)
            break;
        if (av_read_frame(format_, packet_) < 0) {
            avcodec_send_packet(codec_, nullptr);
            draining_ = true;
            continue;
        }
        // A damaged packet is passed over; the decoder goes on with the next.
        if (packet_->stream_index == streamIndex_)
            avcodec_send_packet(codec_, packet_);
        av_packet_unref(packet_);
    }
    ended_ = true;
    pending_.clear();
    pendingOffset_ = 0;
    return false;
}

int TAudioDecoder::Convert()
{
    if (resampler_ == nullptr) {
        AVChannelLayout layout{};
        if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC
            || frame_->ch_layout.nb_channels != channels_)
            av_channel_layout_default(&layout, channels_);
        else
            av_channel_layout_copy(&layout, &frame_->ch_layout);
        const int made = swr_alloc_set_opts2(
            &resampler_, &layout, eightBit_ ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16,
            static_cast<int>(frequency_), &layout, static_cast<AVSampleFormat>(frame_->format),
            static_cast<int>(frequency_), 0, nullptr);
        av_channel_layout_uninit(&layout);
        if (made < 0 || swr_init(resampler_) < 0) {
            swr_free(&resampler_);
            return -1;
        }
    }
    const int samples = frame_->nb_samples;
    pending_.resize(static_cast<size_t>(samples) * frameBytes_);
    pendingOffset_ = 0;
    uint8_t* out = pending_.data();
    const int converted = swr_convert(resampler_, &out, samples,
                                      const_cast<const uint8_t**>(frame_->extended_data),
                                      samples);
    if (converted < 0)
        return -1;
    pending_.resize(static_cast<size_t>(converted) * frameBytes_);
    return 0;
}

}  // namespace kv
