#include "animation.h"

#include <cerrno>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "animation_formats.h"
#include "output_file.h"

namespace {

constexpr int ioBufferSize = 1 << 16;

// FFmpeg 7 hands the bytes to write over as read-only.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using BytesToWrite = const uint8_t*;
#else
using BytesToWrite = uint8_t*;
#endif

// Owners of the libraries' objects, each freed by the library's own function.
template <typename Item, void (*release)(Item**)>
struct FreedThrough {
    void operator()(Item* item) const { release(&item); }
};
struct ContainerRelease {
    void operator()(AVFormatContext* container) const { avformat_free_context(container); }
};
// The library may have swapped the buffer it was given for another.
struct WriterRelease {
    void operator()(AVIOContext* writer) const
    {
        av_freep(&writer->buffer);
        avio_context_free(&writer);
    }
};
struct ConverterRelease {
    void operator()(SwsContext* converter) const { sws_freeContext(converter); }
};
struct BufferRelease {
    void operator()(unsigned char* buffer) const { av_free(buffer); }
};

struct FormatChoice {
    AVCodecID codec;
    AVPixelFormat pixels;
    const char* settings;    // the encoder's own options, name=value:name=value
};

// A GIF frame holds 256 colours; 3 bits of red and green and 2 of blue,
// dithered by the scaler, keep a region's average colour.
// The encoders hold no frames ahead: VP9 (libvpx) by default keeps 25 for its
// alternate reference, 29 MB each at 4096 x 4096; H.264 (x264) keeps one per
// frame thread (one and a half per core) and per reference, about 90 MB each
// at that size, and 40 for its look-ahead. Without look-ahead and with one
// reference, slices instead of frames across its threads, a clip's memory is
// a few frames whatever its length and the machine's cores.
// One for each of animationFormats, in its order.
const FormatChoice choices[] = {
    {AV_CODEC_ID_VP9, AV_PIX_FMT_YUV420P, "lag-in-frames=0"},
    {AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, "tune=zerolatency:refs=1"},
    {AV_CODEC_ID_GIF, AV_PIX_FMT_RGB8, ""},
};
static_assert(std::size(choices) == std::size(animationFormats), "a choice for every animation format");

const FormatChoice* choiceOf(const std::string& format)
{
    for (std::size_t n = 0; n < std::size(choices); ++n) {
        if (format == animationFormats[n]) {
            return &choices[n];
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

}

struct Animation {
    Animation() = default;
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;
    ~Animation()
    {
        // A container given up midway still holds packets that only its
        // trailer lets go of; the file they would go to is dropped anyway,
        // so how the trailer fares does not matter.
        if (trailerDue) {
            static_cast<void>(av_write_trailer(container.get()));
        }
    }

    // Freed in the opposite order: the encoder's pieces, then the container,
    // then what it wrote through, then the file.
    std::unique_ptr<OutputFile> file;
    std::unique_ptr<AVIOContext, WriterRelease> writer;
    std::unique_ptr<AVFormatContext, ContainerRelease> container;
    std::unique_ptr<AVCodecContext, FreedThrough<AVCodecContext, avcodec_free_context>> encoder;
    std::unique_ptr<SwsContext, ConverterRelease> converter;
    std::unique_ptr<AVFrame, FreedThrough<AVFrame, av_frame_free>> frame;
    std::unique_ptr<AVPacket, FreedThrough<AVPacket, av_packet_free>> packet;
    long long frames = 0;
    int convertedRows = 0;     // of the frame being converted band by band
    bool trailerDue = false;   // the header is out and the trailer not yet
    int width = 0;
    int height = 0;
};

void AnimationRelease::operator()(Animation* animation) const
{
    delete animation;
}

namespace {

// The container writes through these to our own descriptor: no library is
// ever handed a file name, which it might read as a pattern or a protocol.
int writeBytes(void* opaque, BytesToWrite bytes, int size)
{
    auto* animation = static_cast<Animation*>(opaque);
    std::string ignored;
    if (!writeOutput(*animation->file, bytes, static_cast<std::size_t>(size), ignored)) {
        return AVERROR(errno != 0 ? errno : EIO);
    }
    return size;
}

int64_t seekBytes(void* opaque, int64_t offset, int whence)
{
    const int descriptor = static_cast<Animation*>(opaque)->file->descriptor;
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
        const int received = avcodec_receive_packet(animation.encoder.get(), animation.packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return true;
        }
        if (received < 0) {
            error = "cannot encode " + animation.file->path + ": " + describe(received);
            return false;
        }
        // Every frame shows for one period; without it, MP4 cuts the last frame off.
        animation.packet->duration = 1;
        AVStream* stream = animation.container->streams[0];
        av_packet_rescale_ts(animation.packet.get(), animation.encoder->time_base, stream->time_base);
        animation.packet->stream_index = stream->index;
        const int written = av_interleaved_write_frame(animation.container.get(), animation.packet.get());
        if (written < 0) {
            error = "cannot write " + animation.file->path + ": " + describe(written);
            return false;
        }
    }
}

// The encoder as the choice and the picture ask, opened; says why not in error.
bool openEncoder(Animation& animation, const AVCodec* codec, const FormatChoice& choice, int rate,
                 std::string& error)
{
    animation.encoder.reset(avcodec_alloc_context3(codec));
    if (animation.encoder == nullptr) {
        error = "out of memory for " + animation.file->path;
        return false;
    }
    AVCodecContext& encoder = *animation.encoder;
    encoder.width = animation.width;
    encoder.height = animation.height;
    encoder.pix_fmt = choice.pixels;
    encoder.time_base = AVRational{1, rate};
    encoder.framerate = AVRational{rate, 1};
    // Frames in shown order only: every player then starts at the first frame.
    encoder.max_b_frames = 0;
    if (animation.container->oformat->flags & AVFMT_GLOBALHEADER) {
        encoder.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    // Settings an encoder does not know stay in the dictionary, unused.
    AVDictionary* settings = nullptr;
    int opened = av_dict_parse_string(&settings, choice.settings, "=", ":", 0);
    if (opened >= 0) {
        opened = avcodec_open2(&encoder, codec, &settings);
    }
    av_dict_free(&settings);
    if (opened < 0) {
        error = "cannot start the encoder for " + animation.file->path + ": " + describe(opened);
        return false;
    }
    return true;
}

}

AnimationOwner startAnimation(const std::string& path, const std::string& format, int width, int height, int rate,
                              std::string& error)
{
    const FormatChoice* choice = choiceOf(format);
    const AVCodec* codec = choice != nullptr ? avcodec_find_encoder(choice->codec) : nullptr;
    if (codec == nullptr) {
        error = "no encoder for " + path;
        return nullptr;
    }
    // The libraries' own notes would break our one line per fault; their faults come back as codes.
    av_log_set_level(AV_LOG_QUIET);
    AnimationOwner animation(new Animation);
    animation->width = width;
    animation->height = height;
    animation->file = openOutput(path, error);
    if (animation->file == nullptr) {
        return nullptr;
    }
    AVFormatContext* container = nullptr;
    if (avformat_alloc_output_context2(&container, nullptr, format.c_str(), nullptr) < 0) {
        error = std::string("no ") + format + " container";
        return nullptr;
    }
    animation->container.reset(container);
    std::unique_ptr<unsigned char, BufferRelease> buffer(static_cast<unsigned char*>(av_malloc(ioBufferSize)));
    if (buffer != nullptr) {
        animation->writer.reset(
            avio_alloc_context(buffer.get(), ioBufferSize, 1, animation.get(), nullptr, writeBytes, seekBytes));
    }
    if (animation->writer == nullptr) {
        error = "out of memory for " + path;
        return nullptr;
    }
    static_cast<void>(buffer.release());   // the writer holds it from here on
    container->pb = animation->writer.get();
    container->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (!openEncoder(*animation, codec, *choice, rate, error)) {
        return nullptr;
    }

    AVStream* stream = avformat_new_stream(container, nullptr);
    animation->frame.reset(av_frame_alloc());
    animation->packet.reset(av_packet_alloc());
    animation->converter.reset(sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, choice->pixels,
                                              SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (stream == nullptr || animation->frame == nullptr || animation->packet == nullptr
        || animation->converter == nullptr) {
        error = "out of memory for " + path;
        return nullptr;
    }
    stream->time_base = animation->encoder->time_base;
    AVFrame& frame = *animation->frame;
    frame.format = choice->pixels;
    frame.width = width;
    frame.height = height;
    int fault = avcodec_parameters_from_context(stream->codecpar, animation->encoder.get());
    if (fault >= 0) {
        fault = av_frame_get_buffer(&frame, 0);
    }
    if (fault >= 0) {
        fault = avformat_write_header(container, nullptr);
    }
    if (fault < 0) {
        error = "cannot write " + path + ": " + describe(fault);
        return nullptr;
    }
    animation->trailerDue = true;
    return animation;
}

bool addAnimationRows(Animation& animation, const unsigned char* rgbBottomUp, int top, int rows, std::string& error)
{
    const int rowBytes = animation.width * 3;
    // Started at the band's top row with a negative stride, the band reads top down.
    const uint8_t* const source[] = {rgbBottomUp + static_cast<std::size_t>(rows - 1) * rowBytes};
    const int sourceStride[] = {-rowBytes};
    AVFrame& frame = *animation.frame;
    if (top == 0) {
        animation.convertedRows = 0;
        if (av_frame_make_writable(&frame) < 0) {
            error = "out of memory for " + animation.file->path;
            return false;
        }
    }
    // The scaler answers with the rows it finished, which may trail the band;
    // the last band finishes the picture.
    const int finished =
        sws_scale(animation.converter.get(), source, sourceStride, top, rows, frame.data, frame.linesize);
    animation.convertedRows += finished > 0 ? finished : 0;
    const bool last = top + rows == animation.height;
    if (finished < 0 || (last && animation.convertedRows != animation.height)) {
        error = "cannot convert a frame for " + animation.file->path;
        return false;
    }
    if (!last) {
        return true;
    }
    frame.pts = animation.frames++;
    const int sent = avcodec_send_frame(animation.encoder.get(), &frame);
    if (sent < 0) {
        error = "cannot encode " + animation.file->path + ": " + describe(sent);
        return false;
    }
    return passPackets(animation, error);
}

bool addAnimationFrame(Animation& animation, const unsigned char* rgbBottomUp, std::string& error)
{
    return addAnimationRows(animation, rgbBottomUp, 0, animation.height, error);
}

bool finishAnimation(Animation& animation, std::string& error)
{
    const int drained = avcodec_send_frame(animation.encoder.get(), nullptr);
    if (drained < 0) {
        error = "cannot encode " + animation.file->path + ": " + describe(drained);
        return false;
    }
    if (!passPackets(animation, error)) {
        return false;
    }
    const int ended = av_write_trailer(animation.container.get());
    animation.trailerDue = false;
    avio_flush(animation.writer.get());
    const int fault = ended < 0 ? ended : animation.writer->error;
    if (fault < 0) {
        error = "cannot write " + animation.file->path + ": " + describe(fault);
        return false;
    }
    return finishOutput(*animation.file, error);
}
