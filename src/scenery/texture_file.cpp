#include "scenery/texture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include <Inventor/nodes/SoTexture2.h>

#include "scenery/data_file.h"

namespace {

// libjpeg ends the process on an error unless the error handler leaves by a jump.
struct HeaderErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void leaveOnError(j_common_ptr decoder)
{
    auto* errors = reinterpret_cast<HeaderErrors*>(decoder->err);
    decoder->err->format_message(decoder, errors->message);
    std::longjmp(errors->escape, 1);
}

// Warnings about a damaged header are the image reader's business, not ours.
void stayQuiet(j_common_ptr) {}

std::string headerProblem(std::FILE* file)
{
    jpeg_decompress_struct decoder {};
    HeaderErrors errors {};
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leaveOnError;
    errors.manager.output_message = stayQuiet;
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&decoder);
        return std::string("not a JPEG image (") + errors.message + ")";
    }
    jpeg_create_decompress(&decoder);
    jpeg_stdio_src(&decoder, file);
    jpeg_read_header(&decoder, TRUE);
    const JDIMENSION width = decoder.image_width;
    const JDIMENSION height = decoder.image_height;
    jpeg_destroy_decompress(&decoder);
    if (width > largestTextureSide || height > largestTextureSide) {
        return "image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than "
            + std::to_string(largestTextureSide) + " per side";
    }
    return {};
}

}

std::string textureFileProblem(const char* path)
{
    std::string problem = notRegularFileReason(path);
    if (!problem.empty()) {
        return problem;
    }
    // Without blocking, in case a pipe took the file's place since it was looked at.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return {};
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return "not a regular file";
    }
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr) {
        close(descriptor);
        return {};
    }
    problem = headerProblem(file);
    std::fclose(file);
    return problem;
}

void setTextureFile(SoTexture2* texture, const char* path)
{
    const std::string problem = textureFileProblem(path);
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return;
    }
    texture->filename = path;
}
