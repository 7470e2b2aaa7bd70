#include "animation.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int ioBufferSize = 1 << 16;

// libavformat 61 (FFmpeg 7) hands the write callback a const buffer; before it, a mutable one.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const uint8_t*;
#else
using WrittenBytes = uint8_t*;
#endif

struct FormatChoice {
    const char* name;        // the container's name
    AVCodecID codec;
    AVPixelFormat pixels;
};

// A GIF frame holds 256 colours; 3 bits of red and green and 2 of blue,
// dithered by the scaler, keep a region's average colour.
const FormatChoice choices[] = {
    {"webm", AV_CODEC_ID_VP9, AV_PIX_FMT_YUV420P},
    {"mp4", AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P},
    {"gif", AV_CODEC_ID_GIF, AV_PIX_FMT_RGB8},
};

const FormatChoice* choiceOf(const std::string& format)
{
    for (const FormatChoice& choice : choices) {
        if (format == choice.name) {
            return &choice;
        }
    }
    return nullptr;
}

std::string describe(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The container writes through these to our own descriptor: no library is
// ever handed a file name, which it might read as a pattern or a protocol.
int writeBytes(void* opaque, WrittenBytes bytes, int size)
{
    auto* animation = static_cast<Animation*>(opaque);
    std::string ignored;
    if (!writeOutput(animation->file, bytes, static_cast<std::size_t>(size), ignored)) {
        return AVERROR(errno != 0 ? errno : EIO);
    }
    return size;
}

int64_t seekBytes(void* opaque, int64_t offset, int whence)
{
    const int descriptor = static_cast<Animation*>(opaque)->file.descriptor;
    if (whence == AVSEEK_SIZE) {
        struct stat status = {};
        return fstat(descriptor, &status) == 0 ? status.st_size : AVERROR(errno);
    }
    const off_t at = lseek(descriptor, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

// Hands every packet the encoder has ready to the container.
bool passPackets(Animation& animation, std::string& error)
{
    while (true) {
        const int received = avcodec_receive_packet(animation.encoder, animation.packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return true;
        }
        if (received < 0) {
            error = "cannot encode " + animation.file.path + ": " + describe(received);
            return false;
        }
        // Every frame shows for one period; without it, MP4 cuts the last frame off.
        animation.packet->duration = 1;
        AVStream* stream = animation.container->streams[0];
        av_packet_rescale_ts(animation.packet, animation.encoder->time_base, stream->time_base);
        animation.packet->stream_index = stream->index;
        const int written = av_interleaved_write_frame(animation.container, animation.packet);
        if (written < 0) {
            error = "cannot write " + animation.file.path + ": " + describe(written);
            return false;
        }
    }
}

}

bool startAnimation(const std::string& path, const std::string& format, int width, int height, int rate,
                    Animation& animation, std::string& error)
{
    const FormatChoice* choice = choiceOf(format);
    const AVCodec* codec = choice != nullptr ? avcodec_find_encoder(choice->codec) : nullptr;
    if (codec == nullptr) {
        error = "no encoder for " + path;
        return false;
    }
    // The libraries' own notes would break our one line per fault; their faults come back as codes.
    av_log_set_level(AV_LOG_QUIET);
    animation.width = width;
    animation.height = height;
    if (!openOutput(path, animation.file, error)) {
        return false;
    }
    if (avformat_alloc_output_context2(&animation.container, nullptr, choice->name, nullptr) < 0) {
        error = std::string("no ") + choice->name + " container";
        return false;
    }
    auto* buffer = static_cast<unsigned char*>(av_malloc(ioBufferSize));
    animation.container->pb = avio_alloc_context(buffer, ioBufferSize, 1, &animation, nullptr, writeBytes, seekBytes);
    animation.container->flags |= AVFMT_FLAG_CUSTOM_IO;

    animation.encoder = avcodec_alloc_context3(codec);
    animation.encoder->width = width;
    animation.encoder->height = height;
    animation.encoder->pix_fmt = choice->pixels;
    animation.encoder->time_base = AVRational{1, rate};
    animation.encoder->framerate = AVRational{rate, 1};
    // Frames in shown order only: every player then starts at the first frame.
    animation.encoder->max_b_frames = 0;
    if (animation.container->oformat->flags & AVFMT_GLOBALHEADER) {
        animation.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    AVStream* stream = avformat_new_stream(animation.container, nullptr);
    animation.frame = av_frame_alloc();
    animation.packet = av_packet_alloc();
    animation.converter = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, choice->pixels,
                                         SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (stream == nullptr || animation.frame == nullptr || animation.packet == nullptr
        || animation.converter == nullptr || animation.container->pb == nullptr) {
        error = "cannot start " + path;
        return false;
    }
    const int opened = avcodec_open2(animation.encoder, codec, nullptr);
    if (opened < 0) {
        error = "cannot start the encoder for " + path + ": " + describe(opened);
        return false;
    }
    stream->time_base = animation.encoder->time_base;
    avcodec_parameters_from_context(stream->codecpar, animation.encoder);
    animation.frame->format = choice->pixels;
    animation.frame->width = width;
    animation.frame->height = height;
    const int headed = av_frame_get_buffer(animation.frame, 0);
    const int header = headed < 0 ? headed : avformat_write_header(animation.container, nullptr);
    if (header < 0) {
        error = "cannot write " + path + ": " + describe(header);
        return false;
    }
    animation.trailerDue = true;
    return true;
}

bool addAnimationFrame(Animation& animation, const unsigned char* rgbBottomUp, std::string& error)
{
    const int rowBytes = animation.width * 3;
    // Started at the top row with a negative stride, the picture reads top down.
    const uint8_t* const source[] = {rgbBottomUp + static_cast<std::size_t>(animation.height - 1) * rowBytes};
    const int sourceStride[] = {-rowBytes};
    if (av_frame_make_writable(animation.frame) < 0) {
        error = "out of memory for " + animation.file.path;
        return false;
    }
    sws_scale(animation.converter, source, sourceStride, 0, animation.height, animation.frame->data,
              animation.frame->linesize);
    animation.frame->pts = animation.frames++;
    const int sent = avcodec_send_frame(animation.encoder, animation.frame);
    if (sent < 0) {
        error = "cannot encode " + animation.file.path + ": " + describe(sent);
        return false;
    }
    return passPackets(animation, error);
}

bool finishAnimation(Animation& animation, std::string& error)
{
    avcodec_send_frame(animation.encoder, nullptr);
    if (!passPackets(animation, error)) {
        return false;
    }
    const int ended = av_write_trailer(animation.container);
    animation.trailerDue = false;
    avio_flush(animation.container->pb);
    const int fault = ended < 0 ? ended : animation.container->pb->error;
    if (fault < 0) {
        error = "cannot write " + animation.file.path + ": " + describe(fault);
        return false;
    }
    return finishOutput(animation.file, error);
}

void dropAnimation(Animation& animation)
{
    sws_freeContext(animation.converter);
    av_packet_free(&animation.packet);
    av_frame_free(&animation.frame);
    avcodec_free_context(&animation.encoder);
    if (animation.container != nullptr) {
        // A container given up midway still holds packets that only its
        // trailer lets go of; the file they would go to is dropped anyway.
        if (animation.trailerDue) {
            av_write_trailer(animation.container);
        }
        if (animation.container->pb != nullptr) {
            av_freep(&animation.container->pb->buffer);
        }
        avio_context_free(&animation.container->pb);
        avformat_free_context(animation.container);
        animation.container = nullptr;
    }
    dropOutput(animation.file);
    animation = Animation();
}
